#include "tests/toolkit/WestonSession.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QStandardPaths>

bool WestonSession::Available() {
    const QString plugins = QLibraryInfo::path(QLibraryInfo::PluginsPath);
    return !QStandardPaths::findExecutable(QStringLiteral("weston")).isEmpty() &&
           QFile::exists(plugins + QStringLiteral("/platforms/libqwayland-generic.so"));
}

WestonSession::~WestonSession() {
    if (m_compositor.state() == QProcess::NotRunning)
        return;
    m_compositor.terminate();
    if (!m_compositor.waitForFinished(5000)) {
        m_compositor.kill();
        m_compositor.waitForFinished(5000);
    }
}

bool WestonSession::Start(int timeoutMs) {
    if (!m_runtime.isValid()) {
        m_strError = QStringLiteral("no runtime folder");
        return false;
    }
    // The compositor refuses a runtime folder others may read.
    QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_strSocket = QStringLiteral("zelvane-test-%1").arg(QCoreApplication::applicationPid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    for (const char* name : {"WAYLAND_DISPLAY", "WAYLAND_SOCKET", "DISPLAY"})
        env.remove(QString::fromLatin1(name));
    m_compositor.setProcessEnvironment(env);
    m_compositor.setProcessChannelMode(QProcess::MergedChannels);
    m_compositor.start(QStringLiteral("weston"),
                       {QStringLiteral("--backend=headless-backend.so"),
                        QStringLiteral("--socket=") + m_strSocket, QStringLiteral("--no-config"),
                        QStringLiteral("--idle-time=0"), QStringLiteral("--width=1280"),
                        QStringLiteral("--height=1024")});
    const QString socket = QDir(m_runtime.path()).filePath(m_strSocket);
    QDeadlineTimer deadline(timeoutMs);
    while (!QFile::exists(socket) && m_compositor.state() != QProcess::NotRunning &&
           !deadline.hasExpired())
        m_compositor.waitForFinished(100); // returns early only when it ended
    if (QFile::exists(socket))
        return true;
    m_strError = QStringLiteral("weston did not start: ") +
                 QString::fromLocal8Bit(m_compositor.readAll()).right(2000);
    return false;
}

QProcessEnvironment WestonSession::ClientEnvironment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), m_strSocket);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    env.remove(QStringLiteral("DISPLAY"));
    return env;
}
