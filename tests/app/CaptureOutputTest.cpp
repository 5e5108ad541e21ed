#include "app/CaptureOutput.h"
#include "tests/imaging/FileSizeLimit.h"
#include "tests/support/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstring>

#include <gtest/gtest.h>

namespace {

constexpr int kWidth = 40;

// Text lines as a page has them: runs of rows that differ from row to row (glyphs), with blank
// gaps between them; here and there a tall picture in which no two rows are alike.
QImage LinesPage(int height, quint32 seed) {
    QRandomGenerator random(seed);
    QImage image(kWidth, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < height;) {
        const bool picture = random.bounded(8) == 0;
        const int rows = picture ? 300 + random.bounded(700) : 8 + random.bounded(30);
        for (int r = 0; r < rows && y + r < height; ++r)
            image.setPixel(r % kWidth, y + r, qRgb(r & 0xFF, y & 0xFF, picture ? 9 : 0));
        y += rows + (picture ? 0 : random.bounded(6));
    }
    return image;
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

bool SameRow(const QImage& image, int a, int b) {
    return std::memcmp(image.constScanLine(a), image.constScanLine(b), kWidth * 4) == 0;
}

} // namespace

// Against the rule read literally: each break is the first place from the page's end, up to 400
// rows back, between two identical rows (none: the page stays full), and the pages' content
// rows, in order, are the document's rows followed only by white.
TEST(CaptureOutput, AutomaticBreaksCutNoLineAndLoseNoRow) {
    for (quint32 seed = 1; seed <= 40; ++seed) {
        const QImage rows = LinesPage(2000 + int(seed) * 517, seed);
        PageSet set;
        ASSERT_TRUE(CaptureOutput::CutPages(rows, true, set));
        int y = 0;
        for (int i = 0; i < set.Count(); ++i) {
            const PageRecord* page = set.Page(i);
            const int kept = CaptureOutput::kPageRows - page->bottomMargin;
            if (y + CaptureOutput::kPageRows < rows.height()) {
                int expected = 0;
                while (expected <= 400 && !SameRow(rows, y + 1023 - expected, y + 1024 - expected))
                    ++expected;
                ASSERT_EQ(page->bottomMargin, expected > 400 ? 0 : expected) << seed << ' ' << i;
            }
            for (int r = 0; r < CaptureOutput::kPageRows; ++r) {
                const quint8* got = set.Row(page, r);
                if (r < kept && y + r < rows.height())
                    ASSERT_EQ(std::memcmp(got, rows.constScanLine(y + r), kWidth * 4), 0);
                else
                    ASSERT_TRUE(got[0] == 0xFF && got[kWidth * 4 - 1] == 0xFF) << seed;
            }
            y += kept;
        }
        EXPECT_GE(y, rows.height()) << seed;
    }
}

// The second of three pages cannot be written: no file of the job is put in place, so the files
// there before (a symbolic link among them) keep their bytes and nothing new is left. Written
// later, each page file replaces what was there; the link's former target stays as it was.
TEST(CaptureOutput, AFailedJobChangesNoEarlierFileAndLeavesNothing) {
    QTemporaryDir dir;
    QImage rows(kWidth, 3 * CaptureOutput::kPageRows, QImage::Format_RGB32);
    rows.fill(Qt::white);
    QRandomGenerator random(7);
    for (int y = CaptureOutput::kPageRows; y < 2 * CaptureOutput::kPageRows; ++y) {
        for (int x = 0; x < kWidth; ++x)
            rows.setPixel(x, y, random.generate()); // noise: a PNG of it is large
    }
    const QString linked = dir.filePath(QStringLiteral("linked")),
                  first = dir.filePath(QStringLiteral("p001.png")),
                  second = dir.filePath(QStringLiteral("p002.png"));
    ASSERT_TRUE(WriteAll(linked, "first, linked") && QFile::link(linked, first));
    ASSERT_TRUE(WriteAll(second, "second"));
    const QStringList before = Entries(dir.path());
    CaptureJob job;
    job.out = dir.filePath(QStringLiteral("p.png"));
    job.pages = true;
    CaptureOutput output;
    {
        FileSizeLimit limit(16 * 1024);
        EXPECT_FALSE(output.Write(rows, job));
    }
    EXPECT_EQ(output.FailedFile(), second);
    EXPECT_TRUE(output.Written().isEmpty());
    EXPECT_EQ(Entries(dir.path()), before);
    EXPECT_EQ(QFileInfo(first).symLinkTarget(), linked);
    EXPECT_EQ(ReadAll(linked), "first, linked");
    EXPECT_EQ(ReadAll(second), "second");

    ASSERT_TRUE(output.Write(rows, job)) << output.Reason().toStdString();
    EXPECT_EQ(output.Written(),
              QStringList({first, second, dir.filePath(QStringLiteral("p003.png"))}));
    EXPECT_EQ(Entries(dir.path()), before + QStringList{QStringLiteral("p003.png")});
    EXPECT_FALSE(QFileInfo(first).isSymLink());
    EXPECT_EQ(ReadAll(linked), "first, linked");
    EXPECT_EQ(QImage(second).convertToFormat(QImage::Format_RGB32),
              rows.copy(0, CaptureOutput::kPageRows, kWidth, CaptureOutput::kPageRows));
}
