#include "app/MainWnd.h"
#include "app/CZelvaneApp.h"
#include "app/MainCommands.h"
#include "capture/BrowserControl.h"
#include "capture/HtmlCaptureImageWnd.h"
#include "review/ShowPageDlg.h"
#include "tests/app/MainWndFixture.h"
#include "tests/app/TestPages.h"
#include "tests/support/TestHttpServer.h"
#include "toolkit/QX_Button.h"
#include "toolkit/QX_ListBox.h"
#include "toolkit/QX_MessageDlg.h"
#include "toolkit/QX_ToolBar.h"
#include "tools/walk/ModalDriver.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <functional>
#include <memory>

#include <csignal>

#include <gtest/gtest.h>

namespace {
QRgb Rgb(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}

class MainWndTest : public MainWndFixture {
  protected:
    void SetUp() override {
        MainWndFixture::SetUp();
        Wnd()->resize(1000, 700);
    }
};

struct SizeCase {
    QSize asked;
    QSize got;
};

class MainWndLayout : public MainWndTest, public ::testing::WithParamInterface<SizeCase> {};
} // namespace

// Every size change places the children by the layout table; the window never gets smaller
// than 800 x 600.
TEST_P(MainWndLayout, ChildrenFollowTheSize) {
    Wnd()->resize(GetParam().asked);
    const int w = GetParam().got.width();
    const int h = GetParam().got.height();
    ASSERT_EQ(Wnd()->size(), GetParam().got);
    EXPECT_EQ(Wnd()->ToolBar()->geometry(), QRect(3, 32, w - 6, 32));
    EXPECT_EQ(Wnd()->AddressBox()->geometry(), QRect(110, 67, w - 114, 22));
    EXPECT_EQ(Browser()->geometry(), QRect(3, 90, w - 6, h - 93));
    EXPECT_EQ(View()->geometry(), QRect(3, 90, w - 6, h - 93));
    EXPECT_EQ(MainCommands::ToolButtons().size(), Wnd()->ToolBar()->ButtonCount());
}

INSTANTIATE_TEST_SUITE_P(Sizes, MainWndLayout,
                         ::testing::Values(SizeCase{{1000, 700}, {1000, 700}},
                                           SizeCase{{1280, 960}, {1280, 960}},
                                           SizeCase{{801, 601}, {801, 601}},
                                           SizeCase{{500, 300}, {800, 600}},
                                           SizeCase{{900, 100}, {900, 600}}));

TEST_F(MainWndTest, EnterInAddressBoxNavigatesAndBoxFollowsEveryDocument) {
    QLineEdit* box = Wnd()->AddressBox();
    QSignalSpy completed(Wnd(), &MainWnd::DocumentCompleted);
    auto settled = [&](const QString& url) {
        return WaitUntil([&] {
            return !completed.isEmpty() && !Browser()->IsLoading() && box->text() == url &&
                   Browser()->LocationURL() == url;
        });
    };
    box->setFocus();
    box->setText(s_pages->First());
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_TRUE(settled(s_pages->First()));
    // A load the program did not start itself also reaches the address box.
    completed.clear();
    Browser()->Navigate2(s_pages->Second());
    EXPECT_TRUE(settled(s_pages->Second()));
    // Back from the keyboard while the focus is in the page itself.
    completed.clear();
    Browser()->View()->setFocus();
    QTest::keyClick(Browser()->View()->focusProxy(), Qt::Key_P, Qt::AltModifier);
    EXPECT_TRUE(settled(s_pages->First()));
    // Reserved keys neither run a command nor reach the address box.
    box->setFocus();
    box->clear();
    QTest::keyClick(box, Qt::Key_E, Qt::AltModifier);
    QTest::keyClick(box, Qt::Key_U, Qt::AltModifier);
    EXPECT_TRUE(box->text().isEmpty());
}

TEST_F(MainWndTest, CaptureShowsSelectionAndF5ReturnsToTheSamePage) {
    ASSERT_TRUE(Load(s_pages->Tall()));
    const QRect browserRect = Browser()->geometry();
    QSignalSpy captured(Wnd(), &MainWnd::CaptureFinished);
    // F3 from inside the web page.
    Browser()->View()->setFocus();
    QTest::keyClick(Browser()->View()->focusProxy(), Qt::Key_F3);
    ASSERT_EQ(Wnd()->CaptureModeNow(), MainWnd::Selecting);
    EXPECT_EQ(captured.count(), 1);
    EXPECT_FALSE(Browser()->isVisible());
    EXPECT_TRUE(View()->isVisible());
    EXPECT_TRUE(View()->hasFocus());

    const QImage& image = View()->Image();
    ASSERT_GE(image.width(), 600);
    ASSERT_EQ(image.height(), 3000);
    EXPECT_EQ(Rgb(image, 300, 500), 0xFF0000u);
    EXPECT_EQ(Rgb(image, 300, 1500), 0x00FF00u);
    EXPECT_EQ(Rgb(image, 300, 2500), 0x0000FFu);
    // Taller than the view: 1/20 of the view's 591 rows above and below, not of the page.
    const int w = image.width();
    EXPECT_EQ(View()->Selection(), QRect(w / 20, 29, w - 2 * (w / 20), 3000 - 58));

    // On screen: the selected page as it is, the surround inverted (red becomes cyan), the top
    // edge's bar and the label above it.
    const QImage shot = Wnd()->grab().toImage();
    const QPoint origin = View()->geometry().topLeft() + View()->ClientOrigin();
    EXPECT_EQ(Rgb(shot, origin.x() + 300, origin.y() + 300), 0xFF0000u);
    EXPECT_EQ(Rgb(shot, origin.x() + 300, origin.y() + 20), 0x00FFFFu);
    EXPECT_EQ(Rgb(shot, origin.x() + 300, origin.y() + 29 - 7), 0x0080FFu);
    EXPECT_EQ(Rgb(shot, origin.x() + w / 20 + 22, origin.y() + 1), 0xFFFFA8u);

    // F3 again does nothing while selecting.
    QTest::keyClick(Wnd(), Qt::Key_F3);
    EXPECT_EQ(captured.count(), 1);

    QTest::keyClick(Wnd(), Qt::Key_F5);
    EXPECT_EQ(Wnd()->CaptureModeNow(), MainWnd::Browsing);
    EXPECT_TRUE(Browser()->isVisible());
    EXPECT_FALSE(View()->isVisible());
    EXPECT_EQ(Browser()->geometry(), browserRect);
    EXPECT_EQ(Browser()->LocationURL(), s_pages->Tall());
}

// Home, back and Enter do nothing while selecting; F4 and F5 do nothing while browsing.
TEST_F(MainWndTest, BrowsingCommandsWaitForBrowsing) {
    ASSERT_TRUE(Load(s_pages->Second()));
    ASSERT_TRUE(Capture(s_pages->First()));
    QWebEngineHistory* history = Browser()->View()->history();
    const int before = history->count();

    Wnd()->AddressBox()->setText(s_pages->Second());
    QTest::keyClick(Wnd()->AddressBox(), Qt::Key_Return);
    QTest::keyClick(Wnd(), Qt::Key_P, Qt::AltModifier);
    QTest::keyClick(Wnd(), Qt::Key_H, Qt::AltModifier);
    QTest::keyClick(Wnd(), Qt::Key_F5);
    ASSERT_EQ(Wnd()->CaptureModeNow(), MainWnd::Browsing);

    QSignalSpy cut(Wnd(), &MainWnd::PagesCut);
    QTest::keyClick(Wnd(), Qt::Key_F4);
    QTest::keyClick(Wnd(), Qt::Key_F5);
    EXPECT_EQ(cut.count(), 0);
    EXPECT_FALSE(View()->isVisible());

    // Had any of them gone through, the next load would not sit right after "first".
    ASSERT_TRUE(Load(s_pages->Tall()));
    EXPECT_EQ(history->count(), before + 1);
    EXPECT_EQ(history->backItem().url().toString(), s_pages->First());
}

TEST_F(MainWndTest, F4CutsTheSelectionIntoPages) {
    ASSERT_TRUE(Capture(s_pages->Tall()));
    View()->SetSelection(QRect(10, 20, 300, 2049));
    QSignalSpy cut(Wnd(), &MainWnd::PagesCut);
    QTest::keyClick(Wnd(), Qt::Key_F4);
    ASSERT_EQ(cut.count(), 1);
    EXPECT_EQ(Wnd()->CaptureModeNow(), MainWnd::Browsing);
    EXPECT_TRUE(Browser()->isVisible());

    const PageSet& set = Wnd()->Pages();
    ASSERT_EQ(set.Count(), 3);
    EXPECT_EQ(set.Geometry().pageWidth, 300);
    EXPECT_EQ(set.Geometry().pageBytes, size_t(300) * 1024 * 4);
    auto pixel = [&](int page, int x, int y) {
        const quint8* p = set.Page(page)->pixels + size_t(y) * set.RowBytes() + size_t(x) * 4;
        return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16;
    };
    EXPECT_EQ(pixel(0, 0, 0), 0xFF0000u);     // image row 20
    EXPECT_EQ(pixel(0, 299, 979), 0xFF0000u); // image row 999
    EXPECT_EQ(pixel(0, 0, 980), 0x00FF00u);   // image row 1000
    EXPECT_EQ(pixel(2, 150, 0), 0x0000FFu);   // image row 2068, the last selected row
    EXPECT_EQ(pixel(2, 150, 1), 0xFFFFFFu);   // padding below it
    EXPECT_EQ(pixel(2, 299, 1023), 0xFFFFFFu);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(set.Page(i)->used);
        EXPECT_EQ(set.Page(i)->topMargin, 0);
        EXPECT_EQ(set.Page(i)->bottomMargin, 0);
    }
}

// F4 opens the review modally over the cut pages; what the user changes there stays in the
// page set after the dialog has closed.
TEST_F(MainWndTest, F4OpensTheReviewWhoseChangesStay) {
    ASSERT_TRUE(Capture(s_pages->Tall()));
    View()->SetSelection(QRect(10, 20, 300, 2049));
    Wnd()->SetReviewAfterCut(true);
    ModalDriver driver;
    int listed = -1;
    bool modal = false;
    driver.OnNextModal<ShowPageDlg>([&](ShowPageDlg* dlg) {
        modal = dlg->isModal() && dlg->parentWidget() == Wnd();
        listed = dlg->PageList()->GetCount();
        QX_ListBox* list = dlg->PageList();
        QTest::mouseDClick(list, Qt::LeftButton, {}, list->GetItemRect(0).center());
        dlg->GetDlgItem(IDCANCEL)->setFocus();
        QTest::keyClick(dlg->GetDlgItem(IDCANCEL), Qt::Key_Space);
    });
    QTest::keyClick(Wnd(), Qt::Key_F4);
    Wnd()->SetReviewAfterCut(false);
    EXPECT_FALSE(driver.HasPending());
    EXPECT_TRUE(modal);
    EXPECT_EQ(listed, 3);
    ASSERT_EQ(Wnd()->Pages().Count(), 3);
    EXPECT_FALSE(Wnd()->Pages().Page(0)->used);
    EXPECT_TRUE(Wnd()->Pages().Page(1)->used);
}

TEST_F(MainWndTest, FailedCaptureShowsTheErrorAndChangesNothing) {
    ASSERT_TRUE(Capture(s_pages->Tall()));
    QTest::keyClick(Wnd(), Qt::Key_F5);
    const QSize before = View()->Image().size();
    ASSERT_TRUE(Load(s_pages->TooLarge()));

    // The box is modal: a timer reads it and presses its OK button.
    int records = -1;
    QString firstLine, lastLine;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QX_MessageDlg*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || !box->OkButton())
            return;
        records = box->RecordCount();
        firstLine = QX_MessageDlg::RecordText(*box->Record(0));
        lastLine = QX_MessageDlg::RecordText(*box->Record(records - 1));
        EXPECT_EQ(box->CancelButton(), nullptr);
        poll.stop();
        QTest::mouseClick(box->OkButton(), Qt::LeftButton);
    });
    poll.start(20);
    QSignalSpy shown(Wnd(), &MainWnd::MessageShown);
    QTest::keyClick(Wnd()->AddressBox(), Qt::Key_F3);
    poll.stop();

    EXPECT_EQ(records, 8); // four lines, three gaps and the reason
    EXPECT_EQ(firstLine, QStringLiteral("내부 오류로 화면 캡쳐에 실패했습니다."));
    EXPECT_EQ(lastLine,
              QStringLiteral("원인: 페이지(20000 × 30000 픽셀)가 너무 커서 한 장의 그림에 "
                             "담을 수 없습니다."));
    ASSERT_EQ(shown.count(), 1);
    EXPECT_EQ(shown.at(0).at(0).toString(), QStringLiteral("캡쳐 오류!!"));
    EXPECT_EQ(Wnd()->CaptureModeNow(), MainWnd::Browsing);
    EXPECT_TRUE(Browser()->isVisible());
    EXPECT_FALSE(View()->isVisible());
    EXPECT_EQ(View()->Image().size(), before);
}

// Escape during F3 stops the capture: back to browsing with no message, the page as it was;
// no other key or click reaches the window meanwhile.
TEST_F(MainWndTest, EscapeCancelsACaptureInProgress) {
    ASSERT_TRUE(Load(s_pages->Tall()));
    QSignalSpy shown(Wnd(), &MainWnd::MessageShown);
    QSignalSpy finished(Wnd(), &MainWnd::CaptureFinished);
    int progress = 0;
    const auto conn = QObject::connect(Wnd(), &MainWnd::CaptureProgress, [&progress] {
        if (progress++ > 0)
            return;
        QTest::keyClick(Wnd()->AddressBox(), Qt::Key_A);
        QTest::keyClick(Wnd()->AddressBox(), Qt::Key_Escape);
    });
    const QString address = Wnd()->AddressBox()->text();
    QTest::keyClick(Wnd()->AddressBox(), Qt::Key_F3);
    QObject::disconnect(conn);
    EXPECT_GE(progress, 1);
    EXPECT_EQ(shown.count(), 0);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(Wnd()->CaptureModeNow(), MainWnd::Browsing);
    EXPECT_TRUE(Browser()->isVisible());
    EXPECT_EQ(Wnd()->AddressBox()->text(), address);
    ASSERT_TRUE(Capture(s_pages->Tall()));
}

// The renderer ends while browsing: the window offers to reload, and OK brings the page back.
TEST_F(MainWndTest, EndedRendererOffersAReload) {
    ASSERT_TRUE(Load(s_pages->First()));
    ModalDriver driver;
    QSignalSpy shown(Wnd(), &MainWnd::MessageShown);
    QSignalSpy loaded(Wnd(), &MainWnd::DocumentCompleted);
    ::kill(pid_t(Browser()->View()->page()->renderProcessPid()), SIGKILL);
    ASSERT_TRUE(WaitUntil([&] { return !loaded.isEmpty(); }));
    ASSERT_EQ(shown.count(), 1);
    EXPECT_EQ(shown.at(0).at(0).toString(), QStringLiteral("페이지 오류!!"));
    EXPECT_EQ(driver.MessageCount(), 1);
    EXPECT_FALSE(Browser()->RendererGone());
    ASSERT_TRUE(Capture(s_pages->First()));
}

TEST(MainWndExit, AltXClosesTheWindow) {
    auto* wnd = new MainWnd(QFont());
    ASSERT_TRUE(wnd->Create(QRect(20, 20, 900, 650)));
    QPointer<MainWnd> guard(wnd);
    wnd->setAttribute(Qt::WA_DeleteOnClose);
    wnd->setAttribute(Qt::WA_QuitOnClose, false); // the suite goes on after this window
    wnd->AddressBox()->setFocus();
    QTest::keyClick(wnd->AddressBox(), Qt::Key_X, Qt::AltModifier);
    EXPECT_TRUE(WaitUntil([&] { return guard.isNull(); }, 5000));
    delete guard.data();
}

// Typing in a field of the page, F3 and F5: what the user types next goes on in that field.
TEST_F(MainWndTest, F5GivesTheFocusBackToThePagesTextField) {
    TestHttpServer server;
    server.AddFile("/form.html",
                   "<title>form</title><body style=margin:0><a href=#one>one</a> "
                   "<a href=#two>two</a><input id=field style=display:block;height:30px>",
                   "text/html");
    ASSERT_TRUE(Load(server.Url(QStringLiteral("/form.html"))));
    // The page takes clicks only once it has shown a frame.
    ASSERT_TRUE(Browser()->RunAsyncScript(QStringLiteral(
        "await new Promise(r=>requestAnimationFrame(()=>requestAnimationFrame(r)));return 1;")));
    QVariant centre;
    Browser()->RunScript(QStringLiteral("(r=>[r.x+r.width/2,r.y+r.height/2])(document."
                                        "getElementById('field').getBoundingClientRect())"),
                         &centre);
    ASSERT_EQ(centre.toList().size(), 2);
    Browser()->View()->setFocus();
    QTest::mouseClick(Browser()->View()->focusProxy(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(centre.toList()[0].toInt(), centre.toList()[1].toInt()));
    const auto fieldHolds = [](const QString& text) {
        return WaitUntil(
            [&] {
                QVariant value;
                Browser()->RunScript(QStringLiteral("document.getElementById('field').value"),
                                     &value);
                return value.toString() == text;
            },
            5000);
    };
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("ab"));
    ASSERT_TRUE(fieldHolds(QStringLiteral("ab")));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
    ASSERT_EQ(Wnd()->CaptureModeNow(), MainWnd::Selecting);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
    ASSERT_EQ(Wnd()->CaptureModeNow(), MainWnd::Browsing);
    // The page learns of its focus a moment later; where it puts it shows only then.
    EXPECT_TRUE(WaitUntil(
        [] {
            QVariant focused;
            Browser()->RunScript(QStringLiteral("document.hasFocus()"), &focused);
            return focused.toBool();
        },
        5000));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("cd"));
    EXPECT_TRUE(fieldHolds(QStringLiteral("abcd")));
}

// A page's own dialogs: three after each page the user opens, then none; none while a capture
// runs; and leaving a page is never asked. The dialogs are real: a timer closes each one.
TEST_F(MainWndTest, PageDialogsAreFewAndNeverHoldTheWindow) {
    TestHttpServer server;
    server.AddFile("/alerts.html",
                   "<script>for(let i=0;i<10;i++)alert(i);document.title='done'</script>",
                   "text/html");
    server.AddFile("/scrolled.html",
                   "<body style=margin:0><div style=height:100vh></div>"
                   "<div style=height:5000px></div><script>addEventListener('scroll',()=>{"
                   "document.body.dataset.n=(+document.body.dataset.n||0)+1;alert('scrolled')})"
                   "</script>",
                   "text/html");
    server.AddFile("/stay.html",
                   "<body style='margin:0;height:400px'><script>onbeforeunload=e=>{"
                   "e.preventDefault();e.returnValue='stay'}</script>",
                   "text/html");
    int shown = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++shown;
            box->close();
        }
    });
    closer.start(20);

    ASSERT_TRUE(Load(server.Url(QStringLiteral("/alerts.html"))));
    ASSERT_TRUE(WaitUntil([] { return Browser()->LocationName() == QLatin1String("done"); }));
    EXPECT_EQ(shown, MainWnd::kPageDialogs);

    // The capture scrolls through a page that watches its scrolling (its view kept at the
    // screen's height for the viewport-high part): the alerts of its handler are not shown.
    ASSERT_TRUE(Load(server.Url(QStringLiteral("/scrolled.html"))));
    shown = 0;
    QTest::keyClick(Wnd()->AddressBox(), Qt::Key_F3);
    ASSERT_EQ(Wnd()->CaptureModeNow(), MainWnd::Selecting);
    EXPECT_EQ(shown, 0);
    QVariant scrolled;
    ASSERT_TRUE(Browser()->RunScript(QStringLiteral("+document.body.dataset.n||0"), &scrolled));
    EXPECT_GT(scrolled.toInt(), 0) << "the page's handler ran";
    QTest::keyClick(Wnd(), Qt::Key_F5);

    // A page that asks to be kept once the user has touched it is left all the same.
    ASSERT_TRUE(Load(server.Url(QStringLiteral("/stay.html"))));
    ASSERT_TRUE(Browser()->RunAsyncScript(QStringLiteral(
        "await new Promise(r=>requestAnimationFrame(()=>requestAnimationFrame(r)));return 1;")));
    QTest::mouseClick(Browser()->View()->focusProxy(), Qt::LeftButton, {}, QPoint(50, 50));
    shown = 0;
    EXPECT_TRUE(Load(s_pages->First()));
    EXPECT_EQ(shown, 0);
}
