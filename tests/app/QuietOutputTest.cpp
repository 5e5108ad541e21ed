#include "tests/capture/TestHttpServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Runs the walk on text typed as a user would type it and returns all it printed.
QString WalkOutput(const QString& typed, bool consoleWanted, int* exitCode) {
    QTemporaryDir out;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // As the program starts from the terminal: the engine set-up is the program's own.
    env.remove(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"));
    env.remove(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"));
    env.remove(QStringLiteral("QT_LOGGING_RULES"));
    env.remove(QStringLiteral("ZELVANE_JS_CONSOLE"));
    if (consoleWanted)
        env.insert(QStringLiteral("ZELVANE_JS_CONSOLE"), QStringLiteral("1"));
    QProcess walk;
    walk.setProcessEnvironment(env);
    walk.setWorkingDirectory(QDir::currentPath());
    QSignalSpy finished(&walk, &QProcess::finished);
    walk.start(QCoreApplication::applicationDirPath() + QStringLiteral("/zelvane-walk"),
               {QStringLiteral("--url"), typed, QStringLiteral("--out"), out.path()});
    // The event loop runs meanwhile: the page is served from this process.
    if (!finished.wait(180000)) {
        walk.kill();
        walk.waitForFinished();
    }
    *exitCode = walk.exitStatus() == QProcess::NormalExit ? walk.exitCode() : -1;
    return QString::fromUtf8(walk.readAllStandardOutput() + walk.readAllStandardError());
}

} // namespace

// The program's output holds its own lines only: no start-up complaints of the engine, no
// console messages of the pages unless asked for.
TEST(QuietOutput, WalkPrintsOnlyItsOwnLines) {
    TestHttpServer server;
    server.AddFile("/quiet.html",
                   "<title>quiet</title><p>quiet<script>console.log('page-console-line');"
                   "console.error('page-console-error')</script>",
                   "text/html");
    // Typed without a scheme, as into the address box.
    const QString typed = QStringLiteral("127.0.0.1:%1/quiet.html").arg(server.serverPort());
    int exitCode = -1;
    const QString quiet = WalkOutput(typed, false, &exitCode);
    EXPECT_EQ(exitCode, 0) << quiet.toStdString();
    EXPECT_TRUE(quiet.startsWith(QStringLiteral("capture "))) << quiet.toStdString();
    for (const char* noise :
         {"WebEngineContext", "No suitable graphics backend", "Sandboxing disabled",
          "js:", "page-console", "ERROR:", "XDG_RUNTIME_DIR"})
        EXPECT_FALSE(quiet.contains(QString::fromUtf8(noise))) << quiet.toStdString();

    const QString asked = WalkOutput(typed, true, &exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(asked.contains(QStringLiteral("page-console-line"))) << asked.toStdString();
    EXPECT_TRUE(asked.contains(QStringLiteral("page-console-error")));
}
