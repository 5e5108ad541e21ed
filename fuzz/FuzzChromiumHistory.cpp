// Feeds each input to the History database reader as a profile's History file. SQLite reads it
// from disk, so each input is written to the same file of a folder made once.
#include "browsers/ChromiumHistory.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir profile;
    // Overwritten and then cut to length: ext4 pushes a file emptied on open to disk when it is
    // closed, which made each input wait on a disk write.
    QFile file(profile.filePath(QStringLiteral("History")));
    if (!file.open(QIODevice::ReadWrite) ||
        file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size) ||
        !file.resize(qint64(size)))
        return 0;
    file.close();
    // Addresses the seeds hold, one they do not, and a page that has its title already.
    BrowserPageList pages = {{QString(), QStringLiteral("http://127.0.0.1/a")},
                             {QString(), QStringLiteral("http://127.0.0.1/b")},
                             {QString(), QStringLiteral("http://127.0.0.1/none")},
                             {QStringLiteral("Kept"), QStringLiteral("http://127.0.0.1/a")}};
    ChromiumHistory::FillTitles(profile.path(), &pages);
    return 0;
}
