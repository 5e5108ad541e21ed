#include "pages/PageGeometry.h"

#include <limits>

PageGeometry PageGeometry::For(qint32 width, int bytesPerPixel, qint32 height) {
    if (width <= 0 || height <= 0 || bytesPerPixel <= 0)
        return {};
    // A page must stay addressable as one block on every platform we build for.
    constexpr qint64 maxBytes = std::numeric_limits<qsizetype>::max() / 2;
    if (qint64(width) > maxBytes / (qint64(height) * bytesPerPixel))
        return {};
    PageGeometry g;
    g.pageWidth = width;
    g.pageHeight = height;
    g.bytesPerPixel = bytesPerPixel;
    g.rowBytes = qsizetype(width) * bytesPerPixel;
    g.pageBytes = g.rowBytes * height;
    return g;
}
