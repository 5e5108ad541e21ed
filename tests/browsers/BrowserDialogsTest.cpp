#include "browsers/AboutDlg.h"
#include "browsers/FindUrlDlg.h"
#include "capture/BrowserControl.h"
#include "tests/browsers/BrowserTestFiles.h"
#include "tests/support/WaitUntil.h"
#include "toolkit/QX_Button.h"
#include "toolkit/QX_CheckBtn.h"
#include "toolkit/QX_ListBox.h"
#include "toolkit/QX_Static.h"
#include "toolkit/QX_Theme.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Pages of one running Firefox: titles in mixed case, a local file and one whose address
// starts with the four letters in capitals.
const QByteArray kStore = R"({"windows":[{"tabs":[
    {"entries":[{"url":"https://z.example/","title":"zeta"}],"index":1},
    {"entries":[{"url":"file:///tmp/local.html","title":"local"}],"index":1},
    {"entries":[{"url":"http://a.example/","title":"Alpha"}],"index":1},
    {"entries":[{"url":"FILE:///tmp/upper.html","title":"Upper"}],"index":1},
    {"entries":[{"url":"https://b.example/","title":"beta"}],"index":1}]}]})";

QStringList Rows(const FindUrlDlg& dlg) {
    QStringList rows;
    for (int i = 0; i < dlg.List()->GetCount(); ++i)
        rows << dlg.List()->GetText(i) + QLatin1Char(' ') + dlg.ItemUrl(i);
    return rows;
}

// Pixels of about that colour inside the rectangle (text is smoothed: only its core pixels
// come near the pen's colour).
int CountColour(const QImage& image, const QRect& rect, COLORREF colour) {
    const QColor want = QX_ToQColor(colour);
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += qAbs(c.red() - want.red()) <= 40 && qAbs(c.green() - want.green()) <= 40 &&
                 qAbs(c.blue() - want.blue()) <= 40;
        }
    return n;
}

class FindUrl : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(BrowserTestFiles::WriteFirefoxProfile(home.path(), kStore,
                                                          QCoreApplication::applicationPid()));
    }
    QTemporaryDir home;
};

} // namespace

TEST_F(FindUrl, RowsSortedAndLocalFilesOnlyWithTheBoxTicked) {
    FindUrlDlg dlg(nullptr, nullptr, home.path());
    dlg.Create();
    const QStringList withoutFiles = {
        QStringLiteral("Alpha http://a.example/"), QStringLiteral("beta https://b.example/"),
        QStringLiteral("Upper FILE:///tmp/upper.html"), QStringLiteral("zeta https://z.example/")};
    EXPECT_EQ(Rows(dlg), withoutFiles);
    EXPECT_EQ(dlg.List()->GetCurSel(), 0);
    dlg.show();
    QTest::mouseClick(dlg.ExplorerBox(), Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(dlg.ExplorerBox()->GetCheck(), 1);
    QStringList withFiles = withoutFiles;
    withFiles.insert(2, QStringLiteral("local file:///tmp/local.html"));
    EXPECT_EQ(Rows(dlg), withFiles);
    QTest::mouseClick(dlg.ExplorerBox(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(Rows(dlg), withoutFiles);
}

TEST_F(FindUrl, DoubleClickChoosesLikeOk) {
    FindUrlDlg dlg(nullptr, nullptr, home.path());
    dlg.Create();
    dlg.show();
    const QRect row = dlg.List()->GetItemRect(1);
    QTest::mouseDClick(dlg.List(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(dlg.result(), IDOK);
    EXPECT_EQ(dlg.m_strUrl, QStringLiteral("https://b.example/"));
}

TEST(FindUrlEmpty, OkWithoutAnyPageKeepsTheDialogOpen) {
    QTemporaryDir home; // no browser at all: an empty list and no message
    FindUrlDlg dlg(nullptr, nullptr, home.path());
    dlg.Create();
    dlg.show();
    EXPECT_EQ(dlg.List()->GetCount(), 0);
    QTest::keyClick(&dlg, Qt::Key_Return);
    QTest::mouseClick(dlg.GetDlgItem(IDOK), Qt::LeftButton);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(dlg.m_strUrl.isEmpty());
}

// Two-line rows 32 pixels high: the quoted title blue when selected and orange otherwise, the
// address black when selected and grey otherwise.
TEST_F(FindUrl, RowsDrawTitleAndAddressInTheirColours) {
    FindUrlDlg dlg(nullptr, nullptr, home.path());
    dlg.Create();
    dlg.show();
    const QImage image = dlg.List()->grab().toImage();
    const QRect first = dlg.List()->GetItemRect(0);
    const QRect second = dlg.List()->GetItemRect(1);
    EXPECT_EQ(first.height(), 32);
    EXPECT_EQ(second.top(), first.top() + 32);
    const auto titleBand = [](QRect r) { return QRect(r.left(), r.top() + 2, 200, 13); };
    const auto urlBand = [](QRect r) { return QRect(r.left(), r.top() + 16, 200, 13); };
    EXPECT_GT(CountColour(image, titleBand(first), 0xFF0000), 10);
    EXPECT_GT(CountColour(image, urlBand(first), 0x000000), 10);
    EXPECT_GT(CountColour(image, titleBand(second), 0xFF8000), 3);
    EXPECT_EQ(CountColour(image, titleBand(second), 0xFF0000), 0);
    EXPECT_GT(CountColour(image, urlBand(second), 0x808080), 10);
    EXPECT_GT(CountColour(image, QRect(10, second.bottom() - 1, 100, 1), 0xDCDCDC), 20)
        << "the dotted line under the row";
}

TEST(About, ShowsTheBundledPageUnderItsLabel) {
    AboutDlg dlg(QStringLiteral("Tarnel"), QStringLiteral("무료로 배포하는 프로그램입니다."));
    dlg.Create();
    ASSERT_NE(dlg.Browser(), nullptr);
    QSignalSpy loaded(dlg.Browser(), &BrowserControl::DocumentComplete);
    dlg.show();
    EXPECT_EQ(dlg.Browser()->geometry(), dlg.GetDlgItem(AboutDlg::kIdPlaceholder)->geometry());
    ASSERT_TRUE(loaded.wait(30000));
    EXPECT_TRUE(loaded.last().at(1).toBool());
    EXPECT_TRUE(WaitUntilEqual([&] { return dlg.Browser()->LocationName(); },
                               QStringLiteral("Tarnel 정보"), 10000));
    // The label's text is orange over the dialog's own body, which shows around the letters.
    const QImage image = dlg.grab().toImage();
    const QRect label = dlg.Label()->geometry();
    EXPECT_GT(CountColour(image, label, 0xFF8000), 20);
    EXPECT_GT(CountColour(image, label, dlg.m_crBodyBrush), label.width() * label.height() / 2);
}

TEST(About, ClosingWhileThePageLoadsIsClean) {
    for (int i = 0; i < 2; ++i) {
        auto* dlg = new AboutDlg(QStringLiteral("Tarnel"), QString());
        dlg->Create();
        dlg->show();
        const QPointer<BrowserControl> browser = dlg->Browser();
        ASSERT_FALSE(browser.isNull());
        dlg->reject();
        EXPECT_FALSE(dlg->isVisible());
        delete dlg;
        // The panel's browser goes with the dialog: nothing is left to load into it.
        EXPECT_TRUE(browser.isNull());
    }
    // What the loads still had queued runs without reaching the deleted dialogs.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<AboutDlg*>(w), nullptr);
}
