#pragma once

#include <QtGlobal>

// The one description of a page buffer's layout: rows top first, rowBytes apart, no filler
// beyond width * bytesPerPixel. Made by For(); an empty geometry (all zero) holds no pages.
struct PageGeometry {
    static constexpr qint32 defaultHeight = 1024;

    qint32 pageWidth = 0;    // pixels per row
    qint32 pageHeight = 0;   // rows per page
    int bytesPerPixel = 0;   // 2, 3 or 4 (4: B, G, R, spare)
    qsizetype rowBytes = 0;  // pageWidth * bytesPerPixel
    qsizetype pageBytes = 0; // rowBytes * pageHeight

    // The geometry of pages of that size; empty when a page could not be one addressable block
    // or a number is not positive.
    static PageGeometry For(qint32 width, int bytesPerPixel = 4, qint32 height = defaultHeight);

    bool IsEmpty() const { return pageBytes <= 0; }
    quint8* Row(quint8* pixels, int row) const { return pixels + rowBytes * row; }
    const quint8* Row(const quint8* pixels, int row) const { return pixels + rowBytes * row; }
    bool operator==(const PageGeometry&) const = default;
};
