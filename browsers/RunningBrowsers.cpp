#include "browsers/RunningBrowsers.h"

#include "browsers/ChromiumHistory.h"
#include "browsers/ChromiumSession.h"
#include "browsers/DevToolsList.h"
#include "browsers/FirefoxSession.h"
#include "browsers/ProfileLock.h"
#include "imaging/BoundedFile.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

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

QStringList RunningBrowsers::ConfigHomes() const {
    QStringList configs{QDir(m_strHome).filePath(QStringLiteral(".config"))};
    // The variable belongs to the user whose home this is; a relative value is ignored, as the
    // browsers themselves ignore it.
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (QDir::isAbsolutePath(xdg) && m_strHome == QDir::homePath())
        AppendUnique(&configs, xdg);
    return configs;
}

QStringList RunningBrowsers::FirefoxRoots() const {
    const QDir home(m_strHome);
    QStringList roots;
    // The old places, still used by profiles made before the browsers moved to the config
    // folder, and by the snap, which keeps them.
    for (const char* path :
         {".mozilla/firefox", "snap/firefox/common/.mozilla/firefox",
          ".var/app/org.mozilla.firefox/.mozilla/firefox", ".librewolf",
          ".var/app/io.gitlab.librewolf-community/.librewolf", ".waterfox", ".floorp"})
        AppendUnique(&roots, home.filePath(QLatin1String(path)));
    // New profiles: Firefox under mozilla/firefox, its relatives under their own name.
    for (const QString& config : ConfigHomes())
        for (const char* name : {"mozilla/firefox", "librewolf", "waterfox", "floorp"})
            AppendUnique(&roots, QDir(config).filePath(QLatin1String(name)));
    // A flatpak gets a config folder of its own.
    for (const char* path : {".var/app/org.mozilla.firefox/config/mozilla/firefox",
                             ".var/app/io.gitlab.librewolf-community/config/librewolf"})
        AppendUnique(&roots, home.filePath(QLatin1String(path)));
    return roots;
}

QStringList RunningBrowsers::FirefoxProfiles() const {
    QStringList profiles;
    QSet<QString> seen; // real folders: a root linked to another lists its profiles once
    for (const QString& root : FirefoxRoots()) {
        for (const QString& profile : ProfilesFromIni(root)) {
            const QString real = QFileInfo(profile).canonicalFilePath();
            if (!real.isEmpty() && !seen.contains(real)) {
                seen.insert(real);
                profiles << profile;
            }
        }
    }
    return profiles;
}

QStringList RunningBrowsers::ChromiumRoots() const {
    QStringList roots;
    for (const QString& config : ConfigHomes())
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
    if (!BoundedFile::Read(QDir(root).filePath(QStringLiteral("profiles.ini")), kMaxIniBytes,
                           &text))
        return {};
    return ParseProfilesIni(root, text);
}

QStringList RunningBrowsers::ParseProfilesIni(const QString& root, const QByteArray& text) {
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
    for (const QString& profile : FirefoxProfiles())
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
        const QString profile = dir.filePath(name);
        const QString file = ChromiumSession::NewestSessionFile(profile);
        BrowserPageList pages;
        if (!file.isEmpty() && ChromiumSession::ReadFile(file, &pages)) {
            // The session file mostly records a page before its title is known.
            ChromiumHistory::FillTitles(profile, &pages);
            saved << pages;
        }
    }
    m_pages << MergeLiveAndSaved(live, saved);
}
