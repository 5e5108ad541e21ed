#include "browsers/RunningBrowsers.h"
#include "tests/browsers/BrowserProcess.h"
#include "tests/browsers/BrowserTestFiles.h"
#include "tests/support/TestHttpServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A profile of its own for the test: the session store written every second, no first-run
// pages, and nothing sent beyond 127.0.0.1 (every other address goes to a proxy that is not
// there).
constexpr char kFirefoxPrefs[] = R"(user_pref("browser.sessionstore.interval", 1000);
user_pref("browser.startup.homepage_override.mstone", "ignore");
user_pref("browser.aboutwelcome.enabled", false);
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("datareporting.healthreport.uploadEnabled", false);
user_pref("toolkit.telemetry.reportingpolicy.firstRun", false);
user_pref("app.update.auto", false);
user_pref("app.normandy.enabled", false);
user_pref("extensions.update.enabled", false);
user_pref("browser.safebrowsing.update.enabled", false);
user_pref("browser.safebrowsing.malware.enabled", false);
user_pref("browser.safebrowsing.phishing.enabled", false);
user_pref("network.captive-portal-service.enabled", false);
user_pref("network.connectivity-service.enabled", false);
user_pref("network.dns.disablePrefetch", true);
user_pref("network.prefetch-next", false);
user_pref("network.trr.mode", 5);
user_pref("dom.push.connection.enabled", false);
user_pref("network.proxy.type", 1);
user_pref("network.proxy.share_proxy_settings", true);
user_pref("network.proxy.http", "127.0.0.1");
user_pref("network.proxy.http_port", 9);
user_pref("network.proxy.ssl", "127.0.0.1");
user_pref("network.proxy.ssl_port", 9);
user_pref("network.proxy.no_proxies_on", "127.0.0.1");
)";

bool WriteFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// Listed(home), once it equals expected or, at the latest, after timeoutMs (events run between
// the looks); the rows as text lines, for a readable failure.
std::string ListedOnce(const QString& home, const QStringList& expected, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    QStringList rows = BrowserTestFiles::Listed(home);
    while (rows != expected && !deadline.hasExpired()) {
        QTest::qWait(250);
        rows = BrowserTestFiles::Listed(home);
    }
    return rows.join(QLatin1Char('\n')).toStdString();
}

} // namespace

// Debian's own Firefox ESR, headless, with its profile in the config folder where Firefox makes
// new profiles; the titles carry Korean, an ampersand and quotes.
TEST(RealBrowsers, FirefoxTabsListedWithTitlesWhileItRuns) {
    if (QStandardPaths::findExecutable(QStringLiteral("firefox-esr")).isEmpty())
        GTEST_SKIP() << "firefox-esr is not installed (scripts/setup installs it)";
    TestHttpServer server;
    const QByteArray type = "text/html; charset=utf-8";
    server.AddFile("/a.html", "<title>Alpha 페이지</title><p>a", type);
    server.AddFile("/b.html", "<title>Beta &amp; \"quoted\"</title><p>b", type);
    server.AddFile("/c.html", "<title>Gamma</title><p>c", type);
    QTemporaryDir home;
    const QString root = home.filePath(QStringLiteral(".config/mozilla/firefox"));
    const QString profile = root + QStringLiteral("/t3st.default");
    ASSERT_TRUE(QDir().mkpath(profile));
    ASSERT_TRUE(WriteFile(root + QStringLiteral("/profiles.ini"),
                          "[Profile0]\nName=test\nIsRelative=1\nPath=t3st.default\nDefault=1\n\n"
                          "[General]\nStartWithLastProfile=1\nVersion=2\n"));
    ASSERT_TRUE(WriteFile(profile + QStringLiteral("/user.js"), kFirefoxPrefs));

    BrowserProcess firefox(home.path());
    const QString a = server.Url(QStringLiteral("/a.html"));
    const QString b = server.Url(QStringLiteral("/b.html"));
    const QString c = server.Url(QStringLiteral("/c.html"));
    ASSERT_TRUE(firefox.Start(QStringLiteral("firefox-esr"),
                              {QStringLiteral("--headless"), QStringLiteral("--no-remote"),
                               QStringLiteral("--profile"), profile, a, b, c}));
    const QStringList expected = {QStringLiteral("Alpha 페이지\t") + a,
                                  QStringLiteral("Beta & \"quoted\"\t") + b,
                                  QStringLiteral("Gamma\t") + c};
    ASSERT_EQ(ListedOnce(home.path(), expected, 60000),
              expected.join(QLatin1Char('\n')).toStdString());
    firefox.Stop();
    EXPECT_EQ(ListedOnce(home.path(), {}, 0), "") << "a browser that ended lists nothing";
}

// Debian's own Chromium without a debugging port: only its session file tells its tabs, and
// that records them without titles; the titles come from its History. A page without a title
// shows its address.
TEST(RealBrowsers, ChromiumWithoutDebuggingPortShowsTitlesFromItsHistory) {
    if (QStandardPaths::findExecutable(QStringLiteral("chromium")).isEmpty())
        GTEST_SKIP() << "chromium is not installed (scripts/setup installs it)";
    TestHttpServer server;
    const QByteArray type = "text/html; charset=utf-8";
    // Headless Chromium takes one address; the page opens the other two tabs.
    server.AddFile("/a.html",
                   "<title>Alpha 페이지</title><script>window.open('b.html');"
                   "window.open('c.html')</script>",
                   type);
    server.AddFile("/b.html", "<title>Beta page</title><p>b", type);
    server.AddFile("/c.html", "<p>no title", type);
    QTemporaryDir home;
    BrowserProcess chromium(home.path());
    const QString a = server.Url(QStringLiteral("/a.html"));
    const QString b = server.Url(QStringLiteral("/b.html"));
    const QString c = server.Url(QStringLiteral("/c.html"));
    ASSERT_TRUE(chromium.Start(
        QStringLiteral("chromium"),
        {QStringLiteral("--headless=new"),
         QStringLiteral("--user-data-dir=") + home.filePath(QStringLiteral(".config/chromium")),
         QStringLiteral("--no-sandbox"), QStringLiteral("--disable-gpu"),
         QStringLiteral("--no-first-run"), QStringLiteral("--disable-background-networking"),
         QStringLiteral("--disable-component-update"), QStringLiteral("--disable-sync"),
         QStringLiteral("--disable-popup-blocking"), QStringLiteral("--log-level=3"), a}));
    const QStringList expected = {QStringLiteral("Alpha 페이지\t") + a,
                                  QStringLiteral("Beta page\t") + b, c + QLatin1Char('\t') + c};
    ASSERT_EQ(ListedOnce(home.path(), expected, 60000),
              expected.join(QLatin1Char('\n')).toStdString());
    chromium.Stop();
    EXPECT_EQ(ListedOnce(home.path(), {}, 0), "") << "a browser that ended lists nothing";
}
