// Feeds each input to the profile lock readers as the target of a lock link (Firefox's "lock",
// Chromium's "SingletonLock"), decoded as a link's target is, and asks after the process.
#include "browsers/ProfileLock.h"

#include <QFile>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString target =
        QFile::decodeName(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    QString host;
    // Signal 0 only asks whether the process is there.
    ProfileLock::IsProcessAlive(ProfileLock::FirefoxLockPid(target));
    ProfileLock::IsProcessAlive(ProfileLock::ChromiumLockPid(target, &host));
    return 0;
}
