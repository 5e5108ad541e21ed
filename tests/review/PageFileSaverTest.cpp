#include "review/PageFileSaver.h"
#include "tests/imaging/DecodedJpeg.h"
#include "tests/imaging/FileSizeLimit.h"
#include "tests/review/TestReview.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstdlib>

#include <sys/mount.h>

namespace {

using Outcome = PageFileSaver::Outcome;
using FolderResult = PageFileSaver::FolderResult;

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

qint32 HeaderField(const QByteArray& file, int offset) {
    return qFromLittleEndian<qint32>(file.constData() + offset);
}

class PageFileSaverTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("user_image"))); }
    QString Images() const { return m_dir.filePath(QStringLiteral("user_image")); }
    QStringList Files(const QString& folder) const {
        return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir m_dir;
};

TEST_F(PageFileSaverTest, PerPageBmpFilesAreNumberedByListPlaceWithRowsBottomUp) {
    const TestReview review(3, 6, 1024, {true, false, true});
    PageFileSaver saver(review.Pages(), Images());
    ASSERT_EQ(PageFileSaver::CreatePageFolder(Images(), QStringLiteral("뉴스 페이지")),
              FolderResult::Created);
    ASSERT_EQ(saver.Save(QStringLiteral("뉴스 페이지"), true, false), Outcome::Saved);
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

TEST_F(PageFileSaverTest, BmpScrollShowsTheUsedPagesTopToBottom) {
    const TestReview review(5, 4, 1024, {false, true, true, false, true});
    PageFileSaver saver(review.Pages(), Images());
    ASSERT_EQ(saver.Save(QStringLiteral("scroll"), true, true), Outcome::Saved);
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

TEST_F(PageFileSaverTest, BmpScrollWithoutUsedPagesHoldsHeadersOnly) {
    const TestReview review(2, 4, 1024, {false, false});
    PageFileSaver saver(review.Pages(), Images());
    ASSERT_EQ(saver.Save(QStringLiteral("none"), true, true), Outcome::Saved);
    const QByteArray file = ReadAll(Images() + QStringLiteral("/none.bmp"));
    ASSERT_EQ(file.size(), 54);
    EXPECT_EQ(HeaderField(file, 22), 0);
}

TEST_F(PageFileSaverTest, JpegScrollAndPagesMatchThePagesInOrder) {
    const TestReview review(4, 16, 1024, {true, false, true, true});
    PageFileSaver saver(review.Pages(), Images());
    ASSERT_EQ(saver.Save(QStringLiteral("j"), false, true), Outcome::Saved);
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
    ASSERT_EQ(saver.Save(QStringLiteral("j"), false, false), Outcome::Saved);
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
    EXPECT_EQ(saver.Save(QStringLiteral("tall"), false, true), Outcome::JpegScrollTooTall);
    const TestReview fits(63, 1, 1024);
    EXPECT_EQ(PageFileSaver(fits.Pages(), Images()).Save(QStringLiteral("fits"), false, true),
              Outcome::Saved);
    const TestReview none(1, 1, 1024, {false});
    EXPECT_EQ(PageFileSaver(none.Pages(), Images()).Save(QStringLiteral("n"), false, true),
              Outcome::NoUsedPages);
    // Two pages of a million pixels a row: 8 GiB, beyond the header fields. Never read.
    PageRecord record;
    record.pixels = reinterpret_cast<quint8*>(&record);
    ReviewPages huge;
    huge.geometry = PageGeometry::For(1 << 20);
    huge.pages = {&record, &record};
    EXPECT_EQ(PageFileSaver(huge, Images()).Save(QStringLiteral("huge"), true, true),
              Outcome::BmpScrollTooLarge);
    EXPECT_EQ(Files(Images()), QStringList({QStringLiteral("fits.jpg")}));
}

TEST_F(PageFileSaverTest, FailedFileStopsTheSaveAndEarlierFilesStay) {
    const TestReview review(3, 4, 1024);
    PageFileSaver saver(review.Pages(), Images());
    ASSERT_EQ(PageFileSaver::CreatePageFolder(Images(), QStringLiteral("p")),
              FolderResult::Created);
    ASSERT_TRUE(QDir(Images()).mkpath(QStringLiteral("p/p002.bmp"))); // a folder in its place
    EXPECT_EQ(saver.Save(QStringLiteral("p"), true, false), Outcome::Failed);
    EXPECT_EQ(saver.FailedFile(), Images() + QStringLiteral("/p/p002.bmp"));
    EXPECT_EQ(saver.WrittenFiles(), 1);
    EXPECT_EQ(Files(Images() + QStringLiteral("/p")),
              QStringList({QStringLiteral("p001.bmp"), QStringLiteral("p002.bmp")}));
}

TEST_F(PageFileSaverTest, WritesCutShortByTheFileSizeLimitFailAndAreRemoved) {
    const TestReview review(2, 64, 1024);
    PageFileSaver saver(review.Pages(), Images());
    ASSERT_EQ(PageFileSaver::CreatePageFolder(Images(), QStringLiteral("q")),
              FolderResult::Created);
    FileSizeLimit limit(2048);
    for (bool bmp : {true, false}) {
        EXPECT_EQ(saver.Save(QStringLiteral("q"), bmp, false), Outcome::Failed);
        EXPECT_EQ(saver.Save(QStringLiteral("s"), bmp, true), Outcome::Failed);
        EXPECT_TRUE(
            saver.FailedFile().endsWith(bmp ? QStringLiteral("s.bmp") : QStringLiteral("s.jpg")));
    }
    EXPECT_EQ(Files(Images()), QStringList({QStringLiteral("q")}));
    EXPECT_TRUE(Files(Images() + QStringLiteral("/q")).isEmpty());
}

TEST_F(PageFileSaverTest, MissingOrBlockedImageFolderIsAFailure) {
    const TestReview review(1, 4, 1024);
    PageFileSaver missing(review.Pages(), m_dir.filePath(QStringLiteral("absent")));
    EXPECT_EQ(missing.Save(QStringLiteral("s"), true, true), Outcome::Failed);
    EXPECT_EQ(missing.Save(QStringLiteral("s"), false, true), Outcome::Failed);
    // A file where the image folder should be.
    QFile blocker(m_dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(PageFileSaver::CreatePageFolder(blocker.fileName(), QStringLiteral("x")),
              FolderResult::Failed);
    EXPECT_EQ(
        PageFileSaver(review.Pages(), blocker.fileName()).Save(QStringLiteral("x"), true, true),
        Outcome::Failed);
}

TEST_F(PageFileSaverTest, ReadOnlyImageFolderIsAFailure) {
    const QByteArray target = QFile::encodeName(Images());
    if (::mount("tmpfs", target.constData(), "tmpfs", MS_RDONLY, "size=64k") != 0)
        GTEST_SKIP() << "mounting a read-only folder needs privileges";
    const TestReview review(1, 4, 1024);
    PageFileSaver saver(review.Pages(), Images());
    const FolderResult folder = PageFileSaver::CreatePageFolder(Images(), QStringLiteral("ro"));
    const Outcome bmp = saver.Save(QStringLiteral("ro"), true, true);
    const Outcome jpeg = saver.Save(QStringLiteral("ro"), false, true);
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
    EXPECT_EQ(PageFileSaver(review.Pages(), dir.path()).Save(GetParam(), true, true),
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
