#include "imaging/StagedFiles.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

StagedFiles::StagedFiles(const QString& folder) : m_strFolder(folder) {}

StagedFiles::~StagedFiles() {
    if (!m_bCommitted)
        Discard();
}

QString StagedFiles::Stage(const QString& target) {
    const QByteArray encoded = QFile::encodeName(target);
    struct stat st;
    const bool exists = ::lstat(encoded.constData(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return {};
    }
    if (m_stagingFolder.isEmpty()) {
        QByteArray pattern = QFile::encodeName(m_strFolder + QStringLiteral("/.saving-XXXXXX"));
        if (!::mkdtemp(pattern.data()))
            return {};
        m_stagingFolder = pattern;
    }
    const QByteArray staged =
        m_stagingFolder + '/' + QFile::encodeName(QFileInfo(target).fileName());
    m_entries.append({target, encoded, staged, exists});
    return QFile::decodeName(staged);
}

bool StagedFiles::Commit() {
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (::rename(m_entries[i].staged.constData(), m_entries[i].encodedTarget.constData()) == 0)
            continue;
        const int reason = errno;
        m_strFailedTarget = m_entries[i].target;
        // The new files that are already in place go again; replaced ones cannot come back.
        for (qsizetype done = 0; done < i; ++done) {
            if (!m_entries[done].replaces)
                ::unlink(m_entries[done].encodedTarget.constData());
        }
        m_entries.remove(0, i);
        Discard();
        errno = reason;
        return false;
    }
    m_bCommitted = true;
    ::rmdir(m_stagingFolder.constData());
    return true;
}

QStringList StagedFiles::Targets() const {
    QStringList targets;
    if (m_bCommitted) {
        for (const Entry& entry : m_entries)
            targets.append(entry.target);
    }
    return targets;
}

void StagedFiles::Discard() {
    // A writer that failed has removed its own file already; errno still tells why.
    const int reason = errno;
    for (const Entry& entry : std::as_const(m_entries))
        ::unlink(entry.staged.constData());
    m_entries.clear();
    if (!m_stagingFolder.isEmpty())
        ::rmdir(m_stagingFolder.constData());
    errno = reason;
}
