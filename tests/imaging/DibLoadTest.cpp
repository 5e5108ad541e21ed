#include "imaging/QX_DIB.h"
#include "tests/imaging/BmpBuilder.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <functional>

namespace {

QString WriteFile(const QTemporaryDir& dir, const QByteArray& bytes) {
    const QString path = dir.filePath(QStringLiteral("x.bmp"));
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    out.write(bytes);
    return path;
}

// Draws the image over a grey canvas; grey everywhere means nothing was drawn.
QImage Render(const QX_DIB& dib) {
    QImage canvas(12, 12, QImage::Format_RGB32);
    canvas.fill(Qt::gray);
    QPainter painter(&canvas);
    dib.Draw(&painter, 0, 0);
    dib.DrawToRect(&painter, QRect(0, 0, 12, 12));
    return canvas;
}

bool AllGrey(const QImage& image) {
    QImage grey(image.size(), image.format());
    grey.fill(Qt::gray);
    return image == grey;
}

TEST(DibLoad, EachResultCode) {
    QTemporaryDir dir;
    QX_DIB dib;
    EXPECT_EQ(dib.m_nWidth, 10);
    EXPECT_EQ(dib.m_nHeight, 10);

    EXPECT_EQ(dib.LoadFile(nullptr), -1);
    EXPECT_TRUE(dib.m_strSource.isEmpty());
    EXPECT_EQ(dib.LoadFile(QString()), -2);
    EXPECT_EQ(dib.LoadFile(dir.filePath(QStringLiteral("absent.bmp"))), -3);
    EXPECT_EQ(dib.LoadFile(dir.path()), -3); // a folder cannot be read as a file
    EXPECT_EQ(dib.LoadFile(WriteFile(dir, "PK\x03\x04 not a bitmap at all, honestly")), -1);

    const QString path = WriteFile(dir, BmpBuilder::SmallFile());
    EXPECT_EQ(dib.LoadFile(path), 1);
    EXPECT_TRUE(dib.m_bLoaded);
    EXPECT_EQ(dib.m_strSource, path);
    EXPECT_EQ(dib.m_nWidth, 2);
    EXPECT_EQ(dib.m_nDrawHeight, 2);
    // The block is the file without its 14-byte header, in a block of the file's size.
    EXPECT_EQ(dib.Block().size(), BmpBuilder::SmallFile().size());
    EXPECT_EQ(dib.Block().left(40), BmpBuilder::SmallFile().mid(14, 40));
}

TEST(DibLoad, LoadResetsTransparencyAndKey) {
    QTemporaryDir dir;
    QX_DIB dib;
    dib.m_bTransparent = true;
    dib.m_crKey = QX_RGB(255, 0, 0);
    dib.m_nDrawWidth = 99;
    ASSERT_EQ(dib.LoadFile(WriteFile(dir, BmpBuilder::SmallFile())), 1);
    EXPECT_FALSE(dib.m_bTransparent);
    EXPECT_EQ(dib.m_crKey, 0xFFFFFFu);
    EXPECT_EQ(dib.m_nDrawWidth, 2);
}

TEST(DibLoad, FailedLoadKeepsLastSizeButDrawsNothing) {
    QTemporaryDir dir;
    QX_DIB dib;
    ASSERT_EQ(dib.LoadFile(WriteFile(dir, BmpBuilder::SmallFile())), 1);
    EXPECT_FALSE(AllGrey(Render(dib)));

    EXPECT_EQ(dib.LoadFile(dir.filePath(QStringLiteral("gone.bmp"))), -3);
    EXPECT_FALSE(dib.m_bLoaded);
    EXPECT_EQ(dib.m_nWidth, 2);
    EXPECT_EQ(dib.m_nHeight, 2);
    EXPECT_TRUE(dib.Block().isEmpty());
    EXPECT_TRUE(AllGrey(Render(dib)));
    QImage canvas(4, 4, QImage::Format_RGB32);
    QPainter painter(&canvas);
    EXPECT_FALSE(dib.DrawRealized(&painter, 0, 0));
}

// Damage applied to a valid 3 x 2, 8-bit file with a 2-colour table (file offsets).
struct Corruption {
    const char* name;
    std::function<void(QByteArray&)> damage;
};

void Set32(QByteArray& f, int at, quint32 v) {
    qToLittleEndian<quint32>(v, f.data() + at);
}

void Set16(QByteArray& f, int at, quint16 v) {
    qToLittleEndian<quint16>(v, f.data() + at);
}

QByteArray ValidFile() {
    return BmpBuilder::File(BmpBuilder::InfoHeader(3, 2, 8, 0, 2) +
                            BmpBuilder::Quads({QX_RGB(1, 2, 3), QX_RGB(4, 5, 6)}) +
                            BmpBuilder::Rows({QByteArray("\x00\x01\x00", 3), QByteArray(3, 1)}));
}

class DibCorrupt : public ::testing::TestWithParam<Corruption> {};

TEST_P(DibCorrupt, IsUnreadableAndDrawsNothing) {
    QByteArray file = ValidFile();
    GetParam().damage(file);
    QTemporaryDir dir;
    QX_DIB dib;
    EXPECT_EQ(dib.LoadFile(WriteFile(dir, file)), -1);
    EXPECT_FALSE(dib.m_bLoaded);
    EXPECT_TRUE(AllGrey(Render(dib)));
}

const Corruption Corruptions[] = {
    {"no_BM", [](QByteArray& f) { f[0] = 'M'; }},
    {"empty_file", [](QByteArray& f) { f.clear(); }},
    {"file_header_only", [](QByteArray& f) { f.truncate(14); }},
    {"cut_in_header", [](QByteArray& f) { f.truncate(30); }},
    {"cut_in_colour_table", [](QByteArray& f) { f.truncate(14 + 40 + 5); }},
    {"cut_in_last_row", [](QByteArray& f) { f.chop(1); }},
    {"header_size_0", [](QByteArray& f) { Set32(f, 14, 0); }},
    {"header_size_41", [](QByteArray& f) { Set32(f, 14, 41); }},
    {"header_size_huge", [](QByteArray& f) { Set32(f, 14, 0xFFFFFFF0); }},
    {"v5_header_past_end", [](QByteArray& f) { Set32(f, 14, 124); }},
    {"width_0", [](QByteArray& f) { Set32(f, 18, 0); }},
    {"width_negative", [](QByteArray& f) { Set32(f, 18, quint32(-3)); }},
    {"width_huge", [](QByteArray& f) { Set32(f, 18, 0x7FFFFFFF); }},
    {"height_0", [](QByteArray& f) { Set32(f, 22, 0); }},
    {"height_min_int", [](QByteArray& f) { Set32(f, 22, 0x80000000); }},
    {"height_huge", [](QByteArray& f) { Set32(f, 22, 0x7FFFFFFF); }},
    {"height_one_row_too_many", [](QByteArray& f) { Set32(f, 22, 3); }},
    {"pixels_overflow_64bit",
     [](QByteArray& f) {
         Set32(f, 18, 0x7FFFFFFF);
         Set32(f, 22, 0x7FFFFFFF);
         Set16(f, 28, 32);
     }},
    {"bits_0", [](QByteArray& f) { Set16(f, 28, 0); }},
    {"bits_2", [](QByteArray& f) { Set16(f, 28, 2); }},
    {"bits_7", [](QByteArray& f) { Set16(f, 28, 7); }},
    {"bits_64", [](QByteArray& f) { Set16(f, 28, 64); }},
    {"bits_32_rows_past_end", [](QByteArray& f) { Set16(f, 28, 32); }},
    {"rle8", [](QByteArray& f) { Set32(f, 30, 1); }},
    {"rle4", [](QByteArray& f) { Set32(f, 30, 2); }},
    {"jpeg", [](QByteArray& f) { Set32(f, 30, 4); }},
    {"bitfields_on_8_bits", [](QByteArray& f) { Set32(f, 30, 3); }},
    {"colours_used_past_end", [](QByteArray& f) { Set32(f, 46, 0xFFFF); }},
    {"colours_used_one_too_many", [](QByteArray& f) { Set32(f, 46, 3); }},
    {"core_width_0",
     [](QByteArray& f) {
         f = BmpBuilder::File(BmpBuilder::CoreHeader(0, 1, 24) + BmpBuilder::Rows({"abc"}));
     }},
    {"core_table_past_end",
     [](QByteArray& f) {
         f = BmpBuilder::File(BmpBuilder::CoreHeader(1, 1, 8) + BmpBuilder::Triples({0, 1}) +
                              BmpBuilder::Rows({"a"}));
     }},
    {"bitfields_masks_past_end",
     [](QByteArray& f) { f = BmpBuilder::File(BmpBuilder::InfoHeader(1, 1, 16, 3) + "\xF8\0"); }},
};

INSTANTIATE_TEST_SUITE_P(Headers, DibCorrupt, ::testing::ValuesIn(Corruptions),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DibLoad, ValidFileOfTheCorruptionTableLoads) {
    QTemporaryDir dir;
    QX_DIB dib;
    ASSERT_EQ(dib.LoadFile(WriteFile(dir, ValidFile())), 1);
    EXPECT_EQ(dib.Palette(), (QVector<quint32>{QX_RGB(1, 2, 3), QX_RGB(4, 5, 6)}));
}

} // namespace
