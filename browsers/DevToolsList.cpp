#include "browsers/DevToolsList.h"

#include "imaging/BoundedFile.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>

namespace {
constexpr qint64 kMaxPortFileBytes = 4096;
constexpr qsizetype kMaxHeaderBytes = 16 * 1024;

// The Content-Length of a header block, or -1 when it has none.
qint64 ContentLength(const QByteArray& headers) {
    for (const QByteArray& line : headers.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 &&
            line.left(colon).trimmed().compare("content-length", Qt::CaseInsensitive) == 0) {
            bool ok = false;
            const qint64 n = line.mid(colon + 1).trimmed().toLongLong(&ok);
            return ok && n >= 0 ? n : -1;
        }
    }
    return -1;
}

// True once the response is whole: its headers and as many body bytes as they announce.
bool ResponseComplete(const QByteArray& data) {
    const qsizetype end = data.indexOf("\r\n\r\n");
    if (end < 0)
        return false;
    const qint64 length = ContentLength(data.left(end));
    return length >= 0 && data.size() - (end + 4) >= length;
}
} // namespace

quint16 DevToolsList::ActivePort(const QString& userDataDir) {
    QByteArray text;
    if (!BoundedFile::Read(QDir(userDataDir).filePath(QStringLiteral("DevToolsActivePort")),
                           kMaxPortFileBytes, &text))
        return 0;
    return PortFromText(text);
}

quint16 DevToolsList::PortFromText(const QByteArray& text) {
    bool ok = false;
    const uint port = text.left(text.indexOf('\n')).trimmed().toUInt(&ok);
    return ok && port > 0 && port <= 65535 ? quint16(port) : 0;
}

bool DevToolsList::Fetch(quint16 port, BrowserPageList* pages, int timeoutMs) {
    if (port == 0)
        return false;
    // A blocking socket with one deadline: the dialog waits at most timeoutMs in all, and no
    // event loop runs meanwhile (nothing else of the program can happen in between).
    const QDeadlineTimer deadline(timeoutMs);
    QTcpSocket socket;
    socket.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return false;
    socket.write("GET /json/list HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
                 "\r\nConnection: close\r\n\r\n");
    QByteArray response;
    while (!deadline.hasExpired() && response.size() <= kMaxBytes) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(int(deadline.remainingTime())))
            break; // closed by the browser, or out of time
        response += socket.read(kMaxBytes + 1 - response.size());
        if (ResponseComplete(response))
            break;
    }
    socket.abort();
    QByteArray body;
    return response.size() <= kMaxBytes && ResponseBody(response, &body) && ParseList(body, pages);
}

bool DevToolsList::ResponseBody(const QByteArray& response, QByteArray* body) {
    const qsizetype end = response.indexOf("\r\n\r\n");
    if (end < 0 || end > kMaxHeaderBytes)
        return false;
    const QByteArray headers = response.left(end);
    const QList<QByteArray> status = headers.left(headers.indexOf("\r\n")).split(' ');
    if (status.size() < 2 || !status.at(0).startsWith("HTTP/1.") || status.at(1) != "200")
        return false;
    const qint64 length = ContentLength(headers);
    const QByteArray rest = response.mid(end + 4);
    // Without a length the body runs to the close; with one it must all be there.
    if (length >= 0 && rest.size() < length)
        return false;
    *body = length >= 0 ? rest.left(length) : rest;
    return true;
}

bool DevToolsList::ParseList(const QByteArray& json, BrowserPageList* pages) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray())
        return false;
    for (const QJsonValue& value : doc.array()) {
        const QJsonObject target = value.toObject();
        if (target.value(QLatin1String("type")).toString() != QLatin1String("page"))
            continue;
        const QString url = target.value(QLatin1String("url")).toString();
        if (!url.isEmpty())
            pages->append(BrowserPage{target.value(QLatin1String("title")).toString(), url});
    }
    return true;
}
