#include <QApplication>
#include <QDir>

#include <gtest/gtest.h>

#include <unistd.h>

// Every test binary runs with a real QApplication on the offscreen platform, in the build's
// run directory so that relative paths (image/, kvq7.if) resolve as they do for the program.
int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QDir::setCurrent(QStringLiteral(ZELVANE_RUN_DIR));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
