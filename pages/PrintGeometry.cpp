#include "pages/PrintGeometry.h"

#include <algorithm>

QRectF PrintSlot::ToPaintRect() const {
    return QRectF(x, -y, width, -height);
}

QPageLayout::Orientation PrintGeometry::Orientation(SheetLayout layout) {
    return layout == SheetLayout::OnePerSheet ? QPageLayout::Portrait : QPageLayout::Landscape;
}

int PrintGeometry::SlotsPerSheet(SheetLayout layout) {
    return layout == SheetLayout::OnePerSheet ? 1 : 2;
}

int PrintGeometry::SheetCount(int usedPages, SheetLayout layout) {
    if (usedPages <= 0)
        return 0;
    const int slots = SlotsPerSheet(layout);
    return (usedPages + slots - 1) / slots;
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

PrintSlot PrintGeometry::Slot(SheetLayout layout, int ox, int oy, int half) {
    return layout == SheetLayout::OnePerSheet ? OnePerSheetSlot(ox, oy)
                                              : TwoPerSheetSlot(ox, oy, half);
}

int PrintGeometry::UsedPageIndex(int sheet, int half, SheetLayout layout) {
    return SlotsPerSheet(layout) * sheet + half;
}

QRectF PrintGeometry::FitKeepingProportions(const QRectF& slot, QSize image) {
    if (image.isEmpty())
        return slot;
    const QRectF r = slot.normalized();
    const double scale = std::min(r.width() / image.width(), r.height() / image.height());
    const double w = image.width() * scale;
    return QRectF(r.left() + (r.width() - w) / 2, r.top(), w, image.height() * scale);
}
