#pragma once

class QWidget;

// What the window system lets a window do for itself. Under X a window moves, resizes and
// centres itself and the frame follows the pointer with move(); a Wayland compositor places
// every window alone and ignores such requests, so there the frame asks the compositor to
// move or resize the window, and a dialog's owner tells the compositor where it belongs.
namespace QX_WindowSystem {

// Whether a window's own move() places it on the screen (false under Wayland).
bool WindowsPlaceThemselves();
// Gives window's native window its owner as transient parent when it has none yet: the
// parent's window, else the active window. For a dialog about to be shown.
void AttachToOwner(QWidget* window);

} // namespace QX_WindowSystem
