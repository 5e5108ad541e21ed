#include "pages/PageSet.h"
#include "pages/LargeMemory.h"
#include "pages/PageCutter.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Every pixel tells where it came from, so a copy from the wrong row or column shows.
QImage PatternImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* px = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            px[x] = qRgb(x & 0xFF, y & 0xFF, ((x >> 8) * 16 + (y >> 8)) & 0xFF);
    }
    return image;
}

bool RowIsWhite(const PageSet& set, const PageRecord* page, int row) {
    const quint8* p = set.Row(page, row);
    for (qsizetype i = 0; i < set.RowBytes(); ++i) {
        if (p[i] != 0xFF)
            return false;
    }
    return true;
}

// The page rows must equal the image's rows of the selection, byte for byte, and name them.
void ExpectPagesHoldSelection(const PageSet& set, const QImage& image, const QRect& sel) {
    const int pageCount = (sel.height() + PageSet::pageHeight - 1) / PageSet::pageHeight;
    ASSERT_EQ(set.Count(), pageCount);
    ASSERT_EQ(set.Geometry().pageWidth, sel.width());
    ASSERT_EQ(set.Geometry().pageBytes, qsizetype(sel.width()) * 4 * PageSet::pageHeight);
    EXPECT_EQ(set.SourceLeft(), sel.x());
    for (int k = 0; k < pageCount; ++k) {
        const PageRecord* page = set.Page(k);
        ASSERT_NE(page, nullptr);
        EXPECT_TRUE(page->used);
        EXPECT_EQ(page->topMargin, 0);
        EXPECT_EQ(page->bottomMargin, 0);
        for (int r = 0; r < PageSet::pageHeight; ++r) {
            const int y = k * PageSet::pageHeight + r;
            ASSERT_EQ(page->sourceRows[size_t(r)], y < sel.height() ? sel.y() + y : -1)
                << "page " << k << " row " << r;
            if (y >= sel.height()) {
                ASSERT_TRUE(RowIsWhite(set, page, r)) << "page " << k << " row " << r;
                continue;
            }
            const quint8* src = image.constScanLine(sel.y() + y) + sel.x() * 4;
            ASSERT_EQ(std::memcmp(set.Row(page, r), src, size_t(set.RowBytes())), 0)
                << "page " << k << " row " << r;
        }
    }
}

struct CutCase {
    QRect selection;
    int pages;
};

class CutPagesTest : public ::testing::TestWithParam<CutCase> {};

} // namespace

TEST_P(CutPagesTest, CopiesSelectionRowsIntoWhitePaddedPages) {
    const CutCase c = GetParam();
    const QImage image = PatternImage(c.selection.right() + 5, c.selection.bottom() + 5);
    PageSet set;
    ASSERT_TRUE(PageCutter::Cut(image, c.selection, set));
    EXPECT_EQ(set.Count(), c.pages);
    ExpectPagesHoldSelection(set, image, c.selection);
}

INSTANTIATE_TEST_SUITE_P(
    Heights, CutPagesTest,
    ::testing::Values(CutCase{QRect(0, 0, 64, 2048), 2},     // exact multiple: no white tail
                      CutCase{QRect(0, 0, 64, 2049), 3},     // one content row on the third page
                      CutCase{QRect(0, 0, 64, 1), 1},        // a single row
                      CutCase{QRect(0, 0, 64, 1023), 1},     // one row short of a page
                      CutCase{QRect(37, 101, 123, 1500), 2}, // away from the origin
                      CutCase{QRect(300, 2, 1, 1025), 2}));  // one pixel wide

TEST(CutPages, RefusesWithoutImageOrSelectionAndLeavesTheSetEmpty) {
    PageSet set;
    EXPECT_FALSE(PageCutter::Cut(QImage(), QRect(0, 0, 10, 10), set));
    EXPECT_EQ(set.Count(), 0);

    const QImage image = PatternImage(100, 100);
    ASSERT_TRUE(PageCutter::Cut(image, image.rect(), set));
    EXPECT_EQ(set.Count(), 1);

    EXPECT_FALSE(PageCutter::Cut(image, QRect(50, 50, 0, 20), set));
    EXPECT_EQ(set.Count(), 0) << "old pages must not survive a failed cut";
    EXPECT_EQ(set.Geometry().pageWidth, 0);
    EXPECT_EQ(set.Geometry().pageBytes, 0);

    EXPECT_FALSE(PageCutter::Cut(image, QRect(200, 200, 50, 50), set)) << "wholly outside";
    ASSERT_TRUE(PageCutter::Cut(image, image.rect(), set));
    EXPECT_FALSE(PageCutter::Cut(image.convertToFormat(QImage::Format_RGB888), image.rect(), set))
        << "pixels of another size are no capture";
    EXPECT_EQ(set.Count(), 0);
}

TEST(CutPages, SelectionIsClippedToTheImage) {
    QImage rgb(60, 50, QImage::Format_RGB32);
    rgb.fill(QColor(10, 20, 30));
    PageSet set;
    ASSERT_TRUE(PageCutter::Cut(rgb, QRect(-10, 40, 500, 500), set));
    EXPECT_EQ(set.Geometry().pageWidth, 60);
    ASSERT_EQ(set.Count(), 1);
    const quint8* px = set.Row(set.Page(0), 9) + 59 * 4;
    EXPECT_EQ(px[0], 30);
    EXPECT_EQ(px[1], 20);
    EXPECT_EQ(px[2], 10);
    EXPECT_TRUE(RowIsWhite(set, set.Page(0), 10));
}

TEST(PageSet, FreePagesEmptiesAndAllowsReuse) {
    PageSet set;
    EXPECT_FALSE(set.AppendWhitePage()) << "no geometry yet";
    EXPECT_FALSE(set.SetWidth(0));
    EXPECT_FALSE(set.SetWidth(-5));
    ASSERT_TRUE(set.SetWidth(3));
    EXPECT_EQ(set.Geometry().pageBytes, 3 * 4 * 1024);
    ASSERT_TRUE(set.AppendWhitePage());
    ASSERT_TRUE(set.AppendWhitePage());
    EXPECT_FALSE(set.SetWidth(7)) << "geometry is fixed while pages exist";
    EXPECT_TRUE(RowIsWhite(set, set.Page(1), 1023));
    EXPECT_EQ(set.Page(2), nullptr);
    EXPECT_EQ(set.Page(-1), nullptr);

    set.FreePages();
    EXPECT_EQ(set.Count(), 0);
    EXPECT_EQ(set.Geometry().pageWidth, 0);
    EXPECT_EQ(set.Geometry().pageBytes, 0);
    EXPECT_TRUE(set.SetWidth(7));
    EXPECT_TRUE(set.AppendWhitePage());
    EXPECT_EQ(set.Count(), 1);
}

// Large blocks: images of any width have rows without filler and every byte writable (the
// sanitizer sees any overrun), readied ranges need not be page-aligned, and page buffers of
// every width go back with FreePage.
TEST(LargeMemory, ImagesAndPageBuffersOfEveryShape) {
    for (QSize size : {QSize(1, 1), QSize(1201, 3), QSize(4097, 600)}) {
        QImage image = LargeMemory::Image(size.width(), size.height());
        ASSERT_EQ(image.size(), size);
        EXPECT_EQ(image.bytesPerLine(), qsizetype(size.width()) * 4);
        LargeMemory::Populate(image.bits() + 3, size_t(image.sizeInBytes()) - 5);
        std::memset(image.bits(), 0x5A, size_t(image.sizeInBytes()));
        EXPECT_EQ(image.pixel(size.width() - 1, size.height() - 1) & 0xFFFFFF, 0x5A5A5Au);
    }
    EXPECT_TRUE(LargeMemory::Image(0, 10).isNull());
    EXPECT_TRUE(LargeMemory::Image(10, -1).isNull());
    for (int width : {1, 511, 512, 1200}) {
        PageSet set;
        ASSERT_TRUE(set.SetWidth(width));
        ASSERT_TRUE(set.AppendWhitePage());
        EXPECT_TRUE(RowIsWhite(set, set.Page(0), PageSet::pageHeight - 1));
    }
}
