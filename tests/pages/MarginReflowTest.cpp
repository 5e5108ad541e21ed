#include "pages/MarginReflow.h"
#include "tests/pages/CutSet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int H = PageSet::pageHeight;

// Margins applied the plain way, every page copied through a scratch page: the result the
// in-place reflow has to match exactly.
void ReferenceApply(CutSet& cut, int s, int t, int b) {
    PageSet& set = cut.set;
    const size_t r = size_t(cut.RowBytes());
    auto row = [r](PageRecord* p, int i) { return p->pixels + r * size_t(i); };
    std::vector<quint8> scratch(size_t(set.Geometry().pageBytes));
    PageRecord* page = set.Page(s);
    const int count = set.Count();
    const int e = H - page->topMargin - page->bottomMargin, g = H - t - b;
    const int d = std::abs(e - g);
    if (e > g) {
        set.AppendWhitePage();
        for (int k = count; k > s; --k) {
            PageRecord* p = set.Page(k - 1);
            PageRecord* q = set.Page(k);
            std::memcpy(row(q, q->topMargin), row(p, H - p->bottomMargin - d), r * size_t(d));
            if (k - 1 > s) {
                std::memcpy(scratch.data(), p->pixels, scratch.size());
                std::memcpy(row(p, p->topMargin + d), scratch.data() + r * size_t(p->topMargin),
                            r * size_t(H - p->topMargin - p->bottomMargin - d));
            }
        }
    }
    std::memset(scratch.data(), 0xFF, scratch.size());
    std::memcpy(scratch.data() + r * size_t(t), row(page, page->topMargin),
                r * size_t(std::min(e, g)));
    std::memcpy(page->pixels, scratch.data(), scratch.size());
    for (int i = s + 1; e < g && i < count; ++i) {
        PageRecord* p = set.Page(i - 1);
        PageRecord* q = set.Page(i);
        const int to = i == s + 1 ? t + e : H - p->bottomMargin - d;
        std::memcpy(row(p, to), row(q, q->topMargin), r * size_t(d));
        std::memmove(row(q, q->topMargin), row(q, q->topMargin + d),
                     r * size_t(H - q->topMargin - q->bottomMargin - d));
        std::memset(row(q, H - q->bottomMargin - d), 0xFF, r * size_t(d));
    }
    if (e > g || s < count - 1)
        MarginReflow(set).DropBlankLastPage();
    page->topMargin = t;
    page->bottomMargin = b;
}

QByteArray PagePixels(const CutSet& cut, int i) {
    return QByteArray(reinterpret_cast<const char*>(cut.Page(i)->pixels),
                      cut.set.Geometry().pageBytes);
}

} // namespace

// Random sets and random margins: after every apply the content still reads as the selection,
// the preview showed the page the apply made, and applying the same margins again changes no
// pixel (beyond dropping a further white last page).
TEST(MarginReflow, ApplyKeepsTheSelectionInOrderWhateverTheMargins) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        std::mt19937 rng(seed);
        auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution(lo, hi)(rng); };
        const int bpp = pick(2, 4);
        const int width = pick(1, 40), rows = pick(1, 4 * H);
        CutSet cut(width, bpp, rows);
        CutSet twin(width, bpp, rows);
        MarginReflow reflow(cut.set);
        SCOPED_TRACE("seed " + std::to_string(seed) + " bpp " + std::to_string(bpp));
        for (int step = 0; step < 40; ++step) {
            const int s = pick(0, cut.set.Count() - 1);
            const int top = pick(0, 3) == 0 ? 0 : pick(0, 50);
            const int bottom = pick(0, 3) == 0 ? 0 : pick(0, 400);
            QByteArray preview;
            ASSERT_TRUE(reflow.Preview(s, top, bottom, preview));
            if (pick(0, 4) == 0)
                continue; // a preview alone changes nothing
            ASSERT_EQ(reflow.Apply(s, top, bottom), MarginReflow::ApplyResult::Applied);
            ASSERT_EQ(cut.CheckInvariant(), "")
                << "after page " << s << " " << top << "/" << bottom;
            ASSERT_TRUE(PagePixels(cut, s) == preview) << "preview differs on page " << s;
            ReferenceApply(twin, s, top, bottom);
            ASSERT_TRUE(cut.Snapshot() == twin.Snapshot()) << "differs from the plain way";
            for (int i = 0; i < cut.set.Count(); ++i) {
                EXPECT_EQ(cut.Page(i)->topMargin, twin.Page(i)->topMargin);
                EXPECT_EQ(cut.Page(i)->bottomMargin, twin.Page(i)->bottomMargin);
            }

            const auto before = cut.Snapshot();
            ASSERT_EQ(reflow.Apply(s, top, bottom), MarginReflow::ApplyResult::Applied);
            ReferenceApply(twin, s, top, bottom);
            const auto after = cut.Snapshot();
            ASSERT_LE(after.size(), before.size());
            for (size_t i = 0; i < before.size(); ++i) {
                if (i < after.size())
                    ASSERT_TRUE(after[i] == before[i]) << "second apply changed page " << i;
                else
                    ASSERT_TRUE(MarginReflow::IsBlankPage(
                        reinterpret_cast<const quint8*>(before[i].constData()),
                        cut.set.Geometry().pageWidth, H, bpp));
            }
        }
    }
}

TEST(MarginReflow, OverflowOnTheLastPageAppendsAPageUnlessItIsWhite) {
    CutSet cut(8, 4, 1000); // one page, 24 white rows at its foot
    MarginReflow reflow(cut.set);
    ASSERT_EQ(reflow.Apply(0, 0, 10), MarginReflow::ApplyResult::Applied);
    EXPECT_EQ(cut.set.Count(), 1) << "ten white rows pushed over make no page";
    ASSERT_EQ(reflow.Apply(0, 0, 100), MarginReflow::ApplyResult::Applied);
    ASSERT_EQ(cut.set.Count(), 2);
    EXPECT_EQ(cut.Page(1)->pixels[0], 924 & 0xFF);
    EXPECT_TRUE(cut.Page(1)->used);
    EXPECT_EQ(cut.CheckInvariant(), "");

    // Pulling the rows back empties the appended page, which goes again.
    ASSERT_EQ(reflow.Apply(0, 0, 0), MarginReflow::ApplyResult::Applied);
    EXPECT_EQ(cut.set.Count(), 1);
    EXPECT_EQ(cut.CheckInvariant(), "");
}

TEST(MarginReflow, PullIntoTheLastPageLeavesWhiteRowsAndDropsNothing) {
    CutSet cut(8, 4, H + 100);
    MarginReflow reflow(cut.set);
    ASSERT_EQ(reflow.Apply(1, 50, 400), MarginReflow::ApplyResult::Applied);
    ASSERT_EQ(cut.set.Count(), 2) << "the white overflow page is dropped at once";
    QByteArray preview;
    ASSERT_TRUE(reflow.Preview(1, 0, 0, preview));
    const quint8* rows = reinterpret_cast<const quint8*>(preview.constData());
    EXPECT_EQ(rows[cut.RowBytes() * 99], 1123 & 0xFF) << "content moves to the top";
    for (int r : {100, H - 450, H - 1})
        EXPECT_TRUE(cut.IsWhite(rows + cut.RowBytes() * r)) << "nothing to pull: row " << r;
    ASSERT_EQ(reflow.Apply(1, 0, 0), MarginReflow::ApplyResult::Applied);
    EXPECT_TRUE(PagePixels(cut, 1) == preview);
    EXPECT_EQ(cut.set.Count(), 2);

    // A single white page is never dropped, not even by a pull.
    CutSet white(8, 4, 0);
    MarginReflow whiteReflow(white.set);
    EXPECT_FALSE(whiteReflow.DropBlankLastPage());
    ASSERT_EQ(whiteReflow.Apply(0, 0, 0), MarginReflow::ApplyResult::Applied);
    EXPECT_EQ(white.set.Count(), 1);
}

TEST(MarginReflow, FailureLeavesTheSetAsItWas) {
    CutSet cut(16, 4, 3 * H); // full pages: an overflow needs a new one
    MarginReflow reflow(cut.set);
    const auto before = cut.Snapshot();
    reflow.SetAllocationBudget(0);
    EXPECT_EQ(reflow.Apply(0, 20, 300), MarginReflow::ApplyResult::OutOfMemory);
    QByteArray untouched("x");
    EXPECT_FALSE(reflow.Preview(0, 20, 300, untouched));
    EXPECT_EQ(untouched, "x");
    // Out of range pages and margins are refused.
    reflow.SetAllocationBudget(-1);
    for (auto [s, top, bottom] :
         {std::tuple{3, 0, 0}, {-1, 0, 0}, {0, 51, 0}, {0, 0, 401}, {0, -1, 0}}) {
        EXPECT_EQ(reflow.Apply(s, top, bottom), MarginReflow::ApplyResult::NoPage);
        EXPECT_FALSE(reflow.Preview(s, top, bottom, untouched));
    }
    EXPECT_TRUE(cut.Snapshot() == before);
    EXPECT_EQ(cut.Page(0)->topMargin, 0);
    EXPECT_EQ(cut.Page(0)->bottomMargin, 0);
}

struct BlankCase {
    int bytesPerPixel;
    std::vector<quint8> pixel; // repeated over the page
    bool blank;
};

class BlankPage : public ::testing::TestWithParam<BlankCase> {};

// A page of that pixel after a page of content: only white pages are dropped, and never one
// whose pixel size is unknown.
TEST_P(BlankPage, DropsTheLastPageOnlyWhenWhite) {
    const BlankCase& c = GetParam();
    CutSet cut(3, c.bytesPerPixel, 1);
    ASSERT_TRUE(cut.set.AppendWhitePage());
    quint8* last = cut.Page(1)->pixels;
    for (qsizetype i = 0; i + c.bytesPerPixel <= cut.set.Geometry().pageBytes; i += c.bytesPerPixel)
        std::memcpy(last + i, c.pixel.data(), size_t(c.bytesPerPixel));
    MarginReflow reflow(cut.set);
    EXPECT_EQ(reflow.DropBlankLastPage(), c.blank);
    EXPECT_EQ(cut.set.Count(), c.blank ? 1 : 2);
    EXPECT_FALSE(reflow.DropBlankLastPage()) << "the page of content stays";
}

INSTANTIATE_TEST_SUITE_P(
    PixelSizes, BlankPage,
    ::testing::Values(BlankCase{4, {0xFF, 0xFF, 0xFF, 0x00}, true},
                      BlankCase{4, {0xFF, 0xFE, 0xFF, 0xFF}, false},
                      BlankCase{3, {0xFF, 0xFF, 0xFF}, true},
                      BlankCase{3, {0xFF, 0xFF, 0xF0}, false}, BlankCase{2, {0xFF, 0xFF}, true},
                      BlankCase{2, {0xDF, 0xFF}, true}, // bit 5 is not looked at
                      BlankCase{2, {0xBF, 0xFF}, false}, BlankCase{2, {0xFE, 0xFF}, false},
                      BlankCase{2, {0xFF, 0x7F}, false}, BlankCase{1, {0xFF}, false},
                      BlankCase{5, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, false}));
