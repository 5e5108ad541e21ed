#include "imaging/DibDecoder.h"
#include "imaging/QX_DIB.h"
#include "tests/imaging/BmpBuilder.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

constexpr COLORREF Red = QX_RGB(255, 0, 0);
constexpr COLORREF Green = QX_RGB(0, 255, 0);
constexpr COLORREF Blue = QX_RGB(0, 0, 255);

struct DecodeCase {
    const char* name;
    QByteArray file;
    QList<QList<QRgb>> pixels; // top row first, 0xRRGGBB
};

QByteArray Word(quint16 v) {
    QByteArray b(2, '\0');
    qToLittleEndian<quint16>(v, b.data());
    return b;
}

QByteArray Dword(quint32 v) {
    QByteArray b(4, '\0');
    qToLittleEndian<quint32>(v, b.data());
    return b;
}

QList<COLORREF> Ramp(int count, COLORREF (*f)(int)) {
    QList<COLORREF> out;
    for (int i = 0; i < count; ++i)
        out.append(f(i));
    return out;
}

// A 108-byte header: the info header's fields with the colour masks inside the header.
QByteArray V4Header(int width, int height, quint32 r, quint32 g, quint32 b) {
    QByteArray h = BmpBuilder::InfoHeader(width, height, 16, 3);
    qToLittleEndian<quint32>(108, h.data());
    return h + Dword(r) + Dword(g) + Dword(b) + QByteArray(108 - 52, '\0');
}

QList<DecodeCase> Cases() {
    using B = BmpBuilder;
    const auto rampCore = [](int i) { return QX_RGB(i, 255 - i, 7); };
    const auto ramp4 = [](int i) { return QX_RGB(i * 16, 0, 255 - i * 16); };
    return {
        {"core1_crosses_byte", // 10 pixels: the tenth lives in the second byte
         B::File(B::CoreHeader(10, 2, 1) + B::Triples({Red, Blue}) +
                 B::Rows({QByteArray("\xAA\xC0", 2), QByteArray("\x00\x40", 2)})),
         {{0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000,
           0x0000FF},
          {0x0000FF, 0xFF0000, 0x0000FF, 0xFF0000, 0x0000FF, 0xFF0000, 0x0000FF, 0xFF0000, 0x0000FF,
           0x0000FF}}},
        {"core8_triples",
         B::File(B::CoreHeader(3, 1, 8) + B::Triples(Ramp(256, rampCore)) +
                 B::Rows({QByteArray("\x00\x80\xFF", 3)})),
         {{0x00FF07, 0x807F07, 0xFF0007}}},
        {"info4_nibbles",
         B::File(B::InfoHeader(3, 1, 4) + B::Quads(Ramp(16, ramp4)) +
                 B::Rows({QByteArray("\x12\xF0", 2)})),
         {{0x1000EF, 0x2000DF, 0xF0000F}}},
        {"info8_short_table_index_past_end_is_black",
         B::File(B::InfoHeader(3, 1, 8, 0, 2) + B::Quads({Red, Green}) +
                 B::Rows({QByteArray("\x00\x01\x02", 3)})),
         {{0xFF0000, 0x00FF00, 0x000000}}},
        {"rgb16_is_555_top_bit_ignored",
         B::File(B::InfoHeader(4, 1, 16) +
                 B::Rows({Word(0x7C00) + Word(0x03E0) + Word(0x001F) + Word(0xC210)})),
         {{0xFF0000, 0x00FF00, 0x0000FF, 0x848484}}},
        {"bitfields16_565",
         B::File(B::InfoHeader(3, 1, 16, 3) + Dword(0xF800) + Dword(0x07E0) + Dword(0x001F) +
                 B::Rows({Word(0xF800) + Word(0x07E0) + Word(0x0410)})),
         {{0xFF0000, 0x00FF00, 0x008284}}},
        {"v4_header_masks_inside",
         B::File(V4Header(2, 1, 0xF800, 0x07E0, 0x001F) + B::Rows({Word(0x07E0) + Word(0x001F)})),
         {{0x00FF00, 0x0000FF}}},
        {"rgb24_rows_padded_bottom_up",
         B::File(B::InfoHeader(3, 2, 24) +
                 B::Rows({QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08\x09", 9),
                          QByteArray("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF", 9)})),
         {{0x0000FF, 0x00FF00, 0xFF0000}, {0x030201, 0x060504, 0x090807}}},
        {"rgb24_top_down",
         B::File(B::InfoHeader(1, -2, 24) +
                 B::Rows({QByteArray("\x00\x00\xFF", 3), QByteArray("\xFF\x00\x00", 3)})),
         {{0xFF0000}, {0x0000FF}}},
        {"rgb32_fourth_byte_ignored",
         B::File(B::InfoHeader(2, 1, 32) +
                 B::Rows({QByteArray("\x0A\x14\x1E\x63\x01\x02\x03\xFF", 8)})),
         {{0x1E140A, 0x030201}}},
        {"bitfields32_swapped",
         B::File(B::InfoHeader(1, 1, 32, 3) + Dword(0xFF) + Dword(0xFF00) + Dword(0xFF0000) +
                 B::Rows({QByteArray("\x0A\x14\x1E\x00", 4)})),
         {{0x0A141E}}},
    };
}

class DibDecodes : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DibDecodes, DrawsThePixelsTheFileHolds) {
    const DecodeCase& c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.bmp"));
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(c.file);
    out.close();

    QX_DIB dib;
    ASSERT_EQ(dib.LoadFile(path), 1);
    const int h = int(c.pixels.size());
    const int w = int(c.pixels.first().size());
    ASSERT_EQ(dib.m_nWidth, w);
    ASSERT_EQ(dib.m_nHeight, h);
    QImage canvas(w, h, QImage::Format_RGB32);
    canvas.fill(Qt::magenta);
    QPainter painter(&canvas);
    dib.Draw(&painter, 0, 0);
    painter.end();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            EXPECT_EQ(canvas.pixel(x, y) & 0xFFFFFF, c.pixels[y][x]) << "at " << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, DibDecodes, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DibDecoder, PaletteComesFromTheColourTableOfEitherHeader) {
    using B = BmpBuilder;
    const QByteArray core = B::CoreHeader(1, 1, 1) + B::Triples({Red, QX_RGB(1, 2, 3)}) +
                            B::Rows({QByteArray(1, '\0')});
    EXPECT_EQ(DibDecoder(core).Palette(), (QVector<quint32>{Red, QX_RGB(1, 2, 3)}));
    const QByteArray info = B::InfoHeader(1, 1, 8, 0, 3) + B::Quads({Blue, Green, Red}) +
                            B::Rows({QByteArray(1, '\0')});
    EXPECT_EQ(DibDecoder(info).Palette(), (QVector<quint32>{Blue, Green, Red}));
    // A true-colour picture has no table, unless colours-used announces one (then skipped).
    EXPECT_TRUE(
        DibDecoder(B::InfoHeader(1, 1, 24) + B::Rows({QByteArray(3, '\0')})).Palette().isEmpty());
    const QByteArray announced = B::InfoHeader(1, 1, 24, 0, 1) + B::Quads({Green}) +
                                 B::Rows({QByteArray("\xFF\x00\x00", 3)});
    EXPECT_EQ(DibDecoder(announced).ToImage().pixel(0, 0) & 0xFFFFFF, 0x0000FFu);
}

TEST(DibDecoder, ColourTableSizesFollowHeaderKindAndColoursUsed) {
    using B = BmpBuilder;
    EXPECT_EQ(DibDecoder::ColorTableBytes(B::InfoHeader(1, 1, 1)), 8);
    EXPECT_EQ(DibDecoder::ColorTableBytes(B::InfoHeader(1, 1, 4)), 64);
    EXPECT_EQ(DibDecoder::ColorTableBytes(B::InfoHeader(1, 1, 8)), 1024);
    EXPECT_EQ(DibDecoder::ColorTableBytes(B::InfoHeader(1, 1, 24)), 0);
    EXPECT_EQ(DibDecoder::ColorTableBytes(B::InfoHeader(1, 1, 8, 0, 0x10005)), 20); // low 16 bits
    EXPECT_EQ(DibDecoder::DibNumColors(B::InfoHeader(1, 1, 8, 0, 0x10005)), 5);
    EXPECT_EQ(DibDecoder::ColorTableBytes(B::CoreHeader(1, 1, 1)), 6);
    EXPECT_EQ(DibDecoder::ColorTableBytes(B::CoreHeader(1, 1, 4)), 48);
    EXPECT_EQ(DibDecoder::ColorTableBytes(B::CoreHeader(1, 1, 8)), 768);
    EXPECT_EQ(DibDecoder::ColorTableBytes(B::CoreHeader(1, 1, 32)), 0);
    EXPECT_EQ(DibDecoder::ColorTableBytes(QByteArray(3, '\x28')), 0); // too short to tell
}

} // namespace
