#include "toolkit/QX_Wnd.h"

#include "toolkit/QX_FramePainter.h"
#include "toolkit/QX_Theme.h"
#include "toolkit/QX_TrackFrame.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace FP = QX_FramePainter;

QX_Wnd::QX_Wnd(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinMaxButtonsHint),
      m_strLogoPath(QStringLiteral("image/logo.bmp")),
      m_crActiveText(QX_ThemeColor(QX_WINDOW_ACTIVE_TEXT, 0xFFFFFF)),
      m_crInactiveText(QX_ThemeColor(QX_WINDOW_INACTIVE_TEXT, 0xC0C0C0)),
      m_crBodyPen(QX_ThemeColor(QX_WINDOW_BODY_PEN, 0xF398A6)),
      m_crBodyBrush(QX_ThemeColor(QX_WINDOW_BODY_BRUSH, 0xFFECE8)) {
    // The whole window is painted here, frame included; nothing shows through.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

QX_Wnd::~QX_Wnd() = default;

void QX_Wnd::SetCaptionButtons(bool minimize, bool maximize, bool close) {
    m_bMinimizeBox = minimize;
    m_bMaximizeBox = maximize;
    m_bCloseBox = close;
    m_caption.UpdateCaption();
}

bool QX_Wnd::Create(const QRect& geometry, bool visible) {
    setGeometry(geometry);
    if (OnCreate() == -1)
        return false;
    if (visible)
        show();
    return true;
}

int QX_Wnd::OnCreate() {
    setWindowTitle(m_strTitle);
    m_pLogo.reset();
    if (m_nLogoMode != 0) {
        m_pLogo = std::make_unique<QX_DIB>();
        m_pLogo->LoadFile(m_strLogoPath);
        m_pLogo->m_bTransparent = m_nLogoMode != 1;
        if (m_nLogoMode != 1)
            m_pLogo->m_crKey = m_crLogoKey;
    }
    return 0;
}

void QX_Wnd::OnDraw(QPainter*) {}

QX_FrameLook QX_Wnd::Look() const {
    return {m_crActiveText, m_crInactiveText, m_crBodyPen, m_crBodyBrush, m_crCaptionLight};
}

QX_CaptionButtons QX_Wnd::Buttons() const {
    return {m_bMinimizeBox, m_bMaximizeBox, m_bCloseBox, m_bMaximized, -1};
}

void QX_Wnd::DrawFrame(QPainter* dc, int left, int top, int right, int bottom) {
    FP::DrawFrame(dc, Look(), left, top, right, bottom);
}

void QX_Wnd::DrawCaption(QPainter* dc) {
    const QX_DIB* logo = m_nLogoMode != 0 ? m_pLogo.get() : nullptr;
    m_caption.Paint(dc, Look(), Buttons(), m_strTitle, 11 + m_nLogoMode * m_nLogoWidth, logo,
                    QPoint(m_nLogoX, m_nLogoY));
}

void QX_Wnd::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!p.isActive())
        return;
    DrawFrame(&p, 0, 0, width(), height());
    DrawCaption(&p);
    p.save();
    OnDraw(&p);
    p.restore();
}

void QX_Wnd::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange)
        SetCaptionActive(isActiveWindow());
    else if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMaximized))
        m_bMaximized = true; // maximised by the window system rather than our button
    QWidget::changeEvent(event);
}

void QX_Wnd::SetCaptionActive(bool active) {
    m_caption.SetActive(active);
}

QRect QX_Wnd::CloseButtonRect() const {
    return FP::CloseRect(width(), Buttons());
}

QRect QX_Wnd::MaximizeButtonRect() const {
    return FP::MaximizeRect(width(), Buttons());
}

QRect QX_Wnd::MinimizeButtonRect() const {
    return FP::MinimizeRect(width(), Buttons());
}

QRect QX_Wnd::GripRect() const {
    return FP::GripRect(width(), height());
}

bool QX_Wnd::InCaptionStrip(const QPoint& p) const {
    return FP::InCaptionStrip(p, width());
}

void QX_Wnd::ToggleMaximize() {
    // The flag changes first so that everything that looks at it during the geometry change
    // already sees the new state.
    m_bMaximized = !m_bMaximized;
    if (m_bMaximized) {
        m_rcRestore = geometry();
        QScreen* s = screen();
        const QRect area = s ? s->availableGeometry() : m_rcRestore;
        setGeometry(area);
    } else {
        if (windowState() & Qt::WindowMaximized)
            setWindowState(windowState() & ~Qt::WindowMaximized);
        if (m_rcRestore.isValid())
            setGeometry(m_rcRestore);
    }
    update();
}

void QX_Wnd::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    const QPoint global = event->globalPosition().toPoint();
    if (m_caption.PressButton(p, Buttons())) {
        // A caption button stays held until the release.
    } else if (m_bResizable && GripRect().contains(p)) {
        if (!m_bMaximized)
            BeginResize(global);
    } else if (m_bDragAnywhere || InCaptionStrip(p)) {
        m_bMaximized = m_bMaximized || (windowState() & Qt::WindowMaximized);
        if (!m_bMaximized)
            m_caption.BeginMove(global);
    }
    if (m_caption.Mode() != ModeNone)
        m_caption.UpdateCaption();
    event->accept();
}

void QX_Wnd::BeginResize(const QPoint& globalPos) {
    m_caption.SetMode(ModeResize);
    m_ptStart = globalPos;
    m_szOffset = QSize(0, 0);
    if (!m_pTrack)
        m_pTrack = std::make_unique<QX_TrackFrame>();
    m_pTrack->Track(TrackingRect());
}

QRect QX_Wnd::TrackingRect() const {
    const QRect g = frameGeometry();
    return QRect(g.topLeft(),
                 QSize(g.width() + m_szOffset.width(), g.height() + m_szOffset.height()));
}

void QX_Wnd::mouseMoveEvent(QMouseEvent* event) {
    const QPoint global = event->globalPosition().toPoint();
    if (m_caption.Mode() == ModeMove) {
        m_caption.Drag(global);
    } else if (m_caption.Mode() == ModeResize) {
        const QPoint d = global - m_ptStart;
        m_szOffset = QSize(d.x(), d.y());
        if (m_pTrack)
            m_pTrack->Track(TrackingRect());
    } else if (m_caption.Mode() == ModeNone) {
        UpdateGripCursor(event->position().toPoint());
    }
    event->accept();
}

void QX_Wnd::UpdateGripCursor(const QPoint& p) {
    if (m_bResizable && !m_bMaximized && GripRect().contains(p))
        setCursor(Qt::SizeFDiagCursor);
    else
        setCursor(Qt::ArrowCursor);
}

void QX_Wnd::EndResize() {
    if (m_pTrack)
        m_pTrack->hide();
    const int w = qMax(m_nMinWidth, width() + m_szOffset.width());
    const int h = qMax(m_nMinHeight, height() + m_szOffset.height());
    m_szOffset = QSize(0, 0);
    resize(w, h);
}

void QX_Wnd::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_caption.Mode() == ModeNone) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    // Minimize and close are finished by the caption control; maximize and resize are ours.
    bool completed = false;
    const int mode = m_caption.Release(event->position().toPoint(), Buttons(), &completed);
    if (mode == ModeMaximize && completed)
        ToggleMaximize();
    else if (mode == ModeResize)
        EndResize();
    event->accept();
}

void QX_Wnd::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_bMaximizeBox &&
        (m_bDragAnywhere || InCaptionStrip(event->position().toPoint())) &&
        QX_CaptionControl::ButtonAt(event->position().toPoint(), width(), Buttons()) == ModeNone) {
        ToggleMaximize();
        event->accept();
        return;
    }
    // The second click of a double click arrives here instead of as a press; on a caption
    // button it must press the button again rather than toggle the window twice.
    mousePressEvent(event);
}
