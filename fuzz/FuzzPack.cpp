// Feeds each input to QX_DIB as the skin pack and draws whatever loads. The entries are
// looked up by the same reader LoadFromPack uses once the pack is open, straight from memory.
#include "imaging/Cp949Codec.h"
#include "imaging/QX_DIB.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The looked-up names do not depend on the input: encoded once, not for every input.
    static const QByteArray names[] = {Cp949Codec::Encode(QStringLiteral("close_up.bmp")),
                                       Cp949Codec::Encode(QStringLiteral("CHECK_UP1.BMP")),
                                       Cp949Codec::Encode(QStringLiteral("t_md_중지.bmp")),
                                       Cp949Codec::Encode(QStringLiteral("a"))};
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer pack(&bytes);
    pack.open(QIODevice::ReadOnly);
    static QImage canvas = [] {
        QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        return image;
    }();
    for (const QByteArray& name : names) {
        QX_DIB dib;
        if (dib.ReadPackEntry(pack, name) != 1)
            continue;
        QPainter painter(&canvas);
        dib.Draw(&painter, 1, 1);
        dib.m_bTransparent = true;
        dib.DrawToRect(&painter, QRect(0, 0, 3, 40));
        dib.Draw(&painter, -3, 4);
    }
    return 0;
}
