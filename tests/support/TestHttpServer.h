#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QTcpServer>

// A tiny HTTP server on 127.0.0.1 for the browser tests: serves fixed bodies by path.
class TestHttpServer final : public QTcpServer {
    Q_OBJECT

  public:
    explicit TestHttpServer(QObject* parent = nullptr);

    void AddFile(const QByteArray& path, const QByteArray& body, const QByteArray& type);
    // http://<host>:<port><path>; host 127.0.0.1 or localhost (another origin, same server).
    QString Url(const QString& path, const QString& host = QStringLiteral("127.0.0.1")) const;
    // The path (with its query) of every request so far, in order.
    const QList<QByteArray>& Requested() const { return m_requested; }

  private:
    void OnConnection();

    struct File {
        QByteArray body;
        QByteArray type;
    };
    QHash<QByteArray, File> m_files;
    QList<QByteArray> m_requested;
};
