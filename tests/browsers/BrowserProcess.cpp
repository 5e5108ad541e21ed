#include "tests/browsers/BrowserProcess.h"

BrowserProcess::BrowserProcess(const QString& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    // Everything the browser keeps goes under the test's home, nowhere else.
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("MOZ_CRASHREPORTER_DISABLE"), QStringLiteral("1"));
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.setStandardOutputFile(QProcess::nullDevice());
}

BrowserProcess::~BrowserProcess() {
    Stop();
}

bool BrowserProcess::Start(const QString& program, const QStringList& arguments) {
    m_process.start(program, arguments);
    return m_process.waitForStarted(10000);
}

bool BrowserProcess::Stop() {
    if (m_process.state() == QProcess::NotRunning)
        return true;
    m_process.terminate();
    if (m_process.waitForFinished(20000))
        return true;
    m_process.kill();
    m_process.waitForFinished(5000);
    return false;
}
