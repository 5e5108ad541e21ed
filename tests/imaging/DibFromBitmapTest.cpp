#include "imaging/DibFromBitmap.h"
#include "imaging/DibDecoder.h"
#include "imaging/QX_DIB.h"
#include "tests/imaging/BmpBuilder.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

struct Header {
    quint32 size, width, height, planes, bits, compression, imageBytes;
};

Header ReadHeader(const QByteArray& block) {
    const char* p = block.constData();
    return {qFromLittleEndian<quint32>(p),      qFromLittleEndian<quint32>(p + 4),
            qFromLittleEndian<quint32>(p + 8),  qFromLittleEndian<quint16>(p + 12),
            qFromLittleEndian<quint16>(p + 14), qFromLittleEndian<quint32>(p + 16),
            qFromLittleEndian<quint32>(p + 20)};
}

// A picture whose every pixel differs, with an odd width so rows need padding.
QImage Gradient(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 20, y * 30, (x + y) * 7));
    }
    return image;
}

QImage Palettised(int w, int h, int colours, QImage::Format format) {
    QImage image(w, h, format);
    QList<QRgb> table;
    for (int i = 0; i < colours; ++i)
        table.append(qRgb(i, 255 - i, (i * 37) & 0xFF));
    image.setColorTable(table);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, uint((x * 3 + y) % colours));
    }
    return image;
}

TEST(DibFromBitmap, TrueColourBecomesBottomUp24BitRgb) {
    const QImage image = Gradient(5, 3);
    const QByteArray block = DibFromBitmap(image);
    const Header h = ReadHeader(block);
    EXPECT_EQ(h.size, 40u);
    EXPECT_EQ(h.width, 5u);
    EXPECT_EQ(h.height, 3u); // positive: bottom-up
    EXPECT_EQ(h.planes, 1u);
    EXPECT_EQ(h.bits, 24u);
    EXPECT_EQ(h.compression, 0u);
    EXPECT_EQ(h.imageBytes, 16u * 3); // 15 bytes a row, padded to 16
    EXPECT_EQ(block.size(), 40 + 48);
    // The first stored row is the picture's bottom row, blue first.
    EXPECT_EQ(uchar(block[40]), qBlue(image.pixel(0, 2)));
    EXPECT_EQ(uchar(block[42]), qRed(image.pixel(0, 2)));
    EXPECT_EQ(DibDecoder(block).ToImage(), image);
}

TEST(DibFromBitmap, AlphaImagesKeepTheirColours) {
    QImage image(3, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(10, 20, 30, 255));
    image.setPixel(1, 0, qRgba(200, 100, 50, 255));
    image.setPixel(2, 0, qRgba(1, 2, 3, 255));
    const QImage back = DibDecoder(DibFromBitmap(image)).ToImage();
    EXPECT_EQ(back, image.convertToFormat(QImage::Format_RGB32));
}

struct IndexedCase {
    const char* name;
    QImage image;
    int bits;
};

class DibFromIndexed : public ::testing::TestWithParam<IndexedCase> {};

TEST_P(DibFromIndexed, KeepsTheColourTableAndIndices) {
    const IndexedCase& c = GetParam();
    const QByteArray block = DibFromBitmap(c.image);
    ASSERT_FALSE(block.isEmpty());
    EXPECT_EQ(ReadHeader(block).bits, quint32(c.bits));
    const DibDecoder decoder(block);
    ASSERT_TRUE(decoder.IsReadable());
    EXPECT_EQ(decoder.Palette().size(), 1 << c.bits);
    EXPECT_EQ(decoder.ToImage(), c.image.convertToFormat(QImage::Format_RGB32));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DibFromIndexed,
    ::testing::Values(
        IndexedCase{"mono", Palettised(13, 3, 2, QImage::Format_Mono), 1},
        IndexedCase{"mono_lsb", Palettised(9, 2, 2, QImage::Format_MonoLSB), 1},
        IndexedCase{"sixteen_colours", Palettised(7, 3, 16, QImage::Format_Indexed8), 4},
        IndexedCase{"two_hundred_colours", Palettised(11, 4, 200, QImage::Format_Indexed8), 8}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DibFromBitmap, NullImageFails) {
    EXPECT_TRUE(DibFromBitmap(QImage()).isEmpty());
}

TEST(DibFromBitmap, BlockLoadsBackThroughTheFileReader) {
    const QImage image = Gradient(7, 4);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.bmp"));
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(BmpBuilder::File(DibFromBitmap(image)));
    out.close();
    QX_DIB dib;
    ASSERT_EQ(dib.LoadFile(path), 1);
    EXPECT_EQ(dib.m_nWidth, 7);
    EXPECT_EQ(dib.m_nHeight, 4);
    EXPECT_TRUE(dib.Palette().isEmpty());
}

} // namespace
