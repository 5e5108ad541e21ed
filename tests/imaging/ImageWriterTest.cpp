#include "imaging/BmpWriter.h"
#include "imaging/CImageJPG.h"
#include "tests/imaging/FileSizeLimit.h"
#include "tests/support/DecodedJpeg.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

#include <jpeglib.h>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The file made the plain way: red, green, blue rows, top first, library defaults.
QByteArray PlainJpeg(const QImage& image, int quality) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = JDIMENSION(image.width());
    c.image_height = JDIMENSION(image.height());
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(int(c.next_scanline)));
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    QByteArray file(reinterpret_cast<const char*>(mem), qsizetype(size));
    std::free(mem);
    return file;
}

// Every row different, top rows red-ish, bottom rows blue-ish.
QImage Banded(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, y < h / 2 ? qRgb(230, 20 + x, 10) : qRgb(10, 20 + x, 230));
    }
    return image;
}

class ImageWriterTest : public ::testing::Test {
  protected:
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

TEST_F(ImageWriterTest, PageBmpHoldsExactHeadersAndRowsBottomUp) {
    // Three pixels a row, two rows, four bytes a pixel: row r holds bytes r*16 + i.
    quint8 rows[2 * 12];
    for (int i = 0; i < 24; ++i)
        rows[i] = quint8((i / 12) * 16 + i % 12);
    BmpWriter bmp;
    ASSERT_TRUE(bmp.Open(Path(QStringLiteral("p.bmp")), 3, 2, 4));
    ASSERT_TRUE(bmp.WriteBandBottomUp(rows, 2));
    ASSERT_TRUE(bmp.Close());
    const QByteArray file = ReadAll(Path(QStringLiteral("p.bmp")));
    const QByteArray headers = QByteArray::fromHex("424d4e000000000000003600000028000000"
                                                   "03000000020000000100200000000000180000"
                                                   "0000000000000000000000000000000000");
    ASSERT_EQ(file.size(), 54 + 24);
    EXPECT_EQ(file.left(54).toHex(), headers.toHex());
    EXPECT_EQ(file.mid(54, 12), QByteArray(reinterpret_cast<const char*>(rows) + 12, 12));
    EXPECT_EQ(file.mid(66, 12), QByteArray(reinterpret_cast<const char*>(rows), 12));
}

struct FitCase {
    qint32 width;
    qint64 rows;
    int bytesPerPixel;
    bool fits;
};

class BmpFitTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(BmpFitTest, HeaderFieldsHoldTheSize) {
    const FitCase c = GetParam();
    EXPECT_EQ(BmpWriter::Fits(c.width, c.rows, c.bytesPerPixel), c.fits);
    EXPECT_EQ(BmpWriter::Headers(c.width, c.rows, c.bytesPerPixel).isEmpty(), !c.fits);
}

// 0xFFFFFFFF - 54 = 4294967241 bytes of rows at most; 1200 x 4 bytes a row.
INSTANTIATE_TEST_SUITE_P(Boundaries, BmpFitTest,
                         ::testing::Values(FitCase{1200, 0, 4, true},
                                           FitCase{1200, 894784, 4, true},
                                           FitCase{1200, 894785, 4, false},
                                           FitCase{1, 4294967241LL, 1, false}, // height > int32
                                           FitCase{1, 2147483647LL, 1, true},
                                           FitCase{10, 10, 5, false}));

TEST_F(ImageWriterTest, BmpCutShortOrTooLongIsRemoved) {
    quint8 rows[4 * 4 * 3] = {};
    BmpWriter shortFile;
    ASSERT_TRUE(shortFile.Open(Path(QStringLiteral("s.bmp")), 4, 3, 4));
    ASSERT_TRUE(shortFile.WriteBandBottomUp(rows, 2));
    EXPECT_FALSE(shortFile.Close());
    BmpWriter longFile;
    ASSERT_TRUE(longFile.Open(Path(QStringLiteral("l.bmp")), 4, 2, 4));
    EXPECT_FALSE(longFile.WriteBandBottomUp(rows, 3));
    EXPECT_FALSE(longFile.Close());
    EXPECT_TRUE(QDir(m_dir.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(ImageWriterTest, WritesThatHitTheFileSizeLimitFailAndLeaveNoFile) {
    QImage page(256, 256, QImage::Format_RGB32);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x)
            page.setPixel(x, y, qRgb((x * 37 + y * 91) & 255, (x * y) & 255, (x ^ y) & 255));
    }
    CImageJPG jpeg(Path(QStringLiteral("big.jpg")));
    jpeg.SetQuality(100);
    jpeg.CreateFromBitmap(page);
    {
        FileSizeLimit limit(8192);
        BmpWriter bmp;
        const bool opened = bmp.Open(Path(QStringLiteral("big.bmp")), 256, 256, 4);
        EXPECT_TRUE(opened);
        const bool wrote = bmp.WriteBandBottomUp(page.constBits(), 256);
        EXPECT_FALSE(wrote && bmp.Close());
        bmp.Close();
        EXPECT_FALSE(jpeg.Save());
    }
    EXPECT_TRUE(QDir(m_dir.path()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(jpeg.Save()) << "the same object writes once the limit is gone";
}

TEST_F(ImageWriterTest, JpegIsTheFileRedGreenBlueRowsGiveTopRowFirst) {
    const QImage page = Banded(40, 32);
    CImageJPG jpeg(Path(QStringLiteral("a.jpg")));
    EXPECT_EQ(jpeg.Quality(), 30);
    ASSERT_TRUE(jpeg.CreateFromBitmap(page));
    ASSERT_TRUE(jpeg.Save());
    EXPECT_EQ(ReadAll(Path(QStringLiteral("a.jpg"))), PlainJpeg(page, 30));
    const DecodedJpeg d(Path(QStringLiteral("a.jpg")));
    ASSERT_EQ(d.height, 32);
    EXPECT_GT(d.At(5, 0)[0], 180) << "first scan line is the red top row";
    EXPECT_GT(d.At(5, 31)[2], 180) << "last scan line is the blue bottom row";
}

TEST_F(ImageWriterTest, SixteenBitWhiteBecomes248AndThreeBytePixelsKeepTheirColour) {
    QImage white(16, 16, QImage::Format_RGB16);
    white.fill(0xFFFF);
    CImageJPG jpeg(Path(QStringLiteral("w.jpg")));
    jpeg.SetQuality(100);
    jpeg.CreateFromBitmap(white);
    EXPECT_EQ(jpeg.GetPixelColor(3, 3), QX_RGB(248, 248, 248));
    ASSERT_TRUE(jpeg.Save());
    const DecodedJpeg d(Path(QStringLiteral("w.jpg")));
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(d.At(8, 8)[c], 248, 1);

    QImage bgr(16, 16, QImage::Format_BGR888);
    bgr.fill(QColor(200, 100, 50));
    jpeg.CreateFromBitmap(bgr);
    EXPECT_EQ(jpeg.GetPixelColor(0, 0), QX_RGB(200, 100, 50));
    ASSERT_TRUE(jpeg.Save(Path(QStringLiteral("b.jpg"))));
    EXPECT_EQ(ReadAll(Path(QStringLiteral("b.jpg"))), PlainJpeg(bgr, 100));
}

TEST_F(ImageWriterTest, ReusedImageKeepsTheFirstSize) {
    CImageJPG jpeg(Path(QStringLiteral("r.jpg")));
    jpeg.CreateFromBitmap(Banded(20, 10));
    QImage larger(30, 14, QImage::Format_RGB32);
    larger.fill(QColor(0, 255, 0));
    jpeg.CreateFromBitmap(larger);
    QImage smaller(8, 4, QImage::Format_RGB32);
    smaller.fill(QColor(255, 255, 255));
    EXPECT_EQ(jpeg.Width(), 20);
    ASSERT_TRUE(jpeg.Save());
    EXPECT_EQ(DecodedJpeg(Path(QStringLiteral("r.jpg"))).width, 20);
    jpeg.CreateFromBitmap(smaller);
    EXPECT_EQ(jpeg.GetPixelColor(7, 3), QX_RGB(255, 255, 255));
    EXPECT_EQ(jpeg.GetPixelColor(8, 3), 0u) << "outside the smaller picture stays black";
    ASSERT_TRUE(jpeg.Save());
    const DecodedJpeg d(Path(QStringLiteral("r.jpg")));
    EXPECT_EQ(d.width, 20);
    EXPECT_EQ(d.height, 10);
}

TEST_F(ImageWriterTest, LibraryRefusalsReturnFalseWithoutAFile) {
    // Taller than the library allows: its fatal error must come back to Save.
    static quint8 column[4 * 32768] = {};
    CImageJPG jpeg(Path(QStringLiteral("tall.jpg")));
    ASSERT_TRUE(jpeg.CreateFromPages({column, column, column}, 1, 32768, 4));
    EXPECT_FALSE(jpeg.Save());
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("tall.jpg"))));
    CImageJPG empty(Path(QStringLiteral("e.jpg")));
    EXPECT_FALSE(empty.Save());
    CImageJPG nowhere(Path(QStringLiteral("missing/x.jpg")));
    nowhere.CreateFromBitmap(Banded(8, 8));
    EXPECT_FALSE(nowhere.Save());
}

} // namespace
