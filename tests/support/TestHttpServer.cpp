#include "tests/support/TestHttpServer.h"

#include <QHostAddress>
#include <QTcpSocket>

TestHttpServer::TestHttpServer(QObject* parent) : QTcpServer(parent) {
    listen(QHostAddress::LocalHost);
    connect(this, &QTcpServer::newConnection, this, &TestHttpServer::OnConnection);
}

void TestHttpServer::AddFile(const QByteArray& path, const QByteArray& body,
                             const QByteArray& type) {
    m_files.insert(path, File{body, type});
}

QString TestHttpServer::Url(const QString& path, const QString& host) const {
    return QStringLiteral("http://%1:%2%3").arg(host).arg(serverPort()).arg(path);
}

void TestHttpServer::OnConnection() {
    while (QTcpSocket* socket = nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            const QByteArray request = socket->peek(socket->bytesAvailable());
            if (!request.contains("\r\n\r\n"))
                return;
            socket->readAll();
            const QList<QByteArray> line = request.left(request.indexOf("\r\n")).split(' ');
            const QByteArray path = line.size() > 1 ? line.at(1) : QByteArray();
            m_requested.append(path);
            const auto it = m_files.constFind(path);
            const QByteArray status = it != m_files.constEnd() ? "200 OK" : "404 Not Found";
            const File file = it != m_files.constEnd() ? *it : File{"", "text/plain"};
            socket->write("HTTP/1.1 " + status + "\r\nContent-Type: " + file.type +
                          "\r\nContent-Length: " + QByteArray::number(file.body.size()) +
                          "\r\nConnection: close\r\n\r\n" + file.body);
            socket->disconnectFromHost();
        });
    }
}
