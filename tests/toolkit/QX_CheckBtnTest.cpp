#include "toolkit/QX_CheckBtn.h"
#include "tests/support/TestSkin.h"
#include "tests/toolkit/ControlTestHost.h"
#include "toolkit/QX_Skin.h"

#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr quint32 kVisibleTab = QX_CheckBtn::kWsVisible | QX_CheckBtn::kWsTabStop;
constexpr quint32 kCheck = QX_CheckBtn::kBsAutoCheckBox | kVisibleTab;
constexpr quint32 kRadio = QX_CheckBtn::kBsAutoRadioButton | kVisibleTab;

class CheckBtnTest : public ::testing::Test {
  protected:
    QX_CheckBtn* Add(quint32 style, int id, const QString& text = QStringLiteral("선택")) {
        auto* b = new QX_CheckBtn;
        const QRect r(10, 10 + 24 * int(controls.size()), 160, 20);
        EXPECT_TRUE(b->Create(text, style, r, &host, id));
        controls.append(b);
        return b;
    }
    QImage GrabHost() { return host.grab().toImage(); }
    static QPoint Inside(QX_CheckBtn* b) { return b->geometry().center() - b->pos(); }

    ControlTestHost host;
    QVector<QX_CheckBtn*> controls;
};

struct KindCase {
    quint32 type;
    bool radio;
};

class CheckKindTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(CheckKindTest, KindComesFromTheButtonType) {
    ControlTestHost host;
    QX_CheckBtn b;
    ASSERT_TRUE(b.Create(QStringLiteral("x"), GetParam().type, QRect(0, 0, 50, 20), &host, 1));
    EXPECT_EQ(b.IsRadio(), GetParam().radio);
    b.SetCheck(1);
    EXPECT_EQ(b.ImageIndex(false), (GetParam().radio ? 4 : 0) + 1);
    EXPECT_EQ(b.ImageIndex(true), (GetParam().radio ? 4 : 0) + 3);
}

INSTANTIATE_TEST_SUITE_P(Types, CheckKindTest,
                         ::testing::Values(KindCase{0x2, false}, KindCase{0x3, false},
                                           KindCase{0x4, true}, KindCase{0x9, true}),
                         [](const auto& info) { return "Type" + std::to_string(info.param.type); });

TEST_F(CheckBtnTest, ClickTogglesAndNotifiesOncePerRelease) {
    QX_CheckBtn* b = Add(kCheck, 1001);
    b->SetCheck(1);
    host.show();
    Click(b, Inside(b));
    EXPECT_EQ(b->GetCheck(), 0);
    ASSERT_EQ(host.commands.size(), 1);
    EXPECT_EQ(host.commands[0], std::make_pair(1001, int(QX_BN_CLICKED)));

    SendMouse(b, QEvent::MouseButtonPress, Inside(b));
    EXPECT_TRUE(b->ShowsPressedImage());
    SendDrag(b, QPoint(-20, 5));
    EXPECT_FALSE(b->ShowsPressedImage()) << "dragged out: resting image";
    SendDrag(b, Inside(b));
    EXPECT_TRUE(b->ShowsPressedImage());
    SendDrag(b, QPoint(400, 5));
    SendMouse(b, QEvent::MouseButtonRelease, QPoint(400, 5));
    EXPECT_EQ(b->GetCheck(), 0) << "released outside: unchanged";
    EXPECT_EQ(host.commands.size(), 2) << "but the parent is still told";
}

TEST_F(CheckBtnTest, DoubleClickTogglesOnce) {
    QX_CheckBtn* b = Add(kCheck, 7);
    host.show();
    Click(b, Inside(b));
    SendMouse(b, QEvent::MouseButtonDblClick, Inside(b));
    SendMouse(b, QEvent::MouseButtonRelease, Inside(b));
    EXPECT_EQ(b->GetCheck(), 1);
    EXPECT_EQ(host.commands.size(), 1);
}

TEST_F(CheckBtnTest, RadioClickUnchecksTheRestOfItsRun) {
    QX_CheckBtn* r1 = Add(kRadio | QX_CheckBtn::kWsGroup, 1);
    QX_CheckBtn* r2 = Add(kRadio, 2);
    QX_CheckBtn* r3 = Add(kRadio, 3);
    r1->SetCheck(1);
    r2->SetCheck(1);
    Click(r3, Inside(r3));
    EXPECT_EQ(r1->GetCheck(), 0);
    EXPECT_EQ(r2->GetCheck(), 0);
    EXPECT_EQ(r3->GetCheck(), 1);
    Click(r3, Inside(r3));
    EXPECT_EQ(r3->GetCheck(), 1) << "a checked radio stays checked";
    EXPECT_EQ(host.commands.size(), 2);
}

TEST_F(CheckBtnTest, RunEndsAtAnotherKindAndAtTheNextGroupStart) {
    QX_CheckBtn* a1 = Add(kRadio | QX_CheckBtn::kWsGroup, 1);
    QX_CheckBtn* a2 = Add(kRadio, 2);
    Add(kCheck, 3)->SetCheck(1);
    QX_CheckBtn* b1 = Add(kRadio, 4);
    QX_CheckBtn* b2 = Add(kRadio, 5);
    QX_CheckBtn* c1 = Add(kRadio | QX_CheckBtn::kWsGroup, 6);
    QX_CheckBtn* c2 = Add(kRadio, 7);
    for (QX_CheckBtn* b : {a1, b1, c1})
        b->SetCheck(1);
    Click(b2, Inside(b2));
    EXPECT_EQ(a1->GetCheck(), 1) << "the check box between ends the run";
    EXPECT_EQ(controls[2]->GetCheck(), 1) << "a check box is never unchecked by a radio";
    EXPECT_EQ(b1->GetCheck(), 0);
    EXPECT_EQ(c1->GetCheck(), 1) << "a group style starts a new group";
    Click(c2, Inside(c2));
    EXPECT_EQ(c1->GetCheck(), 0);
    EXPECT_EQ(b2->GetCheck(), 1);
    EXPECT_EQ(QX_CheckBtn::GroupOf(a2), (QVector<QX_CheckBtn*>{a1, a2}));
}

TEST_F(CheckBtnTest, SpaceTogglesWithoutNotifyingAndShowsPressedOnce) {
    QX_CheckBtn* b = Add(kCheck, 9);
    SendKey(b, QEvent::KeyPress, Qt::Key_Space);
    EXPECT_TRUE(b->ShowsPressedImage());
    SendKey(b, QEvent::KeyRelease, Qt::Key_Space, true);
    SendKey(b, QEvent::KeyPress, Qt::Key_Space, true);
    EXPECT_EQ(b->GetCheck(), 0) << "auto-repeat does not toggle";
    SendKey(b, QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_EQ(b->GetCheck(), 1);
    EXPECT_FALSE(b->ShowsPressedImage());
    EXPECT_TRUE(host.commands.isEmpty());
}

TEST_F(CheckBtnTest, PaintsImageAndTextOverTheParentWithoutBackground) {
    QX_CheckBtn* b = Add(kCheck | QX_CheckBtn::kBsVCenter, 1, QStringLiteral("한 장에 두 쪽"));
    b->SetCheck(1);
    host.show();
    const QX_DIB* image = TestSkin().CheckBitmap(1);
    ASSERT_TRUE(image && image->m_bLoaded) << "skin pack in the run folder";
    // What the control should show: the checked image keyed over the parent's colour.
    QImage expected(b->size(), QImage::Format_RGB32);
    expected.fill(ControlTestHost::Background());
    {
        QPainter p(&expected);
        const int top = b->height() / 2 - TestSkin().CheckBitmap(0)->m_nHeight / 2 - 1;
        image->Draw(&p, 0, top);
    }
    // The host's own rendering: the control leaves its background to the parent.
    const QImage shown = host.grab(b->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < b->height(); ++y)
        for (int x = 0; x < QX_CheckBtn::kTextIndent; ++x)
            ASSERT_EQ(shown.pixel(x, y), expected.pixel(x, y)) << x << "," << y;
    EXPECT_EQ(Pixel(shown, b->width() - 1, 0), ControlTestHost::Background());
    EXPECT_EQ(Pixel(shown, b->width() - 1, b->height() - 1), ControlTestHost::Background());
}

TEST_F(CheckBtnTest, FocusTurnsTheTextNavyAndBlackAgain) {
    QX_CheckBtn* a = Add(kCheck, 1, QStringLiteral("■■■■"));
    QX_CheckBtn* other = Add(kCheck, 2);
    host.show();
    host.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    const auto darkest = [&] {
        const QImage img = host.grab(a->geometry()).toImage();
        QColor best = Qt::white;
        for (int y = 0; y < img.height(); ++y)
            for (int x = QX_CheckBtn::kTextIndent; x < img.width(); ++x)
                if (img.pixelColor(x, y).lightness() < best.lightness())
                    best = img.pixelColor(x, y);
        return best;
    };
    a->setFocus();
    ASSERT_TRUE(a->hasFocus());
    EXPECT_EQ(a->TextColor(), QX_RGB(0, 0, 128));
    EXPECT_EQ(darkest(), QColor(0, 0, 128));
    other->setFocus();
    EXPECT_EQ(a->TextColor(), QX_RGB(0, 0, 0));
    EXPECT_EQ(darkest(), QColor(0, 0, 0));
}

TEST_F(CheckBtnTest, AttachTakesOverTheTemplateControl) {
    auto* plain = new QWidget(&host);
    QX_CtrlInfo info;
    info.id = 1003;
    info.text = QStringLiteral("스크롤 이미지");
    info.style = kCheck;
    info.rect = QRect(30, 40, 120, 18);
    QX_SetCtrlInfo(plain, info);
    plain->setGeometry(info.rect);
    const QFont font = QX_StandardFont();
    auto owned = std::make_unique<QX_CheckBtn>();
    EXPECT_FALSE(owned->Attach(999, &host, &font, true));
    QX_CheckBtn* b = owned.release();
    ASSERT_TRUE(b->Attach(1003, &host, &font, true));
    EXPECT_EQ(QX_FindCtrl(&host, 1003), b);
    EXPECT_EQ(b->geometry(), info.rect);
    EXPECT_EQ(b->Text(), info.text);
    EXPECT_FALSE(b->IsRadio());
}

} // namespace

namespace {

TEST_F(CheckBtnTest, TakenOverRadiosKeepTheTemplateOrderForTheirRun) {
    const quint32 styles[] = {kRadio | QX_CheckBtn::kWsGroup, kRadio, kCheck, kRadio};
    for (int i = 0; i < 4; ++i) {
        auto* plain = new QWidget(&host);
        QX_CtrlInfo info;
        info.id = 1 + i;
        info.style = styles[i];
        info.rect = QRect(10, 10 + 22 * i, 100, 20);
        QX_SetCtrlInfo(plain, info);
    }
    QX_CheckBtn* taken[4];
    for (int i = 3; i >= 0; --i) { // taken over in the reverse of the template order
        taken[i] = new QX_CheckBtn;
        ASSERT_TRUE(taken[i]->Attach(1 + i, &host, nullptr, false));
    }
    taken[0]->SetCheck(1);
    taken[3]->SetCheck(1);
    Click(taken[1], Inside(taken[1]));
    EXPECT_EQ(taken[0]->GetCheck(), 0);
    EXPECT_EQ(taken[3]->GetCheck(), 1) << "the check box in between ends the run";
}

} // namespace
