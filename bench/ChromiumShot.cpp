#include "ChromiumShot.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>

ChromiumShot::~ChromiumShot() {
    Stop();
}

bool ChromiumShot::Available() {
    return QFileInfo(QString::fromLatin1(kChromium)).isExecutable();
}

bool ChromiumShot::Start(int width) {
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
        return false;
    const int child = fds[1];
    // The browser reads commands from descriptor 3 and writes replies to 4: both our socket.
    m_process.setChildProcessModifier([child] {
        dup2(child, 3);
        dup2(child, 4);
    });
    m_process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start(QString::fromLatin1(kChromium),
                    {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
                     QStringLiteral("--disable-gpu"), QStringLiteral("--no-first-run"),
                     QStringLiteral("--disable-background-networking"),
                     QStringLiteral("--hide-scrollbars"), QStringLiteral("--remote-debugging-pipe"),
                     QStringLiteral("--user-data-dir=") + m_profile.path(),
                     QStringLiteral("--window-size=%1,800").arg(width),
                     QStringLiteral("about:blank")});
    const bool started = m_process.waitForStarted(10000);
    ::close(child);
    if (!started || !m_socket.setSocketDescriptor(fds[0])) {
        ::close(fds[0]);
        return false;
    }
    QJsonObject targets;
    if (!Call(QStringLiteral("Target.getTargets"), {}, &targets))
        return false;
    QString target;
    for (const QJsonValue& t : targets.value(QStringLiteral("targetInfos")).toArray())
        if (t.toObject().value(QStringLiteral("type")).toString() == QStringLiteral("page"))
            target = t.toObject().value(QStringLiteral("targetId")).toString();
    QJsonObject attached;
    if (target.isEmpty() ||
        !Call(QStringLiteral("Target.attachToTarget"),
              {{QStringLiteral("targetId"), target}, {QStringLiteral("flatten"), true}}, &attached))
        return false;
    m_strSession = attached.value(QStringLiteral("sessionId")).toString();
    QJsonObject ignored;
    return !m_strSession.isEmpty() && Call(QStringLiteral("Page.enable"), {}, &ignored) &&
           Call(QStringLiteral("Emulation.setDeviceMetricsOverride"),
                {{QStringLiteral("width"), width},
                 {QStringLiteral("height"), 800},
                 {QStringLiteral("deviceScaleFactor"), 1},
                 {QStringLiteral("mobile"), false}},
                &ignored);
}

void ChromiumShot::Stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    QJsonObject ignored;
    m_strSession.clear();
    Call(QStringLiteral("Browser.close"), {}, &ignored, 3000);
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

ChromiumShot::Result ChromiumShot::Shoot(const QString& url, int width) {
    Result r;
    if (!Start(width)) {
        r.error = QStringLiteral("chromium did not start");
        return r;
    }
    QJsonObject reply;
    m_messages.clear(); // the blank page's own load events
    if (!Call(QStringLiteral("Page.navigate"), {{QStringLiteral("url"), url}}, &reply) ||
        !WaitEvent(QStringLiteral("Page.loadEventFired"), 60000)) {
        r.error = QStringLiteral("the page did not load");
        return r;
    }
    QEventLoop settle;
    QTimer::singleShot(300, &settle, &QEventLoop::quit);
    settle.exec();
    if (!Call(QStringLiteral("Runtime.evaluate"),
              {{QStringLiteral("expression"),
                QStringLiteral("document.documentElement.scrollHeight")},
               {QStringLiteral("returnByValue"), true}},
              &reply)) {
        r.error = QStringLiteral("no height");
        return r;
    }
    r.height =
        reply.value(QStringLiteral("result")).toObject().value(QStringLiteral("value")).toInt();
    const QJsonObject clip{{QStringLiteral("x"), 0},
                           {QStringLiteral("y"), 0},
                           {QStringLiteral("width"), width},
                           {QStringLiteral("height"), r.height},
                           {QStringLiteral("scale"), 1}};
    QElapsedTimer timer;
    timer.start();
    if (!Call(QStringLiteral("Page.captureScreenshot"),
              {{QStringLiteral("format"), QStringLiteral("png")},
               {QStringLiteral("captureBeyondViewport"), true},
               {QStringLiteral("optimizeForSpeed"), true},
               {QStringLiteral("clip"), clip}},
              &reply, 300000)) {
        r.error = QStringLiteral("no screenshot");
        return r;
    }
    r.screenshotMs = timer.nsecsElapsed() / 1e6;
    const QByteArray png =
        QByteArray::fromBase64(reply.value(QStringLiteral("data")).toString().toLatin1());
    timer.restart();
    QImageReader::setAllocationLimit(0); // a whole page is far above the default
    QBuffer buffer(const_cast<QByteArray*>(&png));
    QImageReader reader(&buffer, "PNG");
    const QImage image = reader.read();
    r.decodeMs = timer.nsecsElapsed() / 1e6;
    r.ok = image.width() == width && image.height() == r.height;
    if (!r.ok)
        r.error = QStringLiteral("screenshot %1x%2").arg(image.width()).arg(image.height());
    Stop();
    return r;
}

bool ChromiumShot::Call(const QString& method, const QJsonObject& params, QJsonObject* result,
                        int timeoutMs) {
    const int id = m_nNextId++;
    QJsonObject message{{QStringLiteral("id"), id},
                        {QStringLiteral("method"), method},
                        {QStringLiteral("params"), params}};
    if (!m_strSession.isEmpty() && !method.startsWith(QStringLiteral("Target.")))
        message.insert(QStringLiteral("sessionId"), m_strSession);
    m_socket.write(QJsonDocument(message).toJson(QJsonDocument::Compact) + '\0');
    m_socket.flush();
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        for (qsizetype i = 0; i < m_messages.size(); ++i) {
            if (m_messages.at(i).value(QStringLiteral("id")).toInt() != id)
                continue;
            const QJsonObject reply = m_messages.takeAt(i);
            *result = reply.value(QStringLiteral("result")).toObject();
            return !reply.contains(QStringLiteral("error"));
        }
        if (!ReadMessages(int(timeoutMs - timer.elapsed())))
            return false;
    }
    return false;
}

bool ChromiumShot::WaitEvent(const QString& method, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        for (qsizetype i = 0; i < m_messages.size(); ++i)
            if (m_messages.at(i).value(QStringLiteral("method")).toString() == method) {
                m_messages.removeAt(i);
                return true;
            }
        if (!ReadMessages(int(timeoutMs - timer.elapsed())))
            return false;
    }
    return false;
}

bool ChromiumShot::ReadMessages(int timeoutMs) {
    if (m_socket.state() != QLocalSocket::ConnectedState)
        return false;
    if (m_socket.bytesAvailable() == 0) {
        QEventLoop loop;
        QObject::connect(&m_socket, &QLocalSocket::readyRead, &loop, &QEventLoop::quit);
        QObject::connect(&m_socket, &QLocalSocket::disconnected, &loop, &QEventLoop::quit);
        QTimer::singleShot(std::max(1, timeoutMs), &loop, &QEventLoop::quit);
        loop.exec();
    }
    // A screenshot comes as many megabytes in small reads: only the bytes that arrived are
    // searched for the end of a message, and the finished ones are dropped at once.
    qsizetype from = m_buffer.size();
    m_buffer += m_socket.readAll();
    qsizetype start = 0, end;
    while ((end = m_buffer.indexOf('\0', from)) >= 0) {
        m_messages.append(QJsonDocument::fromJson(m_buffer.sliced(start, end - start)).object());
        start = from = end + 1;
    }
    if (start > 0)
        m_buffer.remove(0, start);
    return m_socket.state() == QLocalSocket::ConnectedState || !m_messages.isEmpty();
}
