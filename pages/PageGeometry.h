#pragma once

#include <QtGlobal>

// The one description of a page buffer's layout: rows top first, rowBytes apart, no filler
// beyond width * bytesPerPixel. Made by For(); an empty geometry (all sizes zero) holds no pages.
// A page holds the same part of the document at every scale: DocRows() document rows of
// DocWidth() document pixels, each document pixel scale x scale pixels of the buffer. pageWidth,
// pageHeight, rowBytes and pageBytes count the buffer's pixels; what the user types or reads
// (margins, band cuts, selections) counts document pixels, and rows move in whole document rows.
struct PageGeometry {
    static constexpr qint32 defaultHeight = 1024;
    static constexpr int maxScale = 4;

    qint32 pageWidth = 0;    // pixels per row
    qint32 pageHeight = 0;   // pixel rows per page
    int bytesPerPixel = 0;   // 2, 3 or 4 (4: B, G, R, spare)
    qsizetype rowBytes = 0;  // pageWidth * bytesPerPixel
    qsizetype pageBytes = 0; // rowBytes * pageHeight
    int scale = 1;           // pixels per document pixel, across and down: 1 .. maxScale

    // The geometry of pages `width` document pixels wide and `height` document rows tall at that
    // scale; empty when a page could not be one addressable block, a number is not positive or
    // the scale lies outside 1 .. maxScale.
    static PageGeometry For(qint32 width, int bytesPerPixel = 4, qint32 height = defaultHeight,
                            int scale = 1);

    bool IsEmpty() const { return pageBytes <= 0; }
    qint32 DocWidth() const { return pageWidth / scale; }
    qint32 DocRows() const { return pageHeight / scale; }
    // Bytes of one document row: scale pixel rows.
    qsizetype DocRowBytes() const { return rowBytes * scale; }
    // Start of pixel row `row`.
    quint8* Row(quint8* pixels, int row) const { return pixels + rowBytes * row; }
    const quint8* Row(const quint8* pixels, int row) const { return pixels + rowBytes * row; }
    // Start of document row `row` (its first pixel row).
    quint8* DocRow(quint8* pixels, int row) const { return pixels + DocRowBytes() * row; }
    const quint8* DocRow(const quint8* pixels, int row) const {
        return pixels + DocRowBytes() * row;
    }
    bool operator==(const PageGeometry&) const = default;
};
