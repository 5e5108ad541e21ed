#pragma once

#include "browsers/BrowserPage.h"

#include <QByteArray>
#include <QString>

// The open tabs of a Chromium-family profile, read from the session file the browser appends
// its tab commands to while it runs (Sessions/Session_*): a 4-byte magic, a version, then
// records of a 16-bit size, a command byte and the command's payload.
class ChromiumSession final {
  public:
    // Larger files are not read: no session of real tabs comes near it.
    static constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;
    // Nor files of more records, far more than a session of thousands of tabs writes; the cap
    // also bounds the tabs and entries kept while reading, and so the time a read takes.
    static constexpr int kMaxRecords = 100000;

    // The current page of every open tab, window by window in tab order. false (and nothing
    // added) when the bytes are not a whole plain session file or hold more than kMaxRecords
    // records. Takes about O(n log n) time for n records, whatever they are.
    static bool Parse(const QByteArray& bytes, BrowserPageList* pages);
    // Parse on a file of at most kMaxFileBytes.
    static bool ReadFile(const QString& path, BrowserPageList* pages);
    // The newest Sessions/Session_* file of a profile folder, or an empty string.
    static QString NewestSessionFile(const QString& profileDir);
};
