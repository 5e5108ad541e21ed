#include "imaging/PageStackWriter.h"
#include "imaging/PdfWriter.h"
#include "imaging/PngWriter.h"
#include "imaging/StagedFiles.h"
#include "tests/imaging/FileSizeLimit.h"
#include "tests/imaging/SmallDisk.h"
#include "tests/support/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

// A page buffer, blue-green-red-spare, every pixel different from its neighbours.
std::vector<quint8> Pixels(int w, int h, int bytesPerPixel, int seed = 0) {
    std::vector<quint8> p(size_t(w) * h * bytesPerPixel);
    for (size_t i = 0; i < p.size(); ++i)
        p[i] = quint8((i * 7 + i / 13 + seed) % 251);
    return p;
}

QRgb PixelAt(const std::vector<quint8>& p, int w, int x, int y, int bytesPerPixel) {
    const quint8* px = p.data() + (size_t(y) * w + x) * bytesPerPixel;
    return qRgb(px[2], px[1], px[0]);
}

// Runs a poppler tool; its standard output, or nothing when it failed.
std::optional<QByteArray> RunTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    return p.readAllStandardOutput();
}

// A field of pdfinfo's answer, without the padding after its name.
QString InfoField(const QString& info, const QString& name) {
    for (const QString& line : info.split(QLatin1Char('\n'))) {
        if (line.startsWith(name + QLatin1Char(':')))
            return line.mid(name.size() + 1).trimmed();
    }
    return {};
}

// Pixels no compressor can shrink much.
std::vector<quint8> Noise(size_t bytes) {
    std::vector<quint8> p(bytes);
    quint32 x = 2463534242u;
    for (quint8& b : p) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = quint8(x);
    }
    return p;
}

// The smallest rectangle holding every pixel that is not white.
QRect InkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 200)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

// A picture all black but for a white dot: its box on the sheet is where it was drawn.
std::vector<quint8> Black(int w, int h) {
    std::vector<quint8> p(size_t(w) * h * 4, 0);
    p[4 * size_t(w) + 4] = p[4 * size_t(w) + 5] = p[4 * size_t(w) + 6] = 255;
    return p;
}

class PngPdfWriterTest : public ::testing::Test {
  protected:
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

TEST_F(PngPdfWriterTest, PngHoldsThePagesPixelForPixelAsEightBitRgb) {
    for (const int bpp : {4, 3}) {
        const int w = 37, h = 20;
        const auto top = Pixels(w, h, bpp, 1), bottom = Pixels(w, h, bpp, 2);
        const QString path = Path(QStringLiteral("p%1.png").arg(bpp));
        PngWriter png;
        ASSERT_TRUE(png.Open(path, w, 2 * h, bpp));
        ASSERT_TRUE(png.WriteBand(top.data(), h));
        ASSERT_TRUE(png.WriteBand(bottom.data(), h));
        ASSERT_TRUE(png.Close());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray head = f.read(26);
        EXPECT_EQ(head.at(24), 8); // bit depth
        EXPECT_EQ(head.at(25), 2); // colour type: RGB, no alpha
        const QImage read(path);
        ASSERT_EQ(read.size(), QSize(w, 2 * h));
        for (int y = 0; y < 2 * h; ++y) {
            for (int x = 0; x < w; ++x) {
                const QRgb want = PixelAt(y < h ? top : bottom, w, x, y % h, bpp);
                ASSERT_EQ(read.pixel(x, y), want) << bpp << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(PngPdfWriterTest, UnfinishedOrRefusedPngLeavesNoFile) {
    const auto rows = Pixels(8, 4, 4);
    const QString path = Path(QStringLiteral("cut.png"));
    {
        PngWriter shortOne;
        ASSERT_TRUE(shortOne.Open(path, 8, 5, 4));
        ASSERT_TRUE(shortOne.WriteBand(rows.data(), 4));
        EXPECT_FALSE(shortOne.Close());
        EXPECT_FALSE(QFile::exists(path));
    }
    {
        PngWriter longOne;
        ASSERT_TRUE(longOne.Open(path, 8, 3, 4));
        EXPECT_FALSE(longOne.WriteBand(rows.data(), 4));
        EXPECT_FALSE(longOne.Close());
        EXPECT_FALSE(QFile::exists(path));
    }
    {
        PngWriter dropped;
        ASSERT_TRUE(dropped.Open(path, 8, 4, 4));
        ASSERT_TRUE(dropped.WriteBand(rows.data(), 2));
    }
    EXPECT_FALSE(QFile::exists(path));
    PngWriter refused;
    EXPECT_FALSE(refused.Open(path, 0, 4, 4));
    EXPECT_FALSE(refused.Open(path, 8, 4, 2));
    EXPECT_FALSE(refused.Open(Path(QStringLiteral("no/such/folder.png")), 8, 4, 4));
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(PngPdfWriterTest, WritesBeyondTheFileSizeLimitFailAndLeaveNoFile) {
    const auto noisy = Noise(300 * 300 * 4);
    const QString png = Path(QStringLiteral("big.png")), pdf = Path(QStringLiteral("big.pdf"));
    FileSizeLimit limit(16384);
    PngWriter pngWriter;
    bool ok = pngWriter.Open(png, 300, 300, 4) && pngWriter.WriteBand(noisy.data(), 300);
    EXPECT_FALSE(pngWriter.Close() && ok);
    PdfWriter pdfWriter;
    ok = pdfWriter.Open(pdf, QStringLiteral("t")) && pdfWriter.AddPage(noisy.data(), 300, 300, 4);
    EXPECT_FALSE(pdfWriter.Close() && ok);
    EXPECT_FALSE(QFile::exists(png));
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(PngPdfWriterTest, PdfHasOneA4PagePerPictureWithTheTitleAndLosslessPixels) {
    const QString path = Path(QStringLiteral("doc.pdf"));
    const auto first = Pixels(120, 100, 4, 3), second = Pixels(60, 90, 3, 4);
    PdfWriter pdf;
    ASSERT_TRUE(pdf.Open(path, QStringLiteral("Tarnel - 한글 (제목)")));
    ASSERT_TRUE(pdf.AddPage(first.data(), 120, 100, 4));
    ASSERT_TRUE(pdf.AddPage(second.data(), 60, 90, 3));
    ASSERT_TRUE(pdf.Close());

    const auto answer = RunTool(QStringLiteral("pdfinfo"), {path});
    ASSERT_TRUE(answer);
    const QString info = QString::fromUtf8(*answer);
    EXPECT_EQ(InfoField(info, QStringLiteral("Pages")), QStringLiteral("2"));
    EXPECT_EQ(InfoField(info, QStringLiteral("Page size")),
              QStringLiteral("595.276 x 841.89 pts (A4)"));
    EXPECT_EQ(InfoField(info, QStringLiteral("Title")), QStringLiteral("Tarnel - 한글 (제목)"));
    // The stored pictures come out as they went in: their own size, every pixel.
    const QString prefix = Path(QStringLiteral("img"));
    ASSERT_TRUE(RunTool(QStringLiteral("pdfimages"), {QStringLiteral("-png"), path, prefix}));
    const QImage a(prefix + QStringLiteral("-000.png")), b(prefix + QStringLiteral("-001.png"));
    ASSERT_EQ(a.size(), QSize(120, 100));
    ASSERT_EQ(b.size(), QSize(60, 90));
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 120; ++x)
            ASSERT_EQ(a.pixel(x, y), PixelAt(first, 120, x, y, 4)) << x << "," << y;
    }
    for (int y = 0; y < 90; ++y) {
        for (int x = 0; x < 60; ++x)
            ASSERT_EQ(b.pixel(x, y), PixelAt(second, 60, x, y, 3)) << x << "," << y;
    }
}

TEST_F(PngPdfWriterTest, PdfPicturesKeepTheirProportionsTopAlignedWithinTheMargins) {
    // Wide: the printable width, at the top. Narrow and tall: the printable height, centred.
    const QString path = Path(QStringLiteral("shape.pdf"));
    const auto wide = Black(1200, 1024), narrow = Black(300, 1024);
    PdfWriter pdf;
    ASSERT_TRUE(pdf.Open(path, QStringLiteral("shape")));
    ASSERT_TRUE(pdf.AddPage(wide.data(), 1200, 1024, 4));
    ASSERT_TRUE(pdf.AddPage(narrow.data(), 300, 1024, 4));
    ASSERT_TRUE(pdf.Close());
    const QString prefix = Path(QStringLiteral("sheet"));
    // 72 dots per inch: one pixel per point, A4 is 595 x 842.
    ASSERT_TRUE(RunTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("72"),
                                                     QStringLiteral("-png"), path, prefix}));
    const QImage one(prefix + QStringLiteral("-1.png")), two(prefix + QStringLiteral("-2.png"));
    ASSERT_NEAR(one.width(), 595, 1);
    ASSERT_NEAR(one.height(), 842, 1);
    const QRect w = InkBox(one), n = InkBox(two);
    EXPECT_NEAR(w.left(), 28, 1);
    EXPECT_NEAR(w.top(), 28, 1);
    EXPECT_NEAR(w.width(), 539, 2);
    EXPECT_NEAR(double(w.height()) / w.width(), 1024.0 / 1200, 0.01);
    EXPECT_NEAR(n.top(), 28, 1);
    EXPECT_NEAR(n.height(), 785, 2);
    EXPECT_NEAR(double(n.height()) / n.width(), 1024.0 / 300, 0.05);
    EXPECT_NEAR(n.left() + n.width() / 2.0, one.width() / 2.0, 1.5);
}

TEST_F(PngPdfWriterTest, PdfWithoutPagesOrWithABadPictureLeavesNoFile) {
    const QString path = Path(QStringLiteral("none.pdf"));
    PdfWriter empty;
    ASSERT_TRUE(empty.Open(path, QStringLiteral("x")));
    EXPECT_FALSE(empty.Close());
    EXPECT_FALSE(QFile::exists(path));
    const auto rows = Pixels(4, 4, 4);
    PdfWriter bad;
    ASSERT_TRUE(bad.Open(path, QStringLiteral("x")));
    ASSERT_TRUE(bad.AddPage(rows.data(), 4, 4, 4));
    EXPECT_FALSE(bad.AddPage(rows.data(), 4, 4, 2));
    EXPECT_FALSE(bad.AddPage(rows.data(), 4, 4, 4));
    EXPECT_FALSE(bad.Close());
    EXPECT_FALSE(QFile::exists(path));
}

// Every file in folder, hidden ones and folders too.
QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// A noise picture of 256 KiB in the format named by the file's ending, through the writer the
// save dialog and the command line use; what the writer answered.
bool WriteNoise(const QString& path) {
    constexpr int kSide = 256;
    static const std::vector<quint8> noise = Noise(size_t(kSide) * kSide * 4);
    const QString ending = QFileInfo(path).suffix();
    if (ending == QLatin1String("pdf")) {
        PdfWriter pdf;
        const bool ok =
            pdf.Open(path, QStringLiteral("t")) && pdf.AddPage(noise.data(), kSide, kSide, 4);
        return pdf.Close() && ok;
    }
    const PageStackWriter writer(kSide, kSide, 4);
    if (ending == QLatin1String("bmp"))
        return writer.WriteBmp(path, {noise.data()});
    if (ending == QLatin1String("png"))
        return writer.WritePng(path, {noise.data()});
    return writer.WriteJpeg(path, {noise.data()}, 100);
}

const QByteArray kEarlier = "an earlier file of the same name";

// A save that fails replaces nothing: the earlier file keeps its bytes, a symbolic link stays
// with its target, and no temporary file is left.
class FailedSaveTest : public ::testing::TestWithParam<const char*> {
  protected:
    QString Target(const QString& folder) const {
        return folder + QStringLiteral("/report.") + QLatin1String(GetParam());
    }
    QTemporaryDir m_dir;
};

TEST_P(FailedSaveTest, KeepsTheEarlierFileOnAFullDiskOrAtTheSizeLimit) {
    const QString target = Target(m_dir.path());
    ASSERT_TRUE(WriteAll(target, kEarlier));
    {
        FileSizeLimit limit(64 * 1024);
        EXPECT_FALSE(WriteNoise(target));
    }
    EXPECT_EQ(ReadAll(target), kEarlier);
    EXPECT_EQ(Entries(m_dir.path()), QStringList{QFileInfo(target).fileName()});

    const QString small = m_dir.filePath(QStringLiteral("small"));
    const SmallDisk disk(small, "64k");
    if (!disk.Mounted())
        GTEST_SKIP() << "no tmpfs could be mounted: the full disk is not tried";
    const QString onDisk = Target(small);
    ASSERT_TRUE(WriteAll(onDisk, kEarlier));
    errno = 0;
    EXPECT_FALSE(WriteNoise(onDisk));
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_EQ(ReadAll(onDisk), kEarlier);
    EXPECT_EQ(Entries(small), QStringList{QFileInfo(onDisk).fileName()});
}

TEST_P(FailedSaveTest, ReplacesALinkOnlyWithACompleteFileAndNeverWritesThroughIt) {
    const QString target = Target(m_dir.path()), linked = m_dir.filePath(QStringLiteral("linked"));
    ASSERT_TRUE(WriteAll(linked, kEarlier));
    ASSERT_TRUE(QFile::link(linked, target));
    {
        FileSizeLimit limit(64 * 1024);
        EXPECT_FALSE(WriteNoise(target));
    }
    EXPECT_EQ(QFileInfo(target).symLinkTarget(), linked);
    EXPECT_EQ(ReadAll(linked), kEarlier);
    EXPECT_EQ(Entries(m_dir.path()).size(), 2);

    // Complete, it takes the link's place with a plain create's permissions.
    const mode_t umask = ::umask(027);
    const bool saved = WriteNoise(target);
    ::umask(umask);
    ASSERT_TRUE(saved);
    const QFileInfo file(target);
    EXPECT_FALSE(file.isSymLink());
    EXPECT_GT(file.size(), 64 * 1024);
    EXPECT_EQ(ReadAll(linked), kEarlier);
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(Entries(m_dir.path()).size(), 2);
}

INSTANTIATE_TEST_SUITE_P(Formats, FailedSaveTest, ::testing::Values("bmp", "png", "jpg", "pdf"),
                         [](const auto& info) { return std::string(info.param); });

// Nothing moves before Commit; a move that fails takes back the new files already moved.
TEST(StagedFiles, AFailedCommitTakesBackTheNewFilesAndTheStagingFolder) {
    QTemporaryDir dir;
    const QString fresh = dir.filePath(QStringLiteral("fresh.png")),
                  old = dir.filePath(QStringLiteral("old.png")),
                  blocked = dir.filePath(QStringLiteral("blocked.png"));
    ASSERT_TRUE(WriteAll(old, kEarlier));
    {
        StagedFiles stage(dir.path());
        for (const QString& target : {fresh, old, blocked})
            ASSERT_TRUE(WriteAll(stage.Stage(target), "new"));
        EXPECT_EQ(ReadAll(old), kEarlier);
        EXPECT_FALSE(QFile::exists(fresh));
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("blocked.png")));
        EXPECT_FALSE(stage.Commit());
        EXPECT_EQ(errno, EISDIR);
        EXPECT_EQ(stage.FailedTarget(), blocked);
        EXPECT_TRUE(stage.Targets().isEmpty());
    }
    // The replaced file cannot come back; the new one is gone again.
    EXPECT_EQ(Entries(dir.path()),
              QStringList({QStringLiteral("blocked.png"), QStringLiteral("old.png")}));
    EXPECT_EQ(ReadAll(old), "new");
}

} // namespace
