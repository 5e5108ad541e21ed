#include "tests/imaging/BmpBuilder.h"

#include <QtEndian>

namespace {

void Put16(QByteArray& b, int at, quint16 v) {
    qToLittleEndian<quint16>(v, b.data() + at);
}

void Put32(QByteArray& b, int at, quint32 v) {
    qToLittleEndian<quint32>(v, b.data() + at);
}

QByteArray Colors(const QList<COLORREF>& colors, bool quad) {
    QByteArray out;
    for (const COLORREF c : colors) {
        out += char((c >> 16) & 0xFF); // blue first
        out += char((c >> 8) & 0xFF);
        out += char(c & 0xFF);
        if (quad)
            out += '\0';
    }
    return out;
}

} // namespace

QByteArray BmpBuilder::InfoHeader(int width, int height, int bits, quint32 compression,
                                  quint32 colorsUsed) {
    QByteArray h(40, '\0');
    Put32(h, 0, 40);
    Put32(h, 4, quint32(width));
    Put32(h, 8, quint32(height));
    Put16(h, 12, 1);
    Put16(h, 14, quint16(bits));
    Put32(h, 16, compression);
    Put32(h, 32, colorsUsed);
    return h;
}

QByteArray BmpBuilder::CoreHeader(int width, int height, int bits) {
    QByteArray h(12, '\0');
    Put32(h, 0, 12);
    Put16(h, 4, quint16(width));
    Put16(h, 6, quint16(height));
    Put16(h, 8, 1);
    Put16(h, 10, quint16(bits));
    return h;
}

QByteArray BmpBuilder::Quads(const QList<COLORREF>& colors) {
    return Colors(colors, true);
}

QByteArray BmpBuilder::Triples(const QList<COLORREF>& colors) {
    return Colors(colors, false);
}

QByteArray BmpBuilder::Rows(const QList<QByteArray>& rows) {
    QByteArray out;
    for (QByteArray row : rows) {
        while (row.size() % 4 != 0)
            row += '\0';
        out += row;
    }
    return out;
}

QByteArray BmpBuilder::File(const QByteArray& dib) {
    QByteArray f(14, '\0');
    f[0] = 'B';
    f[1] = 'M';
    Put32(f, 2, quint32(14 + dib.size()));
    return f + dib;
}

QByteArray BmpBuilder::PackEntry(const QByteArray& name, const QByteArray& file) {
    QByteArray e(28, '\0');
    Put32(e, 0, quint32(file.size()));
    e.replace(4, qMin(name.size(), qsizetype(24)), name.left(24));
    return e + file;
}

QByteArray BmpBuilder::SmallFile() {
    // Rows bottom-up: blue, white; then red, green. Pixels are B, G, R.
    return File(InfoHeader(2, 2, 24) + Rows({QByteArray("\xFF\x00\x00\xFF\xFF\xFF", 6),
                                             QByteArray("\x00\x00\xFF\x00\xFF\x00", 6)}));
}
