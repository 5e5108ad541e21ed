#include "pages/PrintGeometry.h"

QRectF PrintSlot::ToPaintRect() const {
    return QRectF(x, -y, width, -height);
}

int PrintGeometry::SheetCount(int usedPages, bool onePerSheet) {
    if (usedPages <= 0)
        return 0;
    return onePerSheet ? usedPages : (usedPages + 1) / 2;
}

PrintSlot PrintGeometry::OnePerSheetSlot(int ox, int oy) {
    return PrintSlot{ox, -oy, sheetShort - 2 * ox, 2 * oy - sheetLong};
}

PrintSlot PrintGeometry::TwoPerSheetSlot(int ox, int oy, int half) {
    // The right slot starts at the middle of the sheet, so it is wider by ox than the left one
    // and the gap between the two images is ox.
    return PrintSlot{ox + (halfLong - ox) * half, -oy, halfLong + (half - 2) * ox,
                     2 * oy - sheetShort};
}

int PrintGeometry::UsedPageIndex(int sheet, int half, bool onePerSheet) {
    return onePerSheet ? sheet : 2 * sheet + half;
}
