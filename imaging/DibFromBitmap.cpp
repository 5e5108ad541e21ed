#include "imaging/DibFromBitmap.h"

#include <QtEndian>

#include <cstring>

namespace {

constexpr int HeaderBytes = 40;
// biSizeImage is a 32-bit field; a block past this cannot describe itself.
constexpr qint64 MaxBlockBytes = 0x7FFFFFFF;

// Bits per pixel for the block: 1 or 8 for indexed images, 4 when an 8-bit image uses only
// the first 16 entries, else 24 (0 when the picture must be converted first).
int IndexedBitCount(const QImage& image) {
    if (image.colorCount() == 0)
        return 0;
    if (image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB)
        return 1;
    if (image.format() != QImage::Format_Indexed8)
        return 0;
    if (image.colorCount() > 16)
        return 8;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* line = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] >= 16)
                return 8;
        }
    }
    return 4;
}

void WriteHeader(uchar* p, const QImage& image, int bits, qint64 imageBytes) {
    qToLittleEndian<quint32>(HeaderBytes, p);
    qToLittleEndian<qint32>(image.width(), p + 4);
    qToLittleEndian<qint32>(image.height(), p + 8); // positive: rows stored bottom-up
    qToLittleEndian<quint16>(1, p + 12);
    qToLittleEndian<quint16>(quint16(bits), p + 14);
    qToLittleEndian<quint32>(quint32(imageBytes), p + 20);
}

void WriteColorTable(uchar* p, const QImage& image, int bits) {
    const QList<QRgb> table = image.colorTable();
    const int count = qMin(int(table.size()), 1 << bits);
    for (int i = 0; i < count; ++i, p += 4) {
        p[0] = uchar(qBlue(table[i]));
        p[1] = uchar(qGreen(table[i]));
        p[2] = uchar(qRed(table[i]));
    }
}

void WriteRow(uchar* dst, const uchar* src, int width, int bits) {
    switch (bits) {
    case 1:
        std::memcpy(dst, src, size_t(width + 7) / 8);
        break;
    case 4:
        for (int x = 0; x < width; ++x)
            dst[x / 2] |= uchar((src[x] & 0xF) << ((x & 1) ? 0 : 4));
        break;
    case 8:
        std::memcpy(dst, src, size_t(width));
        break;
    default: {
        const auto* rgb = reinterpret_cast<const QRgb*>(src);
        for (int x = 0; x < width; ++x, dst += 3) {
            dst[0] = uchar(qBlue(rgb[x]));
            dst[1] = uchar(qGreen(rgb[x]));
            dst[2] = uchar(qRed(rgb[x]));
        }
        break;
    }
    }
}

} // namespace

QByteArray DibFromBitmap(const QImage& bitmap) {
    if (bitmap.isNull())
        return {};
    int bits = IndexedBitCount(bitmap);
    QImage source;
    if (bits == 1)
        source = bitmap.convertToFormat(QImage::Format_Mono); // most significant bit first
    else if (bits != 0)
        source = bitmap;
    else {
        bits = 24;
        source = bitmap.convertToFormat(QImage::Format_RGB32);
    }
    if (source.isNull())
        return {};
    const int width = source.width();
    const int height = source.height();
    const qint64 stride = (qint64(bits) * width + 31) / 32 * 4;
    const qint64 imageBytes = stride * height;
    const qint64 tableBytes = bits <= 8 ? qint64(4) << bits : 0;
    if (HeaderBytes + tableBytes + imageBytes > MaxBlockBytes)
        return {};
    QByteArray block(qsizetype(HeaderBytes + tableBytes + imageBytes), '\0');
    auto* p = reinterpret_cast<uchar*>(block.data());
    WriteHeader(p, source, bits, imageBytes);
    if (bits <= 8)
        WriteColorTable(p + HeaderBytes, source, bits);
    uchar* rows = p + HeaderBytes + tableBytes;
    for (int r = 0; r < height; ++r)
        WriteRow(rows + r * stride, source.constScanLine(height - 1 - r), width, bits);
    return block;
}
