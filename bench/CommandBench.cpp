// The command line's cost: one run of 20 captures of a 1200 x 5000 page against one start of
// the engine plus 20 times the walk's capture figure for the same page, served on 127.0.0.1.
#include "tests/support/TestHttpServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kWidth = 1200;
constexpr int kHeight = 5000;
constexpr int kBand = 200;
constexpr int kCaptures = 20;
constexpr double kAllowance = 1.2;
constexpr int kRunMs = 600000;

QByteArray BandsPage() {
    QString html = QStringLiteral("<!doctype html><meta charset=utf-8><body style=margin:0>");
    for (int y = 0, i = 0; y < kHeight; y += kBand, ++i)
        html += QStringLiteral("<div style=\"width:%1px;height:%2px;background:hsl(%3,60%,80%)\">"
                               "<h2 style=margin:0>구간 %4</h2></div>")
                    .arg(kWidth)
                    .arg(kBand)
                    .arg((i * 37) % 360)
                    .arg(i);
    return html.toUtf8();
}

// Runs a program of this build to its end; its wall time in ms and its output, -1 on failure.
double RunTimed(const QString& name, const QStringList& args, QString* output = nullptr) {
    QProcess process;
    QSignalSpy finished(&process, &QProcess::finished);
    QElapsedTimer timer;
    timer.start();
    process.start(QCoreApplication::applicationDirPath() + QLatin1Char('/') + name, args);
    // The event loop runs meanwhile: the pages are served from this process.
    if (!finished.wait(kRunMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        std::printf("%s failed: %s\n", qPrintable(name),
                    process.readAllStandardError().constData());
        process.kill();
        process.waitForFinished();
        return -1;
    }
    const double ms = timer.nsecsElapsed() / 1e6;
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput());
    return ms;
}

// The walk's own capture figure ("capture W H MS"), best of two walks.
double WalkCaptureMs(const QString& url) {
    double best = -1;
    for (int round = 0; round < 2; ++round) {
        QTemporaryDir out;
        QString printed;
        if (RunTimed(QStringLiteral("zelvane-walk"),
                     {QStringLiteral("--url"), url, QStringLiteral("--out"), out.path()},
                     &printed) < 0)
            return -1;
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("^capture (\\d+) (\\d+) (\\d+)$"),
                               QRegularExpression::MultilineOption)
                .match(printed);
        if (!m.hasMatch() || m.captured(2).toInt() != kHeight)
            return -1;
        const double ms = m.captured(3).toDouble();
        best = best < 0 ? ms : std::min(best, ms);
    }
    return best;
}

// One run of the command with `count` captures of url into dir; its wall time in ms.
double CommandMs(const QString& url, int count, const QString& dir, const QString& ending) {
    QStringList args;
    for (int i = 0; i < count; ++i)
        args << QStringLiteral("--capture") << url << QStringLiteral("--out")
             << QStringLiteral("%1/shot%2.%3").arg(dir).arg(i).arg(ending);
    return RunTimed(QStringLiteral("zelvane"), args);
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestHttpServer server;
    server.AddFile("/bands.html", BandsPage(), "text/html; charset=utf-8");
    server.AddFile("/tiny.html", "<!doctype html><p>tiny", "text/html");
    const QString url = server.Url(QStringLiteral("/bands.html"));

    const double walk = WalkCaptureMs(url);
    QTemporaryDir dir;
    // One start of the engine: a run that captures one tiny page.
    const double start =
        CommandMs(server.Url(QStringLiteral("/tiny.html")), 1, dir.path(), QStringLiteral("bmp"));
    if (walk < 0 || start < 0)
        return 1;
    std::printf("walk capture %d x %d: %.1f ms; command start (one tiny capture): %.1f ms\n",
                kWidth, kHeight, walk, start);
    const double budget = start + kAllowance * kCaptures * walk;
    for (const char* ending : {"bmp", "png"}) {
        const double run = CommandMs(url, kCaptures, dir.path(), QString::fromLatin1(ending));
        if (run < 0)
            return 1;
        std::printf("command, %d captures to .%s in one run: %.1f ms (%.1f ms per capture "
                    "after the start); goal %.1f ms or less: %s\n",
                    kCaptures, ending, run, (run - start) / kCaptures, budget,
                    run <= budget ? "met" : "MISSED");
        std::fflush(stdout);
    }
    return 0;
}
