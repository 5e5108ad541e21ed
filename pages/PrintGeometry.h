#pragma once

#include <QRectF>

// A place on the sheet in tenths of a millimetre, y growing upwards from the top left of the
// printable area: heights are negative because a slot runs downwards from its y.
struct PrintSlot {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    // The same rectangle with y growing downwards, as a painter scaled to tenths of a
    // millimetre draws it.
    QRectF ToPaintRect() const;
    bool operator==(const PrintSlot&) const = default;
};

// Where the used pages go on A4 sheets, one page per portrait sheet or two side by side per
// landscape sheet. (ox, oy) is the printer's printable-area offset in tenths of a millimetre.
class PrintGeometry final {
  public:
    static constexpr int sheetShort = 2100; // A4 width in portrait
    static constexpr int sheetLong = 2970;  // A4 height in portrait
    static constexpr int halfLong = 1485;   // half a landscape sheet

    // Sheets needed for n used pages: n, or n / 2 rounded up.
    static int SheetCount(int usedPages, bool onePerSheet);
    // The page slot of a portrait sheet.
    static PrintSlot OnePerSheetSlot(int ox, int oy);
    // The left (half 0) or right (half 1) slot of a landscape sheet.
    static PrintSlot TwoPerSheetSlot(int ox, int oy, int half);
    // The index of the used page that goes into a slot: sheet j, half h (0 when one per sheet).
    static int UsedPageIndex(int sheet, int half, bool onePerSheet);
};
