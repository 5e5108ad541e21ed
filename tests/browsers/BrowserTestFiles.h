#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Browser files for the tests, written the way the browsers write them.
namespace BrowserTestFiles {

// A Firefox session store: "mozLz40\0", the little-endian size, one LZ4 block of json.
QByteArray MozLz4(const QByteArray& json);
// A running Firefox profile under home/root (profiles.ini, its store and a lock naming pid).
bool WriteFirefoxProfile(const QString& home, const QByteArray& json, qint64 pid,
                         const QString& root = QStringLiteral(".mozilla/firefox"));
// F8's rows for home as "TITLE<TAB>ADDRESS", sorted.
QStringList Listed(const QString& home);

} // namespace BrowserTestFiles
