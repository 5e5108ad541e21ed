// Cutting a large selection into pages against a plain copy of the same bytes into memory that is
// already touched (no page faults): the cut's goal is 60 ms for 1200 x 30000. At ratio 2 the same
// selection is 2400 x 60000 pixels, four times the bytes; its cut / copy ratio should stay as at 1.
#include "pages/LargeMemory.h"
#include "pages/PageCutter.h"
#include "pages/PageSet.h"

#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kWidth = 1200;
constexpr int kHeight = 30000;
constexpr int kRounds = 5;

double BestOf(const auto& run) {
    double best = 1e30;
    for (int i = 0; i < kRounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

// The figures of one ratio; the fresh heap and capture image figures only at ratio 1.
bool Measure(int scale) {
    QImage image(kWidth * scale, kHeight * scale, QImage::Format_RGB32);
    if (image.isNull())
        return false;
    for (int y = 0; y < image.height(); ++y)
        std::memset(image.scanLine(y), y & 0xFF, size_t(image.bytesPerLine()));

    PageSet set;
    bool ok = true;
    int pages = 0;
    // Each round frees the previous pages first (inside the cut), as the next F4 does.
    const double cutMs = BestOf([&] {
        ok = PageCutter::Cut(image, QRect(0, 0, kWidth, kHeight), set, scale) && ok;
        pages = set.Count();
    });
    set.FreePages();

    // The same bytes into one block touched beforehand, and into fresh plain heap blocks.
    const size_t bytes = size_t(image.sizeInBytes());
    std::vector<quint8> touched(bytes, 1);
    const double copyMs = BestOf([&] { std::memcpy(touched.data(), image.constBits(), bytes); });
    if (scale != 1) {
        std::printf("ratio %d: cut %d x %d (%d x %d pixels) into %d pages: %.1f ms (%s)\n", scale,
                    kWidth, kHeight, image.width(), image.height(), pages, cutMs,
                    ok ? "ok" : "FAILED");
        std::printf("ratio %d: memcpy of the same %.1f MB into touched memory: %.1f ms (cut / "
                    "copy: %.2f)\n",
                    scale, bytes / 1e6, copyMs, cutMs / copyMs);
        return ok;
    }
    volatile quint8 sink = 0;
    const double freshMs = BestOf([&] {
        auto* dst = static_cast<quint8*>(std::malloc(bytes));
        if (!dst)
            return;
        std::memcpy(dst, image.constBits(), bytes);
        sink = sink + dst[bytes / 2];
        std::free(dst);
    });
    // A capture's image: a fresh large block filled once.
    const double imageMs = BestOf([&] {
        QImage fresh = LargeMemory::Image(kWidth, kHeight);
        if (fresh.isNull())
            return;
        LargeMemory::Populate(fresh.bits(), bytes);
        std::memcpy(fresh.bits(), image.constBits(), bytes);
    });

    std::printf("cut %d x %d into %d pages: %.1f ms (%s; goal 60 ms or less)\n", kWidth, kHeight,
                pages, cutMs, ok ? "ok" : "FAILED");
    std::printf("memcpy of the same %.1f MB into touched memory: %.1f ms (cut / copy: %.2f)\n",
                bytes / 1e6, copyMs, cutMs / copyMs);
    std::printf("memcpy into fresh plain heap memory: %.1f ms\n", freshMs);
    std::printf("fill of a fresh capture image of that size: %.1f ms\n", imageMs);
    return ok;
}

} // namespace

int main() {
    const bool ok = Measure(1);
    return Measure(2) && ok ? 0 : 1;
}
