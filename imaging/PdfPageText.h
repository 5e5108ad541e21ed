#pragma once

#include "pages/PageLayer.h"

#include <QByteArray>

#include <vector>

class PdfTextFont;

// The invisible text of one page as content-stream operators, in the page picture's pixels with
// y running up from its top edge (the caller maps them onto the sheet): each word in text render
// mode 3 (neither filled nor stroked), in the order given, its glyphs as tall as its box with the
// baseline at the font's ascent below the top, squeezed or stretched across the box's width.
// Positions move from word to word, so that readers see lines where the boxes share a baseline
// and spaces where the boxes leave gaps. Words without a usable box on the page (empty, not
// finite, off the page) or without a character the font can hold are left out.
class PdfPageText final {
  public:
    // Font resource name used by the operators.
    static constexpr const char* kFontName = "F0";

    // Empty when no word is written.
    static QByteArray Operators(const std::vector<PageLayer::Word>& words, double pageWidth,
                                double pageHeight, PdfTextFont& font);
};
