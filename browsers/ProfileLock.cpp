#include "browsers/ProfileLock.h"

#include "browsers/BrowserFiles.h"

#include <QDir>
#include <QSysInfo>

#include <cerrno>
#include <climits>

#include <signal.h>

namespace {
qint64 ParsePid(QStringView text) {
    bool ok = false;
    const qint64 pid = text.toLongLong(&ok);
    return ok && pid > 0 && pid <= INT_MAX ? pid : 0;
}
} // namespace

qint64 ProfileLock::FirefoxLockPid(const QString& target) {
    const qsizetype at = target.lastIndexOf(QStringLiteral(":+"));
    return at < 0 ? 0 : ParsePid(QStringView(target).mid(at + 2));
}

qint64 ProfileLock::ChromiumLockPid(const QString& target, QString* host) {
    // The host name may itself hold dashes; the process id follows the last one.
    const qsizetype at = target.lastIndexOf(QLatin1Char('-'));
    if (at <= 0)
        return 0;
    *host = target.left(at);
    return ParsePid(QStringView(target).mid(at + 1));
}

bool ProfileLock::IsProcessAlive(qint64 pid) {
    if (pid <= 0 || pid > INT_MAX)
        return false;
    // Signal 0 only asks; a process of another user answers EPERM and is alive all the same.
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

bool ProfileLock::FirefoxRuns(const QString& profileDir) {
    const QString target =
        BrowserFiles::ReadLink(QDir(profileDir).filePath(QStringLiteral("lock")));
    return IsProcessAlive(FirefoxLockPid(target));
}

bool ProfileLock::ChromiumRuns(const QString& userDataDir) {
    const QString target =
        BrowserFiles::ReadLink(QDir(userDataDir).filePath(QStringLiteral("SingletonLock")));
    QString host;
    const qint64 pid = ChromiumLockPid(target, &host);
    return pid != 0 && host == QSysInfo::machineHostName() && IsProcessAlive(pid);
}
