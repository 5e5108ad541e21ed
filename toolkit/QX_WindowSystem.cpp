#include "toolkit/QX_WindowSystem.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

namespace QX_WindowSystem {

bool WindowsPlaceThemselves() {
    // No public capability says so; the Wayland plugins ("wayland", "wayland-egl", ...) are
    // the platforms where a client cannot position its windows.
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void AttachToOwner(QWidget* window) {
    QWidget* owner =
        window->parentWidget() ? window->parentWidget()->window() : QApplication::activeWindow();
    QWindow* handle = window->windowHandle();
    if (!owner || owner == window || !handle || handle->transientParent())
        return;
    if (QWindow* ownerHandle = owner->windowHandle())
        handle->setTransientParent(ownerHandle);
}

} // namespace QX_WindowSystem
