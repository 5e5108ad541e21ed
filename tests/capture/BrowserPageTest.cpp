#include "TestHttpServer.h"

#include "capture/BrowserControl.h"
#include "capture/PageMenu.h"

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineHistory>
#include <QWebEngineView>

#include <gtest/gtest.h>

namespace {

// A link opening a window of its own, a button opening one by script, and a text field.
const char* const kLinksPage =
    "<!doctype html><title>links</title><body style=margin:0>"
    "<a id=blank target=_blank href=/one.html style=display:block;height:40px>one</a>"
    "<button id=open style=display:block;height:40px "
    "onclick=\"window.open('/two.html')\">two</button>"
    "<input id=field style=display:block;height:30px>"
    "<div style=height:400px></div></body>";

class BrowserPageTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_pServer = new TestHttpServer;
        s_pServer->AddFile("/links.html", kLinksPage, "text/html");
        s_pServer->AddFile("/one.html", "<title>one</title>one", "text/html");
        s_pServer->AddFile("/two.html", "<title>two</title>two", "text/html");
        s_pControl = new BrowserControl;
        s_pControl->resize(800, 600);
        s_pControl->show();
    }
    static void TearDownTestSuite() {
        delete s_pControl;
        delete s_pServer;
    }

    static QString Url(const char* path) { return s_pServer->Url(QString::fromUtf8(path)); }
    // Runs act and waits for the control to complete a document at url.
    template <typename Act> static bool LoadsAfter(Act act, const QString& url) {
        QSignalSpy spy(s_pControl, &BrowserControl::DocumentComplete);
        act();
        while (spy.wait(20000))
            if (spy.last().at(0).toUrl().toString() == url)
                return s_pControl->LocationURL() == url;
        return false;
    }
    static bool Load(const QString& url) {
        return LoadsAfter([&] { s_pControl->Navigate2(url); }, url);
    }
    // The centre of the element, in the view's coordinates.
    static QPoint Centre(const QString& id) {
        QVariant v;
        s_pControl->RunScript(QStringLiteral("(r=>[r.x+r.width/2,r.y+r.height/2])("
                                             "document.getElementById('%1')"
                                             ".getBoundingClientRect())")
                                  .arg(id),
                              &v);
        const QVariantList l = v.toList();
        return l.size() == 2 ? QPoint(l[0].toInt(), l[1].toInt()) : QPoint(-1, -1);
    }
    static QWidget* Input() { return s_pControl->View()->focusProxy(); }
    static void Click(const QPoint& at, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(Input(), button, Qt::NoModifier, at);
    }
    // Right-clicks at and returns the menu that opened (null when none did).
    static QMenu* MenuAt(const QPoint& at) {
        Click(at, Qt::RightButton);
        QMenu* menu = nullptr;
        QDeadlineTimer deadline(10000);
        while (!(menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) &&
               !deadline.hasExpired())
            QTest::qWait(10);
        return menu;
    }
    // The menu's entries, "-" for a separator, " (off)" after a disabled one.
    static std::string Labels(const QMenu* menu) {
        QStringList labels;
        for (const QAction* action : menu->actions())
            labels << (action->isSeparator() ? QStringLiteral("-")
                       : action->isEnabled() ? action->text()
                                             : action->text() + QStringLiteral(" (off)"));
        return labels.join(QStringLiteral(", ")).toStdString();
    }
    // Clicks the entry, as the user would (the menu closes).
    static void Choose(QMenu* menu, const QString& label) {
        for (QAction* action : menu->actions())
            if (action->text() == label)
                QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier,
                                  menu->actionGeometry(action).center());
    }
    static std::string Joined(const QStringList& labels) {
        return labels.join(QStringLiteral(", ")).toStdString();
    }

    static inline TestHttpServer* s_pServer = nullptr;
    static inline BrowserControl* s_pControl = nullptr;
};

} // namespace

// What asks for a window of its own opens in the one view, which keeps its history.
TEST_F(BrowserPageTest, NewWindowsOpenInTheOneView) {
    ASSERT_TRUE(Load(Url("/links.html")));
    EXPECT_TRUE(LoadsAfter([] { Click(Centre(QStringLiteral("blank"))); }, Url("/one.html")))
        << "target=_blank";
    EXPECT_EQ(s_pControl->LocationName(), QStringLiteral("one"));
    EXPECT_TRUE(LoadsAfter([] { s_pControl->GoBack(); }, Url("/links.html")));
    EXPECT_TRUE(LoadsAfter([] { Click(Centre(QStringLiteral("open"))); }, Url("/two.html")))
        << "window.open()";
    EXPECT_TRUE(s_pControl->View()->history()->canGoBack());
}

// The right-click menu in Korean with only what works here, each entry doing what it says.
TEST_F(BrowserPageTest, PageMenuOffersWhatWorksHere) {
    ASSERT_TRUE(Load(Url("/one.html")));
    ASSERT_TRUE(Load(Url("/links.html")));
    const QString off = QStringLiteral(" (off)");

    QMenu* menu = MenuAt(Centre(QStringLiteral("blank")));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Labels(menu),
              Joined({PageMenu::OpenLinkLabel(), QStringLiteral("-"), PageMenu::SelectAllLabel()}));
    EXPECT_TRUE(LoadsAfter([&] { Choose(menu, PageMenu::OpenLinkLabel()); }, Url("/one.html")))
        << "the link opens in this view";

    ASSERT_TRUE(LoadsAfter([] { s_pControl->GoBack(); }, Url("/links.html")));
    menu = MenuAt(QPoint(400, 400));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Labels(menu),
              Joined({PageMenu::BackLabel(), PageMenu::ForwardLabel(), PageMenu::ReloadLabel(),
                      QStringLiteral("-"), PageMenu::SelectAllLabel()}));
    EXPECT_TRUE(LoadsAfter([&] { Choose(menu, PageMenu::BackLabel()); }, Url("/one.html")));

    ASSERT_TRUE(LoadsAfter([] { s_pControl->GoForward(); }, Url("/links.html")));
    Click(Centre(QStringLiteral("field")));
    QTest::keyClicks(Input(), QStringLiteral("abc"));
    menu = MenuAt(Centre(QStringLiteral("field")));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Labels(menu), Joined({PageMenu::CopyLabel() + off, PageMenu::PasteLabel(),
                                    PageMenu::SelectAllLabel()}));
    Choose(menu, PageMenu::SelectAllLabel());
    QVariant selected;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        s_pControl->RunScript(QStringLiteral("(e=>e.selectionEnd-e.selectionStart)("
                                             "document.getElementById('field'))"),
                              &selected);
        return selected.toInt() == 3;
    })) << "select all selects the field's text";
}
