#include "tests/app/MainWndFixture.h"

#include "app/CZelvaneApp.h"
#include "app/MainWnd.h"
#include "capture/BrowserControl.h"
#include "tests/app/TestPages.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

CZelvaneApp* MainWndFixture::s_app = nullptr;
TestPages* MainWndFixture::s_pages = nullptr;

void MainWndFixture::SetUpTestSuite() {
    s_app = new CZelvaneApp;
    s_app->InitApplication();
    s_app->InitInstance();
    // Cases that look at the cut alone stop there; the review cases turn it back on.
    s_app->MainWindow()->SetReviewAfterCut(false);
    s_pages = new TestPages;
}

void MainWndFixture::TearDownTestSuite() {
    s_app->ExitInstance(0);
    delete s_app;
    delete s_pages;
    s_app = nullptr;
    s_pages = nullptr;
}

void MainWndFixture::SetUp() {
    ASSERT_NE(Wnd(), nullptr);
    ASSERT_NE(Wnd()->Browser(), nullptr);
    if (Wnd()->CaptureModeNow() == MainWnd::Selecting)
        QTest::keyClick(Wnd(), Qt::Key_F5);
    // Each case starts as the user finds the program: its window active, whatever an earlier
    // case's dialog or message box left.
    if (!Wnd()->isActiveWindow()) {
        Wnd()->activateWindow();
        (void)QTest::qWaitForWindowActive(Wnd(), 2000);
    }
}

MainWnd* MainWndFixture::Wnd() {
    return s_app->MainWindow();
}

BrowserControl* MainWndFixture::Browser() {
    return Wnd()->Browser();
}

HtmlCaptureImageWnd* MainWndFixture::View() {
    return Wnd()->CaptureView();
}

bool MainWndFixture::Load(const QString& url) {
    QSignalSpy completed(Wnd(), &MainWnd::DocumentCompleted);
    Wnd()->NavigateTo(url);
    return WaitUntil([&] {
        return !completed.isEmpty() && !Browser()->IsLoading() && Browser()->LocationURL() == url &&
               Wnd()->AddressBox()->text() == url;
    });
}

bool MainWndFixture::Capture(const QString& url) {
    if (!Load(url))
        return false;
    QTest::keyClick(Wnd()->AddressBox(), Qt::Key_F3);
    return Wnd()->CaptureModeNow() == MainWnd::Selecting;
}
