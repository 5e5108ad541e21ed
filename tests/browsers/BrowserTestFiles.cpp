#include "tests/browsers/BrowserTestFiles.h"

#include "browsers/RunningBrowsers.h"

#include <QDir>
#include <QFile>

#include <lz4.h>

namespace BrowserTestFiles {

QByteArray MozLz4(const QByteArray& json) {
    QByteArray out("mozLz40", 8);
    const quint32 n = quint32(json.size());
    for (int k = 0; k < 4; ++k)
        out.append(char((n >> (8 * k)) & 0xFF));
    QByteArray block(LZ4_compressBound(int(n)), Qt::Uninitialized);
    const int size =
        LZ4_compress_default(json.constData(), block.data(), int(n), int(block.size()));
    return out + block.left(size);
}

bool WriteFirefoxProfile(const QString& home, const QByteArray& json, qint64 pid,
                         const QString& rootPath) {
    const QDir root(QDir(home).filePath(rootPath));
    const QString profile = root.filePath(QStringLiteral("t3st.default"));
    if (!QDir().mkpath(profile + QStringLiteral("/sessionstore-backups")))
        return false;
    QFile ini(root.filePath(QStringLiteral("profiles.ini")));
    QFile store(profile + QStringLiteral("/sessionstore-backups/recovery.jsonlz4"));
    return ini.open(QIODevice::WriteOnly) &&
           ini.write("[Profile0]\nName=default\nIsRelative=1\nPath=t3st.default\n") > 0 &&
           store.open(QIODevice::WriteOnly) && store.write(MozLz4(json)) > 0 &&
           QFile::link(QStringLiteral("127.0.1.1:+%1").arg(pid), profile + QStringLiteral("/lock"));
}

QStringList Listed(const QString& home) {
    RunningBrowsers browsers(home);
    browsers.Refresh();
    QStringList rows;
    for (const BrowserPage& page : browsers.Pages())
        rows << page.title + QLatin1Char('\t') + page.url;
    rows.sort();
    return rows;
}

} // namespace BrowserTestFiles
