#pragma once

#include <QByteArray>
#include <QString>

// Code page 949 bytes, for the few places where bytes are the format (skin-pack names,
// fixed byte fields of records).
class Cp949Codec {
  public:
    static QByteArray Encode(const QString& text);
    static QString Decode(const QByteArray& bytes);
    // The longest prefix of text whose encoding fits in maxBytes, never splitting a character.
    static QByteArray EncodeTruncated(const QString& text, int maxBytes);
};
