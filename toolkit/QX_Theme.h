#pragma once

#include "imaging/QX_DIB.h"

#include <QColor>
#include <QFont>
#include <QString>

class QIODevice;
class QPainter;
class QWidget;

// Shared theme state of the skinned-window toolkit: the user colour table, the 16 skin bitmaps
// and the two caption fonts, plus the drawing helpers every control uses.

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

// The 13 slots in table order; QX_COLOR_UNSET where the colour file set nothing.
extern COLORREF QX_UserColor[QX_COLOR_SLOTS];
// The colour file key of each slot, in table order ("static[fore]", ...).
extern const char* const QX_UserColorKey[QX_COLOR_SLOTS];

// The slot's value, or the consumer's built-in default when the slot is unset.
COLORREF QX_ThemeColor(QX_ColorSlot slot, COLORREF builtInDefault);

// Caption buttons: 0 minimize_up ... 7 restore_down, key RGB(255,0,0).
extern QX_DIB* QX_FrameBitmap[8];
// Check and radio images: index (radio ? 4 : 0) + (pressed ? 2 : 0) + (checked ? 1 : 0).
extern QX_DIB* QX_CheckBitmap[8];
// Caption fonts; null before QX_InitSkin and after QX_FreeSkin.
extern QFont* QX_FontHangul;
extern QFont* QX_FontLatin;

void QX_InitSkin();
void QX_FreeSkin();
// Reads the colour file into QX_UserColor; false when it cannot be opened.
bool QX_LoadUserColor(const QString& path);
// What QX_LoadUserColor does once the file is open: reads the device from its position.
void QX_ReadUserColor(QIODevice& file);

// The toolkit's standard font ("굴림체", cell height 12): what controls create when given none.
QFont QX_StandardFont();
// The caption font for a title: Hangul when its first character is not ASCII, else Latin.
QFont QX_CaptionFont(const QString& title);

// Mirror gradients: edge colour at both ends, centre colour at mid (right/bottom exclusive).
void QX_GradientFillV(QPainter* dc, int left, int top, int right, int bottom, COLORREF edge,
                      COLORREF centre);
void QX_GradientFillH(QPainter* dc, int left, int top, int right, int bottom, COLORREF edge,
                      COLORREF centre);

// Invalidates the control's area in its parent and then the whole control.
void QX_InvalidateWithParent(QWidget* control);

QColor QX_ToQColor(COLORREF c);
COLORREF QX_FromQColor(const QColor& c);
