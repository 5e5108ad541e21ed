#pragma once

#include "imaging/QX_DIB.h"

#include <QPoint>
#include <QRect>
#include <QString>

class QPainter;
class QX_Skin;

// Colours of a skinned frame, taken from the theme by the window or dialog that owns them, and
// the skin whose caption buttons and fonts it draws with (the default skin when null).
struct QX_FrameLook {
    COLORREF activeText = 0xFFFFFF;
    COLORREF inactiveText = 0xC0C0C0;
    COLORREF bodyPen = 0xF398A6;
    COLORREF bodyBrush = 0xFFECE8;
    COLORREF captionLight = 0xFAD3D9;
    const QX_Skin* skin = nullptr;
};

// Which caption buttons show and which one is held down.
struct QX_CaptionButtons {
    bool minimize = false;
    bool maximize = false;
    bool close = false;
    bool maximized = false; // maximize shows the restore image
    int pressed = -1;       // skin frame bitmap index of the pressed image, or -1
};

// Geometry and painting shared by the skinned window and the skinned dialog, so the two frames
// look and hit-test alike. Rectangles are in client coordinates, right/bottom exclusive.
namespace QX_FramePainter {

constexpr int kCaptionHeight = 31; // rows 0..30 are the caption strip
constexpr int kButtonSize = 18;
constexpr int kButtonTop = 8;
constexpr int kGripSize = 8;

// Caption button images among the skin's frame bitmaps.
enum FrameImage {
    MinimizeUp = 0,
    MinimizeDown,
    MaximizeUp,
    MaximizeDown,
    CloseUp,
    CloseDown,
    RestoreUp,
    RestoreDown
};

// Buttons for a client `width`: close at right - 27, maximize 18 further left per shown close
// button, minimize 18 further left per shown close or maximize button. Empty when not shown.
QRect CloseRect(int width, const QX_CaptionButtons& b);
QRect MaximizeRect(int width, const QX_CaptionButtons& b);
QRect MinimizeRect(int width, const QX_CaptionButtons& b);
QRect GripRect(int width, int height);
bool InCaptionStrip(const QPoint& p, int width);

// Outlined body, caption base gradient and the two sunken-edge rectangles.
void DrawFrame(QPainter* dc, const QX_FrameLook& look, int left, int top, int right, int bottom);
// Caption band for the active or inactive look and the caption buttons; nothing for an empty
// title. The title is drawn separately (DrawTitle) so a logo can go between.
void DrawCaptionBand(QPainter* dc, const QX_FrameLook& look, int width, bool active,
                     const QX_CaptionButtons& b);
// Title at x, with the caption font its first character asks for; shadowed when active. Cut
// off at clipRight so that a long title never runs under the caption buttons.
void DrawTitle(QPainter* dc, const QX_FrameLook& look, const QString& title, int x, bool active,
               int clipRight);
// Where a title must end for a client `width` and the shown buttons.
int TitleClipRight(int width, const QX_CaptionButtons& b);
// Title baseline row top: 11 for Korean titles, 9 otherwise.
int TitleTop(const QString& title);
// Rectangle outline in the platform's 3-D style: light on top and left, dark at right and bottom.
void Draw3dRect(QPainter* dc, const QRect& r, COLORREF topLeft, COLORREF bottomRight);

} // namespace QX_FramePainter
