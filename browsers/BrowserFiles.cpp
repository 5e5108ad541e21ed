#include "browsers/BrowserFiles.h"

#include <QFile>

#include <unistd.h>

QString BrowserFiles::ReadLink(const QString& path) {
    char buffer[512];
    const QByteArray native = QFile::encodeName(path);
    const ssize_t n = ::readlink(native.constData(), buffer, sizeof(buffer));
    if (n <= 0 || size_t(n) >= sizeof(buffer))
        return QString();
    return QFile::decodeName(QByteArray(buffer, int(n)));
}
