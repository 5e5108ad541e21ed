#include "tests/support/WaylandSession.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QStandardPaths>

namespace {

constexpr char kSocket[] = "zelvane-test";

} // namespace

bool WaylandSession::Available() {
    return !QStandardPaths::findExecutable(QStringLiteral("weston")).isEmpty() &&
           QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                             QStringLiteral("/platforms/libqwayland-generic.so"));
}

WaylandSession::~WaylandSession() {
    if (m_compositor.state() == QProcess::NotRunning)
        return;
    m_compositor.terminate();
    if (!m_compositor.waitForFinished(5000)) {
        m_compositor.kill();
        m_compositor.waitForFinished(5000);
    }
}

bool WaylandSession::Start(int timeoutMs) {
    if (!m_runtime.isValid()) {
        m_strError = QStringLiteral("no temporary folder for the compositor");
        return false;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("DISPLAY"));
    m_compositor.setProcessEnvironment(env);
    // Its log is of no use here, and unread it would fill the pipe and stop it.
    m_compositor.setProcessChannelMode(QProcess::MergedChannels);
    m_compositor.setStandardOutputFile(QProcess::nullDevice());
    m_compositor.start(QStringLiteral("weston"),
                       {QStringLiteral("--backend=headless-backend.so"),
                        QStringLiteral("--socket=") + QLatin1String(kSocket),
                        QStringLiteral("--idle-time=0")});
    // Weston makes its socket once it accepts clients.
    const QString socket = m_runtime.filePath(QLatin1String(kSocket));
    QDeadlineTimer deadline(timeoutMs);
    while (!QFileInfo(socket).exists() && !deadline.hasExpired() &&
           m_compositor.state() != QProcess::NotRunning) {
        m_compositor.waitForFinished(50); // returns early only when it ended
    }
    if (!QFileInfo(socket).exists()) {
        m_strError = QStringLiteral("weston did not start");
        return false;
    }
    return true;
}

void WaylandSession::AddTo(QProcessEnvironment* env) const {
    env->insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    env->insert(QStringLiteral("WAYLAND_DISPLAY"), QLatin1String(kSocket));
}
