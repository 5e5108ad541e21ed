#include "review/PrinterEntries.h"

#include <gtest/gtest.h>

namespace {

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
