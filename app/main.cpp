#include "app/CZelvaneApp.h"
#include "app/CaptureCommand.h"
#include "app/UserFolder.h"
#include "capture/BrowserControl.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    // Captures from a script work in the caller's folder, without a window.
    if (CaptureCommand::Wanted(argc, argv))
        return CaptureCommand::Main(argc, argv);
    BrowserControl::PrepareEngine(); // must precede the QApplication
    QApplication framework(argc, argv);
    QString error;
    if (!UserFolder::EnterIfInstalled(&error))
        std::fprintf(stderr, "tarnel: %s\n", qPrintable(error));
    CZelvaneApp app;
    return app.Run();
}
