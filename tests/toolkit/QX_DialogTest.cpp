#include "toolkit/QX_Dialog.h"
#include "tests/support/TestSkin.h"
#include "toolkit/QX_MessageDlg.h"
#include "toolkit/QX_Skin.h"
#include "toolkit/QX_Theme.h"

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr int kTestTemplate = 9001;
constexpr int kPlainTemplate = 9002;

// A small dialog in the style of the program's own templates.
const QX_DlgTemplateRegistrar kRegisterTest([] {
    QX_DlgTemplate t;
    t.id = kTestTemplate;
    t.cx = 200;
    t.cy = 120;
    t.items = {
        {IDOK, QX_CtrlKind::Button, QStringLiteral("확 인"), 40, 95, 60, 20, 0, false},
        {IDCANCEL, QX_CtrlKind::Button, QStringLiteral("취 소"), 101, 95, 60, 20, 0, false},
        {1001, QX_CtrlKind::Static, QStringLiteral("저장할 이름 :"), 6, 30, 50, 8, QX_SS_RIGHT,
         false},
        {1011, QX_CtrlKind::Frame, QString(), 7, 42, 80, 40, QX_WS_DISABLED, true},
        {1018, QX_CtrlKind::RadioButton, QStringLiteral("비트맵"), 100, 42, 58, 10, QX_WS_GROUP,
         false},
        {1019, QX_CtrlKind::RadioButton, QStringLiteral("JPEG"), 100, 54, 58, 10, 0, false},
        {1025, QX_CtrlKind::RadioButton, QStringLiteral("한장"), 100, 66, 58, 10, QX_WS_GROUP,
         false},
        {1023, QX_CtrlKind::CheckBox, QStringLiteral("두루마리"), 100, 78, 58, 10, 0, false},
    };
    return t;
}());

const QX_DlgTemplateRegistrar kRegisterPlain([] {
    QX_DlgTemplate t;
    t.id = kPlainTemplate;
    t.cx = 150;
    t.cy = 80;
    t.items = {{1016, QX_CtrlKind::DefButton, QStringLiteral("저장"), 10, 50, 60, 20, 0, false}};
    return t;
}());

// Records what reached the dialog's handlers.
class ProbeDlg final : public QX_Dialog {
  public:
    explicit ProbeDlg(int templateId) : QX_Dialog(templateId, nullptr) {
        m_strTitle = QStringLiteral("페이지 이미지들을 파일로 저장합니다.");
    }
    bool OnCommand(int id, int code) override {
        commands.push_back(id);
        return QX_Dialog::OnCommand(id, code);
    }
    int cancels = 0;
    std::vector<int> commands;

  protected:
    bool OnInitDialog() override {
        QX_Dialog::OnInitDialog();
        SetCaptionButtons(false, true);
        return true;
    }
    void OnCancel() override {
        ++cancels;
        QX_Dialog::OnCancel();
    }
};

// Runs the dialog modally and plays `script` inside its loop.
int RunModal(QX_Dialog& dlg, const std::function<void()>& script) {
    QTimer::singleShot(0, &dlg, script);
    return dlg.DoModal();
}

QImage Render(QWidget* w) {
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

struct MulDivCase {
    int value, base, div, expected;
};

class QX_MulDivTest : public ::testing::TestWithParam<MulDivCase> {};

TEST_P(QX_MulDivTest, RoundsHalvesAwayFromZero) {
    const MulDivCase c = GetParam();
    EXPECT_EQ(QX_MulDiv(c.value, c.base, c.div), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, QX_MulDivTest,
                         ::testing::Values(MulDivCase{0, 6, 4, 0}, MulDivCase{7, 6, 4, 11},
                                           MulDivCase{79, 12, 8, 119}, MulDivCase{-7, 6, 4, -11},
                                           MulDivCase{5, 7, 4, 9}, MulDivCase{1, 1, 3, 0},
                                           MulDivCase{5, 1, 0, -1},
                                           MulDivCase{0x7FFFFFFF, 4, 1, -1},
                                           MulDivCase{0x7FFFFFFF, 2, 2, 0x7FFFFFFF}));

TEST(QX_DlgUnitsTest, TemplateRectanglesMapWithTheFontBaseUnits) {
    // Base units 6 x 12, as a 9-point Korean dialog font gives them.
    const QX_DlgUnits units(6, 12);
    EXPECT_EQ(units.MapRect(7, 79, 71, 20), QRect(11, 119, 107, 30));
    EXPECT_EQ(units.MapRect(82, 121, 488, 348), QRect(123, 182, 732, 522));
    EXPECT_EQ(units.MapRect(0, 0, 1, 1), QRect(0, 0, 2, 2));
    const QX_DlgUnits wide(7, 13);
    EXPECT_EQ(wide.MapRect(4, 8, 4, 8), QRect(7, 13, 7, 13));
    // Nonsense base units cannot produce a zero divisor or negative sizes.
    const QX_DlgUnits broken(0, -5);
    EXPECT_GE(broken.MapX(10), 0);
    EXPECT_GE(broken.MapY(10), 0);
}

TEST(QX_DlgUnitsTest, FontBaseUnitsAreTheLetterAverageAndHeight) {
    QFont big = QX_DlgUnits::TemplateFont(QX_DlgTemplate{});
    QFont bigger = big;
    bigger.setPixelSize(big.pixelSize() * 2);
    const QX_DlgUnits a = QX_DlgUnits::FromFont(big);
    const QX_DlgUnits b = QX_DlgUnits::FromFont(bigger);
    EXPECT_GE(a.BaseX(), 4);
    EXPECT_LE(a.BaseX(), 9);
    EXPECT_GE(a.BaseY(), 12);
    EXPECT_NEAR(b.BaseX(), 2 * a.BaseX(), 1);
    EXPECT_NEAR(b.BaseY(), 2 * a.BaseY(), 2);
}

TEST(QX_DialogTest, ControlsAreBuiltFromTheTemplateInPixels) {
    ProbeDlg dlg(kTestTemplate);
    ASSERT_TRUE(dlg.Create());
    const QX_DlgUnits& u = dlg.DlgUnits();
    EXPECT_EQ(dlg.size(), QSize(u.MapX(200), u.MapY(120)));

    auto* ok = qobject_cast<QPushButton*>(dlg.GetDlgItem(IDOK));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->geometry(), u.MapRect(40, 95, 60, 20));
    EXPECT_EQ(ok->text(), QStringLiteral("확 인"));

    const QX_CtrlInfo label = QX_GetCtrlInfo(dlg.GetDlgItem(1001));
    EXPECT_EQ(label.text, QStringLiteral("저장할 이름 :"));
    EXPECT_EQ(label.style & QX_SS_TYPEMASK, QX_SS_RIGHT);
    EXPECT_TRUE(label.style & QX_WS_VISIBLE);
    EXPECT_TRUE(qobject_cast<QLabel*>(dlg.GetDlgItem(1001))->alignment() & Qt::AlignRight);

    QWidget* frame = dlg.GetDlgItem(1011);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isHidden());
    EXPECT_FALSE(frame->isEnabled());
    EXPECT_EQ(QX_GetCtrlInfo(dlg.GetDlgItem(1018)).style & QX_BS_TYPEMASK, QX_BS_AUTORADIOBUTTON);
    EXPECT_EQ(QX_GetCtrlInfo(dlg.GetDlgItem(1023)).style & QX_BS_TYPEMASK, QX_BS_AUTOCHECKBOX);
    EXPECT_EQ(dlg.GetDlgItem(4242), nullptr);
    EXPECT_EQ(dlg.focusWidget(), ok); // the first control that takes the focus

    // A skinned control can take a template control's place.
    auto* replacement = new QLabel;
    ASSERT_TRUE(QX_TakeOverCtrl(&dlg, 1001, replacement));
    EXPECT_EQ(dlg.GetDlgItem(1001), replacement);
    EXPECT_EQ(replacement->geometry(), u.MapRect(6, 30, 50, 8));
}

TEST(QX_DialogTest, RadioGroupsStartAtTheGroupStyle) {
    ProbeDlg dlg(kTestTemplate);
    dlg.Create();
    auto* bmp = qobject_cast<QRadioButton*>(dlg.GetDlgItem(1018));
    auto* jpeg = qobject_cast<QRadioButton*>(dlg.GetDlgItem(1019));
    auto* other = qobject_cast<QRadioButton*>(dlg.GetDlgItem(1025));
    ASSERT_TRUE(bmp && jpeg && other);
    bmp->click();
    other->click();
    EXPECT_TRUE(bmp->isChecked());
    jpeg->click();
    EXPECT_FALSE(bmp->isChecked());
    EXPECT_TRUE(other->isChecked());
    EXPECT_EQ(dlg.commands, (std::vector<int>{1018, 1025, 1019}));
}

TEST(QX_DialogTest, CloseButtonEndsTheDialogAsCancel) {
    ProbeDlg dlg(kTestTemplate);
    const int result = RunModal(dlg, [&] {
        const QPoint c = dlg.CloseButtonRect().center();
        QTest::mousePress(&dlg, Qt::LeftButton, {}, c);
        QTest::mouseRelease(&dlg, Qt::LeftButton, {}, c);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dlg.cancels, 1);
}

TEST(QX_DialogTest, CloseReleasedOutsideLeavesTheDialogOpen) {
    ProbeDlg dlg(kTestTemplate);
    bool stillOpen = false;
    const int result = RunModal(dlg, [&] {
        const QPoint c = dlg.CloseButtonRect().center();
        QTest::mousePress(&dlg, Qt::LeftButton, {}, c);
        QTest::mouseMove(&dlg, c - QPoint(40, 0));
        QTest::mouseRelease(&dlg, Qt::LeftButton, {}, c - QPoint(40, 0));
        QCoreApplication::processEvents();
        stillOpen = dlg.isVisible() && dlg.cancels == 0;
        QTest::keyClick(&dlg, Qt::Key_Escape);
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(result, IDCANCEL);
}

TEST(QX_DialogTest, KeysAndButtonsEndTheDialog) {
    ProbeDlg enter(kTestTemplate);
    EXPECT_EQ(RunModal(enter, [&] { QTest::keyClick(&enter, Qt::Key_Return); }), IDOK);

    ProbeDlg click(kTestTemplate);
    EXPECT_EQ(
        RunModal(click, [&] { QTest::mouseClick(click.GetDlgItem(IDCANCEL), Qt::LeftButton); }),
        IDCANCEL);
    EXPECT_EQ(click.cancels, 1);

    // Enter goes to the template's default button; a command the dialog does not know leaves
    // it open.
    ProbeDlg plain(kPlainTemplate);
    EXPECT_EQ(RunModal(plain,
                       [&] {
                           QTest::keyClick(&plain, Qt::Key_Enter, Qt::KeypadModifier);
                           QTest::keyClick(&plain, Qt::Key_Escape);
                       }),
              IDCANCEL);
    EXPECT_EQ(plain.commands, (std::vector<int>{1016, IDCANCEL}));
}

// Ends itself while initialising, as a dialog with nothing to show does.
class QuitEarlyDlg final : public QX_Dialog {
  public:
    QuitEarlyDlg() : QX_Dialog(kTestTemplate, nullptr) {}

  protected:
    bool OnInitDialog() override {
        QX_Dialog::OnInitDialog();
        EndDialog(IDOK);
        return true;
    }
};

TEST(QX_DialogTest, EndDialogDuringInitialisationReturnsWithoutShowing) {
    QuitEarlyDlg dlg;
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_FALSE(dlg.isVisible());
}

TEST(QX_DialogTest, UnknownTemplateGivesAnEmptyUsableDialog) {
    ProbeDlg dlg(4711);
    EXPECT_EQ(RunModal(dlg, [&] { QTest::keyClick(&dlg, Qt::Key_Escape); }), IDCANCEL);
    EXPECT_GT(dlg.width(), 40);
}

TEST(QX_DialogTest, CaptionDragMovesByTheCursorTravel) {
    ProbeDlg dlg(kTestTemplate);
    dlg.Create();
    dlg.move(100, 100);
    dlg.show();
    const QPoint start(dlg.width() / 2, 12);
    QTest::mousePress(&dlg, Qt::LeftButton, {}, start);
    QTest::mouseMove(&dlg, start + QPoint(-25, 40));
    QTest::mouseRelease(&dlg, Qt::LeftButton, {}, start + QPoint(-25, 40));
    EXPECT_EQ(dlg.pos(), QPoint(75, 140));
    QTest::mousePress(&dlg, Qt::LeftButton, {}, QPoint(30, 60)); // body: no move
    QTest::mouseMove(&dlg, QPoint(60, 90));
    QTest::mouseRelease(&dlg, Qt::LeftButton, {}, QPoint(60, 90));
    EXPECT_EQ(dlg.pos(), QPoint(75, 140));
}

// A dialog names its owner to the window system, which places it over that window: its
// parent's window, or the active window when it has no parent.
TEST(QX_DialogTest, NamesItsOwnerAsTransientParent) {
    QWidget owner;
    QWidget* inside = new QWidget(&owner);
    owner.show();
    owner.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
    QX_Dialog child(kTestTemplate, inside);
    child.Create();
    child.show();
    EXPECT_EQ(child.windowHandle()->transientParent(), owner.windowHandle());
    QX_MessageDlg box(QX_MessageDlg::kTemplateId, nullptr);
    box.Prepare(false, QStringLiteral("box"), QX_MSG_INFORMATION, nullptr);
    box.show();
    ASSERT_NE(box.windowHandle(), nullptr);
    EXPECT_EQ(box.windowHandle()->transientParent(), owner.windowHandle());
}

TEST(QX_DialogTest, EmptyTitleShowsNoCaptionBand) {
    TestSkin();
    ProbeDlg titled(kTestTemplate);
    titled.Create();
    titled.SetCaptionActive(false);
    ProbeDlg bare(kTestTemplate);
    bare.m_strTitle.clear();
    bare.Create();
    bare.SetCaptionActive(false);
    const QImage a = Render(&titled);
    const QImage b = Render(&bare);
    const int x = a.width() / 3;
    // Inactive band: flat body-pen colour; without a title the frame's own light base shows.
    EXPECT_EQ(a.pixel(x, 3), QX_ToQColor(titled.m_crBodyPen).rgb());
    EXPECT_NE(b.pixel(x, 3), QX_ToQColor(bare.m_crBodyPen).rgb());
    // No close button either.
    const QRect close = bare.CloseButtonRect();
    EXPECT_EQ(b.copy(close), Render(&bare).copy(close));
    bool uniformRows = true;
    for (int y = close.top(); y <= close.bottom(); ++y)
        uniformRows &= b.pixel(close.left(), y) == b.pixel(close.right(), y);
    EXPECT_TRUE(uniformRows);
}

} // namespace
