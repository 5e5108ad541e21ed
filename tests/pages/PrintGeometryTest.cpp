#include "pages/PrintGeometry.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

using Offset = std::pair<int, int>;

class SlotTest : public ::testing::TestWithParam<Offset> {};

// Drawn downwards from the printable area's corner: the portrait slot spans ox..2100-ox and
// oy..2970-oy; the landscape slots ox..1485-ox and 1485..2970-ox (a gap of ox), oy..2100-oy.
TEST_P(SlotTest, SlotsSitWhereTheLayoutPutsThem) {
    const auto [ox, oy] = GetParam();
    EXPECT_EQ(PrintGeometry::OnePerSheetSlot(ox, oy).ToPaintRect(),
              QRectF(QPointF(ox, oy), QPointF(2100 - ox, 2970 - oy)));
    const QRectF left = PrintGeometry::TwoPerSheetSlot(ox, oy, 0).ToPaintRect();
    const QRectF right = PrintGeometry::TwoPerSheetSlot(ox, oy, 1).ToPaintRect();
    EXPECT_EQ(left, QRectF(QPointF(ox, oy), QPointF(1485 - ox, 2100 - oy)));
    EXPECT_EQ(right, QRectF(QPointF(1485, oy), QPointF(2970 - ox, 2100 - oy)));
    // Heights are negative as y grows upwards.
    EXPECT_EQ(PrintGeometry::TwoPerSheetSlot(ox, oy, 1).height, 2 * oy - 2100);
}

INSTANTIATE_TEST_SUITE_P(Offsets, SlotTest,
                         ::testing::Values(Offset{0, 0}, Offset{35, 35}, Offset{50, 20}));

TEST(PrintGeometryTest, SheetsHoldOneOrTwoPages) {
    constexpr SheetLayout two = SheetLayout::TwoPerSheet, one = SheetLayout::OnePerSheet;
    EXPECT_EQ(PrintGeometry::SheetCount(0, two), 0);
    EXPECT_EQ(PrintGeometry::SheetCount(1, two), 1);
    EXPECT_EQ(PrintGeometry::SheetCount(3, two), 2);
    EXPECT_EQ(PrintGeometry::SheetCount(4, two), 2);
    EXPECT_EQ(PrintGeometry::SheetCount(3, one), 3);
    EXPECT_EQ(PrintGeometry::UsedPageIndex(1, 1, two), 3);
    EXPECT_EQ(PrintGeometry::UsedPageIndex(2, 0, one), 2);
    EXPECT_EQ(PrintGeometry::Orientation(one), QPageLayout::Portrait);
    EXPECT_EQ(PrintGeometry::Orientation(two), QPageLayout::Landscape);
}

// A page narrower than its slot keeps its width's share, against the top and centred; a wide
// one fills the width and leaves white below; an empty one fills the slot as before.
TEST(PrintGeometryTest, KeptProportionsFitTheSlotTopAlignedAndCentred) {
    const QRectF slot = PrintGeometry::OnePerSheetSlot(50, 50).ToPaintRect(); // 2000 x 2870
    const QRectF narrow = PrintGeometry::FitKeepingProportions(slot, QSize(600, 1024));
    EXPECT_DOUBLE_EQ(narrow.top(), 50);
    EXPECT_DOUBLE_EQ(narrow.height(), 2870);
    EXPECT_NEAR(narrow.width(), 2870 * 600 / 1024.0, 1e-9);
    EXPECT_NEAR(narrow.center().x(), 1050, 1e-9);
    const QRectF wide = PrintGeometry::FitKeepingProportions(slot, QSize(4000, 1024));
    EXPECT_EQ(wide.topLeft(), QPointF(50, 50));
    EXPECT_DOUBLE_EQ(wide.width(), 2000);
    EXPECT_DOUBLE_EQ(wide.height(), 512);
    EXPECT_EQ(PrintGeometry::FitKeepingProportions(slot, QSize()), slot);
}

} // namespace
