#include "imaging/OutputFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

OutputFile::~OutputFile() {
    if (m_fd >= 0)
        Abandon();
}

bool OutputFile::Create(const QString& path) {
    if (m_fd >= 0)
        Abandon();
    m_encodedPath = QFile::encodeName(path);
    m_fd = ::open(m_encodedPath.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
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
    if (m_bFailed) {
        Abandon();
        return false;
    }
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (!closed)
        std::remove(m_encodedPath.constData());
    return closed;
}

void OutputFile::Abandon() {
    if (m_fd < 0)
        return;
    ::close(m_fd);
    m_fd = -1;
    std::remove(m_encodedPath.constData());
}
