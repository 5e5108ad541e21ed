#include "toolkit/QX_FrameBehaviour.h"

#include "toolkit/QX_Skin.h"
#include "toolkit/QX_TrackFrame.h"
#include "toolkit/QX_WindowSystem.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <QWindow>

namespace FP = QX_FramePainter;

QX_FrameBehaviour::QX_FrameBehaviour(QWidget* window, QX_ColorSlot firstSlot)
    : m_pWindow(window), m_nFirstSlot(firstSlot), m_caption(window) {
    // The window is not attached to a parent yet in a derived constructor's body, but its
    // parent is known: the colours come from the parent chain's skin.
    ApplyThemeColors();
}

QX_FrameBehaviour::~QX_FrameBehaviour() = default;

void QX_FrameBehaviour::ApplyThemeColors() {
    const QX_Skin& skin = QX_Skin::Of(m_pWindow);
    const auto slot = [this](int offset) { return QX_ColorSlot(m_nFirstSlot + offset); };
    m_crBodyPen = skin.Color(slot(0), 0xF398A6);
    m_crBodyBrush = skin.Color(slot(1), 0xFFECE8);
    m_crActiveText = skin.Color(slot(2), 0xFFFFFF);
    m_crInactiveText = skin.Color(slot(3), 0xC0C0C0);
}

void QX_FrameBehaviour::SetSkin(const QX_Skin* skin) {
    QX_Skin::Attach(m_pWindow, skin);
    ApplyThemeColors();
    m_pWindow->update();
}

QX_FrameLook QX_FrameBehaviour::Look() const {
    return {m_crActiveText, m_crInactiveText, m_crBodyPen,
            m_crBodyBrush,  m_crCaptionLight, &QX_Skin::Of(m_pWindow)};
}

void QX_FrameBehaviour::SetCaptionActive(bool active) {
    m_caption.SetActive(active);
}

QRect QX_FrameBehaviour::CloseButtonRect() const {
    return FP::CloseRect(m_pWindow->width(), FrameSetup().buttons);
}

QRect QX_FrameBehaviour::MinimizeButtonRect() const {
    return FP::MinimizeRect(m_pWindow->width(), FrameSetup().buttons);
}

QRect QX_FrameBehaviour::FrameGripRect() const {
    return FP::GripRect(m_pWindow->width(), m_pWindow->height());
}

void QX_FrameBehaviour::OnDraw(QPainter*) {}

void QX_FrameBehaviour::DrawFrame(QPainter* dc, int left, int top, int right, int bottom) {
    FP::DrawFrame(dc, FrameSetup().look, left, top, right, bottom);
}

void QX_FrameBehaviour::DrawCaption(QPainter* dc) {
    const QX_FrameSetup s = FrameSetup();
    m_caption.Paint(dc, s.look, s.buttons, s.title, s.titleX, s.logo, s.logoPos);
}

void QX_FrameBehaviour::OnPaintFrame() {
    QPainter p(m_pWindow);
    if (!p.isActive())
        return;
    DrawFrame(&p, 0, 0, m_pWindow->width(), m_pWindow->height());
    DrawCaption(&p);
    p.save();
    OnDraw(&p);
    p.restore();
}

void QX_FrameBehaviour::OnChangeFrame(QEvent* event) {
    if (event->type() == QEvent::ActivationChange)
        SetCaptionActive(m_pWindow->isActiveWindow());
    else if (event->type() == QEvent::WindowStateChange &&
             (m_pWindow->windowState() & Qt::WindowMaximized))
        OnFrameZoomed(true); // maximised by the window system rather than our button
}

bool QX_FrameBehaviour::OnPressFrame(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return false;
    const QX_FrameSetup s = FrameSetup();
    const QPoint p = event->position().toPoint();
    const QPoint global = event->globalPosition().toPoint();
    if (m_caption.PressButton(p, s.buttons)) {
        // A caption button stays held until the release.
    } else if (s.resizable && FrameGripRect().contains(p)) {
        if (!s.buttons.maximized)
            BeginResize(global);
    } else if (s.dragAnywhere || FP::InCaptionStrip(p, m_pWindow->width())) {
        const bool zoomed = s.buttons.maximized || (m_pWindow->windowState() & Qt::WindowMaximized);
        OnFrameZoomed(zoomed);
        if (!zoomed)
            m_caption.BeginMove(global);
    }
    if (m_caption.Mode() != ModeNone)
        m_caption.UpdateCaption();
    event->accept();
    return true;
}

void QX_FrameBehaviour::BeginResize(const QPoint& globalPos) {
    // Where the window cannot place itself the window system resizes it from the grip's corner;
    // an outline drawn at a screen position would land anywhere.
    if (!QX_WindowSystem::WindowsPlaceThemselves()) {
        if (QWindow* window = m_pWindow->windowHandle())
            window->startSystemResize(Qt::RightEdge | Qt::BottomEdge);
        return;
    }
    m_caption.SetMode(ModeResize);
    m_ptStart = globalPos;
    m_szOffset = QSize(0, 0);
    if (!m_pTrack)
        m_pTrack = std::make_unique<QX_TrackFrame>();
    m_pTrack->Track(TrackingRect());
}

QRect QX_FrameBehaviour::TrackingRect() const {
    const QRect g = m_pWindow->frameGeometry();
    return QRect(g.topLeft(),
                 QSize(g.width() + m_szOffset.width(), g.height() + m_szOffset.height()));
}

void QX_FrameBehaviour::OnMoveFrame(QMouseEvent* event) {
    const QPoint global = event->globalPosition().toPoint();
    if (m_caption.Mode() == ModeMove) {
        m_caption.Drag(global);
    } else if (m_caption.Mode() == ModeResize) {
        const QPoint d = global - m_ptStart;
        m_szOffset = QSize(d.x(), d.y());
        if (m_pTrack)
            m_pTrack->Track(TrackingRect());
    } else if (m_caption.Mode() == ModeNone) {
        UpdateGripCursor(event->position().toPoint(), FrameSetup());
    }
    event->accept();
}

void QX_FrameBehaviour::UpdateGripCursor(const QPoint& p, const QX_FrameSetup& setup) {
    if (!setup.resizable)
        return; // a window without a grip leaves its cursor alone
    if (!setup.buttons.maximized && FrameGripRect().contains(p))
        m_pWindow->setCursor(Qt::SizeFDiagCursor);
    else
        m_pWindow->setCursor(Qt::ArrowCursor);
}

void QX_FrameBehaviour::EndResize(const QSize& minSize) {
    if (m_pTrack)
        m_pTrack->hide();
    const int w = qMax(minSize.width(), m_pWindow->width() + m_szOffset.width());
    const int h = qMax(minSize.height(), m_pWindow->height() + m_szOffset.height());
    m_szOffset = QSize(0, 0);
    m_pWindow->resize(w, h);
}

bool QX_FrameBehaviour::OnReleaseFrame(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_caption.Mode() == ModeNone)
        return false;
    const QX_FrameSetup s = FrameSetup();
    // Minimize and close are finished by the caption control; maximize and resize here.
    bool completed = false;
    const int mode = m_caption.Release(event->position().toPoint(), s.buttons, &completed);
    if (mode == ModeMaximize && completed)
        OnFrameMaximize();
    else if (mode == ModeResize)
        EndResize(s.minSize);
    event->accept();
    return true;
}

bool QX_FrameBehaviour::OnDoubleClickFrame(QMouseEvent* event) {
    const QX_FrameSetup s = FrameSetup();
    const QPoint p = event->position().toPoint();
    const bool onButton = QX_CaptionControl::ButtonAt(p, m_pWindow->width(), s.buttons) != ModeNone;
    if (event->button() == Qt::LeftButton && s.buttons.maximize && !onButton &&
        (s.dragAnywhere || FP::InCaptionStrip(p, m_pWindow->width()))) {
        OnFrameMaximize();
        event->accept();
        return true;
    }
    // The second click of a double click arrives here instead of as a press; on a caption
    // button it must press the button again rather than toggle the window twice.
    if (s.doubleClickPresses || onButton)
        return OnPressFrame(event);
    event->accept();
    return true;
}
