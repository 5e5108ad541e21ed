// Feeds each input to QX_DIB::LoadFromPack as the skin pack and draws whatever loads.
#include "imaging/QX_DIB.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

void LoadAndDraw() {
    static const QString names[] = {QStringLiteral("close_up.bmp"), QStringLiteral("CHECK_UP1.BMP"),
                                    QStringLiteral("t_md_중지.bmp"), QStringLiteral("a")};
    QImage canvas(16, 16, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&canvas);
    for (const QString& name : names) {
        QX_DIB dib;
        if (dib.LoadFromPack(name) != 1)
            continue;
        dib.Draw(&painter, 1, 1);
        dib.m_bTransparent = true;
        dib.DrawToRect(&painter, QRect(0, 0, 3, 40));
        dib.Draw(&painter, -3, 4);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The pack is read from the working directory; step into a scratch folder only for this
    // input, so libFuzzer's own relative paths (corpus, crash files) stay where they were.
    static QTemporaryDir folder;
    const QString home = QDir::currentPath();
    if (!QDir::setCurrent(folder.path()))
        return 0;
    QFile file(QX_DIB::PackFileName());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(reinterpret_cast<const char*>(data), qint64(size));
        file.close();
        LoadAndDraw();
    }
    QDir::setCurrent(home);
    return 0;
}
