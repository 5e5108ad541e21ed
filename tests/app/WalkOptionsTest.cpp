#include "tools/walk/WalkOptions.h"

#include <gtest/gtest.h>

namespace {
QStringList Args(std::initializer_list<const char*> list) {
    QStringList args{QStringLiteral("zelvane-walk")};
    for (const char* a : list)
        args << QString::fromUtf8(a);
    return args;
}

// Arguments after the program name, separated by blanks.
class WalkOptionsRefused : public ::testing::TestWithParam<std::string> {};
} // namespace

TEST(WalkOptions, ReadsUrlOutAndSelection) {
    WalkOptions o;
    ASSERT_TRUE(o.Parse(Args({"--out", "/tmp/w", "--url", "a.html", "--select", "1, 2,30,40"})));
    EXPECT_EQ(o.m_strUrl, QStringLiteral("a.html"));
    EXPECT_EQ(o.m_strOutDir, QStringLiteral("/tmp/w"));
    ASSERT_TRUE(o.m_bHasSelection);
    EXPECT_EQ(QRect(QPoint(o.m_nLeft, o.m_nTop), QPoint(o.m_nRight, o.m_nBottom)),
              QRect(QPoint(1, 2), QPoint(30, 40)));
    WalkOptions plain;
    ASSERT_TRUE(plain.Parse(Args({"--url", "x", "--out", "y"})));
    EXPECT_FALSE(plain.m_bHasSelection);
    EXPECT_TRUE(plain.m_strPrintQueue.isEmpty());
}

TEST(WalkOptions, ReadsThePrintQueueAndLayout) {
    WalkOptions o;
    ASSERT_TRUE(o.Parse(Args({"--url", "x", "--out", "y", "--print", "Laser"})));
    EXPECT_EQ(o.m_strPrintQueue, QStringLiteral("Laser"));
    EXPECT_EQ(o.m_nPerSheet, 2);
    WalkOptions one;
    ASSERT_TRUE(one.Parse(Args({"--url", "x", "--out", "y", "--print", "Q", "--per-sheet", "1"})));
    EXPECT_EQ(one.m_nPerSheet, 1);
}

TEST(WalkOptions, ReadsSavesWithTheirSwitchesInOrder) {
    WalkOptions o;
    ASSERT_TRUE(o.Parse(Args({"--url", "x", "--out", "y", "--toggle", "2", "--save", "뉴스 1",
                              "--save", "s", "--scroll", "--jpeg"})));
    ASSERT_EQ(o.m_reviewActions.size(), 3);
    EXPECT_EQ(o.m_reviewActions[1].name, QStringLiteral("save"));
    EXPECT_EQ(o.m_reviewActions[1].value, QStringLiteral("뉴스 1"));
    EXPECT_TRUE(o.m_reviewActions[1].flags.isEmpty());
    EXPECT_EQ(o.m_reviewActions[2].flags,
              QStringList({QStringLiteral("scroll"), QStringLiteral("jpeg")}));
}

// Review actions keep the order they were given in.
TEST(WalkOptions, ReadsReviewActionsInOrder) {
    WalkOptions o;
    ASSERT_TRUE(o.Parse(Args({"--url", "x", "--out", "y", "--margins", "2,10,300", "--toggle", "1",
                              "--cut", "1,100,250", "--preview", "3,0,-1", "--auto-breaks"})));
    ASSERT_EQ(o.m_reviewActions.size(), 5);
    EXPECT_EQ(o.m_reviewActions.at(0).name, QStringLiteral("margins"));
    EXPECT_EQ(o.m_reviewActions.at(0).numbers, (QList<int>{2, 10, 300}));
    EXPECT_EQ(o.m_reviewActions.at(1).numbers, QList<int>{1});
    EXPECT_EQ(o.m_reviewActions.at(2).name, QStringLiteral("cut"));
    // Margins are the dialog's to judge, so a walk can show its messages.
    EXPECT_EQ(o.m_reviewActions.at(3).numbers, (QList<int>{3, 0, -1}));
    EXPECT_EQ(o.m_reviewActions.at(4).name, QStringLiteral("auto-breaks"));
}

TEST_P(WalkOptionsRefused, ExplainsWhy) {
    QStringList args{QStringLiteral("zelvane-walk")};
    args << QString::fromStdString(GetParam()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    WalkOptions o;
    EXPECT_FALSE(o.Parse(args));
    EXPECT_FALSE(o.m_strError.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, WalkOptionsRefused,
    ::testing::Values("", "--url x", "--url x --out", "--url x --out y --zoom 2",
                      "--url x --out y --select 1,2,3", "--url x --out y --select 5,5,5,9",
                      "--url x --out y --select -1,0,9,9", "--url x --out y --select a,b,c,d",
                      "--url x --out y --jpeg", "--url x --out y --toggle 1 --scroll",
                      "--url x --out y --save", "--url x --out y --toggle 0",
                      "--url x --out y --toggle 1,2", "--url x --out y --preview 1,2",
                      "--url x --out y --margins 0,1,1", "--url x --out y --cut 1,0,1024",
                      "--url x --out y --cut 1,-1,5",

                      "--url x --out y --print Q --per-sheet 3", "--url x --out y --per-sheet 1"));
