#include "pages/PrintGeometry.h"
#include "review/PrinterEntries.h"

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

TEST(PrinterEntriesTest, NameIsEverythingBeforeTheFirstCommaWhateverItsLength) {
    QString name;
    const QString longName = QStringLiteral("사무실_컬러_레이저_프린터_") + QString(60, u'x');
    ASSERT_TRUE(PrinterEntries::PrinterName(
        PrinterEntries::MakeEntry(longName, QStringLiteral("Maker, Model 2"), QStringLiteral("u")),
        &name));
    EXPECT_EQ(name, longName);
    EXPECT_FALSE(PrinterEntries::PrinterName(QStringLiteral("no comma at all"), &name));
    EXPECT_FALSE(PrinterEntries::PrinterName(QStringLiteral(",driver,port"), &name));
}

TEST(PrinterEntriesTest, DefaultIsFoundByItsPrefixIgnoringCase) {
    const QStringList entries{QStringLiteral("alpha,Raw,socket://a"),
                              QStringLiteral("Office,Raw,socket://b"),
                              QStringLiteral("office,Raw,socket://b2")};
    EXPECT_EQ(PrinterEntries::FindPrefix(entries, QStringLiteral("OFFICE,raw")), 1);
    EXPECT_EQ(PrinterEntries::FindPrefix(entries, QStringLiteral("office,Raw,socket://b2")), 2);
    EXPECT_EQ(PrinterEntries::FindPrefix(entries, QString::fromUtf16(PrinterEntries::kNoDefault)),
              -1);
}

} // namespace
