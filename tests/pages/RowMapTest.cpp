#include "pages/AutoBreaks.h"
#include "pages/BandCut.h"
#include "pages/MarginReflow.h"
#include "tests/pages/CutSet.h"

#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <random>
#include <vector>

namespace {

constexpr int H = PageSet::pageHeight;
using Result = MarginReflow::ApplyResult;

// A band cut out of a page as the page view makes it and keeps it: pixels and source rows.
void CutBand(CutSet& cut, PageRecord* page, int to, int from) {
    // The view cuts in whole document rows: RowBytes() bytes of `scale` pixel rows each.
    const bool cuts = BandCut::Cut(page->pixels, cut.RowBytes(), H, to, from);
    ASSERT_EQ(BandCut::Cut(page->sourceRows, to, from), cuts);
}

} // namespace

// Cuts of row-coded images and sets of every pixel size, at scale 1 and 2, then every operation
// that moves rows in random order, some of them out of memory: after each, every page row shows
// the image row its source rows name, in order, rows that name none are white, and a failure
// changes nothing. At scale 2 a page row is two pixel rows, each coded on its own.
TEST(RowMap, FollowsEveryRowThroughEveryOperation) {
    int failures = 0;
    for (unsigned seed = 1; seed <= 24; ++seed) {
        const int scale = seed <= 16 ? 1 : 2;
        std::mt19937 rng(seed);
        auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution(lo, hi)(rng); };
        const int imageRows = pick(1, 5 * H);
        std::vector<int> keys = CutSet::TextKeys(rng, imageRows);
        if (seed % 3 == 0) {
            for (int y = 0; y < imageRows; ++y)
                keys[size_t(y)] = y; // every row different: a wrong row always shows
        }
        const int width = pick(1, 6);
        std::unique_ptr<CutSet> made;
        if (seed % 4 == 1) {
            made = std::make_unique<CutSet>(width, pick(2, 3), keys, scale);
        } else {
            const int top = pick(0, imageRows - 1), left = pick(0, 3);
            const QRect sel(left, top, width, pick(1, imageRows - top));
            made = std::make_unique<CutSet>(width + pick(left, 6), keys, sel, scale);
            ASSERT_EQ(made->set.Geometry().pageWidth, width * scale);
            ASSERT_EQ(made->set.SourceLeft(), left);
            ASSERT_EQ(made->Page(0)->sourceRows[0], top);
        }
        CutSet& cut = *made;
        SCOPED_TRACE("seed " + std::to_string(seed));
        ASSERT_EQ(cut.CheckSourceRows(), "");
        MarginReflow reflow(cut.set);
        for (int step = 0; step < 40; ++step) {
            const auto pixels = cut.Snapshot();
            const auto rows = cut.SourceRows();
            const int kind = pick(0, 5);
            const int p = pick(0, cut.set.Count() - 1);
            reflow.SetAllocationBudget(pick(0, 5) == 0 ? 0 : -1);
            Result result = Result::Applied;
            if (kind == 0) {
                result = reflow.Apply(p, pick(0, 50), pick(0, 400));
            } else if (kind == 1) {
                std::vector<MarginReflow::Margins> margins(size_t(pick(0, cut.set.Count() + 1)));
                for (auto& m : margins)
                    m = {pick(0, 50), pick(0, 3) == 0 ? 0 : pick(0, 400)};
                result = reflow.ApplyAll(margins);
            } else if (kind == 2) {
                result = AutoBreaks::Apply(reflow);
            } else if (kind == 3) {
                const int to = pick(cut.Page(p)->topMargin, H - 1); // a band of the content
                CutBand(cut, cut.Page(p), to, pick(to, H));
            } else if (kind == 4) {
                ASSERT_TRUE(cut.set.AppendWhitePage());
            } else {
                reflow.DropBlankLastPage();
            }
            reflow.SetAllocationBudget(-1);
            ASSERT_NE(result, Result::NoPage);
            if (result == Result::OutOfMemory) {
                ++failures;
                ASSERT_TRUE(cut.Snapshot() == pixels) << "step " << step;
                ASSERT_TRUE(cut.SourceRows() == rows) << "step " << step;
            }
            ASSERT_EQ(cut.CheckSourceRows(), "") << "step " << step << " kind " << kind;
        }
    }
    EXPECT_GT(failures, 0) << "no failure path was taken";

    // White image rows at the selection's foot that a reflow leaves where they were, now in a
    // margin, show no image row any more: the rows moved onto the next page come after them.
    std::vector<int> keys(1100, -1);
    std::iota(keys.begin(), keys.begin() + 1000, 0);
    CutSet tail(4, 4, keys);
    ASSERT_EQ(MarginReflow(tail.set).ApplyAll({{0, 100}}), Result::Applied);
    EXPECT_EQ(tail.CheckSourceRows(), "");
}

// Margins count document rows at any scale: at 2, a top margin of 50 is 100 white pixel rows and
// the preview shows the page the apply makes.
TEST(RowMap, MarginsAtScaleTwoAreDocumentRows) {
    std::vector<int> keys(3000);
    std::iota(keys.begin(), keys.end(), 0);
    CutSet cut(5, keys, QRect(1, 0, 3, 3000), 2);
    MarginReflow reflow(cut.set);
    QByteArray preview;
    ASSERT_TRUE(reflow.Preview(0, 50, 400, preview));
    ASSERT_EQ(reflow.Apply(0, 50, 400), Result::Applied);
    EXPECT_TRUE(preview == QByteArray(reinterpret_cast<const char*>(cut.Page(0)->pixels),
                                      cut.set.Geometry().pageBytes));
    const qsizetype pixelRow = cut.set.Geometry().rowBytes;
    EXPECT_EQ(preview.left(100 * pixelRow), QByteArray(100 * pixelRow, char(0xFF)));
    EXPECT_NE(preview.mid(100 * pixelRow, pixelRow), QByteArray(pixelRow, char(0xFF)));
    EXPECT_EQ(cut.Page(0)->sourceRows[50], 0);
    EXPECT_EQ(cut.Page(1)->sourceRows[0], H - 450);
    EXPECT_EQ(cut.CheckSourceRows(), "");
}
