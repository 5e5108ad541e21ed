#pragma once

#include <QPoint>
#include <QRect>
#include <Qt>

// The arithmetic of the capture view without a window: the selection in image coordinates
// (right and bottom exclusive), the eight drag handles and the drag limits.
class CaptureSelection final {
  public:
    enum DragMode : qint8 {
        DragNone = 0,
        DragTop = 1,
        DragLeft = 2,
        DragRight = 3,
        DragBottom = 4,
        DragTopLeft = 5,
        DragTopRight = 6,
        DragBottomRight = 7,
        DragBottomLeft = 8,
    };

    static constexpr int handleSize = 7;  // width of the handle bands outside the selection
    static constexpr int edgeGap = 3;     // closest an edge may be dragged to the image border
    static constexpr int minSize = 10;    // smallest width and height a drag leaves
    static constexpr int hintHeight = 28; // rows the "next step" label takes above the top edge

    int left = 0;
    int top = 0;
    int right = 0;  // exclusive
    int bottom = 0; // exclusive

    // The first selection: 1/20 of the image in from the left and right. A page no taller than
    // the view (viewHeight visible rows) is inset by 1/20 of its height too; a taller one by the
    // smaller of 1/20 of the page and of the view, but at least the label's rows, so that the
    // top edge and its label are on the first screen.
    static CaptureSelection Inset(int imageWidth, int imageHeight, int viewHeight);
    static CaptureSelection FromRect(const QRect& r);
    QRect ToRect() const { return QRect(left, top, right - left, bottom - top); }
    bool IsEmpty() const { return right <= left || bottom <= top; }

    // The handle under client point p with the view scrolled to (sx, sy), DragNone elsewhere.
    DragMode HitTest(QPoint p, int sx, int sy) const;
    // Handle region of mode in client coordinates.
    QRect HandleRect(DragMode mode, int sx, int sy) const;
    static Qt::CursorShape CursorFor(DragMode mode);
    // Moves the dragged edges by (dx, dy) within the drag limits for an image of that size.
    void Drag(DragMode mode, int dx, int dy, int imageWidth, int imageHeight);
};
