#pragma once

#include "pages/PageSet.h"

#include <QColor>

// Page sets for the review tests: every row of every page has its own colour, so a row that is
// lost, doubled or moved shows.
namespace ReviewTestPages {

// count pages of width (document) pixels at that scale; with blankLast the last page is all
// white. Every pixel row of a document row has the row's colour.
void Fill(PageSet& set, int count, int width, bool blankLast = false, int scale = 1);
// The colour of row `row` of page `page` as Fill made it.
QRgb RowColor(int page, int row);
// The colour of pixel x of (document) row y of a page buffer, in its first pixel row.
QRgb PixelAt(const PageSet& set, const quint8* pixels, int x, int y);

} // namespace ReviewTestPages
