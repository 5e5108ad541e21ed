#include "app/CZelvaneApp.h"
#include "capture/BrowserControl.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    BrowserControl::PrepareEngine(); // must precede the QApplication
    QApplication framework(argc, argv);
    CZelvaneApp app;
    return app.Run();
}
