#include "browsers/RunningBrowsers.h"

#include "browsers/BrowserFiles.h"
#include "browsers/ChromiumSession.h"
#include "browsers/DevToolsList.h"
#include "browsers/FirefoxSession.h"
#include "browsers/ProfileLock.h"

#include <QDir>
#include <QHash>

namespace {
constexpr qint64 kMaxIniBytes = 1024 * 1024;

void AppendUnique(QStringList* list, const QString& path) {
    const QString clean = QDir::cleanPath(path);
    if (!list->contains(clean))
        list->append(clean);
}

// An empty title shows the address, as the browsers' own tab strips do.
void FillTitles(BrowserPageList* pages) {
    for (BrowserPage& page : *pages)
        if (page.title.trimmed().isEmpty())
            page.title = page.url;
}
} // namespace

RunningBrowsers::RunningBrowsers(const QString& home) : m_strHome(home) {}

QStringList RunningBrowsers::FirefoxRoots() const {
    const QDir home(m_strHome);
    QStringList roots;
    for (const char* path :
         {".mozilla/firefox", "snap/firefox/common/.mozilla/firefox",
          ".var/app/org.mozilla.firefox/.mozilla/firefox", ".librewolf",
          ".var/app/io.gitlab.librewolf-community/.librewolf", ".waterfox", ".floorp"})
        AppendUnique(&roots, home.filePath(QLatin1String(path)));
    return roots;
}

QStringList RunningBrowsers::ChromiumRoots() const {
    QStringList configs{QDir(m_strHome).filePath(QStringLiteral(".config"))};
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (QDir::isAbsolutePath(xdg) && m_strHome == QDir::homePath())
        AppendUnique(&configs, xdg);
    QStringList roots;
    for (const QString& config : configs)
        for (const char* name : {"chromium", "google-chrome", "google-chrome-beta",
                                 "BraveSoftware/Brave-Browser", "microsoft-edge", "vivaldi"})
            AppendUnique(&roots, QDir(config).filePath(QLatin1String(name)));
    const QDir home(m_strHome);
    for (const char* path :
         {"snap/chromium/common/chromium", ".var/app/org.chromium.Chromium/config/chromium",
          ".var/app/com.google.Chrome/config/google-chrome",
          ".var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser"})
        AppendUnique(&roots, home.filePath(QLatin1String(path)));
    return roots;
}

QStringList RunningBrowsers::ProfilesFromIni(const QString& root) {
    QByteArray text;
    if (!BrowserFiles::ReadBounded(QDir(root).filePath(QStringLiteral("profiles.ini")),
                                   kMaxIniBytes, &text))
        return {};
    QStringList profiles;
    bool inProfile = false;
    bool relative = true;
    QString path;
    const auto flush = [&] {
        if (inProfile && !path.isEmpty())
            AppendUnique(&profiles, relative ? QDir(root).filePath(path) : path);
        path.clear();
        relative = true;
    };
    for (const QByteArray& raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            flush();
            inProfile = line.startsWith(QLatin1String("[Profile"));
        } else if (line.startsWith(QLatin1String("Path="))) {
            path = line.mid(5);
        } else if (line.startsWith(QLatin1String("IsRelative="))) {
            relative = line.mid(11) != QLatin1String("0");
        }
    }
    flush();
    return profiles;
}

BrowserPageList RunningBrowsers::MergeLiveAndSaved(const BrowserPageList& live,
                                                   const BrowserPageList& saved) {
    BrowserPageList merged = live;
    QHash<QString, int> seen; // live tabs per address not yet matched by a saved tab
    for (const BrowserPage& page : live)
        ++seen[page.url];
    for (const BrowserPage& page : saved) {
        int& left = seen[page.url];
        if (left > 0)
            --left;
        else
            merged.append(page);
    }
    return merged;
}

void RunningBrowsers::Refresh() {
    m_pages.clear();
    for (const QString& root : FirefoxRoots())
        for (const QString& profile : ProfilesFromIni(root))
            AddFirefox(profile);
    for (const QString& root : ChromiumRoots())
        AddChromium(root);
    FillTitles(&m_pages);
}

void RunningBrowsers::AddFirefox(const QString& profileDir) {
    if (!ProfileLock::FirefoxRuns(profileDir))
        return;
    BrowserPageList pages;
    if (FirefoxSession::ReadProfile(profileDir, &pages))
        m_pages << pages;
}

void RunningBrowsers::AddChromium(const QString& userDataDir) {
    if (!ProfileLock::ChromiumRuns(userDataDir))
        return;
    // One browser serves the live list of all its profiles; each profile keeps its own
    // session file ("Default", "Profile 1", ...).
    BrowserPageList live;
    DevToolsList::Fetch(DevToolsList::ActivePort(userDataDir), &live);
    BrowserPageList saved;
    const QDir dir(userDataDir);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString file = ChromiumSession::NewestSessionFile(dir.filePath(name));
        if (!file.isEmpty())
            ChromiumSession::ReadFile(file, &saved);
    }
    m_pages << MergeLiveAndSaved(live, saved);
}
