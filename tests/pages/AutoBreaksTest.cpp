#include "pages/AutoBreaks.h"
#include "pages/BandCut.h"
#include "pages/MarginReflow.h"
#include "tests/pages/CutSet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <random>
#include <vector>

namespace {

constexpr int H = PageSet::pageHeight;
using Margins = MarginReflow::Margins;

// The content of all pages in order, row by row, as the pages hold it.
std::vector<QByteArray> ContentRows(const CutSet& cut) {
    std::vector<QByteArray> rows;
    for (int i = 0; i < cut.set.Count(); ++i) {
        const PageRecord* page = cut.Page(i);
        for (int r = page->topMargin; r < H - page->bottomMargin; ++r)
            rows.emplace_back(reinterpret_cast<const char*>(page->pixels) + cut.RowBytes() * r,
                              cut.RowBytes());
    }
    return rows;
}

// The rule applied literally, one page at a time through the single-page apply: try every bottom
// margin from 0 up and keep the first whose break has the same row on both sides.
void SlowAutoBreaks(CutSet& cut) {
    MarginReflow reflow(cut.set);
    const QByteArray white(cut.RowBytes(), char(0xFF));
    for (int i = 0; i < cut.set.Count(); ++i) {
        const int top = cut.Page(i)->topMargin;
        bool found = false;
        for (int b = 0; b <= MarginReflow::maxBottomMargin && !found; ++b) {
            ASSERT_EQ(reflow.Apply(i, top, b), MarginReflow::ApplyResult::Applied);
            const PageRecord* page = cut.Page(i);
            const PageRecord* next = cut.Page(i + 1);
            const QByteArray last(reinterpret_cast<const char*>(cut.set.Row(page, H - b - 1)),
                                  cut.RowBytes());
            const QByteArray first =
                next ? QByteArray(reinterpret_cast<const char*>(cut.set.Row(next, next->topMargin)),
                                  cut.RowBytes())
                     : white;
            found = last == first;
        }
        if (!found) {
            ASSERT_EQ(reflow.Apply(i, top, 0), MarginReflow::ApplyResult::Applied);
        }
    }
}

bool Blank(const CutSet& cut, int i) {
    return MarginReflow::IsBlankPage(cut.Page(i)->pixels, cut.set.Geometry().pageWidth, H,
                                     cut.set.Geometry().bytesPerPixel);
}

// Pages equal one by one, pixels and margins; pages only one of them has are white.
void ExpectSameSets(const CutSet& a, const CutSet& b) {
    const int common = std::min(a.set.Count(), b.set.Count());
    for (int i = 0; i < common; ++i) {
        ASSERT_EQ(a.Snapshot()[size_t(i)], b.Snapshot()[size_t(i)]) << "page " << i;
        EXPECT_EQ(a.Page(i)->topMargin, b.Page(i)->topMargin) << "page " << i;
        EXPECT_EQ(a.Page(i)->bottomMargin, b.Page(i)->bottomMargin) << "page " << i;
    }
    for (int i = common; i < a.set.Count(); ++i)
        EXPECT_TRUE(Blank(a, i)) << "extra page " << i;
    for (int i = common; i < b.set.Count(); ++i)
        EXPECT_TRUE(Blank(b, i)) << "extra page " << i;
}

// Gives random pages random margins, the way a user might before pressing the button.
void RandomMargins(std::mt19937& rng, MarginReflow& reflow, int times) {
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution(lo, hi)(rng); };
    for (int i = 0; i < times; ++i)
        reflow.Apply(pick(0, reflow.Pages().Count() - 1), pick(0, 50), pick(0, 400));
}

} // namespace

// On pages of text lines, every break falls between two equal rows unless no equal pair lies
// within 400 rows, where the bottom margin is 0; the result is the literal rule's, page for page,
// and the content still reads as the selection.
TEST(AutoBreaks, BreaksBetweenEqualRowsAsTheRuleSays) {
    for (unsigned seed = 1; seed <= 10; ++seed) {
        std::mt19937 rng(seed);
        auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution(lo, hi)(rng); };
        const int bpp = pick(2, 4);
        const std::vector<int> keys = CutSet::TextKeys(rng, pick(1, 6 * H));
        CutSet cut(pick(1, 6), bpp, keys);
        CutSet slow(cut.set.Geometry().pageWidth, bpp, keys);
        SCOPED_TRACE("seed " + std::to_string(seed));
        if (seed % 2 == 0) { // margins the user set before: tops stay, bottoms are recomputed
            std::mt19937 same(seed);
            MarginReflow a(cut.set), b(slow.set);
            RandomMargins(same, a, 4);
            same.seed(seed);
            RandomMargins(same, b, 4);
        }
        MarginReflow reflow(cut.set);
        ASSERT_EQ(AutoBreaks::Apply(reflow), MarginReflow::ApplyResult::Applied);
        ASSERT_EQ(cut.CheckInvariant(), "");
        SlowAutoBreaks(slow);
        ExpectSameSets(cut, slow);

        const std::vector<QByteArray> rows = ContentRows(cut);
        const QByteArray white(cut.RowBytes(), char(0xFF));
        auto row = [&](qint64 x) { return x < qint64(rows.size()) ? rows[size_t(x)] : white; };
        qint64 first = 0;
        for (int i = 0; i < cut.set.Count(); ++i) {
            const PageRecord* page = cut.Page(i);
            const qint64 end = first + H - page->topMargin - page->bottomMargin;
            if (row(end - 1) != row(end)) {
                EXPECT_EQ(page->bottomMargin, 0)
                    << "page " << i << " breaks between different rows";
                for (int b = 0; b <= MarginReflow::maxBottomMargin; ++b) {
                    const qint64 x = first + H - page->topMargin - b;
                    EXPECT_NE(row(x - 1), row(x)) << "page " << i << " could break at " << b;
                }
            }
            first = end;
        }
        // A second press finds every break where it is.
        const auto before = cut.Snapshot();
        ASSERT_EQ(AutoBreaks::Apply(reflow), MarginReflow::ApplyResult::Applied);
        EXPECT_TRUE(cut.Snapshot() == before);
    }
}

// All margins at once match the single-page apply run page after page; a failure changes nothing.
TEST(AutoBreaks, ApplyAllLaysOutAsSinglePageAppliesDo) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        std::mt19937 rng(seed);
        auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution(lo, hi)(rng); };
        const int bpp = pick(2, 4), width = pick(1, 6), rows = pick(1, 5 * H);
        CutSet cut(width, bpp, rows);
        CutSet slow(width, bpp, rows);
        SCOPED_TRACE("seed " + std::to_string(seed));
        MarginReflow reflow(cut.set), slowReflow(slow.set);
        std::mt19937 same(seed);
        RandomMargins(same, reflow, 3);
        same.seed(seed);
        RandomMargins(same, slowReflow, 3);
        std::vector<Margins> margins(size_t(pick(0, 8)));
        for (Margins& m : margins)
            m = {pick(0, 50), pick(0, 400)};
        ASSERT_EQ(reflow.ApplyAll(margins), MarginReflow::ApplyResult::Applied);
        ASSERT_EQ(cut.CheckInvariant(), "");
        for (size_t i = 0; i < margins.size() && int(i) < slow.set.Count(); ++i)
            ASSERT_EQ(slowReflow.Apply(int(i), margins[i].top, margins[i].bottom),
                      MarginReflow::ApplyResult::Applied);
        for (int i = int(margins.size()); i < slow.set.Count(); ++i)
            ASSERT_EQ(slowReflow.Apply(i, 0, 0), MarginReflow::ApplyResult::Applied);
        ExpectSameSets(cut, slow);
    }
    CutSet full(4, 4, 3 * H);
    MarginReflow reflow(full.set);
    const auto before = full.Snapshot();
    reflow.SetAllocationBudget(0);
    EXPECT_EQ(reflow.ApplyAll({{0, 400}, {0, 400}}), MarginReflow::ApplyResult::OutOfMemory);
    reflow.SetAllocationBudget(-1);
    EXPECT_EQ(reflow.ApplyAll({{0, 401}}), MarginReflow::ApplyResult::NoPage);
    EXPECT_TRUE(full.Snapshot() == before);
    EXPECT_EQ(full.set.Count(), 3);
}

// Automatic breaks, margins and band cuts in any order: the content always reads as the
// selection with the cut bands taken out, followed only by white.
TEST(AutoBreaks, InvariantHoldsThroughBreaksMarginsAndBandCuts) {
    for (unsigned seed = 1; seed <= 8; ++seed) {
        std::mt19937 rng(seed);
        auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution(lo, hi)(rng); };
        CutSet cut(pick(1, 5), pick(2, 4), CutSet::TextKeys(rng, pick(H, 4 * H)));
        MarginReflow reflow(cut.set);
        SCOPED_TRACE("seed " + std::to_string(seed));
        for (int step = 0; step < 30; ++step) {
            const int kind = pick(0, 2);
            const int p = pick(0, cut.set.Count() - 1);
            PageRecord* page = cut.Page(p);
            if (kind == 0) {
                ASSERT_EQ(AutoBreaks::Apply(reflow), MarginReflow::ApplyResult::Applied);
            } else if (kind == 1) {
                ASSERT_EQ(reflow.Apply(p, pick(0, 50), pick(0, 400)),
                          MarginReflow::ApplyResult::Applied);
            } else {
                // A band of the page's content, as the view cuts it; the expected rows follow.
                const int to = pick(page->topMargin, H - 1), from = pick(to, H);
                size_t start = 0;
                for (int i = 0; i < p; ++i)
                    start += size_t(H - cut.Page(i)->topMargin - cut.Page(i)->bottomMargin);
                std::vector<int> keys(H, -1);
                for (int r = page->topMargin; r < H - page->bottomMargin; ++r) {
                    const size_t x = start + size_t(r - page->topMargin);
                    keys[size_t(r)] = x < cut.expected.size() ? cut.expected[x] : -1;
                }
                if (BandCut::Cut(page->pixels, cut.RowBytes(), H, to, from)) {
                    keys.erase(keys.begin() + to, keys.begin() + from);
                    keys.resize(H, -1);
                }
                const size_t rows = size_t(H - page->topMargin - page->bottomMargin);
                cut.expected.resize(std::max(cut.expected.size(), start + rows), -1);
                std::copy(keys.begin() + page->topMargin,
                          keys.begin() + page->topMargin + long(rows),
                          cut.expected.begin() + long(start));
                while (!cut.expected.empty() && cut.expected.back() < 0)
                    cut.expected.pop_back();
            }
            ASSERT_EQ(cut.CheckInvariant(), "") << "step " << step << " kind " << kind;
        }
    }
}

// At scale 2 a break goes only between document rows whose every pixel row is the same.
TEST(AutoBreaks, AtScaleTwoComparesEveryPixelRowOfARow) {
    std::vector<int> keys(1500);
    std::iota(keys.begin(), keys.end(), 0);
    keys[1014] = keys[1013];
    CutSet cut(3, 4, keys, 2);
    EXPECT_EQ(AutoBreaks::Plan(cut.set).at(0).bottom, 1023 - 1013);
    cut.set.Row(cut.Page(0), 1014)[cut.set.Geometry().rowBytes] ^= 1; // its second pixel row
    EXPECT_EQ(AutoBreaks::Plan(cut.set).at(0).bottom, 0);
}
