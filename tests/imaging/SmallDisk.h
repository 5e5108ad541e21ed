#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <sys/mount.h>

// A tmpfs of the given size (as mount takes it: "128k") on folder while it lives, for writes that
// fill the disk. Mounted() is false where this process may not mount; folder is then plain.
class SmallDisk final {
  public:
    SmallDisk(const QString& folder, const char* size) : m_path(QFile::encodeName(folder)) {
        QDir().mkpath(folder);
        const QByteArray options = QByteArray("size=") + size;
        m_bMounted = ::mount("tmpfs", m_path.constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallDisk() {
        if (m_bMounted)
            ::umount2(m_path.constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool Mounted() const { return m_bMounted; }

  private:
    QByteArray m_path;
    bool m_bMounted = false;
};
