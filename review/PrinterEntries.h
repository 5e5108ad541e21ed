#pragma once

#include <QString>
#include <QStringList>

// The printer list's entries: one per CUPS destination, "name,driver,port" with the queue name,
// its make and model and its device URI.
namespace PrinterEntries {

// What stands for the default printer when there is none; no entry begins with it.
inline constexpr char16_t kNoDefault[] = u",,,";

// "name,driver,port".
QString MakeEntry(const QString& name, const QString& driver, const QString& port);
// The entries of every destination, in the order CUPS lists them.
QStringList Entries();
// The default destination's entry, or kNoDefault when there is no default.
QString DefaultEntry();
// Index of the first entry that begins with prefix (case ignored, as a list box finds a
// string), or -1.
int FindPrefix(const QStringList& entries, const QString& prefix);
// The printer name of an entry: everything before the first comma, however long.
// false when the entry has no comma (or nothing before it).
bool PrinterName(const QString& entry, QString* name);

} // namespace PrinterEntries
