#include "capture/BrowserControl.h"
#include "toolkit/QX_Skin.h"
#include "tools/gallery/Gallery.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

// zelvane-gallery OUTDIR [RUNDIR]: renders every toolkit control and window in its states.
// Pictures and skins are read from RUNDIR (default: the run folder beside this program).
int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    BrowserControl::PrepareEngine(); // the review dialog's panel is a browser
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: zelvane-gallery OUTDIR [RUNDIR]\n");
        return 2;
    }
    const QString outDir = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QString runDir = argc > 2
                               ? QString::fromLocal8Bit(argv[2])
                               : QCoreApplication::applicationDirPath() + QStringLiteral("/../run");
    QDir::setCurrent(runDir);
    QX_Skin skin;
    skin.Load();
    skin.LoadUserColor(QStringLiteral("user_color.txt"));
    QX_Skin::SetDefault(&skin);
    Gallery gallery(outDir);
    RenderFrameGallery(gallery);
    RenderMessageGallery(gallery);
    RenderControlGallery(gallery);
    RenderReviewGallery(gallery);
    RenderPrintGallery(gallery);
    RenderSaveGallery(gallery);
    const bool ok = gallery.Finish();
    std::printf("gallery written to %s\n", qPrintable(outDir));
    return ok ? 0 : 1;
}
