#include "tests/review/CupsTestScheduler.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLocalSocket>
#include <QTcpSocket>
#include <QTest>

#include <cups/cups.h>

#include <csignal>
#include <sys/prctl.h>

namespace {

constexpr int kStartTimeoutMs = 15000;

QString ReadLog(const QString& path) {
    QFile log(path);
    return log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll().right(2000))
                                         : QString();
}

} // namespace

CupsTestScheduler::~CupsTestScheduler() {
    Stop();
}

CupsTestScheduler& CupsTestScheduler::Shared() {
    static CupsTestScheduler scheduler;
    static const bool started = scheduler.Start();
    Q_UNUSED(started);
    return scheduler;
}

bool CupsTestScheduler::WriteConfig() {
    const QString root = m_dir.path();
    for (const char* sub : {"spool", "spool/tmp", "cache", "state", "log", "home"})
        QDir(root).mkpath(QString::fromLatin1(sub));
    // The scheduler runs its backends as its own unprivileged user, who must reach the spool.
    QFile::setPermissions(root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                    QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                    QFile::ExeOther);
    const QString conf = QStringLiteral("LogLevel info\n"
                                        "Listen %1\n"
                                        "Browsing No\n"
                                        "WebInterface No\n"
                                        "DefaultAuthType None\n"
                                        "<Location />\n  Order allow,deny\n  Allow all\n"
                                        "</Location>\n"
                                        "<Policy default>\n  <Limit All>\n"
                                        "    Order allow,deny\n    Allow all\n"
                                        "  </Limit>\n</Policy>\n")
                             .arg(SocketPath());
    const QString files = QStringLiteral("ServerRoot %1\n"
                                         "RequestRoot %1/spool\n"
                                         "TempDir %1/spool/tmp\n"
                                         "CacheDir %1/cache\n"
                                         "StateDir %1/state\n"
                                         "AccessLog %1/log/access_log\n"
                                         "ErrorLog %1/log/error_log\n"
                                         "PageLog %1/log/page_log\n"
                                         "Printcap %1/printcap\n"
                                         "Sandboxing relaxed\n")
                              .arg(root);
    QFile a(m_dir.filePath(QStringLiteral("cupsd.conf")));
    QFile b(m_dir.filePath(QStringLiteral("cups-files.conf")));
    return a.open(QIODevice::WriteOnly) && a.write(conf.toLocal8Bit()) > 0 &&
           b.open(QIODevice::WriteOnly) && b.write(files.toLocal8Bit()) > 0;
}

bool CupsTestScheduler::Start() {
    if (!m_dir.isValid() || !WriteConfig()) {
        m_strError = QStringLiteral("cannot write the scheduler's configuration");
        return false;
    }
    // Every CUPS client in this process (Qt's print support included) and the tools use this
    // scheduler; the user's option file goes to the temporary home.
    qputenv("CUPS_SERVER", SocketPath().toLocal8Bit());
    qputenv("CUPS_SERVERROOT", m_dir.path().toLocal8Bit());
    qputenv("HOME", m_dir.filePath(QStringLiteral("home")).toLocal8Bit());
    cupsSetServer(nullptr);

    m_process.setProcessChannelMode(QProcess::MergedChannels);
    // The scheduler ends with the test program even when the program dies.
    m_process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process.start(QStringLiteral("cupsd"),
                    {QStringLiteral("-f"), QStringLiteral("-c"),
                     m_dir.filePath(QStringLiteral("cupsd.conf")), QStringLiteral("-s"),
                     m_dir.filePath(QStringLiteral("cups-files.conf"))});
    if (!m_process.waitForStarted(kStartTimeoutMs)) {
        m_strError = QStringLiteral("cupsd could not be started (%1); is cups-daemon installed?")
                         .arg(m_process.errorString());
        return false;
    }
    return WaitUntilListening();
}

bool CupsTestScheduler::WaitUntilListening() {
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!deadline.hasExpired()) {
        if (m_process.state() != QProcess::Running) {
            m_strError = QStringLiteral("cupsd stopped: %1 %2")
                             .arg(QString::fromLocal8Bit(m_process.readAll()),
                                  ReadLog(m_dir.filePath(QStringLiteral("log/error_log"))));
            return false;
        }
        QLocalSocket probe;
        probe.connectToServer(SocketPath());
        if (probe.waitForConnected(200))
            return true;
        QTest::qWait(50);
    }
    m_strError = QStringLiteral("cupsd did not listen on %1 in time: %2")
                     .arg(SocketPath(), ReadLog(m_dir.filePath(QStringLiteral("log/error_log"))));
    return false;
}

void CupsTestScheduler::Stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool CupsTestScheduler::RunTool(const QString& program, const QStringList& args) {
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(program, QStringList{QStringLiteral("-h"), SocketPath()} + args);
    if (!tool.waitForFinished(30000) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0) {
        m_strError = program + u' ' + args.join(u' ') + QStringLiteral(": ") +
                     QString::fromLocal8Bit(tool.readAll());
        return false;
    }
    return true;
}

bool CupsTestScheduler::AddRawQueue(const QString& name, quint16 port) {
    return RunTool(QStringLiteral("lpadmin"),
                   {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                    QStringLiteral("socket://127.0.0.1:%1").arg(port), QStringLiteral("-m"),
                    QStringLiteral("raw")});
}

JobReceiver::JobReceiver() {
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            auto* data = new QByteArray;
            connect(socket, &QTcpSocket::readyRead, socket,
                    [socket, data] { data->append(socket->readAll()); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket, data] {
                data->append(socket->readAll());
                m_jobs << *data;
                delete data;
                socket->deleteLater();
            });
        }
    });
    m_server.listen(QHostAddress::LocalHost, 0);
}

QList<QImage> RenderPdf(const QByteArray& pdf, int dpi) {
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("job.pdf")));
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size())
        return {};
    file.close();
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                  file.fileName(), dir.filePath(QStringLiteral("sheet"))});
    if (!render.waitForFinished(60000) || render.exitCode() != 0)
        return {};
    QList<QImage> sheets;
    const QStringList names =
        QDir(dir.path()).entryList({QStringLiteral("sheet*.png")}, QDir::Files, QDir::Name);
    for (const QString& name : names)
        sheets << QImage(dir.filePath(name)).convertToFormat(QImage::Format_RGB32);
    return sheets;
}
