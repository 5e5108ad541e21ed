// Saving 30 used pages of 1200 pixels against the libraries' own floor: JPEG files (one per page
// and one scroll of 30,720 rows) against libjpeg compressing the same pixels with no file, BMP
// files against one fwrite of the same bytes made durable as the writers make theirs (fsync),
// PNG files per page against libpng alone writing
// the same files at the same settings, and the PDF against the PNG files. Goals: JPEG at least
// 0.9 x the direct figure, BMP at least 0.8 x the plain write, PNG at least 0.8 x libpng, the PDF
// within 1.5 x the PNG time, and a JPEG scroll that needs no copy of the pages. Then the same at
// ratio 2: pages of 2400 x 2048 pixels (the same document pages captured at twice the pixels),
// whose ratios to the same floors should stay as at 1.
#include "imaging/PngWriter.h"
#include "review/PageFileSaver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include <jpeglib.h>
#include <png.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kPages = 30;
constexpr int kDocWidth = 1200;
constexpr int kDocHeight = 1024;
constexpr int kRounds = 5;

int s_nScale = 1; // pixels per document pixel of the run under way

int Width() {
    return kDocWidth * s_nScale;
}
int Height() {
    return kDocHeight * s_nScale;
}
size_t PageBytes() {
    return size_t(Width()) * size_t(Height()) * 4;
}

// Wall-clock and processor time of one run, in milliseconds.
struct Timing {
    double wallMs = 1e30;
    double cpuMs = 1e30;
};

double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The machine is shared: the runs of a measure and of its floor alternate, and each keeps the
// best of its rounds, by the clock and by processor time. reset (not timed) removes what the
// previous run wrote.
void BestOfBoth(const auto& run, Timing& runBest, const auto& floor, Timing& floorBest,
                const auto& reset) {
    const auto once = [&reset](const auto& f, Timing& best) {
        reset();
        QElapsedTimer timer;
        const double cpu = CpuMs();
        timer.start();
        f();
        best.wallMs = std::min(best.wallMs, timer.nsecsElapsed() / 1e6);
        best.cpuMs = std::min(best.cpuMs, CpuMs() - cpu);
    };
    for (int i = 0; i < kRounds; ++i) {
        once(run, runBest);
        once(floor, floorBest);
    }
}

// Something like a captured page: white paper, lines of dark "text", a coloured band.
void FillPage(quint8* p, int page) {
    for (int py = 0; py < Height(); ++py) {
        quint8* row = p + size_t(py) * size_t(Width()) * 4;
        const int y = py / s_nScale;
        const bool textLine = (y / 14) % 3 != 2 && y % 14 < 10;
        for (int px = 0; px < Width(); ++px) {
            const int x = px / s_nScale;
            quint8 v = 0xFF;
            if (textLine && x > 60 && x < 1140 && ((x * 7 + y * 3 + page) % 11) < 4)
                v = quint8(30 + (x * y) % 60);
            const bool band = y > 300 && y < 420;
            row[px * 4 + 0] = band ? quint8(200 - page) : v;
            row[px * 4 + 1] = band ? quint8(120 + x % 50) : v;
            row[px * 4 + 2] = band ? quint8(40 + page) : v;
            row[px * 4 + 3] = 0;
        }
    }
}

// A destination that throws the compressed bytes away.
struct NullDest {
    jpeg_destination_mgr pub;
    JOCTET buffer[65536];
};

void InitNull(j_compress_ptr c) {
    auto* d = reinterpret_cast<NullDest*>(c->dest);
    d->pub.next_output_byte = d->buffer;
    d->pub.free_in_buffer = sizeof(d->buffer);
}

boolean EmptyNull(j_compress_ptr c) {
    InitNull(c);
    return TRUE;
}

void TermNull(j_compress_ptr) {}

// libjpeg-turbo alone: the pages as blue-green-red-spare rows, quality 100, no file.
void CompressDirect(const std::vector<const quint8*>& pages, bool asOneImage) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    NullDest dest;
    dest.pub.init_destination = InitNull;
    dest.pub.empty_output_buffer = EmptyNull;
    dest.pub.term_destination = TermNull;
    c.dest = &dest.pub;
    const size_t images = asOneImage ? 1 : pages.size();
    const int pagesPerImage = asOneImage ? int(pages.size()) : 1;
    for (size_t i = 0; i < images; ++i) {
        c.image_width = Width();
        c.image_height = JDIMENSION(Height() * pagesPerImage);
        c.input_components = 4;
        c.in_color_space = JCS_EXT_BGRX;
        jpeg_set_defaults(&c);
        jpeg_set_quality(&c, 100, TRUE);
        jpeg_start_compress(&c, TRUE);
        while (c.next_scanline < c.image_height) {
            const int y = int(c.next_scanline);
            const quint8* page = pages[i + size_t(y / Height())];
            JSAMPROW row = const_cast<JSAMPROW>(page + size_t(y % Height()) * Width() * 4);
            jpeg_write_scanlines(&c, &row, 1);
        }
        jpeg_finish_compress(&c);
    }
    jpeg_destroy_compress(&c);
}

// libpng alone, at the PNG writer's settings, one file per page through a stdio stream.
bool PngDirect(const std::vector<const quint8*>& pages, const QString& folder) {
    QDir().mkpath(folder);
    bool ok = true;
    for (size_t i = 0; i < pages.size(); ++i) {
        const QByteArray path = QFile::encodeName(
            folder + QStringLiteral("/direct%1.png").arg(i + 1, 3, 10, QLatin1Char('0')));
        std::FILE* f = std::fopen(path.constData(), "wb");
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png ? png_create_info_struct(png) : nullptr;
        if (!f || !info || setjmp(png_jmpbuf(png))) {
            png_destroy_write_struct(&png, &info);
            if (f)
                std::fclose(f);
            return false;
        }
        png_init_io(png, f);
        png_set_compression_level(png, PngWriter::kCompressionLevel);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
        png_set_compression_buffer_size(png, 1 << 18);
        png_set_IHDR(png, info, Width(), Height(), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
        png_write_info(png, info);
        png_set_bgr(png);
        png_set_filler(png, 0, PNG_FILLER_AFTER);
        for (int y = 0; y < Height(); ++y)
            png_write_row(png, pages[i] + size_t(y) * Width() * 4);
        png_write_end(png, nullptr);
        png_destroy_write_struct(&png, &info);
        ok = std::fclose(f) == 0 && ok;
    }
    return ok;
}

long PeakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void Report(const char* what, const Timing& t, double units, const char* unit, const Timing& floor,
            double goal) {
    const double wallRatio = floor.wallMs / t.wallMs;
    const double cpuRatio = floor.cpuMs / t.cpuMs;
    std::printf("%-22s %7.1f ms %7.1f %s | cpu %7.1f ms %7.1f %s | %.2f x clock, %.2f x cpu "
                "(goal %.1f x: %s)\n",
                what, t.wallMs, units / t.wallMs * 1e3, unit, t.cpuMs, units / t.cpuMs * 1e3, unit,
                wallRatio, cpuRatio, goal,
                std::max(wallRatio, cpuRatio) >= goal ? "met" : "NOT met");
}

void Floor(const char* what, const Timing& t, double units, const char* unit) {
    std::printf("%-22s %7.1f ms %7.1f %s | cpu %7.1f ms %7.1f %s\n", what, t.wallMs,
                units / t.wallMs * 1e3, unit, t.cpuMs, units / t.cpuMs * 1e3, unit);
}

// The figures of one ratio; false when a file could not be written.
bool Run(int scale) {
    s_nScale = scale;
    // Beside the program's own files, on the disk the user's pictures would go to.
    QTemporaryDir dir(QDir::current().filePath(QStringLiteral("bench-save-XXXXXX")));
    if (!dir.isValid())
        return false;

    std::vector<std::unique_ptr<quint8[]>> buffers;
    std::vector<PageRecord> records(kPages);
    std::vector<const quint8*> pixels;
    ReviewPages review;
    review.geometry = PageGeometry::For(kDocWidth, 4, kDocHeight, scale);
    for (int i = 0; i < kPages; ++i) {
        buffers.push_back(std::make_unique<quint8[]>(PageBytes()));
        FillPage(buffers.back().get(), i);
        records[size_t(i)].pixels = buffers.back().get();
        review.pages.append(&records[size_t(i)]);
        pixels.push_back(buffers.back().get());
    }
    PageFileSaver saver(review, dir.path());
    const QString name = QStringLiteral("bench");
    const auto clean = [&] {
        QDir(dir.path() + QStringLiteral("/bench")).removeRecursively();
        QDir(dir.path() + QStringLiteral("/direct")).removeRecursively();
        for (const char* file : {"bench.jpg", "bench.bmp", "bench.png", "bench.pdf"})
            QDir(dir.path()).remove(QString::fromLatin1(file));
        QDir(dir.path()).remove(QStringLiteral("plain.bin"));
    };
    bool ok = true;
    using Format = PageFileSaver::Format;
    const auto save = [&](Format format, bool scroll) {
        if (PageFileSaver::NeedsPageFolder(format, scroll))
            PageFileSaver::CreatePageFolder(dir.path(), name);
        ok = saver.Save(name, format, scroll) == PageFileSaver::Outcome::Saved && ok;
    };

    // The scroll first, so that the peak it adds is not hidden by an earlier one.
    const long before = PeakKb();
    clean();
    save(Format::Jpeg, true);
    const long scrollExtraKb = PeakKb() - before;
    const qint64 scrollBytes = QFileInfo(dir.filePath(QStringLiteral("bench.jpg"))).size();
    Timing jpegScroll, directScroll, jpegPages, directPages;
    BestOfBoth([&] { save(Format::Jpeg, true); }, jpegScroll, [&] { CompressDirect(pixels, true); },
               directScroll, clean);
    BestOfBoth([&] { save(Format::Jpeg, false); }, jpegPages,
               [&] { CompressDirect(pixels, false); }, directPages, clean);

    // One fwrite of the same bytes through a 1 MiB buffer, on the disk before it counts as
    // written, as every saved file is.
    const size_t total = PageBytes() * kPages;
    auto all = std::make_unique<quint8[]>(total);
    for (int i = 0; i < kPages; ++i)
        std::memcpy(all.get() + PageBytes() * size_t(i), pixels[size_t(i)], PageBytes());
    const QByteArray plainPath = QFile::encodeName(dir.filePath(QStringLiteral("plain.bin")));
    static char streamBuffer[1 << 20];
    const auto plainWrite = [&] {
        std::FILE* f = std::fopen(plainPath.constData(), "wb");
        if (!f) {
            ok = false;
            return;
        }
        std::setvbuf(f, streamBuffer, _IOFBF, sizeof(streamBuffer));
        ok = std::fwrite(all.get(), 1, total, f) == total && ok;
        ok = std::fflush(f) == 0 && ::fsync(fileno(f)) == 0 && ok;
        ok = std::fclose(f) == 0 && ok;
    };
    Timing bmpPages, bmpScroll, plain;
    BestOfBoth([&] { save(Format::Bmp, false); }, bmpPages, plainWrite, plain, clean);
    BestOfBoth([&] { save(Format::Bmp, true); }, bmpScroll, plainWrite, plain, clean);

    const QString directFolder = dir.filePath(QStringLiteral("direct"));
    Timing pngPages, pngDirect, pdf, pngAgain;
    BestOfBoth([&] { save(Format::Png, false); }, pngPages,
               [&] { ok = PngDirect(pixels, directFolder) && ok; }, pngDirect, clean);
    BestOfBoth([&] { save(Format::Pdf, false); }, pdf, [&] { save(Format::Png, false); }, pngAgain,
               clean);
    save(Format::Pdf, false);
    const qint64 pdfBytes = QFileInfo(dir.filePath(QStringLiteral("bench.pdf"))).size();
    clean();

    const double megapixels = double(kPages) * Width() * Height() / 1e6;
    const double megabytes = double(total) / 1e6;
    if (scale != 1)
        std::printf("ratio %d: ", scale);
    std::printf("%d used pages of %d x %d (%.1f MP, %.1f MB), best of %d\n", kPages, Width(),
                Height(), megapixels, megabytes, kRounds);
    Report("jpeg per page", jpegPages, megapixels, "MP/s", directPages, 0.9);
    Floor("libjpeg direct pages", directPages, megapixels, "MP/s");
    Report("jpeg scroll", jpegScroll, megapixels, "MP/s", directScroll, 0.9);
    Floor("libjpeg direct scroll", directScroll, megapixels, "MP/s");
    Report("bmp per page", bmpPages, megabytes, "MB/s", plain, 0.8);
    Report("bmp scroll", bmpScroll, megabytes, "MB/s", plain, 0.8);
    Floor("plain fwrite", plain, megabytes, "MB/s");
    Report("png per page", pngPages, megapixels, "MP/s", pngDirect, 0.8);
    Floor("libpng direct pages", pngDirect, megapixels, "MP/s");
    // The PDF against the PNG files: at least 1 / 1.5 of their speed.
    Report("pdf (30 A4 pages)", pdf, megapixels, "MP/s", pngAgain, 1 / 1.5);
    Floor("png per page again", pngAgain, megapixels, "MP/s");
    std::printf("pdf file: %.1f MB\n", pdfBytes / 1e6);
    std::printf("jpeg scroll file: %.1f MB\n", scrollBytes / 1e6);
    std::printf("jpeg scroll peak memory added: %.1f MB (one page is %.1f MB; goal: at most one "
                "page: %s)\n",
                scrollExtraKb / 1024.0, PageBytes() / 1048576.0,
                scrollExtraKb * 1024.0 <= double(PageBytes()) ? "met" : "NOT met");
    if (!ok)
        std::printf("some files could not be written\n");
    return ok;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const bool ok = Run(1);
    return Run(2) && ok ? 0 : 1;
}
