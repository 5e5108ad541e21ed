#include "browsers/BrowserFiles.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

bool BrowserFiles::ReadBounded(const QString& path, qint64 maxBytes, QByteArray* bytes) {
    // Only regular files: a pipe or device named like a session file must not block the reader.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > maxBytes)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Room for what the file holds, not for the cap: a read allocates all it may receive, and
    // F8 reads every session file at each refresh. A file that grew meanwhile is read on, to one
    // byte more than allowed, so that it is refused rather than cut.
    QByteArray data = file.read(info.size() + 1);
    if (data.size() > info.size() && file.error() == QFileDevice::NoError)
        data += file.read(maxBytes + 1 - data.size());
    if (data.size() > maxBytes || file.error() != QFileDevice::NoError)
        return false;
    *bytes = std::move(data);
    return true;
}

QString BrowserFiles::ReadLink(const QString& path) {
    char buffer[512];
    const QByteArray native = QFile::encodeName(path);
    const ssize_t n = ::readlink(native.constData(), buffer, sizeof(buffer));
    if (n <= 0 || size_t(n) >= sizeof(buffer))
        return QString();
    return QFile::decodeName(QByteArray(buffer, int(n)));
}
