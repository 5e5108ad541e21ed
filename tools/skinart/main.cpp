#include "tools/skinart/SkinArt.h"

#include <QGuiApplication>
#include <QStringList>

#include <cstdio>

// zelvane-skinart IMAGE_DIR PACK_ENTRY_DIR [--sheet FILE.png]
int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3 && !(args.size() == 5 && args.at(3) == QStringLiteral("--sheet"))) {
        std::fprintf(stderr,
                     "usage: zelvane-skinart IMAGE_DIR PACK_ENTRY_DIR [--sheet FILE.png]\n");
        return 2;
    }
    const QVector<SkinArt::Picture> pictures = SkinArt::DrawAll();
    QString error;
    if (!SkinArt::WriteAll(pictures, args.at(1), args.at(2), &error)) {
        std::fprintf(stderr, "zelvane-skinart: %s\n", qPrintable(error));
        return 1;
    }
    if (args.size() == 5 && !SkinArt::ContactSheet(pictures, 6).save(args.at(4), "PNG")) {
        std::fprintf(stderr, "zelvane-skinart: cannot write %s\n", qPrintable(args.at(4)));
        return 1;
    }
    return 0;
}
