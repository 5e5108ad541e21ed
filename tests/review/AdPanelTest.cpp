#include "review/AdPanel.h"
#include "review/ReviewTexts.h"
#include "tests/support/TestHttpServer.h"
#include "tests/support/WaitUntil.h"
#include "toolkit/QX_Dialog.h"
#include "tools/walk/ModalDriver.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QWebEngineView>

#include <memory>

#include <gtest/gtest.h>

namespace {
constexpr int kTemplateId = 990;

// A dialog with nothing but the panel's frame.
const QX_DlgTemplateRegistrar kPanelHost([] {
    QX_DlgTemplate t;
    t.id = kTemplateId;
    t.cx = 300;
    t.cy = 100;
    t.items = {{AdPanel::kFrameId, QX_CtrlKind::Frame, QString(), 7, 7, 285, 63}};
    return t;
}());

struct TextCase {
    const char* text;
    const char* address; // what the text names ("" for nothing)
    bool allowed;        // whether the panel may show it
};
class AdTextRead : public ::testing::TestWithParam<TextCase> {};

class AdPanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        server.AddFile("/page.html",
                       "<html><body style='margin:0;background:#ff0000'></body></html>",
                       "text/html");
        QObject::connect(&driver, &ModalDriver::MessageAnswered,
                         [this](const QString& line) { messages << line; });
    }
    void TearDown() override { qunsetenv("ZELVANE_AD_URL_2"); }
    // Opens a dialog whose panel reads its text from address (empty: the built-in one).
    AdPanel* Open(const QString& address) {
        if (!address.isEmpty())
            qputenv("ZELVANE_AD_URL_2", address.toUtf8());
        dialog = std::make_unique<QX_Dialog>(kTemplateId, nullptr);
        dialog->Create();
        dialog->show();
        return AdPanel::Create(dialog.get(), 2, nullptr);
    }
    static ::testing::AssertionResult ShowsPage(AdPanel* panel, const QUrl& url) {
        return WaitUntil([&] {
            return panel->Browser()->LocationURL() == url.toString() &&
                   !panel->Browser()->IsLoading();
        });
    }

    TestHttpServer server;
    ModalDriver driver;
    QStringList messages;
    std::unique_ptr<QX_Dialog> dialog;
};
} // namespace

// Lines are joined first; everything after the second '>' is the address, shown only when it
// is http:, https: or one of the program's own panel pages.
TEST_P(AdTextRead, NamesAnAddressOnlyAfterTwoMarks) {
    const QString text = AdPanel::JoinLines(QByteArray(GetParam().text));
    const QString address = AdPanel::AddressInText(text);
    EXPECT_EQ(address, QString::fromUtf8(GetParam().address));
    EXPECT_EQ(AdPanel::AllowedTarget(address).isValid(), GetParam().allowed) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AdTextRead,
    ::testing::Values(TextCase{"word>word>http://127.0.0.1:9/a.html", "http://127.0.0.1:9/a.html",
                               true},
                      TextCase{"only>one", "", false},
                      TextCase{"a\r\n>b\n>https://\r\n127.0.0.1/x", "https://127.0.0.1/x", true},
                      TextCase{"a>b>c>d", "c>d", false},
                      TextCase{"a>b>javascript:alert(1)", "javascript:alert(1)", false},
                      TextCase{"a>b>data:text/html,<b>x</b>", "data:text/html,<b>x</b>", false},
                      TextCase{"a>b>file:///etc/passwd", "file:///etc/passwd", false},
                      TextCase{"a>b>ad/../home/index.html", "ad/../home/index.html", false},
                      TextCase{"a>b>ad/review.html", "ad/review.html", true}));

TEST_F(AdPanelTest, ShowsThePageTheServedTextNames) {
    const QString page = server.Url(QStringLiteral("/page.html"));
    server.AddFile("/ad.txt", "광고>패널\r\n>" + page.toUtf8() + "\r\n", "text/plain");
    AdPanel* panel = Open(server.Url(QStringLiteral("/ad.txt")));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->Browser()->geometry(), dialog->GetDlgItem(AdPanel::kFrameId)->geometry());
    ASSERT_TRUE(ShowsPage(panel, QUrl(page)));
    EXPECT_TRUE(WaitUntil(
        [&] { return (panel->Browser()->GrabViewport().pixel(10, 10) & 0xFFFFFF) == 0xFF0000u; }));
    EXPECT_TRUE(messages.isEmpty());
    // The panel goes with its dialog, browser and all.
    QPointer<BrowserControl> browser = panel->Browser();
    dialog.reset();
    EXPECT_TRUE(browser.isNull());
}

// The built-in text names a bundled page: shown offline, without any message.
TEST_F(AdPanelTest, BuiltInAddressShowsABundledPage) {
    AdPanel* panel = Open(QString());
    ASSERT_NE(panel, nullptr);
    const QUrl page = QUrl::fromLocalFile(QDir(QStringLiteral("ad")).canonicalPath() +
                                          QStringLiteral("/save.html"));
    EXPECT_EQ(panel->NavigatedUrl(), page);
    EXPECT_TRUE(ShowsPage(panel, page));
    EXPECT_TRUE(messages.isEmpty());
}

// Texts that name nothing the panel may show leave it blank, without a message.
TEST_F(AdPanelTest, DisallowedOrMissingAddressesShowNothing) {
    server.AddFile("/script.txt", "a>b>javascript:document.write('x')", "text/plain");
    server.AddFile("/single.txt", "a>" + server.Url(QStringLiteral("/page.html")).toUtf8(),
                   "text/plain");
    for (const char* path : {"/script.txt", "/single.txt"}) {
        AdPanel* panel = Open(server.Url(QString::fromLatin1(path)));
        ASSERT_NE(panel, nullptr);
        EXPECT_FALSE(panel->NavigatedUrl().isValid()) << path;
    }
    EXPECT_TRUE(messages.isEmpty());
}

// A failed fetch says so once per opening and leaves the panel blank: nothing listening, a
// server that never answers (given up after the bound), an error status and a text too long.
TEST_F(AdPanelTest, FailedFetchIsReportedOnceAndBounded) {
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 closedPort = closed.serverPort();
    closed.close();
    server.AddFile("/long.txt", "a>b>" + QByteArray(AdPanel::kMaxTextBytes, 'x'), "text/plain");

    const QString noServer = QStringLiteral("http://127.0.0.1:%1/ad.txt").arg(closedPort);
    const QString hanging = QStringLiteral("http://127.0.0.1:%1/ad.txt").arg(silent.serverPort());
    const QString none1 =
        QStringLiteral("message 서버 접속 정보를 찾을 수 없습니다. | IP 서버를 이용할수 없습니다.");
    const QString none2 = QStringLiteral(
        "message 정상적인 서버 목록을 얻을 수 없습니다. | IP 서버를 이용할수 없습니다.");
    const std::pair<QString, QString> cases[] = {
        {noServer, none1},
        {hanging, none1},
        {server.Url(QStringLiteral("/missing.txt")), none2},
        {server.Url(QStringLiteral("/long.txt")), none2},
    };
    for (const auto& [address, line] : cases) {
        messages.clear();
        QElapsedTimer clock;
        clock.start();
        AdPanel* panel = Open(address);
        ASSERT_NE(panel, nullptr);
        EXPECT_LT(clock.elapsed(), AdPanel::kFetchTimeoutMs + 3000) << qPrintable(address);
        EXPECT_EQ(messages, QStringList{line}) << qPrintable(address);
        EXPECT_FALSE(panel->NavigatedUrl().isValid());
    }
}
