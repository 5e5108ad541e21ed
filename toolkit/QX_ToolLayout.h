#pragma once

#include <QPoint>
#include <QRect>
#include <QVector>

// A rectangle as the toolbar keeps it: right and bottom exclusive, so that a separator's line
// (left == right) has no area and is never hit.
struct QX_ToolRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool Contains(QPoint p) const {
        return p.x() >= left && p.x() < right && p.y() >= top && p.y() < bottom;
    }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    QRect ToQRect() const { return QRect(left, top, right - left, bottom - top); }
    bool operator==(const QX_ToolRect&) const = default;
};

// What the layout needs to know of one toolbar record.
struct QX_ToolItem {
    bool separator = false;
    int labelWidth = 0;  // measured in the toolbar font
    int bitmapWidth = 0; // 0 when the record has no loaded bitmap
    bool hasBitmap = false;
};

// The toolbar's layout arithmetic, free of any window: buttons are 5 + bitmap + 5 + label + 5
// pixels wide (5 + label + 5 without a bitmap) with 2-pixel gaps from x = 3; a separator takes
// 12 pixels with its line 5 pixels in. Every rectangle runs from y = 3 to clientHeight - 3.
class QX_ToolLayout {
  public:
    static QVector<QX_ToolRect> Place(const QVector<QX_ToolItem>& items, int clientHeight);
    // Where a button's bitmap and label go: bitmap at (left + 5, vertically centred), label at
    // left + bitmap width + 10 (left + 5 without a bitmap), centred on the text height.
    static QPoint BitmapPos(const QX_ToolRect& r, int bitmapHeight);
    static QPoint LabelPos(const QX_ToolRect& r, const QX_ToolItem& item, int textHeight);
};
