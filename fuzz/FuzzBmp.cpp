// Feeds each input to QX_DIB::LoadFile as a BMP file and draws whatever loads.
#include "imaging/QX_DIB.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder; // one file per process, rewritten for every input
    static const QString path = folder.filePath(QStringLiteral("input.bmp"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();

    QX_DIB dib;
    if (dib.LoadFile(path) != 1)
        return 0;
    QImage canvas(24, 24, QImage::Format_RGB32);
    canvas.fill(Qt::gray);
    QPainter painter(&canvas);
    dib.Draw(&painter, 0, 0);
    dib.DrawToRect(&painter, QRect(2, 3, 7, 19));
    dib.m_bTransparent = true;
    dib.m_crKey = dib.Palette().value(0, 0xFFFFFF);
    dib.m_nDrawWidth = 5;
    dib.m_nDrawHeight = 30;
    dib.DrawRealized(&painter, -1, -2);
    return 0;
}
