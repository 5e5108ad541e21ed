#include "tests/support/XDisplaySession.h"

#include <algorithm>

#include <QDeadlineTimer>
#include <QProcessEnvironment>
#include <QStandardPaths>

namespace {

void StopProcess(QProcess& process) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

} // namespace

bool XDisplaySession::Available(bool withWindowManager) {
    return !QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() &&
           (!withWindowManager ||
            (!QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty() &&
             !QStandardPaths::findExecutable(QStringLiteral("xprop")).isEmpty()));
}

XDisplaySession::~XDisplaySession() {
    StopProcess(m_windowManager);
    StopProcess(m_server);
}

bool XDisplaySession::Start(bool withWindowManager, int timeoutMs) {
    // -displayfd: the server takes the first free display and writes its number once it
    // accepts clients.
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                    QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    QDeadlineTimer deadline(timeoutMs);
    while (!m_server.canReadLine() && m_server.state() != QProcess::NotRunning &&
           !deadline.hasExpired())
        m_server.waitForReadyRead(100);
    const QString number = QString::fromLatin1(m_server.readLine()).trimmed();
    if (number.isEmpty()) {
        m_strError = QStringLiteral("Xvfb did not start");
        return false;
    }
    m_strDisplay = QLatin1Char(':') + number;
    if (!withWindowManager)
        return true;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_strDisplay);
    m_windowManager.setProcessEnvironment(env);
    m_windowManager.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    return WaitForWindowManager(int(deadline.remainingTime()));
}

bool XDisplaySession::WaitForWindowManager(int timeoutMs) {
    // A window manager that follows the desktop conventions announces itself on the root
    // window once it manages the screen.
    QDeadlineTimer deadline(std::max(timeoutMs, 1000));
    while (!deadline.hasExpired()) {
        QProcess xprop;
        xprop.start(QStringLiteral("xprop"),
                    {QStringLiteral("-display"), m_strDisplay, QStringLiteral("-root"),
                     QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
        xprop.waitForFinished(5000);
        if (xprop.readAllStandardOutput().contains("window id"))
            return true;
        if (m_windowManager.state() == QProcess::NotRunning)
            break;
        m_windowManager.waitForFinished(100); // returns early only when it ended
    }
    m_strError = QStringLiteral("openbox did not take the screen");
    return false;
}
