#include "review/PageImageView.h"

#include "capture/ViewScroller.h"
#include "pages/BandCut.h"
#include "pages/LargeMemory.h"
#include "pages/PageSet.h"
#include "toolkit/QX_Command.h"
#include "toolkit/QX_Dialog.h"
#include "toolkit/QX_Theme.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr int kLineHalf = 1;             // the adjust line is 3 pixels wide
constexpr quint32 kLineXor = 0x00FF0000; // a red pen combined by exclusive or

// The screen-compatible layout of a page buffer with that many bytes per pixel.
QImage::Format FormatFor(int bytesPerPixel) {
    switch (bytesPerPixel) {
    case 2:
        return QImage::Format_RGB16;
    case 3:
        return QImage::Format_BGR888;
    case 4:
        return QImage::Format_RGB32;
    default:
        return QImage::Format_Invalid;
    }
}

// A page image of that size, its memory faulted in at once where it can be: at a scale of 2 or
// more, faults per 4 KiB page while it is first filled cost more than the rest of a first paint.
QImage NewPageImage(int width, int height, QImage::Format format) {
    if (format != QImage::Format_RGB32)
        return QImage(width, height, format);
    QImage page = LargeMemory::Image(width, height);
    if (!page.isNull())
        LargeMemory::Populate(page.bits(), size_t(page.sizeInBytes()));
    return page;
}

} // namespace

PageImageView::PageImageView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    m_pScroller = new ViewScroller(this);
}

PageImageView::~PageImageView() = default;

bool PageImageView::Create(const QRect& rect, QWidget* parent, int id) {
    const QImage::Format format = FormatFor(m_geometry.bytesPerPixel);
    const QSize client = rect.size() - QSize(2 * ViewScroller::border, 2 * ViewScroller::border);
    if (format == QImage::Format_Invalid || client.isEmpty())
        return false;
    // The page and the frame hold scale pixels per document pixel, drawn at document size: pixel
    // for pixel on a screen of that ratio, scaled down on others.
    const int n = m_geometry.scale;
    QImage page = NewPageImage(m_geometry.pageWidth, m_geometry.pageHeight, format);
    QImage back(client * n, QImage::Format_RGB32);
    if (page.isNull() || back.isNull())
        return false;
    page.setDevicePixelRatio(n);
    back.setDevicePixelRatio(n);
    try {
        m_sourceRows.reserve(size_t(m_geometry.DocRows())); // ShowPage then never allocates
    } catch (const std::bad_alloc&) {
        return false;
    }
    page.fill(Qt::white);
    m_page = std::move(page);
    m_backBuffer = std::move(back);
    m_nVisibleWidth = client.width();
    m_nVisibleHeight = client.height();
    setParent(parent);
    setGeometry(rect);
    QX_SetCtrlId(this, id);
    show();
    return true;
}

void PageImageView::CopyIn(const quint8* pixels) {
    if (!pixels || m_page.isNull())
        return;
    const qsizetype rowBytes = m_geometry.rowBytes;
    const size_t n = size_t(std::min<qsizetype>(rowBytes, m_page.bytesPerLine()));
    for (int y = 0; y < m_page.height(); ++y)
        std::memcpy(m_page.scanLine(y), pixels + rowBytes * y, n);
}

void PageImageView::CopyOut(quint8* pixels) const {
    if (!pixels || m_page.isNull())
        return;
    const qsizetype rowBytes = m_geometry.rowBytes;
    const size_t n = size_t(std::min<qsizetype>(rowBytes, m_page.bytesPerLine()));
    for (int y = 0; y < m_page.height(); ++y)
        std::memcpy(pixels + rowBytes * y, m_page.constScanLine(y), n);
}

void PageImageView::ShowPage(PageRecord* record, bool reset) {
    m_pRecord = record;
    CopyIn(record ? record->pixels : nullptr);
    if (record && record->sourceRows.size() <= m_sourceRows.capacity())
        m_sourceRows.assign(record->sourceRows.begin(), record->sourceRows.end());
    else if (record)
        m_sourceRows.clear(); // rows of another page height: not known
    if (reset) {
        m_pScroller->SetPos(QPoint(0, 0));
        const ViewScroller::Layout layout =
            m_pScroller->Apply(m_geometry.DocWidth(), m_geometry.DocRows());
        m_nVisibleWidth = layout.visibleWidth;
        m_nVisibleHeight = layout.visibleHeight;
    } else {
        m_bPreviewShown = false;
    }
    update();
}

void PageImageView::ShowPreview(int top, int bottom, const quint8* pixels) {
    m_nPreviewTop = top;
    m_nPreviewBottom = bottom;
    m_bPreviewShown = true;
    CopyIn(pixels);
    // The preview's rows are not the record's: kept after a cut, the page shows no known row of
    // the image, and its text is left out rather than misplaced.
    std::fill(m_sourceRows.begin(), m_sourceRows.end(), -1);
    update();
}

bool PageImageView::SetAdjustMode(bool on) {
    if (m_bPreviewShown)
        return false;
    m_bAdjustMode = on;
    m_cursor = ToClient(mapFromGlobal(QCursor::pos()));
    update();
    return true;
}

QPoint PageImageView::ScrollPos() const {
    return m_pScroller->Pos();
}

QScrollBar* PageImageView::HScrollBar() const {
    return m_pScroller->HBar();
}

QScrollBar* PageImageView::VScrollBar() const {
    return m_pScroller->VBar();
}

QPoint PageImageView::ToClient(QPointF widgetPos) const {
    return m_pScroller->ToClient(widgetPos);
}

bool PageImageView::event(QEvent* event) {
    if (event->type() == UM_IMAGE_CHANGED) {
        Q_EMIT ImageChanged();
        update();
        return true;
    }
    return QWidget::event(event);
}

void PageImageView::paintEvent(QPaintEvent* event) {
    QPainter dc(this);
    if (!dc.isActive())
        return;
    dc.setClipRegion(event->region());
    m_pScroller->PaintEdge(dc);
    if (m_backBuffer.isNull())
        return;
    ComposeBackBuffer();
    if (m_backBuffer.devicePixelRatio() > dc.device()->devicePixelRatio())
        dc.setRenderHint(QPainter::SmoothPixmapTransform);
    dc.drawImage(ClientOrigin(), m_backBuffer);
}

void PageImageView::ComposeBackBuffer() {
    m_backBuffer.fill(backColor);
    const QPoint s = ScrollPos();
    const int n = m_geometry.scale;
    const int clientHeight = m_backBuffer.height() / n;
    {
        QPainter dc(&m_backBuffer);
        dc.drawImage(QPoint(0, 0), m_page,
                     QRect(s * n, QSize(m_nVisibleWidth, m_nVisibleHeight) * n));
        if (m_bDragging) {
            dc.drawImage(QPoint(0, m_nDragY), m_strip);
            const int below = m_nDragY + m_nStripHeight;
            if (below < clientHeight)
                dc.fillRect(QRect(0, below, m_nVisibleWidth, clientHeight - below), Qt::white);
        }
    }
    if (m_bAdjustMode && !m_bDragging)
        XorAdjustLine(m_cursor.y());
}

void PageImageView::XorAdjustLine(int y) {
    // In the frame's pixels: scale of them per client row.
    const int n = m_geometry.scale;
    const int first = std::max(0, (y - kLineHalf) * n);
    const int last = std::min(m_backBuffer.height() - 1, (y + kLineHalf + 1) * n - 1);
    for (int row = first; row <= last; ++row) {
        auto* px = reinterpret_cast<quint32*>(m_backBuffer.scanLine(row));
        for (int x = 0; x < m_backBuffer.width(); ++x)
            px[x] ^= kLineXor;
    }
}

QRect PageImageView::LineRect(int y) const {
    return QRect(0, y - kLineHalf, width(), 2 * kLineHalf + 1).translated(0, ClientOrigin().y());
}

void PageImageView::mousePressEvent(QMouseEvent* event) {
    // Focus follows the pointer so that the wheel scrolls the page at once.
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton && m_bAdjustMode && !m_bDragging)
        BeginDrag(ToClient(event->position()).y());
    QWidget::mousePressEvent(event);
}

void PageImageView::BeginDrag(int y) {
    // Below the page (or on the edge) there is nothing to drag: no strip of no height.
    if (y < 0 || y >= m_nVisibleHeight || m_nVisibleWidth <= 0)
        return;
    const QPoint s = ScrollPos();
    const int n = m_geometry.scale;
    QImage strip = m_page.copy(
        QRect(s.x() * n, (s.y() + y) * n, m_nVisibleWidth * n, (m_nVisibleHeight - y) * n));
    if (strip.isNull())
        return;
    strip.setDevicePixelRatio(n);
    m_strip = std::move(strip);
    m_nStripHeight = m_nVisibleHeight - y;
    m_nDragStartY = y;
    m_nDragY = y;
    m_bDragging = true;
    update();
}

void PageImageView::mouseMoveEvent(QMouseEvent* event) {
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    if (m_bAdjustMode) {
        const QPoint p = ToClient(event->position());
        if (m_bDragging) {
            // The strip only moves up.
            m_nDragY = std::min(p.y(), m_nDragStartY);
            update();
        } else if (p.y() != m_cursor.y()) {
            update(LineRect(m_cursor.y()));
            m_cursor = p;
            update(LineRect(m_cursor.y()));
        }
    }
    QWidget::mouseMoveEvent(event);
}

void PageImageView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_bDragging) {
        const int y = ToClient(event->position()).y();
        m_bDragging = false;
        m_strip = QImage();
        if (y < m_nDragStartY && CutBand(y))
            QCoreApplication::postEvent(this, new QEvent(UM_IMAGE_CHANGED));
        m_cursor.setY(y);
        update();
    }
    QWidget::mouseReleaseEvent(event);
}

bool PageImageView::CutBand(int y) {
    // In document rows of the page, scale pixel rows each: the band between the release and the
    // press goes.
    const int sy = ScrollPos().y();
    const int n = m_geometry.scale;
    const int rows = m_page.height() / n;
    if (!BandCut::Cut(m_page.bits(), m_page.bytesPerLine() * n, rows, y + sy, m_nDragStartY + sy))
        return false;
    if (m_sourceRows.size() == size_t(rows))
        BandCut::Cut(m_sourceRows, y + sy, m_nDragStartY + sy);
    return true;
}

void PageImageView::KeepChange() {
    if (!m_pRecord)
        return;
    CopyOut(m_pRecord->pixels);
    if (m_pRecord->sourceRows.size() == m_sourceRows.size())
        std::copy(m_sourceRows.begin(), m_sourceRows.end(), m_pRecord->sourceRows.begin());
}

QPoint PageImageView::ClientOrigin() const {
    return m_pScroller->ClientOrigin();
}
