#include "toolkit/QX_ToolBar.h"
#include "tests/support/WaitUntil.h"
#include "tests/toolkit/ControlTestHost.h"

#include <QCursor>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The main window's nine records.
QVector<QX_ToolButton> MainRecords() {
    const QChar q(u'"');
    return {
        {QStringLiteral("홈"), QStringLiteral("image/qx_home16.bmp"), 32771},
        {QString(), QString(), 0},
        {QStringLiteral("뒤로"), QStringLiteral("image/qx_prev16.bmp"), 32772},
        {QStringLiteral("앞으로"), QStringLiteral(".\\image\\qx_next16.bmp"), 32773},
        {QString(), QString(), 0},
        {q + QStringLiteral("웹주소 가져오기") + q + QStringLiteral("(F8) "),
         QStringLiteral("image/select_path16.bmp"), 32781},
        {q + QStringLiteral("캡처와 인쇄") + q + QStringLiteral("(F3)"),
         QStringLiteral("image/qx_print16.bmp"), 32776},
        {QString(), QString(), 0},
        {q + QStringLiteral("Tarnel") + q, QStringLiteral("image/update_data16.bmp"), 32780},
    };
}

class ToolBarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host.resize(1000, 60);
        ASSERT_TRUE(bar.Create(&host, 20001, 3, 10, 997, 42));
        const QVector<QX_ToolButton> records = MainRecords();
        ASSERT_TRUE(bar.SetButtons(int(records.size()), records.data()));
        bar.RecalcLayout();
        host.show();
    }
    QImage Grab() { return bar.grab().toImage(); }
    QPoint Centre(int i) const { return bar.ButtonRect(i).ToQRect().center(); }

    ControlTestHost host;
    QX_ToolBar bar;
};

struct LayoutCase {
    const char* name;
    QVector<QX_ToolItem> items;
    QVector<QX_ToolRect> expected;
};

class ToolLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(ToolLayoutTest, PlacesRecordsFromLeftToRight) {
    const LayoutCase& c = GetParam();
    EXPECT_EQ(QX_ToolLayout::Place(c.items, 32), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ToolLayoutTest,
    ::testing::Values(
        LayoutCase{"ButtonSeparatorButton",
                   {{false, 40, 16, true}, {true, 0, 0, false}, {false, 50, 16, true}},
                   {{3, 3, 74, 29}, {81, 3, 81, 29}, {88, 3, 169, 29}}},
        LayoutCase{"MissingBitmap", {{false, 40, 0, false}}, {{3, 3, 53, 29}}},
        LayoutCase{"SeparatorsFirst",
                   {{true, 0, 0, false}, {true, 0, 0, false}, {false, 10, 8, true}},
                   {{8, 3, 8, 29}, {20, 3, 20, 29}, {27, 3, 60, 29}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ToolBarTest, LabelOfButtonWithoutBitmapStartsFivePixelsIn) {
    const QX_ToolButton plain{QStringLiteral("없음"), QStringLiteral("image/no_such.bmp"), 7};
    ASSERT_TRUE(bar.SetButtons(1, &plain));
    bar.RecalcLayout();
    EXPECT_FALSE(bar.ButtonBitmap(0)->m_bLoaded);
    EXPECT_EQ(bar.ButtonRect(0).Width(), bar.LabelWidth(0) + 10);
    const QImage labelled = Grab();
    QX_ToolButton blank = plain;
    blank.label.clear();
    bar.SetButtons(1, &blank);
    bar.RecalcLayout();
    const QRect ink = DiffBox(labelled, Grab());
    EXPECT_GE(ink.left(), 3 + 5);
    EXPECT_LE(ink.left(), 3 + 5 + 2);
}

TEST_F(ToolBarTest, RestingPaintShowsBorderSeparatorsAndKeyedBitmaps) {
    const QImage img = Grab();
    EXPECT_EQ(Pixel(img, 0, 0), QColor(220, 220, 220));
    EXPECT_EQ(Pixel(img, img.width() - 1, img.height() - 1), QColor(220, 220, 220));
    EXPECT_GT(Pixel(img, 500, 1).blue(), 197) << "one step into the band from its edge";
    EXPECT_LT(Pixel(img, 500, 1).blue(), 255);
    EXPECT_EQ(Pixel(img, 980, img.height() / 2), Rgb(QX_RGB(255, 255, 255)));
    const QX_ToolRect sep = bar.ButtonRect(1);
    EXPECT_EQ(Pixel(img, sep.left, 16), QColor(224, 217, 182));
    for (int i = 0; i < bar.ButtonCount(); ++i)
        EXPECT_EQ(bar.ButtonBitmap(i)->m_bLoaded, bar.Button(i).commandId != 0) << i;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            ASSERT_NE(Pixel(img, x, y), QColor(255, 0, 0))
                << "key colour shows at " << x << "," << y;
}

TEST_F(ToolBarTest, HoverMovesDirectlyFromButtonToButton) {
    SendMouse(&bar, QEvent::MouseMove, Centre(0));
    const QX_ToolRect r0 = bar.ButtonRect(0);
    QImage img = Grab();
    EXPECT_EQ(bar.HotIndex(), 0);
    EXPECT_EQ(Pixel(img, r0.left, r0.top), QColor(255, 255, 255));
    EXPECT_EQ(Pixel(img, r0.right - 1, r0.bottom - 1), QColor(128, 128, 128));
    SendMouse(&bar, QEvent::MouseMove, Centre(2));
    EXPECT_EQ(bar.HotIndex(), 2);
    img = Grab();
    const QX_ToolRect r2 = bar.ButtonRect(2);
    EXPECT_EQ(Pixel(img, r2.left, r2.top), QColor(255, 255, 255));
    EXPECT_NE(Pixel(img, r0.left, r0.top), QColor(255, 255, 255)) << "old frame gone";
    EXPECT_NE(Pixel(img, r0.right - 1, r0.bottom - 1), QColor(128, 128, 128));
}

TEST_F(ToolBarTest, CompletedClickSendsTheCommandOnce) {
    Click(&bar, Centre(3));
    ASSERT_EQ(host.commands.size(), 1);
    EXPECT_EQ(host.commands[0], std::make_pair(32773, 0));
    EXPECT_EQ(bar.HotLook(), QX_ToolBar::Look::Hovered);
    Click(&bar, QPoint(bar.ButtonRect(1).left, 16));  // separator line
    Click(&bar, QPoint(bar.ButtonRect(0).right, 16)); // gap after the first button
    EXPECT_EQ(host.commands.size(), 1);
    EXPECT_EQ(bar.HotIndex(), -1);
}

TEST_F(ToolBarTest, PressDraggedOffAndBackThenReleasedOffSendsNothing) {
    const QX_ToolRect r = bar.ButtonRect(6);
    SendMouse(&bar, QEvent::MouseMove, Centre(6));
    SendMouse(&bar, QEvent::MouseButtonPress, Centre(6));
    QImage img = Grab();
    EXPECT_EQ(Pixel(img, r.left, r.top), QColor(128, 128, 128)) << "held: sunken frame";
    EXPECT_EQ(Pixel(img, r.right - 1, r.bottom - 1), QColor(255, 255, 255));
    SendDrag(&bar, QPoint(r.right + 40, 16));
    EXPECT_FALSE(bar.IsPointerInside());
    EXPECT_EQ(Pixel(Grab(), r.left, r.top), QColor(255, 255, 255)) << "off: hovered look";
    EXPECT_EQ(bar.HotIndex(), 6) << "the held button stays hot while dragged off";
    SendDrag(&bar, Centre(6));
    EXPECT_EQ(Pixel(Grab(), r.left, r.top), QColor(128, 128, 128)) << "back on: held look";
    SendDrag(&bar, QPoint(r.left - 30, 16));
    SendMouse(&bar, QEvent::MouseButtonRelease, QPoint(r.left - 30, 16));
    EXPECT_TRUE(host.commands.isEmpty());
    EXPECT_FALSE(bar.IsPressed());
}

TEST_F(ToolBarTest, LosingFocusEndsAPressSoTheReleaseSendsNothing) {
    QLineEdit other(&host);
    other.setGeometry(0, 44, 100, 16);
    other.show();
    host.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    other.setFocus();
    SendMouse(&bar, QEvent::MouseMove, Centre(0));
    SendMouse(&bar, QEvent::MouseButtonPress, Centre(0));
    ASSERT_TRUE(bar.hasFocus()) << "a press takes the focus from another control";
    other.setFocus();
    EXPECT_FALSE(bar.IsPressed());
    EXPECT_EQ(bar.HotIndex(), -1);
    SendDrag(&bar, Centre(0));
    SendMouse(&bar, QEvent::MouseButtonRelease, Centre(0));
    EXPECT_TRUE(host.commands.isEmpty());
}

TEST_F(ToolBarTest, HoverTimerClearsTheLookOncePointerLeaves) {
    SendMouse(&bar, QEvent::MouseMove, Centre(2));
    ASSERT_TRUE(bar.IsHoverTimerRunning());
    QCursor::setPos(bar.mapToGlobal(QPoint(bar.width() / 2, bar.height() + 200)));
    ASSERT_TRUE(WaitUntilEqual([&] { return bar.HotIndex(); }, -1, 3000));
    EXPECT_FALSE(bar.IsHoverTimerRunning());
    const QX_ToolRect r = bar.ButtonRect(2);
    EXPECT_NE(Pixel(Grab(), r.left, r.top), QColor(255, 255, 255));
}

class ToolBarCountTest : public ToolBarTest, public ::testing::WithParamInterface<int> {};

TEST_P(ToolBarCountTest, CountOutsideOneToSixtyThreeChangesNothing) {
    QVector<QX_ToolButton> many(64, QX_ToolButton{QStringLiteral("x"), QString(), 1});
    EXPECT_FALSE(bar.SetButtons(GetParam(), many.data()));
    EXPECT_EQ(bar.ButtonCount(), 9);
    EXPECT_EQ(bar.Button(0).commandId, 32771);
}

INSTANTIATE_TEST_SUITE_P(Bounds, ToolBarCountTest, ::testing::Values(-1, 0, 64));

TEST_F(ToolBarTest, SixtyThreeButtonsAreAccepted) {
    QVector<QX_ToolButton> many(63, QX_ToolButton{QStringLiteral("x"), QString(), 1});
    EXPECT_TRUE(bar.SetButtons(63, many.data()));
    bar.RecalcLayout();
    EXPECT_EQ(bar.ButtonCount(), 63);
    EXPECT_GT(bar.ButtonRect(62).left, bar.ButtonRect(61).right);
}

} // namespace
