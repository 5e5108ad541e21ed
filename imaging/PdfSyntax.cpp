#include "imaging/PdfSyntax.h"

#include <cmath>

QByteArray PdfSyntax::Number(double value, int decimals) {
    if (!std::isfinite(value))
        return "0";
    QByteArray text = QByteArray::number(value, 'f', decimals);
    if (text.contains('.')) {
        while (text.endsWith('0'))
            text.chop(1);
        if (text.endsWith('.'))
            text.chop(1);
    }
    return text == "-0" ? QByteArray("0") : text;
}

QByteArray PdfSyntax::Ref(int object) {
    return QByteArray::number(object) + " 0 R";
}

QByteArray PdfSyntax::AsciiString(const QByteArray& ascii) {
    QByteArray out = "(";
    out.reserve(ascii.size() + 2);
    for (const char c : ascii) {
        if (c == '(' || c == ')' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + ')';
}

QByteArray PdfSyntax::TextString(const QString& text) {
    QString clean = text.left(kMaxTextUnits);
    if (!clean.isEmpty() && clean.back().isHighSurrogate())
        clean.chop(1);
    bool ascii = true;
    for (qsizetype i = 0; i < clean.size(); ++i) {
        const char16_t c = clean.at(i).unicode();
        if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
            clean[i] = QLatin1Char(' ');
        } else if (QChar::isHighSurrogate(c) && i + 1 < clean.size() &&
                   QChar::isLowSurrogate(clean.at(i + 1).unicode())) {
            ++i;
            ascii = false;
            continue;
        } else if (QChar::isSurrogate(c)) {
            clean[i] = QChar(QChar::ReplacementCharacter);
        }
        ascii = ascii && clean.at(i).unicode() < 0x7F;
    }
    if (ascii)
        return AsciiString(clean.toLatin1());
    QByteArray hex = "<FEFF";
    hex.reserve(4 * clean.size() + 6);
    for (const QChar c : std::as_const(clean))
        hex += QByteArray::number(c.unicode() | 0x10000, 16).mid(1).toUpper();
    return hex + '>';
}

QByteArray PdfSyntax::AsciiAddress(const QString& address) {
    const QByteArray utf8 = address.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    static const char kHex[] = "0123456789ABCDEF";
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if (b > 0x20 && b < 0x7F) {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    return out;
}

QByteArray PdfSyntax::Date(const QDateTime& time) {
    if (!time.isValid() || time.date().year() < 1 || time.date().year() > 9999)
        return {};
    const int offset = time.offsetFromUtc() / 60;
    const int magnitude = std::abs(offset);
    return "D:" + time.toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() +
           (offset < 0 ? '-' : '+') + QByteArray::number(magnitude / 60).rightJustified(2, '0') +
           '\'' + QByteArray::number(magnitude % 60).rightJustified(2, '0') + '\'';
}
