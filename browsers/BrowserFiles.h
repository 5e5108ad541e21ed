#pragma once

#include <QByteArray>
#include <QString>

// The links other browsers keep (their files are read through imaging/BoundedFile).
class BrowserFiles final {
  public:
    // The target text of a symbolic link as stored (not resolved); empty when path is no link.
    static QString ReadLink(const QString& path);
};
