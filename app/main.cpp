#include "app/CZelvaneApp.h"
#include "app/UserFolder.h"
#include "capture/BrowserControl.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    BrowserControl::PrepareEngine(); // must precede the QApplication
    QApplication framework(argc, argv);
    QString error;
    if (!UserFolder::EnterIfInstalled(&error))
        std::fprintf(stderr, "tarnel: %s\n", qPrintable(error));
    CZelvaneApp app;
    return app.Run();
}
