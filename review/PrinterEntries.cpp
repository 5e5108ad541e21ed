#include "review/PrinterEntries.h"

#include "review/CupsPrinter.h"

#include <QPrinterInfo>

namespace PrinterEntries {

QString MakeEntry(const QString& name, const QString& driver, const QString& port) {
    return name + u',' + driver + u',' + port;
}

namespace {
QString EntryOf(const QPrinterInfo& info) {
    return MakeEntry(info.printerName(), info.makeAndModel(),
                     CupsPrinter::DeviceUri(info.printerName()));
}
} // namespace

QStringList Entries() {
    QStringList entries;
    const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
    for (const QPrinterInfo& info : printers)
        entries << EntryOf(info);
    return entries;
}

QString DefaultEntry() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    return info.isNull() ? QString::fromUtf16(kNoDefault) : EntryOf(info);
}

int FindPrefix(const QStringList& entries, const QString& prefix) {
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i].startsWith(prefix, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

bool PrinterName(const QString& entry, QString* name) {
    const qsizetype comma = entry.indexOf(u',');
    if (comma <= 0)
        return false;
    *name = entry.left(comma);
    return true;
}

} // namespace PrinterEntries
