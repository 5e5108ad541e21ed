#pragma once

#include "browsers/BrowserPage.h"

#include <QByteArray>
#include <QString>

// The open tabs of a Firefox-family profile, read from the session store the browser keeps
// while it runs (sessionstore-backups/recovery.jsonlz4): "mozLz40\0", the 32-bit little-endian
// size of the JSON text and one LZ4 block holding it.
class FirefoxSession final {
  public:
    static constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;
    static constexpr qint64 kMaxJsonBytes = 256 * 1024 * 1024;

    // The JSON text of a compressed store; false when the bytes are not a whole store.
    static bool Decompress(const QByteArray& bytes, QByteArray* json);
    // The current entry of every tab of every open window, in order. false (nothing added)
    // when the text is not a session store.
    static bool ParseJson(const QByteArray& json, BrowserPageList* pages);
    // Decompress and ParseJson.
    static bool Parse(const QByteArray& bytes, BrowserPageList* pages);
    // Parse on the running store of a profile folder (or its backup when that is unreadable).
    static bool ReadProfile(const QString& profileDir, BrowserPageList* pages);
};
