#pragma once

#include "browsers/BrowserPage.h"

#include <QString>

// The page titles a Chromium-family profile keeps in its History database (SQLite, table
// "urls" with the columns "url" and "title"). The browser holds that file locked and writes it
// while it runs, so it is read as it lies on disk: no lock taken, nothing written, no waiting.
class ChromiumHistory final {
  public:
    // Gives every page of pages whose title is empty the title profileDir/History holds for
    // its address; a page it has none for keeps its empty title. Unreadable or foreign files
    // change nothing.
    static void FillTitles(const QString& profileDir, BrowserPageList* pages);
};
