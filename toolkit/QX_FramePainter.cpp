#include "toolkit/QX_FramePainter.h"

#include "toolkit/QX_Skin.h"

#include <QFontMetrics>
#include <QPainter>

namespace QX_FramePainter {

namespace {

QRect ButtonAt(int left) {
    return QRect(left, kButtonTop, kButtonSize, kButtonSize);
}

const QX_Skin& SkinOf(const QX_FrameLook& look) {
    return look.skin ? *look.skin : QX_Skin::Default();
}

void DrawImage(QPainter* dc, const QX_FrameLook& look, int index, const QRect& r) {
    const QX_DIB* dib = SkinOf(look).FrameBitmap(index);
    if (dib && dib->m_bLoaded)
        dib->Draw(dc, r.left(), r.top());
}

int MaximizeImage(const QX_CaptionButtons& b) {
    const int up = b.maximized ? RestoreUp : MaximizeUp;
    if (b.pressed == MaximizeDown || b.pressed == RestoreDown)
        return up + 1;
    return up;
}

} // namespace

QRect CloseRect(int width, const QX_CaptionButtons& b) {
    return b.close ? ButtonAt(width - 27) : QRect();
}

QRect MaximizeRect(int width, const QX_CaptionButtons& b) {
    return b.maximize ? ButtonAt(width - 18 * int(b.close) - 27) : QRect();
}

QRect MinimizeRect(int width, const QX_CaptionButtons& b) {
    const int x0 = width - 18 * (int(b.close) + int(b.maximize));
    return b.minimize ? ButtonAt(x0 - 27) : QRect();
}

QRect GripRect(int width, int height) {
    return QRect(width - kGripSize, height - kGripSize, kGripSize, kGripSize);
}

bool InCaptionStrip(const QPoint& p, int width) {
    return p.y() >= 0 && p.y() < kCaptionHeight && p.x() >= 0 && p.x() < width;
}

void Draw3dRect(QPainter* dc, const QRect& r, COLORREF topLeft, COLORREF bottomRight) {
    const int x = r.left();
    const int y = r.top();
    const int cx = r.width();
    const int cy = r.height();
    if (cx <= 0 || cy <= 0)
        return;
    const QColor light = QX_ToQColor(topLeft);
    const QColor dark = QX_ToQColor(bottomRight);
    dc->fillRect(x, y, cx - 1, 1, light);
    dc->fillRect(x, y, 1, cy - 1, light);
    dc->fillRect(x + cx - 1, y, 1, cy, dark);
    dc->fillRect(x, y + cy - 1, cx, 1, dark);
}

void DrawFrame(QPainter* dc, const QX_FrameLook& look, int left, int top, int right, int bottom) {
    if (right - left < 2 || bottom - top < 2)
        return;
    dc->save();
    // The outline is the pen's one-pixel border; the brush fills what lies inside it.
    dc->fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)),
                 QX_ToQColor(look.bodyPen));
    dc->fillRect(QRect(QPoint(left + 1, top + 1), QPoint(right - 2, bottom - 2)),
                 QX_ToQColor(look.bodyBrush));
    QX_GradientFillV(dc, left + 1, 1, right - 1, kCaptionHeight, look.captionLight, look.bodyPen);
    Draw3dRect(dc, QRect(QPoint(left + 1, 1), QPoint(right - 2, kCaptionHeight - 1)), 0xFFFFFF,
               0x808080);
    Draw3dRect(dc, QRect(QPoint(left + 1, kCaptionHeight), QPoint(right - 2, bottom - 2)), 0xFFFFFF,
               0x808080);
    dc->restore();
}

void DrawCaptionBand(QPainter* dc, const QX_FrameLook& look, int width, bool active,
                     const QX_CaptionButtons& b) {
    QX_GradientFillV(dc, 1, 1, width - 1, kCaptionHeight, active ? look.captionLight : look.bodyPen,
                     look.bodyPen);
    Draw3dRect(dc, QRect(QPoint(1, 1), QPoint(width - 2, kCaptionHeight - 1)), 0xFFFFFF, 0x808080);
    if (b.close)
        DrawImage(dc, look, b.pressed == CloseDown ? CloseDown : CloseUp, CloseRect(width, b));
    if (b.maximize)
        DrawImage(dc, look, MaximizeImage(b), MaximizeRect(width, b));
    if (b.minimize)
        DrawImage(dc, look, b.pressed == MinimizeDown ? MinimizeDown : MinimizeUp,
                  MinimizeRect(width, b));
}

int TitleTop(const QString& title) {
    return (!title.isEmpty() && title.at(0).unicode() >= 0x80) ? 11 : 9;
}

int TitleClipRight(int width, const QX_CaptionButtons& b) {
    int right = width - 4;
    for (const QRect& r : {CloseRect(width, b), MaximizeRect(width, b), MinimizeRect(width, b)})
        if (!r.isNull())
            right = qMin(right, r.left() - 2);
    return right;
}

void DrawTitle(QPainter* dc, const QX_FrameLook& look, const QString& title, int x, bool active,
               int clipRight) {
    if (title.isEmpty() || clipRight <= x)
        return;
    dc->save();
    dc->setClipRect(QRect(x, 0, clipRight - x, kCaptionHeight), Qt::IntersectClip);
    const QFont font = SkinOf(look).CaptionFont(title);
    dc->setFont(font);
    const int baseline = TitleTop(title) + QFontMetrics(font).ascent();
    if (active) {
        dc->setPen(QX_ToQColor(look.bodyPen));
        dc->drawText(x + 1, baseline + 1, title);
        dc->setPen(QX_ToQColor(look.activeText));
    } else {
        dc->setPen(QX_ToQColor(look.inactiveText));
    }
    dc->drawText(x, baseline, title);
    dc->restore();
}

} // namespace QX_FramePainter
