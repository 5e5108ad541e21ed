#include "toolkit/QX_CaptionControl.h"

#include "toolkit/QX_WindowSystem.h"

#include <QMetaObject>
#include <QWidget>
#include <QWindow>

namespace FP = QX_FramePainter;

QX_CaptionControl::QX_CaptionControl(QWidget* window) : m_pWindow(window) {}

void QX_CaptionControl::SetActive(bool active) {
    if (m_bActive == active)
        return;
    m_bActive = active;
    UpdateCaption();
}

void QX_CaptionControl::UpdateCaption() const {
    m_pWindow->update(0, 0, m_pWindow->width(), FP::kCaptionHeight);
}

int QX_CaptionControl::ButtonAt(const QPoint& p, int width, const QX_CaptionButtons& b) {
    // The rectangles are empty for buttons not shown.
    if (FP::CloseRect(width, b).contains(p))
        return ModeClose;
    if (FP::MaximizeRect(width, b).contains(p))
        return ModeMaximize;
    if (FP::MinimizeRect(width, b).contains(p))
        return ModeMinimize;
    return ModeNone;
}

bool QX_CaptionControl::PressButton(const QPoint& p, const QX_CaptionButtons& b) {
    const int button = ButtonAt(p, m_pWindow->width(), b);
    if (button == ModeNone)
        return false;
    m_nMode = button;
    return true;
}

void QX_CaptionControl::BeginMove(const QPoint& global) {
    // Where the window cannot place itself the window system moves it, following the pointer
    // until the button is released; no move of our own is in progress then.
    if (!QX_WindowSystem::WindowsPlaceThemselves()) {
        if (QWindow* window = m_pWindow->windowHandle())
            window->startSystemMove();
        return;
    }
    m_nMode = ModeMove;
    m_ptOrigin = m_pWindow->pos();
    m_ptStart = global;
}

void QX_CaptionControl::Drag(const QPoint& global) const {
    if (m_nMode == ModeMove)
        m_pWindow->move(m_ptOrigin + (global - m_ptStart));
}

int QX_CaptionControl::Release(const QPoint& p, const QX_CaptionButtons& b, bool* completed) {
    const int mode = m_nMode;
    m_nMode = ModeNone;
    UpdateCaption();
    const int width = m_pWindow->width();
    bool over = false;
    if (mode == ModeMinimize)
        over = FP::MinimizeRect(width, b).contains(p);
    else if (mode == ModeMaximize)
        over = FP::MaximizeRect(width, b).contains(p);
    else if (mode == ModeClose)
        over = FP::CloseRect(width, b).contains(p);
    if (over && mode == ModeMinimize)
        m_pWindow->showMinimized();
    else if (over && mode == ModeClose)
        QMetaObject::invokeMethod(m_pWindow, &QWidget::close, Qt::QueuedConnection);
    if (completed)
        *completed = over;
    return mode;
}

int QX_CaptionControl::PressedImage(bool maximized) const {
    switch (m_nMode) {
    case ModeClose:
        return FP::CloseDown;
    case ModeMaximize:
        return maximized ? FP::RestoreDown : FP::MaximizeDown;
    case ModeMinimize:
        return FP::MinimizeDown;
    default:
        return -1;
    }
}

void QX_CaptionControl::Paint(QPainter* dc, const QX_FrameLook& look, QX_CaptionButtons b,
                              const QString& title, int titleX, const QX_DIB* logo,
                              const QPoint& logoPos) const {
    if (title.isEmpty())
        return;
    const int width = m_pWindow->width();
    b.pressed = PressedImage(b.maximized);
    FP::DrawCaptionBand(dc, look, width, m_bActive, b);
    if (logo)
        logo->DrawRealized(dc, logoPos.x(), logoPos.y());
    FP::DrawTitle(dc, look, title, titleX, m_bActive, FP::TitleClipRight(width, b));
}
