#include "toolkit/QX_MessageDlg.h"

#include "imaging/Cp949Codec.h"
#include "toolkit/QX_Button.h"
#include "toolkit/QX_Theme.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr COLORREF kDarkRed = 0x000080;

// Delivers a key press and release to whatever modal box is running, once it runs: to its
// focused control, as the keyboard would.
void KeyToModalBox(int key) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, key] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box)
            return;
        QWidget* target = box->focusWidget() ? box->focusWidget() : box;
        QApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
        QApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier));
        poll->deleteLater();
    });
    poll->start(5);
}

QImage Grab(QWidget* w) {
    w->show();
    QApplication::processEvents();
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Rows in which some pixel of the column band [x0, x1) is dark enough to be text ink.
QList<int> InkRows(const QImage& img, int x0, int x1, int y0, int y1) {
    QList<int> rows;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (qGray(img.pixel(x, y)) < 150) {
                rows << y;
                break;
            }
    return rows;
}

} // namespace

TEST(MessageBoxSize, ShortTextGivesTheMinimumBox) {
    QX_MessageDlg box;
    box.AddLine(QStringLiteral("저장했습니다."), 0);
    ASSERT_TRUE(box.Prepare(false, QStringLiteral("알림"), QX_MSG_INFORMATION, nullptr));
    EXPECT_EQ(box.size(), QSize(224, 120));
    EXPECT_EQ(box.TextLineCount(), 1);
    EXPECT_EQ(box.LineHeight(), QFontMetrics(box.Font()).height() + 4);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("알림"));
}

TEST(MessageBoxSize, FollowsWidestLineTitleAndGaps) {
    EXPECT_EQ(QX_MessageDlg::ComputeSize(100, 12, {300, 50}, 2), QSize(400, 120));
    // A long title widens the box, less 20 pixels.
    EXPECT_EQ(QX_MessageDlg::ComputeSize(320, 12, {50}, 1), QSize(400, 120));
    // 5 lines of 12 + 4 per record + 86; one more record (a gap) adds exactly 4.
    EXPECT_EQ(QX_MessageDlg::ComputeSize(0, 12, {1, 1, 1, 1, 1}, 5).height(), 166);
    EXPECT_EQ(QX_MessageDlg::ComputeSize(0, 12, {1, 1, 1, 1, 1}, 6).height(), 170);

    const QFont font = QX_StandardFont();
    const QString wide = QStringLiteral("이 줄은 상자를 넓히기에 충분할 만큼 아주 깁니다");
    QX_MessageDlg box;
    box.AddLine(wide, 0);
    box.AddLine(QStringLiteral("짧음"), 0);
    ASSERT_TRUE(box.Prepare(false, QStringLiteral("T"), 0, &font));
    EXPECT_EQ(box.width(), QFontMetrics(font).horizontalAdvance(wide) + 100);
}

TEST(MessageBoxLines, OneLineSitsBesideTheIconMiddle) {
    QX_MessageDlg box;
    box.AddGap();
    box.AddLine(QStringLiteral("오류가 발생했습니다"), kDarkRed);
    ASSERT_TRUE(box.Prepare(false, QStringLiteral("오류!!"), QX_MSG_STOP, nullptr));
    ASSERT_EQ(box.TextOrigins(), QList<QPoint>{QPoint(70, 54)});

    const QImage img = Grab(&box);
    const QList<int> rows = InkRows(img, 70, 200, 36, 80);
    ASSERT_FALSE(rows.isEmpty());
    EXPECT_GE(rows.first(), 54);
    EXPECT_LT(rows.last(), 54 + box.LineHeight());
    // The line's ink is in its own colour: red dominates.
    bool red = false;
    for (int y = 54; y < 54 + box.LineHeight(); ++y)
        for (int x = 70; x < 200; ++x) {
            const QColor c(img.pixel(x, y));
            red |= c.red() > 100 && c.green() < 60 && c.blue() < 60;
        }
    EXPECT_TRUE(red);
}

TEST(MessageBoxLines, SeveralLinesStartAt42AndGapsShiftLaterLines) {
    QX_MessageDlg box;
    box.AddLine(QStringLiteral("첫째 줄"), 0);
    box.AddLine(QStringLiteral("둘째 줄"), 0);
    box.AddGap();
    box.AddLine(QStringLiteral("셋째 줄"), kDarkRed);
    ASSERT_TRUE(box.Prepare(true, QStringLiteral("질문"), QX_MSG_QUESTION, nullptr));
    const int lh = box.LineHeight();
    EXPECT_EQ(box.TextOrigins(), (QList<QPoint>{{70, 42}, {70, 42 + lh}, {70, 42 + 2 * lh + 4}}));

    QX_MessageDlg noGap;
    noGap.AddLine(QStringLiteral("첫째 줄"), 0);
    noGap.AddLine(QStringLiteral("둘째 줄"), 0);
    noGap.AddLine(QStringLiteral("셋째 줄"), 0);
    ASSERT_TRUE(noGap.Prepare(true, QStringLiteral("질문"), QX_MSG_QUESTION, nullptr));
    EXPECT_EQ(box.height() - noGap.height(), box.height() > 120 ? 4 : 0);

    // Ink of the third line starts 4 rows lower than without the gap.
    const QList<int> a = InkRows(Grab(&box), 70, 140, 42 + 2 * lh, 42 + 3 * lh + 4);
    const QList<int> b = InkRows(Grab(&noGap), 70, 140, 42 + 2 * lh, 42 + 3 * lh + 4);
    ASSERT_FALSE(a.isEmpty());
    ASSERT_FALSE(b.isEmpty());
    EXPECT_EQ(a.first() - b.first(), 4);
}

TEST(MessageBoxButtons, LoneOkIsCentredAndPairSharesTheMiddle) {
    QX_MessageDlg one;
    one.AddLine(QStringLiteral("x"), 0);
    ASSERT_TRUE(one.Prepare(false, QStringLiteral("t"), 0, nullptr));
    const int m = one.width() / 2, bottom = one.height();
    ASSERT_NE(one.OkButton(), nullptr);
    EXPECT_EQ(one.CancelButton(), nullptr);
    EXPECT_EQ(one.OkButton()->geometry(), QRect(m - 50, bottom - 40, 100, 30));
    EXPECT_EQ(one.OkButton()->Text(), QStringLiteral("확 인"));
    EXPECT_EQ(one.OkButton()->CtrlId(), IDOK);

    QX_MessageDlg two;
    two.AddLine(QStringLiteral("x"), 0);
    ASSERT_TRUE(two.Prepare(true, QStringLiteral("t"), 0, nullptr, QX_MSG_ENGLISH));
    const int m2 = two.width() / 2, bottom2 = two.height();
    ASSERT_NE(two.CancelButton(), nullptr);
    EXPECT_EQ(two.OkButton()->geometry(), QRect(m2 - 102, bottom2 - 40, 100, 30));
    EXPECT_EQ(two.CancelButton()->geometry(), QRect(m2 + 2, bottom2 - 40, 100, 30));
    EXPECT_EQ(two.OkButton()->Text(), QStringLiteral("Ok"));
    EXPECT_EQ(two.CancelButton()->Text(), QStringLiteral("Cancel"));
    EXPECT_EQ(two.CancelButton()->CtrlId(), IDCANCEL);

    // The buttons are painted where their geometry says: the frame colour at OK's inner frame.
    const QImage img = Grab(&two);
    const QRect ok = two.OkButton()->geometry();
    EXPECT_EQ(QX_FromQColor(QColor(img.pixel(ok.left() + 3, ok.top() + 1))), QX_RGB(0, 60, 116));
    EXPECT_EQ(QX_FromQColor(QColor(img.pixel(ok.right() - 1, ok.top() + 5))), QX_RGB(0, 60, 116));
}

TEST(MessageBoxIcon, KindsWrapAndTheIconIsKeyedOut) {
    EXPECT_EQ(QX_MessageDlg::IconName(0), QStringLiteral("t_md_중지.bmp"));
    EXPECT_EQ(QX_MessageDlg::IconName(5), QStringLiteral("t_md_물음.bmp"));
    EXPECT_EQ(QX_MessageDlg::IconName(-1), QStringLiteral("t_md_경고.bmp"));

    QX_MessageDlg box;
    box.AddLine(QStringLiteral("x"), 0);
    ASSERT_TRUE(box.Prepare(false, QStringLiteral("t"), 2, nullptr));
    EXPECT_TRUE(box.Icon().m_bTransparent);
    EXPECT_EQ(box.Icon().m_crKey, 0x0000FFu);
    if (!box.Icon().m_bLoaded)
        GTEST_SKIP() << "skin pack without message icons in the run directory";
    const QImage img = Grab(&box);
    bool drawn = false;
    for (int y = 42; y < 42 + box.Icon().m_nHeight; ++y)
        for (int x = 20; x < 20 + box.Icon().m_nWidth; ++x) {
            const QRgb p = img.pixel(x, y);
            EXPECT_NE(p, qRgb(255, 0, 0)) << "key colour shows at " << x << "," << y;
            drawn |= QX_FromQColor(QColor(p)) != QX_RGB(232, 236, 255);
        }
    EXPECT_TRUE(drawn);
}

struct TruncCase {
    const char* name;
    QString text;
    int wantBytes;
    bool fits;
};

class MessageLineTruncation : public ::testing::TestWithParam<TruncCase> {};

TEST_P(MessageLineTruncation, KeepsWholeCharactersOnly) {
    const TruncCase c = GetParam();
    QX_MessageDlg box;
    EXPECT_EQ(box.AddLine(c.text, kDarkRed), c.fits);
    ASSERT_EQ(box.RecordCount(), 1);
    const QX_MsgLine* line = box.Record(0);
    EXPECT_EQ(line->gap, 0);
    EXPECT_EQ(line->color, kDarkRed);
    const int bytes = int(strnlen(line->text, sizeof(line->text)));
    EXPECT_EQ(bytes, c.wantBytes);
    const QString kept = QX_MessageDlg::RecordText(*line);
    EXPECT_EQ(c.text.left(kept.size()), kept);
    // Every byte of the record belongs to a whole character.
    EXPECT_EQ(Cp949Codec::Encode(kept).size(), bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, MessageLineTruncation,
    ::testing::Values(
        TruncCase{"ascii127", QString(127, QLatin1Char('a')), 127, true},
        TruncCase{"ascii128", QString(128, QLatin1Char('a')), 127, false},
        TruncCase{"hangul63", QString(63, QChar(0xAC00)), 126, true},
        TruncCase{"hangul64", QString(64, QChar(0xAC00)), 126, false},
        TruncCase{"oddThenHangul", QStringLiteral("a") + QString(63, QChar(0xD55C)), 127, true},
        TruncCase{"evenThenHangul", QStringLiteral("ab") + QString(63, QChar(0xD55C)), 126, false},
        TruncCase{"empty", QString(), 0, true}),
    [](const ::testing::TestParamInfo<TruncCase>& info) { return std::string(info.param.name); });

TEST(MessageBoxRun, EnterIsOk) {
    QX_MessageDlg box;
    box.AddLine(QStringLiteral("계속할까요?"), 0);
    KeyToModalBox(Qt::Key_Return);
    EXPECT_EQ(box.ShowMessage(true, QStringLiteral("질문"), QX_MSG_QUESTION, nullptr), IDOK);
}

TEST(MessageBoxRun, EscapeIsCancelEvenWithOkOnly) {
    QX_MessageDlg box;
    box.AddLine(QStringLiteral("파일을 쓸 수 없습니다"), kDarkRed);
    KeyToModalBox(Qt::Key_Escape);
    EXPECT_EQ(box.ShowMessage(false, QStringLiteral("오류!!"), QX_MSG_STOP, nullptr), IDCANCEL);
}

TEST(MessageBoxRun, SpaceOnFocusedCancelIsCancel) {
    QX_MessageDlg box;
    box.AddLine(QStringLiteral("x"), 0);
    ASSERT_TRUE(box.Prepare(true, QStringLiteral("t"), 1, nullptr));
    box.CancelButton()->setFocus();
    KeyToModalBox(Qt::Key_Space);
    EXPECT_EQ(box.DoModal(), IDCANCEL);
}

TEST(MessageBoxRun, AutoCloseEndsAsOk) {
    QX_MessageDlg box;
    box.AddLine(QStringLiteral("잠시 후 닫힙니다"), 0);
    box.m_nAutoCloseMs = 20;
    EXPECT_EQ(box.ShowMessage(true, QStringLiteral("알림"), QX_MSG_INFORMATION, nullptr), IDOK);
}
