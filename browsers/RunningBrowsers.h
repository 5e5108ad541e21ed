#pragma once

#include "browsers/BrowserPage.h"

#include <QString>
#include <QStringList>

// The pages open in the user's other browsers, as one collection: every open tab's current
// page of every running Firefox-family and Chromium-family browser whose files can be read.
// Firefox profiles first, then Chromium folders, each in the order of its tabs. A source that
// cannot be read is left out; nothing here waits longer than one DevTools fetch per browser.
class RunningBrowsers final {
  public:
    // home: the user's home folder, where the browsers keep their profiles.
    explicit RunningBrowsers(const QString& home);

    // Reads every source again.
    void Refresh();
    int Count() const { return int(m_pages.size()); }
    // The page at index (0 <= index < Count()).
    const BrowserPage& Item(int index) const { return m_pages.at(index); }
    const BrowserPageList& Pages() const { return m_pages; }

    // The folders that hold profiles.ini, and the Chromium-family user-data folders; both in
    // the home folder's old places and in its config folder (and $XDG_CONFIG_HOME's).
    QStringList FirefoxRoots() const;
    // The existing profile folders of every root, each once however many roots reach it.
    QStringList FirefoxProfiles() const;
    QStringList ChromiumRoots() const;
    // The profile folders a profiles.ini lists (relative paths taken from root).
    static QStringList ProfilesFromIni(const QString& root);
    // The same from the file's text.
    static QStringList ParseProfilesIni(const QString& root, const QByteArray& text);
    // The live list first; a saved tab joins it unless a live tab already showed its address
    // (the same tab is seen both ways while the list answers).
    static BrowserPageList MergeLiveAndSaved(const BrowserPageList& live,
                                             const BrowserPageList& saved);

  private:
    // ~/.config, and $XDG_CONFIG_HOME when home is the user's own.
    QStringList ConfigHomes() const;
    void AddFirefox(const QString& profileDir);
    void AddChromium(const QString& userDataDir);

    QString m_strHome;
    BrowserPageList m_pages;
};
