// The automatic page breaks of 30 pages of 1200 x 1024 text against one memmove of all the pages'
// bytes in memory that is already touched: the goal is at most twice the memmove, at ratio 2
// (2 x 2 pixels per document pixel, every pixel row of a document row compared) as at 1.
#include "pages/AutoBreaks.h"
#include "pages/MarginReflow.h"
#include "pages/PageSet.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int kWidth = 1200;
constexpr int kPages = 30;
constexpr int kRounds = 9;
constexpr int H = PageSet::pageHeight;

// Lines of text: 14 rows of glyphs, each row different, then 9 rows of paper; a few pictures
// taller than any margin, so that some pages find no break.
void FillRow(quint8* row, qint64 y, size_t rowBytes) {
    const qint64 line = y % 23;
    const bool picture = (y / 5000) % 4 == 3 && y % 5000 < 1800;
    if (line >= 14 && !picture) {
        std::memset(row, 0xF0, rowBytes);
        return;
    }
    std::memset(row, int(y * 37 & 0x7F), rowBytes);
    std::memcpy(row + 4 * (y % kWidth), &y, sizeof y);
}

void FillSet(PageSet& set, int scale) {
    set.FreePages();
    set.SetWidth(kWidth, scale);
    for (int i = 0; i < kPages; ++i) {
        PageSet::PagePtr page = set.AllocPage(false);
        if (!page)
            return;
        for (int r = 0; r < H; ++r)
            FillRow(set.Row(page.get(), r), qint64(i) * H + r, size_t(set.RowBytes()));
        set.Append(std::move(page));
    }
}

bool Measure(int scale) {
    PageSet set;
    double breaksMs = 1e30, planMs = 1e30;
    bool ok = true;
    int moved = 0;
    for (int round = 0; round < kRounds; ++round) {
        FillSet(set, scale);
        MarginReflow reflow(set);
        QElapsedTimer timer;
        timer.start();
        const auto plan = AutoBreaks::Plan(set);
        planMs = std::min(planMs, timer.nsecsElapsed() / 1e6);
        timer.restart();
        ok = AutoBreaks::Apply(reflow) == MarginReflow::ApplyResult::Applied && ok;
        breaksMs = std::min(breaksMs, timer.nsecsElapsed() / 1e6);
        moved = 0;
        for (int i = 0; i < set.Count(); ++i)
            moved += set.Page(i)->bottomMargin > 0 ? 1 : 0;
    }

    const size_t bytes = size_t(set.Geometry().pageBytes) * kPages;
    const size_t shift = size_t(400) * size_t(set.RowBytes());
    std::vector<quint8> block(bytes + shift, 0x55);
    double moveMs = 1e30;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        std::memmove(block.data() + shift, block.data(), bytes);
        moveMs = std::min(moveMs, timer.nsecsElapsed() / 1e6);
    }

    if (scale != 1)
        std::printf("ratio %d: ", scale);
    std::printf("automatic breaks, %d pages of %d x %d (%d with a bottom margin, %d pages after): "
                "%.2f ms (%s)\n",
                kPages, kWidth, H, moved, set.Count(), breaksMs, ok ? "ok" : "FAILED");
    std::printf("  (finding the breaks alone: %.2f ms)\n", planMs);
    std::printf("memmove of all pages' %.1f MB: %.2f ms   ratio %.2f (goal 2 or less)\n",
                bytes / 1e6, moveMs, breaksMs / moveMs);
    return ok;
}

} // namespace

int main() {
    const bool ok = Measure(1);
    return Measure(2) && ok ? 0 : 1;
}
