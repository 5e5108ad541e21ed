#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// How values are spelled in a PDF file: numbers, names of objects, strings of any text (the
// title, headings, addresses), dates. Whatever the text holds - control characters, lone
// surrogates, brackets, backslashes, any length - what comes out is valid PDF syntax.
class PdfSyntax final {
  public:
    // A text string holds at most this many UTF-16 units; longer text is cut, never a surrogate
    // pair in two.
    static constexpr int kMaxTextUnits = 16000;

    // A number with at most `decimals` places and no trailing zeros: "12", "-0.5", "3.14".
    static QByteArray Number(double value, int decimals = 2);
    // "N 0 R".
    static QByteArray Ref(int object);
    // A text string: printable ASCII as a literal string, anything else in UTF-16BE with its byte
    // order mark, written as hexadecimal. Control characters become spaces and lone surrogates
    // the replacement character.
    static QByteArray TextString(const QString& text);
    // A literal string of 7-bit printable bytes, brackets and backslashes escaped.
    static QByteArray AsciiString(const QByteArray& ascii);
    // An address in 7-bit ASCII: its UTF-8 with every byte that is not a printable ASCII
    // character, the space included, percent-encoded.
    static QByteArray AsciiAddress(const QString& address);
    // D:YYYYMMDDHHmmSS+HH'mm'; empty for an invalid time.
    static QByteArray Date(const QDateTime& time);
};
