#include "app/MainWnd.h"
#include "app/AppTexts.h"
#include "app/CZelvaneApp.h"
#include "app/MainCommands.h"
#include "browsers/AboutDlg.h"
#include "browsers/FindUrlDlg.h"
#include "capture/BrowserControl.h"
#include "capture/HtmlCaptureImageWnd.h"
#include "review/ShowPageDlg.h"
#include "tests/app/TestPages.h"
#include "tests/app/XDisplaySession.h"
#include "tests/app/XKeyboard.h"
#include "tests/capture/TestHttpServer.h"
#include "toolkit/QX_Button.h"
#include "toolkit/QX_ListBox.h"
#include "toolkit/QX_MessageDlg.h"
#include "toolkit/QX_Static.h"
#include "toolkit/QX_ToolBar.h"
#include "tools/walk/ModalDriver.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineHistory>
#include <QWebEngineView>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace {
constexpr int kLoadMs = 30000;

bool WaitUntil(const std::function<bool()>& done, int timeoutMs = kLoadMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(10);
    }
    return true;
}

QRgb Rgb(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}

// One main window with its browser for the whole suite: the engine starts once.
class MainWndTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_app = new CZelvaneApp;
        s_app->InitApplication();
        s_app->InitInstance();
        // Cases that look at the cut alone stop there; the review case turns it back on.
        s_app->MainWindow()->SetReviewAfterCut(false);
        s_pages = new TestPages;
    }
    static void TearDownTestSuite() {
        s_app->ExitInstance(0);
        delete s_app;
        delete s_pages;
    }
    void SetUp() override {
        ASSERT_NE(Wnd(), nullptr);
        ASSERT_NE(Wnd()->Browser(), nullptr);
        Wnd()->resize(1000, 700);
        if (Wnd()->CaptureModeNow() == MainWnd::Selecting)
            QTest::keyClick(Wnd(), Qt::Key_F5);
    }

    static MainWnd* Wnd() { return s_app->MainWindow(); }
    static BrowserControl* Browser() { return Wnd()->Browser(); }
    static HtmlCaptureImageWnd* View() { return Wnd()->CaptureView(); }

    // Loads url through the program and waits until the address box shows it.
    static bool Load(const QString& url) {
        QSignalSpy completed(Wnd(), &MainWnd::DocumentCompleted);
        Wnd()->NavigateTo(url);
        return WaitUntil([&] {
            return !completed.isEmpty() && !Browser()->IsLoading() &&
                   Browser()->LocationURL() == url && Wnd()->AddressBox()->text() == url;
        });
    }
    static bool Capture(const QString& url) {
        if (!Load(url))
            return false;
        QTest::keyClick(Wnd()->AddressBox(), Qt::Key_F3);
        return Wnd()->CaptureModeNow() == MainWnd::Selecting;
    }

    static void ShortcutsAfterEveryDialog();

    static CZelvaneApp* s_app;
    static TestPages* s_pages;
};
CZelvaneApp* MainWndTest::s_app = nullptr;
TestPages* MainWndTest::s_pages = nullptr;

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
    const int w = image.width();
    EXPECT_EQ(View()->Selection(), QRect(w / 20, 150, w - 2 * (w / 20), 3000 - 300));

    // On screen: the selected page as it is, the surround inverted (red becomes cyan).
    const QImage shot = Wnd()->grab().toImage();
    const QPoint origin = View()->geometry().topLeft() + View()->ClientOrigin();
    EXPECT_EQ(Rgb(shot, origin.x() + 300, origin.y() + 300), 0xFF0000u);
    EXPECT_EQ(Rgb(shot, origin.x() + 300, origin.y() + 20), 0x00FFFFu);

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
    EXPECT_EQ(set.pageWidth, 300);
    EXPECT_EQ(set.pageBytes, size_t(300) * 1024 * 4);
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
    QString firstLine;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QX_MessageDlg*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || !box->OkButton())
            return;
        records = box->RecordCount();
        firstLine = QX_MessageDlg::RecordText(*box->Record(0));
        EXPECT_EQ(box->CancelButton(), nullptr);
        poll.stop();
        QTest::mouseClick(box->OkButton(), Qt::LeftButton);
    });
    poll.start(20);
    QSignalSpy shown(Wnd(), &MainWnd::MessageShown);
    QTest::keyClick(Wnd()->AddressBox(), Qt::Key_F3);
    poll.stop();

    EXPECT_EQ(records, 6); // four lines and two gaps
    EXPECT_EQ(firstLine, QStringLiteral("내부 오류로 화면 캡쳐에 실패했습니다."));
    ASSERT_EQ(shown.count(), 1);
    EXPECT_EQ(shown.at(0).at(0).toString(), QStringLiteral("캡쳐 오류!!"));
    EXPECT_EQ(Wnd()->CaptureModeNow(), MainWnd::Browsing);
    EXPECT_TRUE(Browser()->isVisible());
    EXPECT_FALSE(View()->isVisible());
    EXPECT_EQ(View()->Image().size(), before);
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

namespace {

// Keys as the keyboard gives them: to a window, which hands them to whatever has the focus
// inside (in a page, an object of the engine's own). Under a real X server they go through it.
std::function<void(QWidget*, Qt::Key, Qt::KeyboardModifiers)> g_pressKey =
    [](QWidget* window, Qt::Key key, Qt::KeyboardModifiers mods) {
        QTest::keyClick(window->windowHandle(), key, mods);
    };

void KeyToWindow(QWidget* window, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    g_pressKey(window, key, mods);
}

QString FieldValue(BrowserControl* browser) {
    QVariant value;
    browser->RunScript(QStringLiteral("document.getElementById('field').value"), &value);
    return value.toString();
}

} // namespace

// Open and close the review, then F3 twice within a third of a second, with the focus in the
// page: the second press comes while the first capture runs and is ignored; no error box.
TEST_F(MainWndTest, SecondF3DuringACaptureIsIgnored) {
    ASSERT_TRUE(Load(s_pages->Tall()));
    Browser()->View()->setFocus();
    KeyToWindow(Wnd(), Qt::Key_F3);
    ASSERT_TRUE(WaitUntil([] { return Wnd()->CaptureModeNow() == MainWnd::Selecting; }));
    View()->SetSelection(QRect(10, 20, 300, 1500));
    Wnd()->SetReviewAfterCut(true);
    ModalDriver driver; // also answers an error box, should one come
    driver.OnNextModal<ShowPageDlg>(
        [](ShowPageDlg* dlg) { QTest::keyClick(dlg->windowHandle(), Qt::Key_Escape); });
    KeyToWindow(Wnd(), Qt::Key_F4);
    Wnd()->SetReviewAfterCut(false);
    ASSERT_TRUE(
        WaitUntil([&] { return !driver.HasPending() && !QApplication::activeModalWidget(); }));
    ASSERT_EQ(Wnd()->CaptureModeNow(), MainWnd::Browsing);

    QSignalSpy shown(Wnd(), &MainWnd::MessageShown);
    QSignalSpy captured(Wnd(), &MainWnd::CaptureFinished);
    bool second = false;
    QTimer::singleShot(100, Wnd(), [&second] {
        KeyToWindow(Wnd(), Qt::Key_F3);
        second = true;
    });
    KeyToWindow(Wnd(), Qt::Key_F3);
    EXPECT_TRUE(WaitUntil([&] { return (second && !captured.isEmpty()) || !shown.isEmpty(); }));
    EXPECT_EQ(shown.count(), 0);
    EXPECT_EQ(captured.count(), 1);
    EXPECT_EQ(Wnd()->CaptureModeNow(), MainWnd::Selecting);
    // The toolbar's capture button likewise does nothing now.
    Wnd()->OnCommand(ID_CAPTURE, 0);
    EXPECT_EQ(shown.count(), 0);
    EXPECT_EQ(captured.count(), 1);
}

// With the focus in a page's text field, the review, F8 and the about box are each opened and
// closed (Escape, Enter, the close button); after each, Alt+A opens the about box and nothing
// reaches the field; at the end Alt+H goes home.
void MainWndTest::ShortcutsAfterEveryDialog() {
    TestHttpServer server;
    server.AddFile("/form.html", "<title>form</title><body style=margin:0><input id=field>",
                   "text/html");
    ASSERT_TRUE(Load(server.Url(QStringLiteral("/form.html"))));
    ASSERT_TRUE(Browser()->RunAsyncScript(QStringLiteral(
        "await new Promise(r=>requestAnimationFrame(()=>requestAnimationFrame(r)));"
        "const f=document.getElementById('field');f.value='ab';f.focus();return 1;")));
    Browser()->View()->setFocus();
    Wnd()->activateWindow();

    ModalDriver driver;
    int abouts = 0;
    auto closeAbout = [&](Qt::Key key) {
        driver.OnNextModal<AboutDlg>([&abouts, key](AboutDlg* dlg) {
            ++abouts;
            if (key == Qt::Key_unknown)
                QTest::mouseClick(dlg, Qt::LeftButton, {}, dlg->CloseButtonRect().center());
            else
                KeyToWindow(dlg, key);
        });
    };
    auto aboutOpensFromTheField = [&](const char* after, Qt::Key closeWith) {
        const int before = abouts;
        closeAbout(closeWith);
        KeyToWindow(Wnd(), Qt::Key_A, Qt::AltModifier);
        EXPECT_TRUE(WaitUntil([&] { return abouts > before && !driver.HasPending(); }, 10000))
            << "Alt+A after " << after;
        EXPECT_EQ(FieldValue(Browser()), QStringLiteral("ab")) << "after " << after;
    };

    // The review: F3, F4, Escape.
    Wnd()->SetReviewAfterCut(true);
    bool reviewed = false;
    driver.OnNextModal<ShowPageDlg>([&reviewed](ShowPageDlg* dlg) {
        reviewed = true;
        KeyToWindow(dlg, Qt::Key_Escape);
    });
    KeyToWindow(Wnd(), Qt::Key_F3);
    EXPECT_TRUE(WaitUntil([] { return Wnd()->CaptureModeNow() == MainWnd::Selecting; }));
    KeyToWindow(Wnd(), Qt::Key_F4);
    EXPECT_TRUE(
        WaitUntil([&] { return reviewed && QApplication::activeModalWidget() == nullptr; }));
    Wnd()->SetReviewAfterCut(false);
    aboutOpensFromTheField("the review", Qt::Key_Escape);

    // F8, closed with Escape.
    bool listed = false;
    driver.OnNextModal<FindUrlDlg>([&listed](FindUrlDlg* dlg) {
        listed = true;
        KeyToWindow(dlg, Qt::Key_Escape);
    });
    KeyToWindow(Wnd(), Qt::Key_F8);
    EXPECT_TRUE(WaitUntil([&] { return listed && QApplication::activeModalWidget() == nullptr; }));
    aboutOpensFromTheField("F8", Qt::Key_Return);

    // The about box itself, closed by its close button, then Alt+H.
    aboutOpensFromTheField("the about box", Qt::Key_unknown);
    QSignalSpy completed(Wnd(), &MainWnd::DocumentCompleted);
    KeyToWindow(Wnd(), Qt::Key_H, Qt::AltModifier);
    const QString home = BrowserControl::HomeUrl().toString();
    EXPECT_TRUE(WaitUntil([&] {
        return !completed.isEmpty() && !Browser()->IsLoading() &&
               Wnd()->AddressBox()->text() == home;
    })) << "Alt+H after the about box";
}

TEST_F(MainWndTest, ShortcutsWorkAfterEveryDialog) {
    ShortcutsAfterEveryDialog();
}

// F8 with no browser showing a page: one line in the list's place says so; OK leaves the
// dialog open, Escape closes it.
TEST_F(MainWndTest, F8WithoutBrowsersSaysSo) {
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home.path().toUtf8());
    ModalDriver driver;
    QString note;
    bool inListsPlace = false, listHidden = false, stillOpen = false;
    QImage shot;
    driver.OnNextModal<FindUrlDlg>([&](FindUrlDlg* dlg) {
        if (QX_Static* line = dlg->EmptyNote(); line && line->isVisible()) {
            note = line->Text();
            inListsPlace = line->geometry() == dlg->List()->geometry();
            shot = dlg->grab(line->geometry()).toImage();
        }
        listHidden = !dlg->List()->isVisible();
        dlg->OnCommand(IDOK, QX_BN_CLICKED);
        stillOpen = dlg->isVisible();
        KeyToWindow(dlg, Qt::Key_Escape);
    });
    KeyToWindow(Wnd(), Qt::Key_F8);
    EXPECT_TRUE(
        WaitUntil([&] { return !driver.HasPending() && !QApplication::activeModalWidget(); }));
    qputenv("HOME", oldHome);
    EXPECT_EQ(note, AppTexts::NoBrowserPages());
    EXPECT_TRUE(note.contains(QLatin1String("--remote-debugging-port")));
    EXPECT_TRUE(inListsPlace);
    EXPECT_TRUE(listHidden);
    EXPECT_TRUE(stillOpen) << "OK without a page keeps the dialog";
    int ink = 0; // the line's grey letters, drawn whole within the list's width
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            ink += qGray(shot.pixel(x, y)) < 170;
    EXPECT_GT(ink, 200);
    for (int y = 0; y < shot.height(); ++y)
        EXPECT_GE(qGray(shot.pixel(2, y)), 170) << "the line is cut at the left edge";
}

// Escape in the capture view returns to browsing as F5 does.
TEST_F(MainWndTest, EscapeInTheCaptureViewIsF5) {
    ASSERT_TRUE(Capture(s_pages->Tall()));
    ASSERT_EQ(Wnd()->focusWidget(), View());
    KeyToWindow(Wnd(), Qt::Key_Escape);
    EXPECT_EQ(Wnd()->CaptureModeNow(), MainWnd::Browsing);
    EXPECT_TRUE(Browser()->isVisible());
    EXPECT_FALSE(View()->isVisible());
}

// The same under a real X server, with and without a window manager: the test runs this binary
// again on a private display (ZELVANE_X_SESSION tells the inner run where it is).
TEST_F(MainWndTest, ShortcutsUnderRealX) {
    const QString display = qEnvironmentVariable("ZELVANE_X_SESSION");
    if (display.isEmpty())
        GTEST_SKIP() << "runs inside the X session cases";
    XKeyboard keyboard(display);
    ASSERT_TRUE(keyboard.IsOpen());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Wnd()));
    const auto windowKeys = g_pressKey;
    g_pressKey = [&keyboard](QWidget* window, Qt::Key key, Qt::KeyboardModifiers mods) {
        // The server sends keys to the window it has given the focus: a dialog has it once
        // shown (the main window after a dialog is what this test is about).
        if (qobject_cast<QDialog*>(window))
            (void)QTest::qWaitForWindowActive(window);
        keyboard.Click(key, mods);
    };
    ShortcutsAfterEveryDialog();
    g_pressKey = windowKeys;
}

class MainWndUnderX : public ::testing::TestWithParam<bool> {};

TEST_P(MainWndUnderX, ShortcutsWorkAfterEveryDialog) {
    const bool windowManager = GetParam();
    if (!XDisplaySession::Available(windowManager))
        GTEST_SKIP() << "Xvfb" << (windowManager ? " or openbox" : "") << " is not installed";
    XDisplaySession session;
    ASSERT_TRUE(session.Start(windowManager)) << session.Error().toStdString();
    QProcess inner;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), session.Display());
    env.insert(QStringLiteral("ZELVANE_X_SESSION"), session.Display());
    inner.setProcessEnvironment(env);
    inner.setProcessChannelMode(QProcess::MergedChannels);
    inner.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=MainWndTest.ShortcutsUnderRealX")});
    ASSERT_TRUE(inner.waitForFinished(240000));
    const QByteArray out = inner.readAll();
    EXPECT_EQ(inner.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(WindowManager, MainWndUnderX, ::testing::Values(false, true),
                         [](const auto& info) {
                             return std::string(info.param ? "openbox" : "none");
                         });
