#include "capture/CaptureViewKeys.h"

#include "capture/ViewScroller.h"

#include <algorithm>

namespace {

CaptureViewKeys::Action ScrollTo(QPoint to, QPoint max) {
    return {CaptureViewKeys::Scroll, QPoint(std::clamp(to.x(), 0, std::max(0, max.x())),
                                            std::clamp(to.y(), 0, std::max(0, max.y())))};
}

} // namespace

int CaptureViewKeys::PageStep(int visible) {
    // One wheel step of the last view stays in sight; a very low view still moves by half.
    return std::max({1, visible / 2, visible - ViewScroller::wheelStep});
}

CaptureViewKeys::Action CaptureViewKeys::ForKey(QKeyCombination key, QPoint pos, QPoint max,
                                                QSize visible) {
    const Qt::KeyboardModifiers mods = key.keyboardModifiers() & ~Qt::KeypadModifier;
    const int step = ViewScroller::wheelStep;
    const int page = PageStep(visible.height());
    if (mods == Qt::NoModifier) {
        switch (key.key()) {
        case Qt::Key_Up:
            return ScrollTo(pos - QPoint(0, step), max);
        case Qt::Key_Down:
            return ScrollTo(pos + QPoint(0, step), max);
        case Qt::Key_Left:
            return ScrollTo(pos - QPoint(step, 0), max);
        case Qt::Key_Right:
            return ScrollTo(pos + QPoint(step, 0), max);
        case Qt::Key_PageUp:
            return ScrollTo(pos - QPoint(0, page), max);
        case Qt::Key_PageDown:
            return ScrollTo(pos + QPoint(0, page), max);
        case Qt::Key_Home:
            return ScrollTo(QPoint(pos.x(), 0), max);
        case Qt::Key_End:
            return ScrollTo(QPoint(pos.x(), max.y()), max);
        case Qt::Key_Escape:
            return {Cancel, QPoint()};
        default:
            return {};
        }
    }
    if (mods == Qt::ShiftModifier && key.key() == Qt::Key_Home)
        return ScrollTo(QPoint(0, pos.y()), max);
    if (mods == Qt::ShiftModifier && key.key() == Qt::Key_End)
        return ScrollTo(QPoint(max.x(), pos.y()), max);
    if (mods == Qt::ControlModifier && key.key() == Qt::Key_A)
        return {SelectAll, QPoint()};
    return {};
}

CaptureSelection CaptureViewKeys::WholeImage(int imageWidth, int imageHeight) {
    const int gap = CaptureSelection::edgeGap;
    CaptureSelection s;
    s.left = std::min(gap, imageWidth / 2);
    s.top = std::min(gap, imageHeight / 2);
    s.right = std::max(s.left, imageWidth - gap);
    s.bottom = std::max(s.top, imageHeight - gap);
    return s;
}
