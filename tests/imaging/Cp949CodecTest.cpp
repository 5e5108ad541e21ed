#include "imaging/Cp949Codec.h"

#include <gtest/gtest.h>

TEST(Cp949Codec, RoundTripsKoreanAndAscii) {
    const QString text = QStringLiteral("t_md_중지.bmp");
    const QByteArray bytes = Cp949Codec::Encode(text);
    EXPECT_EQ(bytes.size(), 13);           // 9 ASCII bytes and two 2-byte characters
    EXPECT_EQ(quint8(bytes.at(5)), 0xC1u); // lead byte of 중
    EXPECT_EQ(Cp949Codec::Decode(bytes), text);
}

TEST(Cp949Codec, TruncationNeverSplitsACharacter) {
    const QString text = QStringLiteral("a가나다"); // 1 + 2 + 2 + 2 bytes
    EXPECT_EQ(Cp949Codec::EncodeTruncated(text, 4).size(), 3);
    EXPECT_EQ(Cp949Codec::EncodeTruncated(text, 5).size(), 5);
    EXPECT_EQ(Cp949Codec::EncodeTruncated(text, 100), Cp949Codec::Encode(text));
}

// The converters are kept between calls: a damaged text must not leave one half-way through
// a character for the next caller.
TEST(Cp949Codec, DamagedTextDoesNotSpillIntoTheNextConversion) {
    EXPECT_EQ(Cp949Codec::Decode("a\xB0"), QStringLiteral("a")); // a lead byte without its trail
    EXPECT_EQ(Cp949Codec::Decode("\xA1"), QString());
    EXPECT_EQ(Cp949Codec::Decode("\xB0\xA1"), QStringLiteral("가"));
    EXPECT_EQ(Cp949Codec::Encode(QStringLiteral("가")), QByteArray("\xB0\xA1"));
}
