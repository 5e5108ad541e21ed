#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QWidget>

// A private CUPS scheduler for the tests: `cupsd -f` with its own configuration, spool, cache,
// state and logs in a temporary folder, listening only on a domain socket there. Starting it
// points this process's CUPS client (CUPS_SERVER, the server root and the user's option file)
// at it; the system's scheduler and printers are never touched.
class CupsTestScheduler final {
  public:
    CupsTestScheduler() = default;
    ~CupsTestScheduler();
    CupsTestScheduler(const CupsTestScheduler&) = delete;
    CupsTestScheduler& operator=(const CupsTestScheduler&) = delete;

    // The one scheduler of the test program, started on first use; Error() says why not.
    static CupsTestScheduler& Shared();

    bool IsRunning() const { return m_process.state() == QProcess::Running; }
    QString Error() const { return m_strError; }
    QString SocketPath() const { return m_dir.filePath(QStringLiteral("cups.sock")); }

    // A raw queue (documents pass unchanged) whose device is socket://127.0.0.1:port.
    bool AddRawQueue(const QString& name, quint16 port);
    // Runs a CUPS command-line tool against this scheduler; false with Error() on failure.
    bool RunTool(const QString& program, const QStringList& args);

    // Ends the scheduler; the test program does it before its application goes away.
    void Stop();

  private:
    bool Start();
    bool WriteConfig();
    bool WaitUntilListening();

    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_strError;
};

// The printer end of a raw queue: listens on 127.0.0.1 and keeps each connection's bytes as
// one received job.
class JobReceiver final : public QObject {
    Q_OBJECT

  public:
    JobReceiver();
    quint16 Port() const { return m_server.serverPort(); }
    const QList<QByteArray>& Jobs() const { return m_jobs; }
    void Clear() { m_jobs.clear(); }

  private:
    QTcpServer m_server;
    QList<QByteArray> m_jobs;
};

// Renders the pages of a PDF with pdftoppm at dpi; empty list when it fails.
QList<QImage> RenderPdf(const QByteArray& pdf, int dpi);
