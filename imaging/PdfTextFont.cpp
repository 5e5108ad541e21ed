#include "imaging/PdfTextFont.h"

#include <QStringView>

#include <algorithm>
#include <array>

namespace {

void Put16(QByteArray& out, int value) {
    out += char((value >> 8) & 0xFF);
    out += char(value & 0xFF);
}

void Put32(QByteArray& out, quint32 value) {
    Put16(out, int(value >> 16));
    Put16(out, int(value & 0xFFFF));
}

quint32 CheckSum(const QByteArray& data) {
    quint32 sum = 0;
    for (qsizetype i = 0; i < data.size(); i += 4) {
        quint32 word = 0;
        for (qsizetype k = 0; k < 4; ++k)
            word = (word << 8) | (i + k < data.size() ? quint8(data[i + k]) : 0);
        sum += word;
    }
    return sum;
}

QByteArray Head() {
    QByteArray t;
    Put32(t, 0x00010000); // version
    Put32(t, 0x00010000); // font revision
    Put32(t, 0);          // check sum adjustment, set once the whole font is known
    Put32(t, 0x5F0F3CF5); // magic number
    Put16(t, 0x0003);     // baseline at 0, left side bearing at 0
    Put16(t, PdfTextFont::kUnitsPerEm);
    t += QByteArray(16, '\0'); // created, modified
    Put16(t, 0);
    Put16(t, PdfTextFont::kDescent);
    Put16(t, PdfTextFont::kUnitsPerEm);
    Put16(t, PdfTextFont::kAscent);
    Put16(t, 0); // mac style
    Put16(t, 8); // smallest readable size
    Put16(t, 2); // direction hint
    Put16(t, 0); // short offsets in loca
    Put16(t, 0); // glyph data format
    return t;
}

QByteArray HorizontalHeader() {
    QByteArray t;
    Put32(t, 0x00010000);
    Put16(t, PdfTextFont::kAscent);
    Put16(t, PdfTextFont::kDescent);
    Put16(t, 0); // line gap
    Put16(t, PdfTextFont::kUnitsPerEm);
    t += QByteArray(6, '\0'); // bearings and extent: no outlines
    Put16(t, 1);              // caret slope rise
    t += QByteArray(14, '\0');
    Put16(t, 1); // one metric for all glyphs
    return t;
}

QByteArray MaximumProfile(int glyphs) {
    QByteArray t;
    Put32(t, 0x00010000);
    Put16(t, glyphs);
    t += QByteArray(26, '\0');
    t[15] = 2; // zones: the glyph zone and the twilight zone
    return t;
}

QByteArray PostScriptNames() {
    QByteArray t;
    Put32(t, 0x00030000); // no glyph names
    t += QByteArray(28, '\0');
    return t;
}

} // namespace

int PdfTextFont::CodeOf(char32_t character) {
    const auto found = m_codes.constFind(character);
    if (found != m_codes.cend())
        return found.value();
    if (int(m_characters.size()) >= kMaxCharacters)
        return 0;
    m_characters.push_back(character);
    const int code = int(m_characters.size());
    m_codes.insert(character, code);
    return code;
}

QByteArray PdfTextFont::Codes(const QString& word, int* characters) {
    static const char kHex[] = "0123456789ABCDEF";
    const QString text = word.normalized(QString::NormalizationForm_C);
    QByteArray hex = "<";
    int count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), text.at(++i).unicode());
        else if (QChar::isSurrogate(c))
            continue;
        if (QChar::category(c) == QChar::Other_Control || QChar::isSpace(c) ||
            QChar::isNonCharacter(c))
            continue;
        const int code = CodeOf(c);
        if (code == 0)
            continue;
        for (const int shift : {12, 8, 4, 0})
            hex += kHex[(code >> shift) & 15];
        ++count;
    }
    *characters = count;
    return count > 0 ? hex + '>' : QByteArray();
}

QByteArray PdfTextFont::Program() const {
    const int glyphs = CharacterCount() + 1;
    QByteArray metrics;
    Put16(metrics, kUnitsPerEm);
    Put16(metrics, 0);
    metrics += QByteArray(2 * (glyphs - 1), '\0'); // left side bearings
    // Every glyph is empty: all offsets 0, and a glyph table of nothing but padding.
    const QByteArray locations(2 * (glyphs + 1), '\0');
    const std::array<std::pair<const char*, QByteArray>, 7> tables = {{
        {"glyf", QByteArray(4, '\0')},
        {"head", Head()},
        {"hhea", HorizontalHeader()},
        {"hmtx", metrics},
        {"loca", locations},
        {"maxp", MaximumProfile(glyphs)},
        {"post", PostScriptNames()},
    }}; // sorted by tag, as the table directory must be
    const int count = int(tables.size());
    int power = 1, log = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log;
    }
    QByteArray font;
    Put32(font, 0x00010000);
    Put16(font, count);
    Put16(font, power * 16);
    Put16(font, log);
    Put16(font, count * 16 - power * 16);
    quint32 offset = quint32(12 + 16 * count);
    qsizetype headAt = 0;
    QByteArray body;
    for (const auto& [tag, data] : tables) {
        font += tag;
        Put32(font, CheckSum(data));
        Put32(font, offset + quint32(body.size()));
        Put32(font, quint32(data.size()));
        if (QByteArrayView(tag) == "head")
            headAt = offset + body.size();
        body += data;
        body += QByteArray((4 - data.size() % 4) % 4, '\0');
    }
    font += body;
    const quint32 adjustment = 0xB1B0AFBA - CheckSum(font);
    for (int k = 0; k < 4; ++k)
        font[headAt + 8 + k] = char((adjustment >> (24 - 8 * k)) & 0xFF);
    return font;
}

QByteArray PdfTextFont::ToUnicode() const {
    QByteArray cmap = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    const auto hex4 = [](int v) { return QByteArray::number(v | 0x10000, 16).mid(1).toUpper(); };
    const int count = CharacterCount();
    for (int first = 0; first < count; first += 100) {
        const int last = std::min(count, first + 100);
        cmap += QByteArray::number(last - first) + " beginbfchar\n";
        for (int i = first; i < last; ++i) {
            const char32_t c = m_characters[size_t(i)];
            QByteArray unicode;
            if (QChar::requiresSurrogates(c))
                unicode = hex4(QChar::highSurrogate(c)) + hex4(QChar::lowSurrogate(c));
            else
                unicode = hex4(int(c));
            cmap += '<' + hex4(i + 1) + "> <" + unicode + ">\n";
        }
        cmap += "endbfchar\n";
    }
    return cmap + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}
