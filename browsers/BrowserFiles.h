#pragma once

#include <QByteArray>
#include <QString>

// Reading the files other browsers keep, without trusting them: size caps and no blocking.
class BrowserFiles final {
  public:
    // The whole regular file when it holds at most maxBytes; false otherwise (missing, a
    // folder, a device or pipe, too large, unreadable).
    static bool ReadBounded(const QString& path, qint64 maxBytes, QByteArray* bytes);
    // The target text of a symbolic link as stored (not resolved); empty when path is no link.
    static QString ReadLink(const QString& path);
};
