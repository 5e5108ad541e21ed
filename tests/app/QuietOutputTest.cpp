#include "tests/support/TestHttpServer.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Runs the walk on a text typed as into the address box; all it printed, or "" on a failure.
std::string WalkOutput(const QString& typed, bool consoleWanted) {
    QTemporaryDir out;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // As started from a terminal: the engine set-up is the program's own.
    for (const char* name : {"QTWEBENGINE_DISABLE_SANDBOX", "QTWEBENGINE_CHROMIUM_FLAGS",
                             "QT_LOGGING_RULES", "ZELVANE_JS_CONSOLE"})
        env.remove(QString::fromUtf8(name));
    if (consoleWanted)
        env.insert(QStringLiteral("ZELVANE_JS_CONSOLE"), QStringLiteral("1"));
    QProcess walk;
    walk.setProcessEnvironment(env);
    QSignalSpy finished(&walk, &QProcess::finished);
    walk.start(QCoreApplication::applicationDirPath() + QStringLiteral("/zelvane-walk"),
               {QStringLiteral("--url"), typed, QStringLiteral("--out"), out.path()});
    // The event loop runs meanwhile: the page is served from this process.
    const bool done = finished.wait(180000) && walk.exitCode() == 0;
    if (!done)
        walk.kill();
    walk.waitForFinished();
    return done ? (walk.readAllStandardOutput() + walk.readAllStandardError()).toStdString() : "";
}

} // namespace

// The output holds the walk's own lines only: no start-up complaints of the engine, no console
// messages of the pages unless asked for.
TEST(QuietOutput, WalkPrintsOnlyItsOwnLines) {
    TestHttpServer server;
    server.AddFile("/quiet.html",
                   "<p>quiet<script>console.log('page-log');console.error('page-error')</script>",
                   "text/html");
    const QString typed = QStringLiteral("127.0.0.1:%1/quiet.html").arg(server.serverPort());
    const std::string quiet = WalkOutput(typed, false);
    EXPECT_EQ(quiet.rfind("capture ", 0), 0u) << quiet;
    for (const char* noise : {"WebEngineContext", "No suitable graphics backend", "Sandboxing",
                              "js", "page-", "ERROR", "XDG_RUNTIME_DIR"})
        EXPECT_EQ(quiet.find(noise), std::string::npos) << quiet;

    const std::string asked = WalkOutput(typed, true);
    EXPECT_NE(asked.find("page-log"), std::string::npos) << asked;
    EXPECT_NE(asked.find("page-error"), std::string::npos) << asked;
}
