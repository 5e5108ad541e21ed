#pragma once

#include "imaging/QX_DIB.h"

#include <QByteArray>
#include <QList>

// Builds BMP files and skin pack entries byte by byte, so tests state exactly what a file holds.
class BmpBuilder {
  public:
    // A 40-byte info header (height negative for top-down rows).
    static QByteArray InfoHeader(int width, int height, int bits, quint32 compression = 0,
                                 quint32 colorsUsed = 0);
    // A 12-byte core header.
    static QByteArray CoreHeader(int width, int height, int bits);
    // Colour table entries from COLORREF values: 4-byte RGBQUADs, or 3-byte RGBTRIPLEs.
    static QByteArray Quads(const QList<COLORREF>& colors);
    static QByteArray Triples(const QList<COLORREF>& colors);
    // Pixel rows as given (file order), each padded to a multiple of 4 bytes.
    static QByteArray Rows(const QList<QByteArray>& rows);
    // A whole BMP file: the 14-byte file header, then the packed DIB.
    static QByteArray File(const QByteArray& dib);
    // One skin pack entry: size, 24-byte NUL-padded name, the file.
    static QByteArray PackEntry(const QByteArray& name, const QByteArray& file);
    // A 2 x 2, 24-bit picture: top row red, green; bottom row blue, white.
    static QByteArray SmallFile();
};
