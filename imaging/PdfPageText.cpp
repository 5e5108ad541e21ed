#include "imaging/PdfPageText.h"

#include "imaging/PdfTextFont.h"

#include <cmath>
#include <cstdlib>

namespace {

// Positions, sizes and scales are kept in hundredths, so that moves from word to word add up
// exactly to where each word is.
qint64 Hundredths(double v) {
    return std::llround(v * 100);
}

QByteArray FromHundredths(qint64 v) {
    const qint64 magnitude = std::llabs(v);
    QByteArray text = QByteArray::number(magnitude / 100);
    const qint64 fraction = magnitude % 100;
    if (fraction != 0) {
        text += '.';
        text += char('0' + fraction / 10);
        if (fraction % 10 != 0)
            text += char('0' + fraction % 10);
    }
    return v < 0 ? '-' + text : text;
}

// Coordinates beyond this many pixels are not a page's.
constexpr double kFar = 1e6;

bool Usable(const QRectF& box, double pageWidth, double pageHeight) {
    const double values[] = {box.left(), box.top(), box.width(), box.height()};
    for (const double v : values) {
        if (!std::isfinite(v) || std::abs(v) > kFar)
            return false;
    }
    return box.width() > 0 && box.height() > 0 && box.right() > 0 && box.bottom() > 0 &&
           box.left() < pageWidth && box.top() < pageHeight;
}

} // namespace

QByteArray PdfPageText::Operators(const std::vector<PageLayer::Word>& words, double pageWidth,
                                  double pageHeight, PdfTextFont& font) {
    QByteArray out;
    qint64 x = 0, y = 0, size = -1, scale = -1;
    for (const PageLayer::Word& word : words) {
        if (!Usable(word.box, pageWidth, pageHeight))
            continue;
        int characters = 0;
        const QByteArray codes = font.Codes(word.text, &characters);
        const qint64 wordSize = Hundredths(word.box.height());
        if (codes.isEmpty() || wordSize <= 0)
            continue;
        // Glyphs are one em wide: n of them at size s span n x s before scaling.
        const qint64 wordScale = std::max<qint64>(
            1, Hundredths(100 * word.box.width() / (characters * (wordSize / 100.0))));
        const double ascent = double(PdfTextFont::kAscent) / PdfTextFont::kUnitsPerEm;
        const qint64 wordX = Hundredths(word.box.left());
        const qint64 wordY = -Hundredths(word.box.top() + ascent * (wordSize / 100.0));
        if (out.isEmpty())
            out = "BT 3 Tr\n";
        if (wordSize != size)
            out += '/' + QByteArray(kFontName) + ' ' + FromHundredths(wordSize) + " Tf ";
        if (wordScale != scale)
            out += FromHundredths(wordScale) + " Tz ";
        out +=
            FromHundredths(wordX - x) + ' ' + FromHundredths(wordY - y) + " Td " + codes + "Tj\n";
        x = wordX;
        y = wordY;
        size = wordSize;
        scale = wordScale;
    }
    if (!out.isEmpty())
        out += "ET\n";
    return out;
}
