#include "capture/HtmlCaptureImageWnd.h"

#include "capture/CaptureViewKeys.h"
#include "capture/DragAutoScroll.h"
#include "capture/ViewScroller.h"
#include "pages/PageCutter.h"
#include "pages/PageGeometry.h"
#include "pages/PageSet.h"
#include "toolkit/QX_Command.h"
#include "toolkit/QX_Theme.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr QRgb kBackFill = 0xFFEFEBD8;   // RGB(239, 235, 216) behind the image
constexpr COLORREF kBarEdge = 0xFF8000;  // RGB(0, 128, 255)
constexpr COLORREF kHintEdge = 0xA8FFFF; // RGB(255, 255, 168)
constexpr COLORREF kWhite = 0xFFFFFF;

// Inverts every pixel of r (clipped to the image), as a pattern-invert with white does; the
// spare byte stays as it is.
// r in view pixels of an image of scale pixels per view pixel.
void InvertRect(QImage& image, QRect r, int scale) {
    r = QRect(r.topLeft() * scale, r.size() * scale).intersected(image.rect());
    if (r.isEmpty())
        return;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        auto* px = reinterpret_cast<quint32*>(image.scanLine(y)) + r.left();
        for (int x = 0; x < r.width(); ++x)
            px[x] ^= 0x00FFFFFFu;
    }
}

QRect FromEdges(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

} // namespace

HtmlCaptureImageWnd::HtmlCaptureImageWnd(QWidget* parent) : QWidget(parent) {
    QX_SetCtrlId(this, ctrlId);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setFont(QX_StandardFont());
    hide();

    m_nFrameExtraWidth = 2 * ViewScroller::border;
    m_nFrameExtraHeight = 2 * ViewScroller::border;
    const int clientW = width() - m_nFrameExtraWidth;
    const int clientH = height() - m_nFrameExtraHeight;
    m_nVisibleWidth = std::max(0, clientW);
    m_nVisibleHeight = std::max(0, clientH);
    m_selection = CaptureSelection::FromRect(FromEdges(10, 10, clientW - 10, clientH - 10));

    m_image = QImage(100, 100, QImage::Format_RGB32);
    m_image.fill(Qt::white);

    m_pScroller = new ViewScroller(this);
    m_pAutoScroll = new DragAutoScroll(this, m_pScroller);
    // The pointer stays still over a moving image: the dragged edge moves with the image.
    connect(m_pAutoScroll, &DragAutoScroll::Scrolled, this, [this](QPoint moved) {
        m_selection.Drag(m_dragMode, moved.x(), moved.y(), ImageWidth(), ImageHeight());
        update();
    });
    RecreateBackBuffer();
}

HtmlCaptureImageWnd::~HtmlCaptureImageWnd() = default;

bool HtmlCaptureImageWnd::SetImage(QImage image, DocumentLayer layer, int scale) {
    if (image.isNull() || scale < 1 || scale > PageGeometry::maxScale)
        return false;
    if (image.format() != QImage::Format_RGB32) {
        image = image.convertToFormat(QImage::Format_RGB32);
        if (image.isNull())
            return false;
    }
    m_image = std::move(image);
    m_image.setDevicePixelRatio(1.0);
    m_layer = std::move(layer);
    const bool rescaled = scale != m_nScale;
    m_nScale = scale;
    m_bHasImage = true;
    m_dragMode = CaptureSelection::DragNone;
    m_pAutoScroll->Stop();
    if (UpdateScrollBars() || rescaled)
        RecreateBackBuffer();
    m_selection = CaptureSelection::Inset(ImageWidth(), ImageHeight(), m_nVisibleHeight);
    update();
    return true;
}

void HtmlCaptureImageWnd::SetSelection(const QRect& selection) {
    m_selection = CaptureSelection::FromRect(
        selection.normalized().intersected(QRect(0, 0, ImageWidth(), ImageHeight())));
    update();
}

QPoint HtmlCaptureImageWnd::ScrollPos() const {
    return m_pScroller->Pos();
}

QScrollBar* HtmlCaptureImageWnd::HScrollBar() const {
    return m_pScroller->HBar();
}

QScrollBar* HtmlCaptureImageWnd::VScrollBar() const {
    return m_pScroller->VBar();
}

QPoint HtmlCaptureImageWnd::ClientOrigin() const {
    return m_pScroller->ClientOrigin();
}

bool HtmlCaptureImageWnd::UpdateScrollBars() {
    const int oldW = m_nVisibleWidth;
    const int oldH = m_nVisibleHeight;
    const auto layout = m_pScroller->Apply(ImageWidth(), ImageHeight());
    m_nVisibleWidth = layout.visibleWidth;
    m_nVisibleHeight = layout.visibleHeight;
    if (m_nVisibleWidth == oldW && m_nVisibleHeight == oldH)
        return false;
    m_pScroller->SetPos(QPoint(0, 0));
    return true;
}

void HtmlCaptureImageWnd::RecreateBackBuffer() {
    if (m_nVisibleWidth <= 0 || m_nVisibleHeight <= 0)
        m_backBuffer = QImage();
    else
        m_backBuffer =
            QImage(m_nVisibleWidth * m_nScale, m_nVisibleHeight * m_nScale, QImage::Format_RGB32);
    // Drawn at view size: pixel for pixel on a screen of the image's ratio, scaled on another.
    m_backBuffer.setDevicePixelRatio(m_nScale);
}

void HtmlCaptureImageWnd::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (UpdateScrollBars())
        RecreateBackBuffer();
    update();
}

QPoint HtmlCaptureImageWnd::ToClient(QPointF widgetPos) const {
    return m_pScroller->ToClient(widgetPos);
}

void HtmlCaptureImageWnd::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (!hasFocus())
            setFocus(Qt::MouseFocusReason);
        const QPoint p = ToClient(event->position());
        const QPoint s = ScrollPos();
        const auto mode = m_selection.HitTest(p, s.x(), s.y());
        if (mode != CaptureSelection::DragNone) {
            m_dragMode = mode;
            m_lastMouse = p;
        }
    }
    QWidget::mousePressEvent(event);
}

void HtmlCaptureImageWnd::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = ToClient(event->position());
    if (m_dragMode <= CaptureSelection::DragNone) {
        const QPoint s = ScrollPos();
        setCursor(CaptureSelection::CursorFor(m_selection.HitTest(p, s.x(), s.y())));
    } else {
        m_selection.Drag(m_dragMode, p.x() - m_lastMouse.x(), p.y() - m_lastMouse.y(), ImageWidth(),
                         ImageHeight());
        m_lastMouse = p;
        m_pAutoScroll->Track(p, QRect(0, 0, m_nVisibleWidth, m_nVisibleHeight),
                             DragAutoScroll::AxesFor(m_dragMode));
        update();
    }
    QWidget::mouseMoveEvent(event);
}

void HtmlCaptureImageWnd::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_dragMode > CaptureSelection::DragNone) {
        m_dragMode = CaptureSelection::DragNone;
        m_pAutoScroll->Stop();
    }
    QWidget::mouseReleaseEvent(event);
}

void HtmlCaptureImageWnd::keyPressEvent(QKeyEvent* event) {
    const QPoint max(HScrollBar()->maximum(), VScrollBar()->maximum());
    const auto action = CaptureViewKeys::ForKey(event->keyCombination(), ScrollPos(), max,
                                                QSize(m_nVisibleWidth, m_nVisibleHeight));
    switch (action.kind) {
    case CaptureViewKeys::Scroll:
        m_pScroller->SetPos(action.scroll);
        break;
    case CaptureViewKeys::SelectAll:
        m_selection = CaptureViewKeys::WholeImage(ImageWidth(), ImageHeight());
        update();
        break;
    case CaptureViewKeys::Cancel:
        Q_EMIT CancelRequested();
        break;
    case CaptureViewKeys::None:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void HtmlCaptureImageWnd::paintEvent(QPaintEvent* event) {
    QPainter dc(this);
    if (!dc.isActive())
        return;
    dc.setClipRegion(event->region());
    PaintFrame(dc);
    if (m_backBuffer.isNull())
        return;
    ComposeBackBuffer();
    dc.drawImage(ClientOrigin(), m_backBuffer);
}

void HtmlCaptureImageWnd::PaintFrame(QPainter& dc) const {
    m_pScroller->PaintEdge(dc);

    // What the bars and the image leave of the client area would otherwise show stale pixels.
    const QRect client(ClientOrigin(),
                       QSize(width() - m_nFrameExtraWidth, height() - m_nFrameExtraHeight));
    QRegion rest(client);
    rest -= QRect(ClientOrigin(), QSize(m_nVisibleWidth, m_nVisibleHeight));
    for (const QScrollBar* bar : {HScrollBar(), VScrollBar()}) {
        if (bar->isVisibleTo(this))
            rest -= bar->geometry();
    }
    for (const QRect& r : rest)
        dc.fillRect(r, QColor::fromRgb(kBackFill));
}

void HtmlCaptureImageWnd::ComposeBackBuffer() {
    const QPoint s = ScrollPos();
    const int sx = s.x(), sy = s.y();
    m_backBuffer.fill(kBackFill);
    const int n = m_nScale;
    const int copyW = std::min(m_nVisibleWidth, ImageWidth() - sx) * n;
    const int copyH = std::min(m_nVisibleHeight, ImageHeight() - sy) * n;
    for (int y = 0; y < copyH && copyW > 0; ++y)
        std::memcpy(m_backBuffer.scanLine(y),
                    m_image.constScanLine(sy * n + y) + size_t(sx) * n * 4, size_t(copyW) * 4);

    InvertOutsideSelection(sx, sy);
    QPainter dc(&m_backBuffer);
    DrawEdgeBars(dc, sx, sy);
    DrawCornerSquares(dc, sx, sy);
    DrawHint(dc, sx, sy);
}

void HtmlCaptureImageWnd::InvertOutsideSelection(int sx, int sy) {
    const int w = ImageWidth(), h = ImageHeight();
    const int l = m_selection.left, t = m_selection.top;
    const int r = m_selection.right, b = m_selection.bottom;
    const QRect visible(sx, sy, m_nVisibleWidth, m_nVisibleHeight);
    const QRect bands[] = {FromEdges(0, 0, w, t), FromEdges(0, t, l, b), FromEdges(r, t, w, b),
                           FromEdges(0, b, w, h)};
    for (const QRect& band : bands) {
        const QRect part = band.intersected(visible);
        if (!part.isEmpty())
            InvertRect(m_backBuffer, part.translated(-sx, -sy), m_nScale);
    }
}

void HtmlCaptureImageWnd::DrawEdgeBars(QPainter& dc, int sx, int sy) const {
    const int l = m_selection.left - sx, t = m_selection.top - sy;
    const int r = m_selection.right - sx, b = m_selection.bottom - sy;
    const int k = CaptureSelection::handleSize;
    QX_GradientFillV(&dc, l, t - k, r, t, kBarEdge, kWhite);
    QX_GradientFillV(&dc, l, b, r, b + k, kBarEdge, kWhite);
    QX_GradientFillH(&dc, l - k, t, l, b, kBarEdge, kWhite);
    QX_GradientFillH(&dc, r, t, r + k, b, kBarEdge, kWhite);
}

void HtmlCaptureImageWnd::DrawCornerSquares(QPainter& dc, int sx, int sy) const {
    // A 2-pixel green frame around a pale yellow square, kept inside the 7 x 7 handle cell.
    for (auto mode : {CaptureSelection::DragTopLeft, CaptureSelection::DragTopRight,
                      CaptureSelection::DragBottomRight, CaptureSelection::DragBottomLeft}) {
        const QRect r = m_selection.HandleRect(mode, sx, sy);
        dc.fillRect(r, QColor(0, 255, 0));
        dc.fillRect(r.adjusted(2, 2, -2, -2), QColor(255, 255, 128));
    }
}

void HtmlCaptureImageWnd::DrawHint(QPainter& dc, int sx, int sy) const {
    const int l = m_selection.left - sx, t = m_selection.top - sy;
    QX_GradientFillV(&dc, l + 20, t - CaptureSelection::hintHeight, l + 215, t - 8, kHintEdge,
                     kWhite);
    dc.save();
    dc.setFont(font());
    dc.setPen(QColor(255, 0, 0));
    dc.setBackgroundMode(Qt::TransparentMode);
    dc.drawText(l + 30, t - 24 + dc.fontMetrics().ascent(),
                QStringLiteral("다음 단계 : F4 키 / 취소 : F5"));
    dc.restore();
}

bool HtmlCaptureImageWnd::CutPages(PageSet& set) const {
    if (!m_bHasImage) {
        set.FreePages();
        return false;
    }
    if (!PageCutter::Cut(m_image, Selection(), set, m_nScale))
        return false;
    // The pages carry what was recorded on the image, for the files that hold text.
    set.SetDocument(std::make_shared<const DocumentLayer>(m_layer));
    return true;
}
