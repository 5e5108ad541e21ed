#include "tests/review/ReviewTestPages.h"

namespace ReviewTestPages {

QRgb RowColor(int page, int row) {
    const int n = page * PageSet::pageHeight + row;
    return qRgb(20 + n % 200, 30 + (n / 200) % 200, 40 + page * 10 % 200);
}

void Fill(PageSet& set, int count, int width, bool blankLast, int scale) {
    set.SetWidth(width, scale);
    const qsizetype pixels = set.RowBytes() / PageSet::bytesPerPixel; // all pixel rows of a row
    for (int p = 0; p < count; ++p) {
        set.AppendWhitePage();
        if (blankLast && p == count - 1)
            break;
        for (int row = 0; row < PageSet::pageHeight; ++row) {
            auto* line = reinterpret_cast<QRgb*>(set.Row(set.Page(p), row));
            std::fill(line, line + pixels, RowColor(p, row) | 0xFF000000);
        }
    }
}

QRgb PixelAt(const PageSet& set, const quint8* pixels, int x, int y) {
    const quint8* p = pixels + set.RowBytes() * y + x * PageSet::bytesPerPixel;
    return qRgb(p[2], p[1], p[0]);
}

} // namespace ReviewTestPages
