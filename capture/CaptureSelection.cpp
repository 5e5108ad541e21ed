#include "capture/CaptureSelection.h"

#include <algorithm>

CaptureSelection CaptureSelection::Inset(int imageWidth, int imageHeight, int viewHeight) {
    int rows = imageHeight / 20;
    if (imageHeight > viewHeight) {
        rows = std::max(std::min(rows, viewHeight / 20), int(hintHeight));
        rows = std::min(rows, std::max(0, (imageHeight - minSize) / 2)); // a page of a few rows
    }
    CaptureSelection s;
    s.left = imageWidth / 20;
    s.top = rows;
    s.right = imageWidth - imageWidth / 20;
    s.bottom = imageHeight - rows;
    return s;
}

CaptureSelection CaptureSelection::FromRect(const QRect& r) {
    CaptureSelection s;
    s.left = r.x();
    s.top = r.y();
    s.right = r.x() + r.width();
    s.bottom = r.y() + r.height();
    return s;
}

QRect CaptureSelection::HandleRect(DragMode mode, int sx, int sy) const {
    const int l = left - sx, t = top - sy, r = right - sx, b = bottom - sy;
    const int h = handleSize;
    auto edges = [](int x0, int y0, int x1, int y1) { return QRect(x0, y0, x1 - x0, y1 - y0); };
    switch (mode) {
    case DragTop:
        return edges(l, t - h, r, t);
    case DragLeft:
        return edges(l - h, t, l, b);
    case DragRight:
        return edges(r, t, r + h, b);
    case DragBottom:
        return edges(l, b, r, b + h);
    case DragTopLeft:
        return edges(l - h, t - h, l, t);
    case DragTopRight:
        return edges(r, t - h, r + h, t);
    case DragBottomRight:
        return edges(r, b, r + h, b + h);
    case DragBottomLeft:
        return edges(l - h, b, l, b + h);
    case DragNone:
        break;
    }
    return QRect();
}

CaptureSelection::DragMode CaptureSelection::HitTest(QPoint p, int sx, int sy) const {
    for (int m = DragTop; m <= DragBottomLeft; ++m) {
        const auto mode = DragMode(m);
        if (HandleRect(mode, sx, sy).contains(p))
            return mode;
    }
    return DragNone;
}

Qt::CursorShape CaptureSelection::CursorFor(DragMode mode) {
    switch (mode) {
    case DragTop:
    case DragBottom:
        return Qt::SizeVerCursor;
    case DragLeft:
    case DragRight:
        return Qt::SizeHorCursor;
    case DragTopLeft:
    case DragBottomRight:
        return Qt::SizeFDiagCursor;
    case DragTopRight:
    case DragBottomLeft:
        return Qt::SizeBDiagCursor;
    case DragNone:
        break;
    }
    return Qt::ArrowCursor;
}

void CaptureSelection::Drag(DragMode mode, int dx, int dy, int imageWidth, int imageHeight) {
    auto in = [mode](std::initializer_list<DragMode> modes) {
        return std::find(modes.begin(), modes.end(), mode) != modes.end();
    };
    // Each edge is limited against the value its neighbour already has after this step, in
    // the order top, left, right, bottom.
    if (in({DragTop, DragTopLeft, DragTopRight})) {
        top += dy;
        if (top < edgeGap)
            top = edgeGap;
        else if (top > bottom - minSize)
            top = bottom - minSize;
    }
    if (in({DragLeft, DragTopLeft, DragBottomLeft})) {
        left += dx;
        if (left < edgeGap)
            left = edgeGap;
        else if (left > right - minSize)
            left = right - minSize;
    }
    if (in({DragRight, DragTopRight, DragBottomRight})) {
        right += dx;
        if (right < left + minSize)
            right = left + minSize;
        else if (right > imageWidth - edgeGap)
            right = imageWidth - edgeGap;
    }
    if (in({DragBottom, DragBottomRight, DragBottomLeft})) {
        bottom += dy;
        if (bottom < top + minSize)
            bottom = top + minSize;
        else if (bottom > imageHeight - edgeGap)
            bottom = imageHeight - edgeGap;
    }
}
