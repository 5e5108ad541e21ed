#include "app/CZelvaneApp.h"
#include "capture/BrowserControl.h"
#include "tools/walk/WalkOptions.h"
#include "tools/walk/Walker.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>

// zelvane-walk --url URL --out DIR [--select L,T,R,B] [review actions]: the main job, unattended
// and offscreen; see WalkOptions::Usage.
int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    BrowserControl::PrepareEngine();
    QApplication framework(argc, argv);
    WalkOptions options;
    if (!options.Parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "%s\n%s\n", qPrintable(options.m_strError),
                     qPrintable(WalkOptions::Usage()));
        return 2;
    }
    CZelvaneApp app;
    Walker walker(options);
    const int result = walker.Run(app);
    app.ExitInstance(0);
    if (result != 0)
        std::printf("%s\n", walker.m_strError.toUtf8().constData());
    return result;
}
