// Feeds each input to QX_DIB as a BMP file and draws whatever loads. The bytes are read
// through the same reader LoadFile uses once its file is open, straight from memory.
#include "imaging/QX_DIB.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    QX_DIB dib;
    if (dib.ReadFile(file) != 1)
        return 0;
    // One small canvas for every input: the drawing clips to it, as to a window.
    static QImage canvas = [] {
        QImage image(24, 24, QImage::Format_RGB32);
        image.fill(Qt::gray);
        return image;
    }();
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
