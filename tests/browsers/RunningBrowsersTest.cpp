#include "browsers/RunningBrowsers.h"
#include "tests/browsers/BrowserTestFiles.h"

#include "tests/support/TestHttpServer.h"
#include "tests/support/WaitUntil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Above any process id the system hands out: a lock naming it belongs to a browser that ended.
constexpr qint64 kDeadPid = 2147480000;

bool CopyData(const char* name, const QString& to) {
    QDir().mkpath(QFileInfo(to).path());
    return QFile::copy(QStringLiteral(BROWSERS_TEST_DATA "/") + QLatin1String(name), to);
}

// A home folder with one Firefox profile and one Chromium profile as the browsers leave them.
class FakeHome : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        const QDir dir(home.path());
        firefox = dir.filePath(QStringLiteral(".mozilla/firefox/abcd1234.default-release"));
        chromium = dir.filePath(QStringLiteral(".config/chromium"));
        QDir().mkpath(firefox);
        QFile ini(dir.filePath(QStringLiteral(".mozilla/firefox/profiles.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(
            "[Install4F96D1932A9F858E]\nDefault=abcd1234.default-release\nLocked=1\n\n"
            "[Profile0]\nName=default-release\nIsRelative=1\n"
            "Path=abcd1234.default-release\nDefault=1\n\n[General]\nStartWithLastProfile=1\n");
        ini.close();
        ASSERT_TRUE(CopyData("recovery_sample.jsonlz4",
                             firefox + QStringLiteral("/sessionstore-backups/recovery.jsonlz4")));
        ASSERT_TRUE(
            CopyData("Session_sample",
                     chromium + QStringLiteral("/Default/Sessions/Session_13441197504075200")));
    }
    void Lock(qint64 firefoxPid, qint64 chromiumPid) {
        QFile::remove(firefox + QStringLiteral("/lock"));
        QFile::remove(chromium + QStringLiteral("/SingletonLock"));
        QFile::link(QStringLiteral("127.0.1.1:+%1").arg(firefoxPid),
                    firefox + QStringLiteral("/lock"));
        QFile::link(QSysInfo::machineHostName() + QStringLiteral("-%1").arg(chromiumPid),
                    chromium + QStringLiteral("/SingletonLock"));
    }
    QStringList Urls() {
        RunningBrowsers browsers(home.path());
        browsers.Refresh();
        QStringList urls;
        for (int i = 0; i < browsers.Count(); ++i)
            urls << browsers.Item(i).url;
        return urls;
    }

    QTemporaryDir home;
    QString firefox;
    QString chromium;
};

} // namespace

TEST_F(FakeHome, RunningBrowsersAreListedAndEndedOnesHidden) {
    const qint64 self = QCoreApplication::applicationPid();
    const QStringList firefoxUrls = {QStringLiteral("https://docs.example/guide"),
                                     QStringLiteral("file:///home/user/report.pdf")};
    const QStringList chromiumUrls = {QStringLiteral("https://news.example/story"),
                                      QStringLiteral("file:///home/user/notes.html")};
    EXPECT_TRUE(Urls().isEmpty()) << "no lock: no browser runs";
    Lock(self, self);
    EXPECT_EQ(Urls(), firefoxUrls + chromiumUrls);
    Lock(kDeadPid, self);
    EXPECT_EQ(Urls(), chromiumUrls);
    Lock(self, kDeadPid);
    EXPECT_EQ(Urls(), firefoxUrls);
    // A stale DevTools port must not hold the list up or change it.
    QFile port(chromium + QStringLiteral("/DevToolsActivePort"));
    ASSERT_TRUE(port.open(QIODevice::WriteOnly));
    port.write("1\n/devtools/browser/x\n");
    port.close();
    Lock(self, self);
    EXPECT_EQ(Urls(), firefoxUrls + chromiumUrls);
}

TEST(RunningBrowsers, LiveTabSeenInTheSessionFileTooIsListedOnce) {
    const BrowserPageList live = {{QStringLiteral("A"), QStringLiteral("http://x/a")},
                                  {QStringLiteral("A again"), QStringLiteral("http://x/a")}};
    const BrowserPageList saved = {{QString(), QStringLiteral("http://x/a")},
                                   {QString(), QStringLiteral("http://x/b")},
                                   {QString(), QStringLiteral("http://x/a")},
                                   {QString(), QStringLiteral("http://x/a")}};
    const BrowserPageList expected = {live.at(0), live.at(1), saved.at(1), saved.at(3)};
    EXPECT_EQ(RunningBrowsers::MergeLiveAndSaved(live, saved), expected);
}

// New profiles of Firefox and its relatives live in the config folder ($XDG_CONFIG_HOME when
// set); a user who linked the old place to the new one must not see each tab twice.
TEST(RunningBrowsers, FirefoxProfilesInTheConfigFolderAreListedOnce) {
    const QByteArray store = R"({"windows":[{"tabs":[{"entries":[{"url":"http://x/a"}]}]}]})";
    const qint64 self = QCoreApplication::applicationPid();
    const auto count = [](const QString& home) {
        RunningBrowsers browsers(home);
        browsers.Refresh();
        return browsers.Count();
    };
    for (const char* root : {".config/mozilla/firefox", ".config/librewolf", ".config/floorp",
                             ".var/app/org.mozilla.firefox/config/mozilla/firefox"}) {
        QTemporaryDir home;
        ASSERT_TRUE(
            BrowserTestFiles::WriteFirefoxProfile(home.path(), store, self, QLatin1String(root)));
        EXPECT_EQ(count(home.path()), 1) << root;
        if (QLatin1String(root) == QLatin1String(".config/mozilla/firefox")) {
            QDir(home.path()).mkdir(QStringLiteral(".mozilla"));
            ASSERT_TRUE(QFile::link(home.filePath(QLatin1String(root)),
                                    home.filePath(QStringLiteral(".mozilla/firefox"))));
            EXPECT_EQ(count(home.path()), 1) << "the old place linked to the new one";
        }
    }
    // The user's own XDG_CONFIG_HOME counts for the user's own home only, and only when absolute.
    QTemporaryDir home;
    ASSERT_TRUE(BrowserTestFiles::WriteFirefoxProfile(home.path(), store, self,
                                                      QStringLiteral("xdg/mozilla/firefox")));
    const QByteArray oldHome = qgetenv("HOME"), oldXdg = qgetenv("XDG_CONFIG_HOME");
    const bool hadXdg = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    const QString oldDir = QDir::currentPath();
    const auto restore = qScopeGuard([&] {
        QDir::setCurrent(oldDir);
        qputenv("HOME", oldHome);
        if (hadXdg)
            qputenv("XDG_CONFIG_HOME", oldXdg);
        else
            qunsetenv("XDG_CONFIG_HOME");
    });
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("xdg"))));
    EXPECT_EQ(count(home.path()), 0) << "another user's home";
    qputenv("HOME", QFile::encodeName(home.path()));
    EXPECT_EQ(count(home.path()), 1);
    QDir::setCurrent(home.path());
    qputenv("XDG_CONFIG_HOME", "xdg");
    EXPECT_EQ(count(home.path()), 0) << "a relative XDG_CONFIG_HOME";
}

// Debian's own Chromium, headless, with its profile where a user's would be.
TEST(RunningBrowsers, RealChromiumPagesListedOnceWithTheirTitles) {
    if (QStandardPaths::findExecutable(QStringLiteral("chromium")).isEmpty())
        GTEST_SKIP() << "chromium is not installed (scripts/setup installs it)";
    TestHttpServer server;
    server.AddFile("/a.html", "<title>Alpha 페이지</title><p>a", "text/html; charset=utf-8");
    server.AddFile("/b.html", "<title>Beta page</title><p>b", "text/html; charset=utf-8");
    QTemporaryDir home;
    const QString userData = home.filePath(QStringLiteral(".config/chromium"));
    QProcess chromium;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    chromium.setProcessEnvironment(env);
    chromium.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    chromium.setStandardOutputFile(QProcess::nullDevice());
    chromium.start(QStringLiteral("chromium"),
                   {QStringLiteral("--headless=new"), QStringLiteral("--user-data-dir=") + userData,
                    QStringLiteral("--remote-debugging-port=0"), QStringLiteral("--no-sandbox"),
                    QStringLiteral("--disable-gpu"), QStringLiteral("--no-first-run"),
                    QStringLiteral("--disable-background-networking"),
                    QStringLiteral("--disable-component-update"), QStringLiteral("--disable-sync"),
                    QStringLiteral("--log-level=3"), server.Url(QStringLiteral("/a.html"))});
    ASSERT_TRUE(chromium.waitForStarted(10000));
    const auto stop = qScopeGuard([&] {
        chromium.terminate();
        if (!chromium.waitForFinished(10000))
            chromium.kill();
        chromium.waitForFinished(5000);
    });
    QFile portFile(userData + QStringLiteral("/DevToolsActivePort"));
    ASSERT_TRUE(WaitUntil([&] { return portFile.exists() && portFile.size() > 0; }));
    ASSERT_TRUE(portFile.open(QIODevice::ReadOnly));
    const QByteArray port = portFile.readLine().trimmed();
    // Headless Chromium takes one address on its command line; the second tab is opened as a
    // user's would be, and the list must show it once it has loaded.
    QNetworkAccessManager net;
    QNetworkRequest open(QUrl(QStringLiteral("http://127.0.0.1:") + QString::fromLatin1(port) +
                              QStringLiteral("/json/new?") +
                              server.Url(QStringLiteral("/b.html"))));
    std::unique_ptr<QNetworkReply> reply(net.sendCustomRequest(open, "PUT"));
    QSignalSpy done(reply.get(), &QNetworkReply::finished);
    ASSERT_TRUE(done.wait(10000));

    const auto listed = [&] { return BrowserTestFiles::Listed(home.path()); };
    const QStringList expected = {
        QStringLiteral("Alpha 페이지\t") + server.Url(QStringLiteral("/a.html")),
        QStringLiteral("Beta page\t") + server.Url(QStringLiteral("/b.html"))};
    EXPECT_TRUE(WaitUntilEqual(listed, expected));
    // The browser also keeps both tabs in its session file, the way it is read without DevTools.
    QFile::remove(userData + QStringLiteral("/DevToolsActivePort"));
    const auto sessionUrls = [&] {
        QStringList found;
        for (const QString& row : listed())
            found << row.section(QLatin1Char('\t'), 1);
        return found;
    };
    EXPECT_TRUE(WaitUntilEqual(sessionUrls, QStringList{server.Url(QStringLiteral("/a.html")),
                                                        server.Url(QStringLiteral("/b.html"))}));
}
