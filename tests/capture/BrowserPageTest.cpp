#include "tests/support/TestHttpServer.h"

#include "capture/BrowserControl.h"

#include <QApplication>
#include <QHostAddress>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>

#include <gtest/gtest.h>

namespace {

class BrowserPageTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_pServer = new TestHttpServer;
        // A link opening a window of its own, a button opening one by script, a text field.
        s_pServer->AddFile("/links.html",
                           "<body style=margin:0><a id=blank target=_blank href=/one.html "
                           "style=display:block;height:40px>one</a><button id=open "
                           "style=display:block;height:40px onclick=\"window.open('/two.html')\">"
                           "two</button><input id=field style=display:block;height:30px>",
                           "text/html");
        // Pop-ups by the dozen from a script, and a button that opens one when clicked.
        s_pServer->AddFile("/storm.html",
                           "<body style=margin:0><button id=open style=display:block;height:40px "
                           "onclick=\"window.open('/two.html')\">two</button><script>"
                           "for(let i=0;i<50;i++)window.open('/one.html?'+i)</script>",
                           "text/html");
        s_pServer->AddFile("/one.html", "<title>one</title>one", "text/html");
        s_pServer->AddFile("/two.html", "two", "text/html");
        s_pControl = new BrowserControl;
        s_pControl->resize(800, 600);
        s_pControl->show();
    }
    static void TearDownTestSuite() {
        delete s_pControl;
        delete s_pServer;
    }

    // Runs act and waits until the control has completed the document at path.
    template <typename Act> static bool Opens(const char* path, Act act) {
        const QString url = s_pServer->Url(QString::fromUtf8(path));
        QSignalSpy spy(s_pControl, &BrowserControl::DocumentComplete);
        act();
        while (spy.wait(20000))
            if (spy.last().at(0).toUrl().toString() == url)
                return s_pControl->LocationURL() == url && Painted();
        return false;
    }
    // The page takes clicks and keys only once it has shown a frame.
    static bool Painted() {
        return s_pControl->RunAsyncScript(QStringLiteral(
            "await new Promise(r=>requestAnimationFrame(()=>requestAnimationFrame(r)));return 1;"));
    }
    static bool Load(const char* path) {
        return Opens(path,
                     [path] { s_pControl->Navigate2(s_pServer->Url(QString::fromUtf8(path))); });
    }
    static QPoint Centre(const char* id) {
        QVariant v;
        s_pControl->RunScript(QStringLiteral("(r=>[r.x+r.width/2,r.y+r.height/2])(document."
                                             "getElementById('%1').getBoundingClientRect())")
                                  .arg(QString::fromUtf8(id)),
                              &v);
        const QVariantList l = v.toList();
        return l.size() == 2 ? QPoint(l[0].toInt(), l[1].toInt()) : QPoint(-1, -1);
    }
    static void Click(const QPoint& at, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(s_pControl->View()->focusProxy(), button, Qt::NoModifier, at);
    }
    // Right-clicks at and returns the menu that opened, or null.
    static QMenu* MenuAt(const QPoint& at) {
        Click(at, Qt::RightButton);
        QMenu* menu = nullptr;
        (void)QTest::qWaitFor(
            [&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())); });
        return menu;
    }
    // The entries, "-" for a separator and "(off)" after a disabled one.
    static std::string Entries(const QMenu* menu) {
        QStringList entries;
        for (const QAction* a : menu->actions())
            entries << (a->isSeparator() ? QStringLiteral("-")
                                         : a->text() + (a->isEnabled() ? "" : "(off)"));
        return entries.join(QLatin1Char('|')).toStdString();
    }
    // Clicks the entry as the user would (the menu closes).
    static void Choose(QMenu* menu, const QString& label) {
        for (QAction* a : menu->actions())
            if (a->text() == label)
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
    }

    static inline TestHttpServer* s_pServer = nullptr;
    static inline BrowserControl* s_pControl = nullptr;
};

} // namespace

// What asks for a window of its own opens in the one view, which keeps its history.
TEST_F(BrowserPageTest, NewWindowsOpenInTheOneView) {
    ASSERT_TRUE(Load("/links.html"));
    EXPECT_TRUE(Opens("/one.html", [] { Click(Centre("blank")); })) << "target=_blank";
    EXPECT_EQ(s_pControl->LocationName(), QStringLiteral("one"));
    EXPECT_TRUE(Opens("/links.html", [] { s_pControl->GoBack(); }));
    EXPECT_TRUE(Opens("/two.html", [] { Click(Centre("open")); })) << "window.open()";
    EXPECT_TRUE(s_pControl->View()->history()->canGoBack());
}

// A script's pop-ups open nothing and leave nothing behind; the user's click still opens one.
TEST_F(BrowserPageTest, ScriptsOpenNoWindows) {
    ASSERT_TRUE(Load("/storm.html"));
    const QString storm = s_pControl->LocationURL();
    // Had any pop-up opened, it would have loaded before the click's page.
    ASSERT_TRUE(Opens("/two.html", [] { Click(Centre("open")); }));
    EXPECT_EQ(s_pControl->View()->history()->backItem().url().toString(), storm);
    EXPECT_TRUE(s_pControl->View()->page()->findChildren<QWebEnginePage*>().isEmpty());
}

// The right-click menu in Korean with only what works here, each entry doing what it says.
TEST_F(BrowserPageTest, PageMenuOffersWhatWorksHere) {
    ASSERT_TRUE(Load("/one.html"));
    ASSERT_TRUE(Load("/links.html"));
    QMenu* menu = MenuAt(Centre("blank"));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Entries(menu), "링크 열기|-|모두 선택");
    EXPECT_TRUE(Opens("/one.html", [&] { Choose(menu, QStringLiteral("링크 열기")); }));

    ASSERT_TRUE(Opens("/links.html", [] { s_pControl->GoBack(); }));
    menu = MenuAt(QPoint(400, 400));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Entries(menu), "뒤로|앞으로|새로 고침|-|모두 선택");
    EXPECT_TRUE(Opens("/one.html", [&] { Choose(menu, QStringLiteral("뒤로")); }));

    ASSERT_TRUE(Opens("/links.html", [] { s_pControl->GoForward(); }));
    Click(Centre("field"));
    QTest::keyClicks(s_pControl->View()->focusProxy(), QStringLiteral("abc"));
    menu = MenuAt(Centre("field"));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Entries(menu), "복사(off)|붙여넣기|모두 선택");
    Choose(menu, QStringLiteral("모두 선택"));
    EXPECT_TRUE(QTest::qWaitFor([] {
        QVariant n;
        s_pControl->RunScript(QStringLiteral("(e=>e.selectionEnd-e.selectionStart)("
                                             "document.getElementById('field'))"),
                              &n);
        return n.toInt() == 3;
    })) << "select all selects the field's text";
}

// The engine's own error page speaks Korean: an address on 127.0.0.1 that nothing listens on.
TEST_F(BrowserPageTest, EnginePagesAreKorean) {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QString url = QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort());
    closed.close(); // the port is free again: the connection is refused
    QSignalSpy spy(s_pControl, &BrowserControl::DocumentComplete);
    s_pControl->Navigate2(url);
    ASSERT_TRUE(spy.wait(20000));
    EXPECT_FALSE(spy.last().at(1).toBool());
    // The text comes back later; the answer outlives the wait.
    auto text = std::make_shared<QString>();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            s_pControl->View()->page()->toPlainText([text](const QString& t) { *text = t; });
            return text->contains(QStringLiteral("사이트"));
        },
        10000))
        << text->toStdString();
}
