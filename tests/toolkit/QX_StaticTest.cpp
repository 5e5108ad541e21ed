#include "toolkit/QX_Static.h"
#include "tests/support/WaitUntil.h"
#include "tests/toolkit/ControlTestHost.h"

#include <QTest>
#include <QTimerEvent>

#include <gtest/gtest.h>

namespace {

class StaticTest : public ::testing::Test {
  protected:
    QX_Static* Make(quint32 style, const QString& text = QStringLiteral("■ 인쇄할 쪽")) {
        auto* s = new QX_Static;
        EXPECT_TRUE(
            s->Create(text, style | QX_Static::kWsVisible, QRect(20, 20, 300, 40), &host, 1));
        host.show();
        return s;
    }
    // Where the text's ink lies: the label against itself with no text.
    static QRect Ink(QX_Static* s) {
        const QImage withText = s->grab().toImage();
        const QString text = s->Text();
        s->SetText(QString());
        const QImage without = s->grab().toImage();
        s->SetText(text);
        return DiffBox(withText, without);
    }

    ControlTestHost host;
};

TEST_F(StaticTest, DefaultBandAndTextColours) {
    QX_Static* s = Make(QX_Static::kSsLeft);
    const QImage img = s->grab().toImage();
    EXPECT_EQ(Pixel(img, 150, 0), QColor(202, 218, 238));
    EXPECT_EQ(Pixel(img, 150, 39), QColor(202, 218, 238));
    EXPECT_EQ(Pixel(img, 299, 20), QColor(255, 255, 255));
    bool navy = false;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < 40; ++x)
            navy |= img.pixelColor(x, y) == QColor(0, 0, 128);
    EXPECT_TRUE(navy);
}

TEST_F(StaticTest, TransparentLabelShowsTheParent) {
    QX_Static* s = Make(QX_Static::kSsLeft);
    s->SetTransparent(true);
    const QImage img = host.grab(s->geometry()).toImage();
    EXPECT_EQ(Pixel(img, 299, 0), ControlTestHost::Background());
    EXPECT_EQ(Pixel(img, 299, 39), ControlTestHost::Background());
}

struct AlignCase {
    const char* name;
    quint32 style;
    int hAlign; // -1 left, 0 centre, 1 right
    bool vCentre;
};

class StaticAlignTest : public StaticTest, public ::testing::WithParamInterface<AlignCase> {};

TEST_P(StaticAlignTest, TextIsPlacedByTheStyleBits) {
    const AlignCase c = GetParam();
    QX_Static* s = Make(c.style);
    const QRect ink = Ink(s);
    ASSERT_FALSE(ink.isNull());
    const int leftGap = ink.left();
    const int rightGap = s->width() - 1 - ink.right();
    if (c.hAlign < 0)
        EXPECT_LE(leftGap, 2);
    else if (c.hAlign > 0)
        EXPECT_LE(rightGap, 3);
    else
        EXPECT_LE(std::abs(leftGap - rightGap), 3);
    const int topGap = ink.top();
    const int bottomGap = s->height() - 1 - ink.bottom();
    if (c.vCentre)
        EXPECT_LE(std::abs(topGap - bottomGap), 4);
    else
        EXPECT_LE(topGap, 3);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, StaticAlignTest,
    ::testing::Values(
        AlignCase{"Left", QX_Static::kSsLeft, -1, false},
        AlignCase{"Centre", QX_Static::kSsCenter, 0, false},
        AlignCase{"Right", QX_Static::kSsRight, 1, false},
        AlignCase{"RightMiddle", QX_Static::kSsRight | QX_Static::kSsCenterImage, 1, true},
        AlignCase{"CentreMiddle", QX_Static::kSsCenter | QX_Static::kSsCenterImage, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StaticTest, AlternationSwitchesColoursOnItsTimerOnly) {
    QX_Static* s = Make(QX_Static::kSsLeft);
    QTimerEvent stray(424242);
    QCoreApplication::sendEvent(s, &stray);
    EXPECT_EQ(s->Phase(), 0);
    const auto phase = [s] { return s->Phase(); };
    s->StartAlternation(QX_RGB(255, 255, 255), QX_RGB(200, 0, 0), 5);
    ASSERT_TRUE(WaitUntilEqual(phase, 1, 2000));
    // grab() paints without running the event loop, so the phase cannot move under it.
    EXPECT_EQ(Pixel(s->grab().toImage(), 150, 0), QColor(200, 0, 0));
    ASSERT_TRUE(WaitUntilEqual(phase, 2, 2000));
    EXPECT_EQ(Pixel(s->grab().toImage(), 150, 0), QColor(202, 218, 238)) << "phase 2 draws as 0";
    ASSERT_TRUE(WaitUntilEqual(phase, 1, 2000));
    s->StopAlternation();
    EXPECT_EQ(Pixel(s->grab().toImage(), 150, 0), QColor(202, 218, 238));
}

} // namespace
