#include "pages/PageGeometry.h"

#include <limits>

PageGeometry PageGeometry::For(qint32 width, int bytesPerPixel, qint32 height, int scale) {
    if (width <= 0 || height <= 0 || bytesPerPixel <= 0 || scale < 1 || scale > maxScale)
        return {};
    // A page must stay addressable as one block on every platform we build for.
    constexpr qint64 maxBytes = std::numeric_limits<qsizetype>::max() / 2;
    const qint64 pixelWidth = qint64(width) * scale, pixelHeight = qint64(height) * scale;
    if (pixelWidth > std::numeric_limits<qint32>::max() ||
        pixelHeight > std::numeric_limits<qint32>::max() ||
        pixelWidth > maxBytes / (pixelHeight * bytesPerPixel))
        return {};
    PageGeometry g;
    g.pageWidth = qint32(pixelWidth);
    g.pageHeight = qint32(pixelHeight);
    g.bytesPerPixel = bytesPerPixel;
    g.rowBytes = qsizetype(pixelWidth) * bytesPerPixel;
    g.pageBytes = g.rowBytes * pixelHeight;
    g.scale = scale;
    return g;
}
