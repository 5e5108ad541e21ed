#pragma once

#include "imaging/QX_DIB.h"

#include <QColor>
#include <QFont>
#include <QString>

class QPainter;
class QWidget;

// The theme's vocabulary (colour slots and their file keys) and the drawing helpers every control
// uses. The state itself (colours, bitmaps, fonts) is a QX_Skin.

constexpr COLORREF QX_COLOR_UNSET = 0x000702FF; // RGB(255,2,7)

enum QX_ColorSlot {
    QX_STATIC_FORE,
    QX_STATIC_FILL,
    QX_DIALOG_BODY_PEN,
    QX_DIALOG_BODY_BRUSH,
    QX_DIALOG_ACTIVE_TEXT,
    QX_DIALOG_INACTIVE_TEXT,
    QX_WINDOW_BODY_PEN,
    QX_WINDOW_BODY_BRUSH,
    QX_WINDOW_ACTIVE_TEXT,
    QX_WINDOW_INACTIVE_TEXT,
    QX_BUTTON_FORE,
    QX_BUTTON_FILL,
    QX_BUTTON_BORDER,
    QX_COLOR_SLOTS
};

// The colour file key of each slot, in table order ("static[fore]", ...).
extern const char* const QX_UserColorKey[QX_COLOR_SLOTS];

// The toolkit's standard font ("굴림체", cell height 12): what controls create when given none.
QFont QX_StandardFont();
// The Latin caption font ("Arial", cell height 15).
QFont QX_LatinCaptionFont();

// Mirror gradients: edge colour at both ends, centre colour at mid (right/bottom exclusive).
void QX_GradientFillV(QPainter* dc, int left, int top, int right, int bottom, COLORREF edge,
                      COLORREF centre);
void QX_GradientFillH(QPainter* dc, int left, int top, int right, int bottom, COLORREF edge,
                      COLORREF centre);

// Invalidates the control's area in its parent and then the whole control.
void QX_InvalidateWithParent(QWidget* control);

QColor QX_ToQColor(COLORREF c);
COLORREF QX_FromQColor(const QColor& c);
