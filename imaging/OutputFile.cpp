#include "imaging/OutputFile.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

constexpr int kRandomChars = 12;
constexpr int kAttempts = 100;

// ".NAME.RANDOM.tmp" in the target's folder: the rename stays within one file system, and a
// file left by a crash says whose it was. A long NAME is shortened to keep within NAME_MAX.
QByteArray TemporaryName(const QByteArray& target) {
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    const qsizetype slash = target.lastIndexOf('/');
    QByteArray random(kRandomChars, '\0');
    for (char& c : random)
        c = kChars[QRandomGenerator::system()->bounded(int(sizeof kChars - 1))];
    const QByteArray tail = '.' + random + ".tmp";
    const QByteArray name = target.mid(slash + 1).left(NAME_MAX - 1 - tail.size());
    return target.left(slash + 1) + '.' + name + tail;
}

} // namespace

OutputFile::~OutputFile() {
    if (m_fd >= 0)
        Abandon();
}

bool OutputFile::Create(const QString& path) {
    if (m_fd >= 0)
        Abandon();
    m_bFailed = true;
    m_target = QFile::encodeName(path);
    if (m_target.isEmpty()) {
        errno = ENOENT;
        return false;
    }
    // What the final rename would refuse is refused now, before a whole file is written.
    struct stat st;
    const bool exists = ::lstat(m_target.constData(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return false;
    }
    if (!exists && errno != ENOENT)
        return false; // a name too long, a file where a folder should be
    // Made exclusively: never an existing file, never through a link. The mode is a plain
    // create's, 0666 less the umask.
    for (int attempt = 0; attempt < kAttempts && m_fd < 0; ++attempt) {
        m_temporary = TemporaryName(m_target);
        m_fd = ::open(m_temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      0666);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    m_bFailed = m_fd < 0;
    return !m_bFailed;
}

bool OutputFile::Write(const void* data, size_t bytes) {
    iovec piece{const_cast<void*>(data), bytes};
    return WriteGather(&piece, 1);
}

bool OutputFile::WriteGather(const iovec* pieces, int count) {
    if (m_fd < 0 || m_bFailed)
        return false;
    // A copy that can be advanced past what a short write took.
    std::vector<iovec> left(pieces, pieces + count);
    size_t first = 0;
    while (first < left.size()) {
        const int batch = int(std::min<size_t>(left.size() - first, IOV_MAX));
        const ssize_t written = ::writev(m_fd, left.data() + first, batch);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            m_bFailed = true; // full disk, file size limit, I/O error
            return false;
        }
        size_t n = size_t(written);
        while (first < left.size() && n >= left[first].iov_len)
            n -= left[first++].iov_len;
        if (n > 0) {
            left[first].iov_base = static_cast<char*>(left[first].iov_base) + n;
            left[first].iov_len -= n;
        }
        while (first < left.size() && left[first].iov_len == 0)
            ++first;
    }
    return true;
}

bool OutputFile::Finish() {
    if (m_fd < 0)
        return false;
    // On disk before the rename: after a crash the target is the old file or the whole new one.
    if (m_bFailed || ::fsync(m_fd) != 0) {
        Abandon();
        return false;
    }
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (!closed || ::rename(m_temporary.constData(), m_target.constData()) != 0) {
        RemoveTemporary();
        return false;
    }
    return true;
}

void OutputFile::Abandon() {
    if (m_fd < 0)
        return;
    const int reason = errno;
    ::close(m_fd);
    m_fd = -1;
    RemoveTemporary();
    errno = reason;
}

void OutputFile::RemoveTemporary() {
    // The caller reports the failure that brought it here, not this call's.
    const int reason = errno;
    ::unlink(m_temporary.constData());
    errno = reason;
}
