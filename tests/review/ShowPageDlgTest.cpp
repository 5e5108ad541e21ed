#include "review/ShowPageDlg.h"
#include "pages/AutoBreaks.h"
#include "pages/MarginReflow.h"
#include "review/PageImageView.h"
#include "review/ReviewTexts.h"
#include "tests/review/ReviewTestPages.h"
#include "toolkit/QX_Button.h"
#include "toolkit/QX_CheckBtn.h"
#include "toolkit/QX_ListBox.h"
#include "toolkit/QX_MessageDlg.h"
#include "tools/walk/ModalDriver.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <memory>

#include <gtest/gtest.h>

namespace RT = ReviewTestPages;

namespace {
constexpr int kWidth = 300;

// Answers every message box that comes up (OK or Cancel) and keeps its printed line.
class BoxAnswerer final {
  public:
    BoxAnswerer() {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start(10);
    }
    QStringList lines;
    bool m_bOk = true; // answer with OK, else with Cancel where there is one

  private:
    void Poll() {
        auto* box = qobject_cast<QX_MessageDlg*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || box == m_pLast)
            return;
        m_pLast = box;
        lines << ModalDriver::MessageLine(*box);
        QX_Button* button = m_bOk || !box->CancelButton() ? box->OkButton() : box->CancelButton();
        QTimer::singleShot(0, button, [button] { QTest::mouseClick(button, Qt::LeftButton); });
    }
    QTimer m_timer;
    QPointer<QX_MessageDlg> m_pLast;
};

class ShowPageDlgTest : public ::testing::Test {
  protected:
    void Open(int pages, bool blankLast = false, int scale = 1) {
        RT::Fill(set, pages, kWidth, blankLast, scale);
        dlg = std::make_unique<ShowPageDlg>(&font);
        dlg->SetPages(&set);
        dlg->Create();
        dlg->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
    }
    QX_ListBox* List() const { return dlg->PageList(); }
    PageImageView* View() const { return dlg->PageView(); }
    void ClickRow(int index) {
        QTest::mouseClick(List(), Qt::LeftButton, {}, List()->GetItemRect(index).center());
    }
    void Click(int id) {
        QWidget* control = dlg->GetDlgItem(id);
        QTest::mouseClick(control, Qt::LeftButton, {}, control->rect().center());
        // What the click posted (a repaint, a question) runs before the case looks.
        QCoreApplication::processEvents();
    }
    void Type(int top, int bottom) {
        qobject_cast<QLineEdit*>(dlg->GetDlgItem(ShowPageDlg::IDC_TOP_EDIT))
            ->setText(QString::number(top));
        qobject_cast<QLineEdit*>(dlg->GetDlgItem(ShowPageDlg::IDC_BOTTOM_EDIT))
            ->setText(QString::number(bottom));
    }
    QRgb ViewRow(int row) const { return View()->PageImage().pixel(kWidth / 2, row) & 0xFFFFFF; }
    // Rightmost column of a row that holds a pixel of text colour c (0: any blue text), or -1.
    static int TextRight(const QImage& img, const QRect& row, QRgb c) {
        int right = -1;
        for (int y = row.top(); y <= row.bottom() - 3; ++y)
            for (int x = row.left(); x <= row.right(); ++x) {
                const QRgb p = img.pixel(x, y);
                if (c ? (p & 0xFFFFFF) == c : qBlue(p) - qRed(p) > 60)
                    right = qMax(right, x);
            }
        return right;
    }
    void Drag(int fromRow, int toRow) {
        const QPoint from = View()->ClientOrigin() + QPoint(20, fromRow);
        const QPoint to = View()->ClientOrigin() + QPoint(20, toRow);
        auto send = [&](QEvent::Type type, QPoint p, Qt::MouseButtons buttons) {
            QMouseEvent e(type, QPointF(p), QPointF(View()->mapToGlobal(p)),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, {});
            QApplication::sendEvent(View(), &e);
        };
        send(QEvent::MouseButtonPress, from, Qt::LeftButton);
        send(QEvent::MouseMove, to, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, to, Qt::NoButton);
    }

    QFont font{QStringLiteral("굴림체")};
    BoxAnswerer answer;
    PageSet set;
    std::unique_ptr<ShowPageDlg> dlg;
};

struct MarginCase {
    int top;
    int bottom;
    const char* line;
};
class ShowPageDlgValidation : public ShowPageDlgTest,
                              public ::testing::WithParamInterface<MarginCase> {};
} // namespace

// Rows read "Page NN 사용" in blue (the selected one darker), with a 3-on-3-off rule in light
// grey from the list's x 5 to 5 pixels short of the right, 2 pixels above the row's bottom.
// A double-click changes the text only; the view keeps its page.
TEST_F(ShowPageDlgTest, ListRowsShowTheMarkAndADoubleClickTogglesOnlyIt) {
    Open(3);
    ASSERT_EQ(List()->GetCount(), 3);
    EXPECT_EQ(List()->GetItemHeight(), 18);
    EXPECT_EQ(List()->GetCurSel(), 0);
    QImage img = List()->grab().toImage();
    const QRect r0 = List()->GetItemRect(0);
    const QRect r1 = List()->GetItemRect(1);
    EXPECT_GT(TextRight(img, r0, 0x0000FF), 0);
    EXPECT_EQ(TextRight(img, r0, 0x0080FF), -1);
    const int usedRight = TextRight(img, r1, 0);
    EXPECT_GT(TextRight(img, r1, 0x0080FF), 0);
    EXPECT_EQ(TextRight(img, r1, 0x0000FF), -1);
    const int x0 = List()->RowArea().left() + 5;
    const int y = r1.bottom() - 1;
    for (int dx : {0, 1, 2, 6, 7, 8})
        EXPECT_EQ(img.pixel(x0 + dx, y) & 0xFFFFFF, 0xDCDCDCu) << dx;
    for (int dx : {-1, 3, 4, 5})
        EXPECT_NE(img.pixel(x0 + dx, y) & 0xFFFFFF, 0xDCDCDCu) << dx;
    EXPECT_NE(img.pixel(r1.right() - 4, y) & 0xFFFFFF, 0xDCDCDCu);

    ClickRow(1);
    const QImage shown = View()->PageImage();
    QTest::mouseDClick(List(), Qt::LeftButton, {}, r1.center());
    EXPECT_FALSE(set.Page(1)->used);
    EXPECT_EQ(dlg->CountUsedPages(), 2);
    EXPECT_EQ(dlg->GetUsedPage(1), set.Page(2));
    img = List()->grab().toImage();
    EXPECT_GT(TextRight(img, r1, 0), usedRight + 10) << "\" 사용안함\" is longer";
    EXPECT_EQ(View()->PageImage(), shown);
    EXPECT_EQ(View()->CurrentRecord(), set.Page(1));
    const ReviewPages pages = dlg->Pages();
    ASSERT_EQ(pages.pages.size(), 3);
    EXPECT_EQ(pages.pages.at(1), set.Page(1));
    EXPECT_EQ(pages.CountUsedPages(), 2);
}

// An all-white last page is not listed; a single white page is.
TEST_F(ShowPageDlgTest, BlankLastPageIsDroppedButNeverTheOnlyOne) {
    Open(3, true);
    EXPECT_EQ(List()->GetCount(), 2);
    EXPECT_EQ(set.Count(), 2);
    dlg.reset();
    set.FreePages();
    Open(1, true);
    EXPECT_EQ(List()->GetCount(), 1);
    EXPECT_EQ(set.Count(), 1);
}

TEST_F(ShowPageDlgTest, EnterInAMarginEditDoesNotClose) {
    Open(2);
    auto* edit = dlg->GetDlgItem(ShowPageDlg::IDC_BOTTOM_EDIT);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Enter);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(set.Page(0)->bottomMargin, 0);
}

// The first failing rule speaks, and nothing changes.
TEST_P(ShowPageDlgValidation, TheFirstRuleThatFailsIsShown) {
    Open(2);
    Type(GetParam().top, GetParam().bottom);
    Click(ShowPageDlg::IDC_MARGIN_APPLY);
    ASSERT_EQ(answer.lines.size(), 1);
    EXPECT_EQ(answer.lines.at(0), QStringLiteral("message 입력값을 확인해주세요!! | ") +
                                      QString::fromUtf8(GetParam().line));
    EXPECT_EQ(set.Page(0)->topMargin, 0);
    EXPECT_EQ(set.Page(0)->bottomMargin, 0);
    EXPECT_EQ(RT::PixelAt(set, set.Page(0)->pixels, 0, 0), RT::RowColor(0, 0));
}

INSTANTIATE_TEST_SUITE_P(
    Order, ShowPageDlgValidation,
    ::testing::Values(
        MarginCase{-1, 500, "페이지 여백은 음수로 입력할수 없습니다."},
        MarginCase{0, -3, "페이지 여백은 음수로 입력할수 없습니다."},
        MarginCase{60, 401, "페이지 위쪽 여백은 0 ~ 50 사이의 값만 사용할수 있습니다."},
        MarginCase{0, 401, "페이지 아래쪽 여백은 0 ~ 400 사이의 값만 사용할수 있습니다."}));

// Clicking the selected page keeps a preview on screen; another page and back reloads it.
// While the preview is shown, image position adjust is refused with its message.
TEST_F(ShowPageDlgTest, PreviewStaysUntilAnotherPageAndBlocksAdjust) {
    Open(3);
    Type(30, 0);
    Click(ShowPageDlg::IDC_MARGIN_PREVIEW);
    EXPECT_TRUE(View()->PreviewShown());
    EXPECT_EQ(ViewRow(0), 0xFFFFFFu);
    EXPECT_EQ(ViewRow(30), RT::RowColor(0, 0) & 0xFFFFFF);
    ClickRow(0);
    EXPECT_EQ(ViewRow(0), 0xFFFFFFu);
    EXPECT_EQ(set.Page(0)->topMargin, 0) << "a preview changes nothing";

    Click(ShowPageDlg::IDC_IMAGE_ADJUST);
    ASSERT_EQ(answer.lines.size(), 1);
    EXPECT_TRUE(answer.lines.at(0).startsWith(QStringLiteral("message 여백 조정중입니다!! | ")));
    EXPECT_EQ(answer.lines.at(0).count(QStringLiteral(" | ")), 4);
    EXPECT_EQ(
        qobject_cast<QX_CheckBtn*>(dlg->GetDlgItem(ShowPageDlg::IDC_IMAGE_ADJUST))->GetCheck(), 0);
    EXPECT_FALSE(View()->AdjustMode());

    ClickRow(1);
    ClickRow(0);
    EXPECT_EQ(ViewRow(0), RT::RowColor(0, 0) & 0xFFFFFF);
    EXPECT_EQ(qobject_cast<QLineEdit*>(dlg->GetDlgItem(ShowPageDlg::IDC_TOP_EDIT))->text(),
              QStringLiteral("0"));
}

// A cut answered with Cancel stays on screen only until the page is loaded again.
TEST_F(ShowPageDlgTest, CancelledCutIsGoneAfterReselecting) {
    Open(2);
    answer.m_bOk = false;
    Click(ShowPageDlg::IDC_IMAGE_ADJUST);
    ASSERT_TRUE(View()->AdjustMode());
    Drag(200, 100);
    // The question comes up from a posted event and is answered from a timer.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !answer.lines.isEmpty(); }, 2000));
    ASSERT_EQ(answer.lines.size(), 1);
    EXPECT_EQ(answer.lines[0],
              QStringLiteral("message 이미지 정보가 변경되었습니다. 저장하시겠습니까? | "
                             "관련된 정보들을 모두 업데이트 하시겠습니까? | 저장하지 않으시면 다른 "
                             "페이지 선택했다가 다시 이 페이지를 선택하면 | 변경전 이미지로 "
                             "출력됩니다."));
    ASSERT_TRUE(QTest::qWaitFor([] { return !QApplication::activeModalWidget(); }, 2000));
    EXPECT_EQ(ViewRow(100), RT::RowColor(0, 200) & 0xFFFFFF);
    EXPECT_EQ(RT::PixelAt(set, set.Page(0)->pixels, 0, 100), RT::RowColor(0, 100));
    ClickRow(1);
    ClickRow(0);
    EXPECT_EQ(ViewRow(100), RT::RowColor(0, 100) & 0xFFFFFF);
}

// At scale 2 the margins typed and the band the pointer cuts are document rows, two pixel rows
// each, in the view and in the pages.
TEST_F(ShowPageDlgTest, AtScaleTwoMarginsAndCutsCountDocumentRows) {
    Open(2, false, 2);
    Type(30, 0);
    Click(ShowPageDlg::IDC_MARGIN_APPLY);
    EXPECT_EQ(set.Page(0)->topMargin, 30);
    EXPECT_EQ(ViewRow(59), 0xFFFFFFu);
    EXPECT_EQ(ViewRow(60), RT::RowColor(0, 0) & 0xFFFFFF);
    EXPECT_EQ(RT::PixelAt(set, set.Page(1)->pixels, 0, 0), RT::RowColor(0, 1024 - 30));

    Click(ShowPageDlg::IDC_IMAGE_ADJUST);
    ASSERT_TRUE(View()->AdjustMode());
    Drag(200, 100);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !answer.lines.isEmpty(); }, 2000));
    ASSERT_TRUE(QTest::qWaitFor([] { return !QApplication::activeModalWidget(); }, 2000));
    EXPECT_EQ(ViewRow(2 * 100 + 1), RT::RowColor(0, 200 - 30) & 0xFFFFFF) << "rows 100..199 gone";
    EXPECT_EQ(RT::PixelAt(set, set.Page(0)->pixels, 0, 100), RT::RowColor(0, 200 - 30));
    EXPECT_EQ(ViewRow(2 * 1023 + 1), 0xFFFFFFu) << "white comes in at the foot";
}

// Applying renumbers the list after the set: an overflowing last page gains a page.
TEST_F(ShowPageDlgTest, ApplyKeepsTheListInStepWithThePages) {
    Open(2);
    ClickRow(1);
    Type(0, 400);
    Click(ShowPageDlg::IDC_MARGIN_APPLY);
    ASSERT_EQ(set.Count(), 3);
    ASSERT_EQ(List()->GetCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(List()->GetItemData(i), quintptr(set.Page(i)));
    EXPECT_EQ(set.Page(1)->bottomMargin, 400);
    EXPECT_FALSE(View()->PreviewShown());
    EXPECT_EQ(View()->CurrentRecord(), set.Page(1));
}

// Without memory for the work, the page set stays exactly as it was and the user is told.
TEST_F(ShowPageDlgTest, OutOfMemoryChangesNothingAndSaysSo) {
    Open(3);
    const QByteArray before(reinterpret_cast<const char*>(set.Page(1)->pixels),
                            qsizetype(set.Geometry().pageBytes));
    dlg->Reflow()->SetAllocationBudget(0);
    Type(0, 300);
    Click(ShowPageDlg::IDC_MARGIN_APPLY);
    Click(ShowPageDlg::IDC_MARGIN_PREVIEW);
    ASSERT_EQ(answer.lines.size(), 2);
    EXPECT_TRUE(answer.lines.at(0).startsWith(QStringLiteral("message ") +
                                              ReviewTexts::OutOfMemoryTitle()));
    EXPECT_EQ(set.Count(), 3);
    EXPECT_EQ(List()->GetCount(), 3);
    EXPECT_EQ(set.Page(0)->bottomMargin, 0);
    EXPECT_EQ(
        std::memcmp(before.constData(), set.Page(1)->pixels, size_t(set.Geometry().pageBytes)), 0);
    EXPECT_FALSE(View()->PreviewShown());
}

// One press sets every page's breaks between lines: the list follows the pages, the shown page is
// reloaded with its new margins in the edits, and a preview on screen ends.
TEST_F(ShowPageDlgTest, AutoBreaksReflowAllPagesAndReloadTheShownOne) {
    RT::Fill(set, 3, kWidth);
    for (int n = 0; n < 3 * PageSet::pageHeight; ++n) {
        if (n % 23 >= 15) { // lines of 15 rows on a paper background
            PageRecord* page = set.Page(n / PageSet::pageHeight);
            std::memset(set.Row(page, n % PageSet::pageHeight), 0xF0, size_t(set.RowBytes()));
        }
    }
    const std::vector<MarginReflow::Margins> plan = AutoBreaks::Plan(set);
    ASSERT_EQ(plan.size(), 4u) << "the breaks push a page's worth of rows onto a new page";
    dlg = std::make_unique<ShowPageDlg>(&font);
    dlg->SetPages(&set);
    dlg->Create();
    dlg->show();
    ClickRow(1);
    Type(0, 100);
    Click(ShowPageDlg::IDC_MARGIN_PREVIEW);
    ASSERT_TRUE(View()->PreviewShown());

    Click(ShowPageDlg::IDC_AUTO_BREAKS);
    ASSERT_EQ(set.Count(), 4);
    ASSERT_EQ(List()->GetCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(List()->GetItemData(i), quintptr(set.Page(i)));
        EXPECT_EQ(set.Page(i)->bottomMargin, plan[size_t(i)].bottom) << "page " << i;
    }
    EXPECT_GT(set.Page(1)->bottomMargin, 0);
    EXPECT_FALSE(View()->PreviewShown());
    EXPECT_EQ(View()->CurrentRecord(), set.Page(1));
    EXPECT_EQ(ViewRow(PageSet::pageHeight - 1), 0xFFFFFFu) << "the margin shows white";
    EXPECT_EQ(qobject_cast<QLineEdit*>(dlg->GetDlgItem(ShowPageDlg::IDC_BOTTOM_EDIT))->text(),
              QString::number(set.Page(1)->bottomMargin));
    EXPECT_TRUE(answer.lines.isEmpty());
}
