#include "tools/iconart/IconArt.h"

#include <QGuiApplication>
#include <QStringList>

#include <cstdio>

// zelvane-iconart OUT_DIR NAME: the program's icon at every theme size, under OUT_DIR/hicolor/.
int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: zelvane-iconart OUT_DIR NAME\n");
        return 2;
    }
    QString error;
    if (!IconArt::WriteTheme(args.at(1), args.at(2), &error)) {
        std::fprintf(stderr, "zelvane-iconart: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
