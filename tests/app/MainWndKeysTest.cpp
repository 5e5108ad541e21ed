#include "app/AppTexts.h"
#include "app/CZelvaneApp.h"
#include "app/MainCommands.h"
#include "app/MainWnd.h"
#include "browsers/AboutDlg.h"
#include "browsers/FindUrlDlg.h"
#include "capture/BrowserControl.h"
#include "capture/HtmlCaptureImageWnd.h"
#include "review/ShowPageDlg.h"
#include "tests/app/MainWndFixture.h"
#include "tests/app/TestPages.h"
#include "tests/app/XKeyboard.h"
#include "tests/support/TestHttpServer.h"
#include "tests/support/XDisplaySession.h"
#include "toolkit/QX_ListBox.h"
#include "toolkit/QX_Static.h"
#include "tools/walk/ModalDriver.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>
#include <QWindow>

#include <cstdio>
#include <functional>

#include <gtest/gtest.h>

// The main window's keys as the keyboard gives them, around its dialogs and the capture.
namespace {
class MainWndKeysTest : public MainWndFixture {
  protected:
    static void ShortcutsAfterEveryDialog();
};

} // namespace

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

// Closes a modal dialog with close(); one it did not close is a failure, and is closed all the
// same so that the case goes on instead of waiting in its loop for ever. Each dialog has named
// the main window to the window system as its owner.
void CloseBy(QDialog* dlg, const std::function<void()>& close, const std::string& how) {
    const QWidget* owner = dlg->parentWidget() ? dlg->parentWidget()->window() : nullptr;
    EXPECT_TRUE(owner && owner->inherits("MainWnd") && dlg->windowHandle() &&
                dlg->windowHandle()->transientParent() == owner->windowHandle())
        << dlg->metaObject()->className() << " does not name the main window as its owner";
    close();
    if (QTest::qWaitFor([dlg] { return !dlg->isVisible(); }, 10000))
        return;
    const QWindow* focus = QGuiApplication::focusWindow();
    ADD_FAILURE() << dlg->metaObject()->className() << " stayed open after " << how
                  << "; the focus window: "
                  << (focus ? focus->title().toStdString() : std::string("none"));
    dlg->reject();
}

void CloseWithKey(QDialog* dlg, Qt::Key key) {
    CloseBy(
        dlg, [dlg, key] { KeyToWindow(dlg, key); }, "key " + std::to_string(key));
}

QString FieldValue(BrowserControl* browser) {
    QVariant value;
    browser->RunScript(QStringLiteral("document.getElementById('field').value"), &value);
    return value.toString();
}

} // namespace

// Open and close the review, then F3 with the focus in the page, and F3 again while that
// capture waits on the engine: the second press is ignored; no error box.
TEST_F(MainWndKeysTest, SecondF3DuringACaptureIsIgnored) {
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
    QSignalSpy started(Wnd(), &MainWnd::CaptureStarted);
    QSignalSpy captured(Wnd(), &MainWnd::CaptureFinished);
    // Posted once the capture has begun, the second press comes from the capture's own waits.
    bool second = false;
    bool secondDuringCapture = false;
    QObject scope; // the connection and the timer end with the case
    QObject::connect(
        Wnd(), &MainWnd::CaptureStarted, &scope,
        [&] {
            QTimer::singleShot(0, &scope, [&] {
                secondDuringCapture = captured.isEmpty();
                KeyToWindow(Wnd(), Qt::Key_F3);
                second = true;
            });
        },
        Qt::SingleShotConnection);
    KeyToWindow(Wnd(), Qt::Key_F3);
    EXPECT_TRUE(WaitUntil([&] { return (second && !captured.isEmpty()) || !shown.isEmpty(); }));
    EXPECT_TRUE(secondDuringCapture);
    EXPECT_EQ(shown.count(), 0);
    EXPECT_EQ(started.count(), 1);
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
void MainWndKeysTest::ShortcutsAfterEveryDialog() {
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
                CloseBy(
                    dlg,
                    [dlg] {
                        (void)QTest::qWaitForWindowExposed(dlg);
                        QTest::mouseClick(dlg, Qt::LeftButton, {}, dlg->CloseButtonRect().center());
                    },
                    "a click on its close button");
            else
                CloseWithKey(dlg, key);
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
        CloseWithKey(dlg, Qt::Key_Escape);
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
        CloseWithKey(dlg, Qt::Key_Escape);
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

TEST_F(MainWndKeysTest, ShortcutsWorkAfterEveryDialog) {
    ShortcutsAfterEveryDialog();
}

// F8 with no browser showing a page: one line in the list's place says so; OK leaves the
// dialog open, Escape closes it.
TEST_F(MainWndKeysTest, F8WithoutBrowsersSaysSo) {
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
        CloseWithKey(dlg, Qt::Key_Escape);
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
TEST_F(MainWndKeysTest, EscapeInTheCaptureViewIsF5) {
    ASSERT_TRUE(Capture(s_pages->Tall()));
    ASSERT_EQ(Wnd()->focusWidget(), View());
    KeyToWindow(Wnd(), Qt::Key_Escape);
    EXPECT_EQ(Wnd()->CaptureModeNow(), MainWnd::Browsing);
    EXPECT_TRUE(Browser()->isVisible());
    EXPECT_FALSE(View()->isVisible());
}

// The same under a real X server, with and without a window manager: the test runs this binary
// again on a private display (ZELVANE_X_SESSION tells the inner run where it is).
TEST_F(MainWndKeysTest, ShortcutsUnderRealX) {
    const QString display = qEnvironmentVariable("ZELVANE_X_SESSION");
    if (display.isEmpty())
        GTEST_SKIP() << "runs inside the X session cases";
    XKeyboard keyboard(display);
    ASSERT_TRUE(keyboard.IsOpen());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Wnd()));
    const auto windowKeys = g_pressKey;
    const bool windowManager = qEnvironmentVariable("ZELVANE_X_WM") == QLatin1String("1");
    g_pressKey = [&keyboard, windowManager, windowKeys](QWidget* window, Qt::Key key,
                                                        Qt::KeyboardModifiers mods) {
        // The dialogs are closed through their own windows: where the focus goes once they
        // have, and whether the main window's keys still work, is what this case is about.
        if (qobject_cast<QDialog*>(window)) {
            windowKeys(window, key, mods);
            return;
        }
        // A window manager gives the focus back to the main window a moment after a dialog;
        // without one it lands wherever the server puts it.
        if (windowManager) {
            window->activateWindow();
            (void)QTest::qWaitForWindowActive(window);
            // Qt may call the window active before the server has moved its input focus there;
            // a key sent in between goes to the window that had it.
            const unsigned long id = window->winId();
            (void)QTest::qWaitFor([&keyboard, id] { return keyboard.FocusWindow() == id; }, 5000);
        }
        // The server takes the key as soon as it comes, perhaps before Qt's own requests still
        // on their way (a closed dialog's unmapping, say): those go first.
        QGuiApplication::sync();
        // Where each key went, for the outer case to show should this one hang.
        const QWidget* modal = QApplication::activeModalWidget();
        std::fprintf(stderr, "x-key %x+%x to %lx, X focus %lx, modal %s\n", unsigned(key),
                     unsigned(mods), static_cast<unsigned long>(window->winId()),
                     keyboard.FocusWindow(), modal ? modal->metaObject()->className() : "none");
        keyboard.Click(key, mods);
    };
    ShortcutsAfterEveryDialog();
    g_pressKey = windowKeys;
}

class MainWndUnderX : public ::testing::TestWithParam<bool> {};

namespace {

// The inner run's own lines, without the engine's log: what a failure report needs.
std::string CaseLines(const QByteArray& out) {
    std::string lines;
    for (const QByteArray& line : out.split('\n'))
        if (line.startsWith("x-") || line.startsWith("[ ") || line.startsWith("[=") ||
            line.startsWith("[-") || line.contains(".cpp:") ||
            (line.startsWith("  ") && !line.startsWith("  *")) || line.startsWith("Value of") ||
            line.startsWith("Expected"))
            lines += line.toStdString() + '\n';
    return lines;
}

} // namespace

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
    env.insert(QStringLiteral("ZELVANE_X_WM"),
               windowManager ? QStringLiteral("1") : QStringLiteral("0"));
    // With no session bus named, the first accessibility query under X has libdbus fork a
    // child to start one; with the sanitizers' allocator locked by another thread at the fork,
    // that child spins for ever and the run waits on it. A bus that refuses at once stops that.
    QTemporaryDir noBus;
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
               QStringLiteral("unix:path=") + noBus.filePath(QStringLiteral("none")));
    inner.setProcessEnvironment(env);
    inner.setProcessChannelMode(QProcess::MergedChannels);
    inner.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=MainWndKeysTest.ShortcutsUnderRealX")});
    const bool finished = inner.waitForFinished(240000);
    if (!finished)
        inner.kill(); // a hung run is reported with what it printed so far
    (void)inner.waitForFinished(5000);
    const QByteArray out = inner.readAll();
    const std::string report = CaseLines(out);
    ASSERT_TRUE(finished) << "the run did not end within 240 s\n" << report;
    EXPECT_EQ(inner.exitCode(), 0) << report;
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << report;
}

INSTANTIATE_TEST_SUITE_P(WindowManager, MainWndUnderX, ::testing::Values(false, true),
                         [](const auto& info) {
                             return std::string(info.param ? "openbox" : "none");
                         });
