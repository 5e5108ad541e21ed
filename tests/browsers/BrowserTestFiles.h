#pragma once

#include <QByteArray>
#include <QString>

// Browser files for the tests, written the way the browsers write them.
namespace BrowserTestFiles {

// A Firefox session store: "mozLz40\0", the little-endian size, one LZ4 block of json.
QByteArray MozLz4(const QByteArray& json);
// A running Firefox profile under home/root (profiles.ini, its store and a lock naming pid).
bool WriteFirefoxProfile(const QString& home, const QByteArray& json, qint64 pid,
                         const QString& root = QStringLiteral(".mozilla/firefox"));

} // namespace BrowserTestFiles
