#pragma once

#include <QString>

// Whether another browser is running on a profile, from the lock link it keeps there while it
// runs. A lock left behind by a browser that ended (or crashed) names a process that is gone.
class ProfileLock final {
  public:
    // A Firefox-family profile folder: its "lock" link reads "ADDRESS:+PID".
    static bool FirefoxRuns(const QString& profileDir);
    // A Chromium-family user-data folder: its "SingletonLock" link reads "HOST-PID"; a lock
    // of another host is a browser this machine cannot see.
    static bool ChromiumRuns(const QString& userDataDir);

    // The process id in a lock link's text; 0 when the text has none.
    static qint64 FirefoxLockPid(const QString& target);
    static qint64 ChromiumLockPid(const QString& target, QString* host);
    static bool IsProcessAlive(qint64 pid);
};
