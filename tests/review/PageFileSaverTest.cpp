#include "review/PageFileSaver.h"
#include "review/ReviewTexts.h"
#include "tests/imaging/FileSizeLimit.h"
#include "tests/imaging/SmallDisk.h"
#include "tests/review/TestReview.h"
#include "tests/support/DecodedJpeg.h"
#include "tests/support/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstdlib>

#include <sys/mount.h>

namespace {

using Outcome = PageFileSaver::Outcome;
using FolderResult = PageFileSaver::FolderResult;
using Format = PageFileSaver::Format;

qint32 HeaderField(const QByteArray& file, int offset) {
    return qFromLittleEndian<qint32>(file.constData() + offset);
}

class PageFileSaverTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("user_image"))); }
    QString Images() const { return m_dir.filePath(QStringLiteral("user_image")); }
    QStringList Files(const QString& folder) const {
        // Hidden ones too: a temporary file left behind shows.
        return QDir(folder).entryList(
            QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir m_dir;
};

TEST_F(PageFileSaverTest, PerPageBmpFilesAreNumberedByListPlaceWithRowsBottomUp) {
    const TestReview review(3, 6, 1024, {true, false, true});
    PageFileSaver saver(review.Pages(), Images());
    ASSERT_EQ(PageFileSaver::CreatePageFolder(Images(), QStringLiteral("뉴스 페이지")),
              FolderResult::Created);
    ASSERT_EQ(saver.Save(QStringLiteral("뉴스 페이지"), Format::Bmp, false), Outcome::Saved);
    const QString folder = Images() + QStringLiteral("/뉴스 페이지");
    EXPECT_EQ(Files(folder), QStringList({QStringLiteral("뉴스 페이지001.bmp"),
                                          QStringLiteral("뉴스 페이지003.bmp")}));
    const QByteArray file = ReadAll(folder + QStringLiteral("/뉴스 페이지003.bmp"));
    const int rowBytes = 6 * 4;
    ASSERT_EQ(file.size(), 54 + 1024 * rowBytes);
    EXPECT_EQ(HeaderField(file, 2), 54 + 1024 * rowBytes);
    EXPECT_EQ(HeaderField(file, 22), 1024);
    EXPECT_EQ(qFromLittleEndian<quint16>(file.constData() + 28), 32);
    EXPECT_EQ(HeaderField(file, 34), 1024 * rowBytes);
    EXPECT_EQ(file.mid(54, rowBytes), review.Row(2, 1023)) << "first stored row = last page row";
    EXPECT_EQ(file.right(rowBytes), review.Row(2, 0));
}

// Pages at scale 2 are written with all their pixels, and the JPEG limit counts those rows.
TEST_F(PageFileSaverTest, PagesAtScaleTwoAreWrittenWithTwiceTheRowsAndColumns) {
    const TestReview review(2, 6, 1024, {}, 2);
    PageFileSaver saver(review.Pages(), Images());
    EXPECT_EQ(saver.MaxJpegScrollPages(), 65500 / 2048);
    ASSERT_EQ(saver.Save(QStringLiteral("sharp"), Format::Bmp, true), Outcome::Saved);
    const QByteArray file = ReadAll(Images() + QStringLiteral("/sharp.bmp"));
    const int rowBytes = 12 * 4;
    ASSERT_EQ(file.size(), 54 + 2 * 2048 * rowBytes);
    EXPECT_EQ(HeaderField(file, 18), 12);
    EXPECT_EQ(HeaderField(file, 22), 2 * 2048);
    EXPECT_EQ(file.mid(54, rowBytes), review.Row(1, 2047)) << "first stored row = last page row";
    EXPECT_EQ(file.right(rowBytes), review.Row(0, 0));
}

TEST_F(PageFileSaverTest, BmpScrollShowsTheUsedPagesTopToBottom) {
    const TestReview review(5, 4, 1024, {false, true, true, false, true});
    PageFileSaver saver(review.Pages(), Images());
    ASSERT_EQ(saver.Save(QStringLiteral("scroll"), Format::Bmp, true), Outcome::Saved);
    const QByteArray file = ReadAll(Images() + QStringLiteral("/scroll.bmp"));
    const int rowBytes = 16;
    ASSERT_EQ(file.size(), 54 + 3 * 1024 * rowBytes);
    EXPECT_EQ(HeaderField(file, 22), 3 * 1024);
    EXPECT_EQ(HeaderField(file, 34), 3 * 1024 * rowBytes);
    // Bottom-up: stored row k is picture row 3071 - k.
    const auto stored = [&](int pictureRow) {
        return file.mid(54 + (3 * 1024 - 1 - pictureRow) * rowBytes, rowBytes);
    };
    EXPECT_EQ(stored(0), review.Row(1, 0));
    EXPECT_EQ(stored(1023), review.Row(1, 1023));
    EXPECT_EQ(stored(1024), review.Row(2, 0));
    EXPECT_EQ(stored(3071), review.Row(4, 1023));
}

// With every page unused there is nothing to save, in any format, and nothing is made.
TEST_F(PageFileSaverTest, NothingUsedIsNothingToSaveAndMakesNothing) {
    const TestReview review(2, 4, 1024, {false, false});
    PageFileSaver saver(review.Pages(), Images());
    for (Format format : {Format::Bmp, Format::Jpeg, Format::Png, Format::Pdf}) {
        for (bool scroll : {true, false})
            EXPECT_EQ(saver.Save(QStringLiteral("none"), format, scroll), Outcome::NothingToSave);
    }
    EXPECT_TRUE(Files(Images()).isEmpty());
}

// PNG files hold the pages pixel for pixel, per page as BMP files are numbered and as one scroll;
// a PDF is one file with an A4 page per used page, scroll or not, and needs no folder.
TEST_F(PageFileSaverTest, PngEqualsThePagesAndPdfHasAPagePerUsedPage) {
    const TestReview review(3, 6, 1024, {true, false, true});
    PageFileSaver saver(review.Pages(), Images());
    EXPECT_FALSE(PageFileSaver::NeedsPageFolder(Format::Pdf, false));
    EXPECT_TRUE(PageFileSaver::NeedsPageFolder(Format::Png, false));
    ASSERT_EQ(PageFileSaver::CreatePageFolder(Images(), QStringLiteral("p")),
              FolderResult::Created);
    ASSERT_EQ(saver.Save(QStringLiteral("p"), Format::Png, false), Outcome::Saved);
    EXPECT_EQ(Files(Images() + QStringLiteral("/p")),
              QStringList({QStringLiteral("p001.png"), QStringLiteral("p003.png")}));
    ASSERT_EQ(saver.Save(QStringLiteral("s"), Format::Png, true), Outcome::Saved);
    const QImage page(Images() + QStringLiteral("/p/p003.png"));
    const QImage scroll(Images() + QStringLiteral("/s.png"));
    ASSERT_EQ(page.size(), QSize(6, 1024));
    ASSERT_EQ(scroll.size(), QSize(6, 2048));
    const auto rgb = [](const QByteArray& bgrx) {
        return qRgb(quint8(bgrx[2]), quint8(bgrx[1]), quint8(bgrx[0]));
    };
    for (int y = 0; y < 1024; ++y) {
        for (int x = 0; x < 6; ++x) {
            const QByteArray first = review.Row(0, y).mid(4 * x, 4);
            const QByteArray third = review.Row(2, y).mid(4 * x, 4);
            ASSERT_EQ(page.pixel(x, y), rgb(third)) << x << "," << y;
            ASSERT_EQ(scroll.pixel(x, y), rgb(first)) << x << "," << y;
            ASSERT_EQ(scroll.pixel(x, 1024 + y), rgb(third)) << x << "," << y;
        }
    }
    for (bool scrollFormat : {false, true}) {
        ASSERT_EQ(saver.Save(QStringLiteral("doc"), Format::Pdf, scrollFormat), Outcome::Saved);
        EXPECT_EQ(saver.OutputFolder(QStringLiteral("doc"), Format::Pdf, scrollFormat), Images());
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {Images() + QStringLiteral("/doc.pdf")});
        ASSERT_TRUE(info.waitForFinished(30000));
        const QString text = QString::fromUtf8(info.readAllStandardOutput());
        EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))));
        EXPECT_TRUE(text.contains(QStringLiteral("(A4)")));
        EXPECT_TRUE(text.contains(ReviewTexts::JobName())) << "titled as a print job";
    }
    EXPECT_EQ(Files(Images()), QStringList({QStringLiteral("doc.pdf"), QStringLiteral("p"),
                                            QStringLiteral("s.png")}));
}

// The layer is given for the review's pages in list order; the PDF carries it for the used ones.
TEST_F(PageFileSaverTest, PdfCarriesTheTextOfTheUsedPagesOnTheirSheets) {
    const TestReview review(3, 400, 1024, {true, false, true});
    PageLayer layer;
    for (const QString& word :
         {QStringLiteral("첫째"), QStringLiteral("둘째"), QStringLiteral("셋째")})
        layer.words.push_back({{word, QRectF(10, 10, 60, 20)}});
    PageFileSaver saver(review.Pages(), Images());
    saver.SetLayer(layer);
    ASSERT_EQ(saver.Save(QStringLiteral("text"), Format::Pdf, false), Outcome::Saved);
    QStringList sheets;
    for (const char* page : {"1", "2"}) {
        QProcess text;
        text.start(QStringLiteral("pdftotext"),
                   {QStringLiteral("-f"), QLatin1String(page), QStringLiteral("-l"),
                    QLatin1String(page), Images() + QStringLiteral("/text.pdf"),
                    QStringLiteral("-")});
        ASSERT_TRUE(text.waitForFinished(30000));
        sheets.append(QString::fromUtf8(text.readAllStandardOutput()).trimmed());
    }
    EXPECT_EQ(sheets, QStringList({QStringLiteral("첫째"), QStringLiteral("셋째")}));
}

TEST_F(PageFileSaverTest, JpegScrollAndPagesMatchThePagesInOrder) {
    const TestReview review(4, 16, 1024, {true, false, true, true});
    PageFileSaver saver(review.Pages(), Images());
    ASSERT_EQ(saver.Save(QStringLiteral("j"), Format::Jpeg, true), Outcome::Saved);
    const DecodedJpeg scroll(Images() + QStringLiteral("/j.jpg"));
    ASSERT_EQ(scroll.width, 16);
    ASSERT_EQ(scroll.height, 3 * 1024);
    const int pages[] = {0, 2, 3};
    for (int k = 0; k < 3; ++k) {
        for (int row : {8, 200, 1015}) { // away from the blended page edges
            const QByteArray want = TestReview::Pixel(pages[k], row); // blue, green, red
            const unsigned char* got = scroll.At(7, k * 1024 + row);
            EXPECT_NEAR(got[0], quint8(want[2]), 4) << k << " " << row;
            EXPECT_NEAR(got[1], quint8(want[1]), 4) << k << " " << row;
            EXPECT_NEAR(got[2], quint8(want[0]), 4) << k << " " << row;
        }
    }
    ASSERT_EQ(PageFileSaver::CreatePageFolder(Images(), QStringLiteral("j")),
              FolderResult::Created);
    ASSERT_EQ(saver.Save(QStringLiteral("j"), Format::Jpeg, false), Outcome::Saved);
    EXPECT_EQ(Files(Images() + QStringLiteral("/j")),
              QStringList({QStringLiteral("j001.jpg"), QStringLiteral("j003.jpg"),
                           QStringLiteral("j004.jpg")}));
    const DecodedJpeg third(Images() + QStringLiteral("/j/j003.jpg"));
    ASSERT_EQ(third.height, 1024);
    EXPECT_NEAR(third.At(3, 500)[2], 80, 4);
}

TEST_F(PageFileSaverTest, OversizedScrollsAreRefusedBeforeWriting) {
    const TestReview tall(64, 1, 1024);
    PageFileSaver saver(tall.Pages(), Images());
    EXPECT_EQ(saver.MaxJpegScrollPages(), 63);
    EXPECT_EQ(saver.Save(QStringLiteral("tall"), Format::Jpeg, true), Outcome::JpegScrollTooTall);
    const TestReview fits(63, 1, 1024);
    EXPECT_EQ(
        PageFileSaver(fits.Pages(), Images()).Save(QStringLiteral("fits"), Format::Jpeg, true),
        Outcome::Saved);
    // Two pages of a million pixels a row: 8 GiB, beyond the header fields. Never read.
    PageRecord record;
    record.pixels = reinterpret_cast<quint8*>(&record);
    ReviewPages huge;
    huge.geometry = PageGeometry::For(1 << 20);
    huge.pages = {&record, &record};
    EXPECT_EQ(PageFileSaver(huge, Images()).Save(QStringLiteral("huge"), Format::Bmp, true),
              Outcome::BmpScrollTooLarge);
    EXPECT_EQ(Files(Images()), QStringList({QStringLiteral("fits.jpg")}));
}

TEST_F(PageFileSaverTest, FailedFileStopsTheSaveAndEarlierFilesStay) {
    const TestReview review(3, 4, 1024);
    PageFileSaver saver(review.Pages(), Images());
    ASSERT_EQ(PageFileSaver::CreatePageFolder(Images(), QStringLiteral("p")),
              FolderResult::Created);
    ASSERT_TRUE(QDir(Images()).mkpath(QStringLiteral("p/p002.bmp"))); // a folder in its place
    EXPECT_EQ(saver.Save(QStringLiteral("p"), Format::Bmp, false), Outcome::Failed);
    EXPECT_EQ(saver.FailedFile(), Images() + QStringLiteral("/p/p002.bmp"));
    EXPECT_EQ(saver.WrittenFiles(), 1);
    EXPECT_EQ(Files(Images() + QStringLiteral("/p")),
              QStringList({QStringLiteral("p001.bmp"), QStringLiteral("p002.bmp")}));
}

// A file cut short is never made; one of the same name from before keeps its bytes.
TEST_F(PageFileSaverTest, WritesCutShortByTheFileSizeLimitFailAndKeepEarlierFiles) {
    const TestReview review(2, 64, 1024);
    PageFileSaver saver(review.Pages(), Images());
    ASSERT_EQ(PageFileSaver::CreatePageFolder(Images(), QStringLiteral("q")),
              FolderResult::Created);
    const QString earlier = Images() + QStringLiteral("/s.png");
    ASSERT_TRUE(WriteAll(earlier, "earlier"));
    FileSizeLimit limit(2048);
    for (Format format : {Format::Bmp, Format::Jpeg, Format::Png}) {
        EXPECT_EQ(saver.Save(QStringLiteral("q"), format, false), Outcome::Failed);
        EXPECT_EQ(saver.Save(QStringLiteral("s"), format, true), Outcome::Failed);
        EXPECT_EQ(QFileInfo(saver.FailedFile()).fileName().left(2), QStringLiteral("s."));
    }
    EXPECT_EQ(saver.Save(QStringLiteral("s"), Format::Pdf, false), Outcome::Failed);
    EXPECT_EQ(Files(Images()), QStringList({QStringLiteral("q"), QStringLiteral("s.png")}));
    EXPECT_EQ(ReadAll(earlier), "earlier");
    EXPECT_TRUE(Files(Images() + QStringLiteral("/q")).isEmpty());
}

// The scroll and the page files on a disk that fills up: the earlier ones stay as they were.
TEST_F(PageFileSaverTest, AFullDiskKeepsTheEarlierFiles) {
    const SmallDisk disk(Images(), "128k");
    if (!disk.Mounted())
        GTEST_SKIP() << "no tmpfs could be mounted: the full disk is not tried";
    const TestReview review(2, 64, 1024);
    PageFileSaver saver(review.Pages(), Images());
    ASSERT_EQ(PageFileSaver::CreatePageFolder(Images(), QStringLiteral("q")),
              FolderResult::Created);
    const QString scroll = Images() + QStringLiteral("/s.bmp"),
                  page = Images() + QStringLiteral("/q/q001.bmp");
    ASSERT_TRUE(WriteAll(scroll, "earlier scroll") && WriteAll(page, "earlier page"));
    EXPECT_EQ(saver.Save(QStringLiteral("s"), Format::Bmp, true), Outcome::Failed);
    EXPECT_EQ(saver.Save(QStringLiteral("q"), Format::Bmp, false), Outcome::Failed);
    EXPECT_EQ(saver.FailedFile(), page);
    EXPECT_EQ(ReadAll(scroll), "earlier scroll");
    EXPECT_EQ(ReadAll(page), "earlier page");
    EXPECT_EQ(Files(Images()), QStringList({QStringLiteral("q"), QStringLiteral("s.bmp")}));
    EXPECT_EQ(Files(Images() + QStringLiteral("/q")), QStringList{QStringLiteral("q001.bmp")});
}

TEST_F(PageFileSaverTest, MissingOrBlockedImageFolderIsAFailure) {
    const TestReview review(1, 4, 1024);
    PageFileSaver missing(review.Pages(), m_dir.filePath(QStringLiteral("absent")));
    EXPECT_EQ(missing.Save(QStringLiteral("s"), Format::Bmp, true), Outcome::Failed);
    EXPECT_EQ(missing.Save(QStringLiteral("s"), Format::Jpeg, true), Outcome::Failed);
    // A file where the image folder should be.
    QFile blocker(m_dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(PageFileSaver::CreatePageFolder(blocker.fileName(), QStringLiteral("x")),
              FolderResult::Failed);
    EXPECT_EQ(PageFileSaver(review.Pages(), blocker.fileName())
                  .Save(QStringLiteral("x"), Format::Bmp, true),
              Outcome::Failed);
}

TEST_F(PageFileSaverTest, ReadOnlyImageFolderIsAFailure) {
    const QByteArray target = QFile::encodeName(Images());
    if (::mount("tmpfs", target.constData(), "tmpfs", MS_RDONLY, "size=64k") != 0)
        GTEST_SKIP() << "mounting a read-only folder needs privileges";
    const TestReview review(1, 4, 1024);
    PageFileSaver saver(review.Pages(), Images());
    const FolderResult folder = PageFileSaver::CreatePageFolder(Images(), QStringLiteral("ro"));
    const Outcome bmp = saver.Save(QStringLiteral("ro"), Format::Bmp, true);
    const Outcome jpeg = saver.Save(QStringLiteral("ro"), Format::Jpeg, true);
    ::umount2(target.constData(), MNT_DETACH);
    EXPECT_EQ(folder, FolderResult::Failed);
    EXPECT_EQ(bmp, Outcome::Failed);
    EXPECT_EQ(jpeg, Outcome::Failed);
}

TEST_F(PageFileSaverTest, ExistingFolderIsReported) {
    ASSERT_EQ(PageFileSaver::CreatePageFolder(Images(), QStringLiteral("dup")),
              FolderResult::Created);
    EXPECT_EQ(PageFileSaver::CreatePageFolder(Images(), QStringLiteral("dup")),
              FolderResult::Exists);
}

class RefusedNameTest : public ::testing::TestWithParam<QString> {};

TEST_P(RefusedNameTest, NeverReachesTheDisk) {
    QTemporaryDir dir;
    EXPECT_FALSE(PageFileSaver::IsUsableName(GetParam()));
    EXPECT_EQ(PageFileSaver::CreatePageFolder(dir.path(), GetParam()), FolderResult::Refused);
    const TestReview review(1, 2, 1024);
    EXPECT_EQ(PageFileSaver(review.Pages(), dir.path()).Save(GetParam(), Format::Bmp, true),
              Outcome::Failed);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_TRUE(QDir(dir.path() + QStringLiteral("/..")).exists());
}

INSTANTIATE_TEST_SUITE_P(Names, RefusedNameTest,
                         ::testing::Values(QString(), QStringLiteral("."), QStringLiteral(".."),
                                           QStringLiteral("../up"), QStringLiteral("a/b"),
                                           QStringLiteral("a\\b"), QStringLiteral("tab\there"),
                                           QStringLiteral("del\x7f"),
                                           QString(QChar(0xD800)) + QStringLiteral("x")));

} // namespace
