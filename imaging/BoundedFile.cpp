#include "imaging/BoundedFile.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool BoundedFile::Open(const QString& path, qint64 maxBytes, QFile* file) {
    const QByteArray native = QFile::encodeName(path);
    // Asked by name first, so that no device is even opened (opening some has effects) ...
    struct stat named {};
    if (native.isEmpty() || ::stat(native.constData(), &named) != 0 || !S_ISREG(named.st_mode))
        return false;
    // ... and again of what was opened, in case the name was switched in between. O_NONBLOCK
    // keeps the open of a pipe from waiting for a writer; a regular file reads as usual with it.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_size > maxBytes ||
        !file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

bool BoundedFile::Read(const QString& path, qint64 maxBytes, QByteArray* bytes) {
    QFile file;
    if (!Open(path, maxBytes, &file))
        return false;
    // Room for what the file holds, not for the cap: a read allocates all it may receive, and
    // F8 reads every session file at each refresh. A file that grew meanwhile is read on, to one
    // byte more than allowed, so that it is refused rather than cut.
    const qint64 size = file.size();
    QByteArray data = file.read(size + 1);
    if (data.size() > size && file.error() == QFileDevice::NoError)
        data += file.read(maxBytes + 1 - data.size());
    if (data.size() > maxBytes || file.error() != QFileDevice::NoError)
        return false;
    *bytes = std::move(data);
    return true;
}
