#include "app/CaptureInputGuard.h"

#include "capture/BrowserControl.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>

CaptureInputGuard::CaptureInputGuard(BrowserControl* control, std::function<void()> cancel)
    : m_pControl(control), m_cancel(std::move(cancel)) {
    // Installed last, so it sees events before the window's own key filter.
    qApp->installEventFilter(this);
    if (m_pControl)
        m_pControl->SetInputDuringWaits(true);
}

CaptureInputGuard::~CaptureInputGuard() {
    if (m_pControl)
        m_pControl->SetInputDuringWaits(false);
    qApp->removeEventFilter(this);
}

bool CaptureInputGuard::eventFilter(QObject* /*watched*/, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && m_cancel)
            m_cancel();
        return true;
    case QEvent::Close:
        if (m_cancel)
            m_cancel();
        event->ignore();
        return true;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::InputMethod:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
        return true;
    default:
        return false;
    }
}
