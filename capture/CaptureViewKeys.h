#pragma once

#include "capture/CaptureSelection.h"

#include <QKeyCombination>
#include <QPoint>
#include <QSize>

// What a key does in the capture view: the arrows scroll by one wheel step, Page Up and Page
// Down by the visible height less one wheel step, Home and End go to the top and the bottom
// (with Shift to the left and the right end), Ctrl+A selects the whole image as far as a drag
// may reach, and Escape leaves the view as F5 does. Other keys, F4 and F5 among them, are not
// the view's.
class CaptureViewKeys final {
  public:
    enum Kind { None, Scroll, SelectAll, Cancel };
    struct Action {
        Kind kind = None;
        QPoint scroll; // the new scroll position, for Scroll
    };

    // pos: the scroll position now; max: the ends of the ranges (they start at 0); visible: the
    // part of the image shown at once.
    static Action ForKey(QKeyCombination key, QPoint pos, QPoint max, QSize visible);
    // How far Page Up and Page Down move through a view that shows that many pixels.
    static int PageStep(int visible);
    // The whole image, 3 pixels from each border as dragging leaves it.
    static CaptureSelection WholeImage(int imageWidth, int imageHeight);
};
