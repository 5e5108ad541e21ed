#include "browsers/ChromiumHistory.h"
#include "browsers/ChromiumSession.h"
#include "browsers/DevToolsList.h"
#include "browsers/FirefoxSession.h"
#include "tests/browsers/BrowserTestFiles.h"
#include "tests/support/SessionFileWriter.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

using BrowserTestFiles::MozLz4;

QByteArray ReadData(const char* name) {
    QFile file(QStringLiteral(BROWSERS_TEST_DATA "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const BrowserPageList kChromiumSample = {
    {QStringLiteral("오늘의 기사"), QStringLiteral("https://news.example/story")},
    {QStringLiteral("Notes"), QStringLiteral("file:///home/user/notes.html")},
};
const BrowserPageList kFirefoxSample = {
    {QStringLiteral("사용 안내서"), QStringLiteral("https://docs.example/guide")},
    {QStringLiteral("report.pdf"), QStringLiteral("file:///home/user/report.pdf")},
};

} // namespace

// The samples hold a tab whose current entry is not its last, a closed tab (and in the store a
// closed window): only the open tabs' current pages come out, in tab order.
TEST(SessionReaders, SamplesGiveTheOpenTabsCurrentPages) {
    BrowserPageList chromium;
    ASSERT_TRUE(ChromiumSession::Parse(ReadData("Session_sample"), &chromium));
    EXPECT_EQ(chromium, kChromiumSample);
    BrowserPageList firefox;
    ASSERT_TRUE(FirefoxSession::Parse(ReadData("recovery_sample.jsonlz4"), &firefox));
    EXPECT_EQ(firefox, kFirefoxSample);
}

// Thousands of entries and prunes, the prunes of three tabs taking turns: the first tab cut
// from the front to its newest entry, the second cut out of its middle and then from the back
// to its first, the third moved down by prunes that remove nothing until its selection names
// its eighth entry.
TEST(SessionReaders, ChromiumManyPrunesLeaveTheRightEntries) {
    constexpr qint32 n = 2000;
    constexpr qint32 far = 1000000;
    SessionFileWriter file;
    for (qint32 tab = 1; tab <= 3; ++tab)
        file.SetTabWindow(7, tab);
    const auto url = [](char tab, int i) {
        return "http://x/" + QByteArray(1, tab) + "/" + QByteArray::number(i);
    };
    for (qint32 i = 0; i < n; ++i) {
        file.Navigation(1, i, url('a', i));
        file.Navigation(2, i, url('b', i));
        file.Navigation(3, far + i, url('c', i), QStringLiteral("제목 %1").arg(i));
    }
    for (qint32 i = 0; i < n; ++i) {
        if (i < n - 1)
            file.PruneFromFront(1, 1);
        if (i < n - 2)
            file.PrunePath(2, 1, 1);
        file.PruneFromFront(3, 1);
    }
    file.PruneFromBack(2, 1);
    file.SetSelected(1, 0);
    file.SetSelected(3, far - n + 7);
    BrowserPageList pages;
    ASSERT_TRUE(ChromiumSession::Parse(file.Bytes(), &pages));
    const BrowserPageList expected = {{QString(), QString::fromLatin1(url('a', n - 1))},
                                      {QString(), QString::fromLatin1(url('b', 0))},
                                      {QStringLiteral("제목 7"), QString::fromLatin1(url('c', 7))}};
    EXPECT_EQ(pages, expected);
}

// A file of more records than the reader takes is refused, not read in part.
TEST(SessionReaders, ChromiumRecordsPastTheCapRefuseTheFile) {
    SessionFileWriter file;
    file.SetTabWindow(1, 1);
    file.Navigation(1, 0, "http://x/");
    while (file.Records() < ChromiumSession::kMaxRecords)
        file.Record(99, {});
    BrowserPageList pages;
    ASSERT_TRUE(ChromiumSession::Parse(file.Bytes(), &pages));
    EXPECT_EQ(pages.size(), 1);
    file.Record(99, {});
    pages.clear();
    EXPECT_FALSE(ChromiumSession::Parse(file.Bytes(), &pages));
    EXPECT_TRUE(pages.isEmpty());
}

TEST(SessionReaders, FirefoxIndexCountsFromOneAndStrayIndexMeansLast) {
    const QByteArray json = R"({"windows":[{"tabs":[
        {"entries":[{"url":"https://a/1","title":"A1"},{"url":"https://a/2","title":"A2"}],"index":1},
        {"entries":[{"url":"https://b/1","title":"B1"},{"url":"https://b/2","title":"B2"}],"index":9},
        {"entries":[{"url":"https://c/1","title":"C1"},{"url":"https://c/2","title":"C2"}]},
        {"entries":[],"index":1}]},
      {"tabs":[{"entries":[{"url":"https://d/1","title":"D1"}],"index":1}]}]})";
    BrowserPageList pages;
    ASSERT_TRUE(FirefoxSession::Parse(MozLz4(json), &pages));
    const BrowserPageList expected = {{QStringLiteral("A1"), QStringLiteral("https://a/1")},
                                      {QStringLiteral("B2"), QStringLiteral("https://b/2")},
                                      {QStringLiteral("C2"), QStringLiteral("https://c/2")},
                                      {QStringLiteral("D1"), QStringLiteral("https://d/1")}};
    EXPECT_EQ(pages, expected);
}

// Damaged files of either kind: no pages, no crash, and the reader says so.
struct Damage {
    const char* name;
    const char* file;
    qsizetype keep;   // bytes kept from the start (-1 all)
    qsizetype flipAt; // byte flipped (-1 none)
};

class DamagedSession : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedSession, GivesNoPages) {
    const Damage& d = GetParam();
    QByteArray bytes = ReadData(d.file);
    ASSERT_FALSE(bytes.isEmpty());
    if (d.keep >= 0)
        bytes.truncate(d.keep);
    if (d.flipAt >= 0)
        bytes[d.flipAt] = char(bytes[d.flipAt] ^ 0x5A);
    BrowserPageList pages;
    const bool ok = QByteArray(d.file).startsWith("Session") ? ChromiumSession::Parse(bytes, &pages)
                                                             : FirefoxSession::Parse(bytes, &pages);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(pages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedSession,
    ::testing::Values(Damage{"snss_empty", "Session_sample", 0, -1},
                      Damage{"snss_header_only_half", "Session_sample", 6, -1},
                      Damage{"snss_cut_in_record", "Session_sample", 200, -1},
                      Damage{"snss_cut_in_size", "Session_sample", 9, -1},
                      Damage{"snss_bad_magic", "Session_sample", -1, 1},
                      Damage{"snss_unknown_version", "Session_sample", -1, 4},
                      Damage{"moz_cut_header", "recovery_sample.jsonlz4", 10, -1},
                      Damage{"moz_cut_block", "recovery_sample.jsonlz4", 300, -1},
                      Damage{"moz_bad_magic", "recovery_sample.jsonlz4", -1, 0},
                      Damage{"moz_size_too_large", "recovery_sample.jsonlz4", -1, 11},
                      Damage{"moz_block_damaged", "recovery_sample.jsonlz4", -1, 12}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SessionReaders, FirefoxRefusesTextThatIsNotAStore) {
    BrowserPageList pages;
    EXPECT_FALSE(FirefoxSession::Parse(MozLz4("{\"windows\":[{\"tabs\":["), &pages));
    EXPECT_FALSE(FirefoxSession::Parse(MozLz4("[1,2,3]"), &pages));
    EXPECT_FALSE(FirefoxSession::Parse(MozLz4(QByteArray(100000, 'x')), &pages));
    EXPECT_TRUE(pages.isEmpty());
}

// The list a Chromium browser serves holds its own interface pages and workers as well.
TEST(SessionReaders, DevToolsListKeepsOnlyPages) {
    const QByteArray body = R"([
        {"type":"page","title":"Alpha","url":"http://127.0.0.1/a"},
        {"type":"browser_ui","title":"Omnibox Popup","url":"chrome://omnibox-popup.top-chrome/"},
        {"type":"service_worker","title":"sw","url":"http://127.0.0.1/sw.js"},
        {"type":"page","title":"","url":"http://127.0.0.1/b"}])";
    const QByteArray response = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                                "Content-Length: " +
                                QByteArray::number(body.size()) + "\r\n\r\n" + body;
    QByteArray parsed;
    ASSERT_TRUE(DevToolsList::ResponseBody(response, &parsed));
    BrowserPageList pages;
    ASSERT_TRUE(DevToolsList::ParseList(parsed, &pages));
    const BrowserPageList expected = {
        {QStringLiteral("Alpha"), QStringLiteral("http://127.0.0.1/a")},
        {QString(), QStringLiteral("http://127.0.0.1/b")}};
    EXPECT_EQ(pages, expected);
    EXPECT_FALSE(DevToolsList::ResponseBody(response.left(response.size() - 5), &parsed));
    EXPECT_FALSE(DevToolsList::ResponseBody("HTTP/1.1 404 Not Found\r\n\r\n[]", &parsed));
}

// A History database as Chromium keeps it, in a profile folder whose name must be escaped in an
// SQLite address, held locked by a writer the way the running browser holds it.
TEST(ChromiumHistory, UntitledPagesTakeTheirTitleWithoutWaitingOnTheBrowsersLock) {
    QTemporaryDir dir;
    const QString profile = dir.filePath(QStringLiteral("Profile 1 #?%"));
    ASSERT_TRUE(QDir().mkpath(profile));
    const QByteArray path = QFile::encodeName(profile + QStringLiteral("/History"));
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(path.constData(), &writer), SQLITE_OK);
    const auto close = qScopeGuard([&] { sqlite3_close(writer); });
    ASSERT_EQ(sqlite3_exec(writer,
                           "CREATE TABLE urls(id INTEGER PRIMARY KEY, url LONGVARCHAR, title "
                           "LONGVARCHAR, visit_count INTEGER DEFAULT 0);"
                           "INSERT INTO urls(url, title) VALUES ('http://x/a', 'Alpha 페이지'), "
                           "('http://x/b', ''), ('http://x/c', 'Other');"
                           "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    BrowserPageList pages = {{QString(), QStringLiteral("http://x/a")},
                             {QStringLiteral("Kept"), QStringLiteral("http://x/c")},
                             {QString(), QStringLiteral("http://x/b")},
                             {QString(), QStringLiteral("http://x/unknown")}};
    BrowserPageList expected = pages;
    expected[0].title = QStringLiteral("Alpha 페이지");
    ChromiumHistory::FillTitles(profile, &pages);
    EXPECT_EQ(pages, expected);

    // A file that is no database, or none at all, leaves the titles as they were.
    QFile junk(dir.filePath(QStringLiteral("History")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    BrowserPageList untouched = {{QString(), QStringLiteral("http://x/a")}};
    ChromiumHistory::FillTitles(dir.path(), &untouched);
    ChromiumHistory::FillTitles(dir.filePath(QStringLiteral("none")), &untouched);
    EXPECT_EQ(untouched, (BrowserPageList{{QString(), QStringLiteral("http://x/a")}}));
}
