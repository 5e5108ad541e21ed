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
    EXPECT_EQ(PrintGeometry::SheetCount(0, false), 0);
    EXPECT_EQ(PrintGeometry::SheetCount(1, false), 1);
    EXPECT_EQ(PrintGeometry::SheetCount(3, false), 2);
    EXPECT_EQ(PrintGeometry::SheetCount(4, false), 2);
    EXPECT_EQ(PrintGeometry::SheetCount(3, true), 3);
}

} // namespace
