#include "review/PrintGeometry.h"
#include "review/PrinterEntries.h"

#include <gtest/gtest.h>

namespace {

struct Offset {
    int ox;
    int oy;
};

void PrintTo(const Offset& o, std::ostream* os) {
    *os << o.ox << "_" << o.oy;
}

class SlotTest : public ::testing::TestWithParam<Offset> {};

TEST_P(SlotTest, OnePerSheetFillsThePortraitSheetInsideTheOffsets) {
    const auto [ox, oy] = GetParam();
    const PrintSlot slot = PrintGeometry::OnePerSheetSlot(ox, oy);
    EXPECT_EQ(slot, (PrintSlot{ox, -oy, 2100 - 2 * ox, 2 * oy - 2970}));
    // Drawn downwards: from oy below the origin to 2970 - oy below it.
    const QRectF r = slot.ToPaintRect();
    EXPECT_DOUBLE_EQ(r.top(), oy);
    EXPECT_DOUBLE_EQ(r.bottom(), 2970 - oy);
    EXPECT_DOUBLE_EQ(r.left(), ox);
    EXPECT_DOUBLE_EQ(r.right(), 2100 - ox);
}

TEST_P(SlotTest, TwoPerSheetSlotsSitSideBySideWithAGapOfOx) {
    const auto [ox, oy] = GetParam();
    const QRectF left = PrintGeometry::TwoPerSheetSlot(ox, oy, 0).ToPaintRect();
    const QRectF right = PrintGeometry::TwoPerSheetSlot(ox, oy, 1).ToPaintRect();
    EXPECT_DOUBLE_EQ(left.left(), ox);
    EXPECT_DOUBLE_EQ(left.right(), 1485 - ox);
    EXPECT_DOUBLE_EQ(right.left(), 1485);
    EXPECT_DOUBLE_EQ(right.right(), 2970 - ox);
    EXPECT_DOUBLE_EQ(right.left() - left.right(), ox);
    EXPECT_DOUBLE_EQ(right.width() - left.width(), ox);
    for (const QRectF& r : {left, right}) {
        EXPECT_DOUBLE_EQ(r.top(), oy);
        EXPECT_DOUBLE_EQ(r.bottom(), 2100 - oy);
    }
    EXPECT_EQ(PrintGeometry::TwoPerSheetSlot(ox, oy, 0).height, 2 * oy - 2100);
}

INSTANTIATE_TEST_SUITE_P(Offsets, SlotTest,
                         ::testing::Values(Offset{0, 0}, Offset{35, 35}, Offset{50, 20},
                                           Offset{100, 0}));

struct Sheets {
    int used;
    bool onePerSheet;
    int sheets;
};

void PrintTo(const Sheets& s, std::ostream* os) {
    *os << s.used << (s.onePerSheet ? "_one" : "_two");
}

class SheetCountTest : public ::testing::TestWithParam<Sheets> {};

TEST_P(SheetCountTest, CountsSheetsForTheLayout) {
    const Sheets c = GetParam();
    EXPECT_EQ(PrintGeometry::SheetCount(c.used, c.onePerSheet), c.sheets);
}

INSTANTIATE_TEST_SUITE_P(Layouts, SheetCountTest,
                         ::testing::Values(Sheets{0, false, 0}, Sheets{1, false, 1},
                                           Sheets{2, false, 1}, Sheets{3, false, 2},
                                           Sheets{4, false, 2}, Sheets{3, true, 3},
                                           Sheets{0, true, 0}));

TEST(PrintGeometryTest, UsedPagesFillTheSlotsInOrder) {
    EXPECT_EQ(PrintGeometry::UsedPageIndex(1, 0, false), 2);
    EXPECT_EQ(PrintGeometry::UsedPageIndex(1, 1, false), 3);
    EXPECT_EQ(PrintGeometry::UsedPageIndex(2, 0, true), 2);
}

TEST(PrinterEntriesTest, NameIsEverythingBeforeTheFirstCommaWhateverItsLength) {
    QString name;
    const QString longName = QStringLiteral("사무실_컬러_레이저_프린터_") + QString(60, u'x');
    ASSERT_GT(longName.toUtf8().size(), 79);
    ASSERT_TRUE(PrinterEntries::PrinterName(
        PrinterEntries::MakeEntry(longName, QStringLiteral("Maker, Model 2"),
                                  QStringLiteral("socket://h:9100")),
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
