#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <vector>

// The font of the invisible text layer, made here: one empty glyph per distinct character the
// document uses, numbered in the order of first use (glyph and character code k are the k-th
// character met; 0 is the missing glyph). Every glyph is 1000 units wide on an em of 1000 with
// 800 above the baseline and 200 below, so a word of n characters at size s is n x s wide and
// s tall. Its parts: the TrueType program, and the map from codes to Unicode that lets readers
// find the text.
class PdfTextFont final {
  public:
    static constexpr int kUnitsPerEm = 1000;
    static constexpr int kAscent = 800;
    static constexpr int kDescent = -200;
    // Two-byte codes and TrueType's glyph count allow this many characters; later new ones are
    // left out of the text.
    static constexpr int kMaxCharacters = 65534;

    // The word's codes as a hexadecimal string, "<0001002A>", its NFC characters numbered and
    // counted in *characters. Control characters, white space, lone surrogates and
    // non-characters are left out; empty when nothing is left.
    QByteArray Codes(const QString& word, int* characters);
    int CharacterCount() const { return int(m_characters.size()); }

    // The TrueType program of the glyphs numbered so far.
    QByteArray Program() const;
    // The CMap from codes to UTF-16 (pairs for characters beyond the first plane).
    QByteArray ToUnicode() const;

  private:
    int CodeOf(char32_t character);

    QHash<char32_t, int> m_codes;
    std::vector<char32_t> m_characters; // by code - 1
};
