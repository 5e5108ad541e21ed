#pragma once

#include <QRect>

class PageSet;
class QImage;

// The cut of a captured image's selection into pages of 1024 document rows at the selection's
// width. An image captured at scale N holds N x N pixels per document pixel; the selection is in
// document pixels, as the user sees and types it.
class PageCutter final {
  public:
    // Replaces the set's pages with the selection's rows (clipped to the image's document size:
    // its size over scale, rounded down), each page used with no margins, the last one padded with
    // white; every page row knows its image row and the set the selection's left, in document
    // pixels. false (the set left empty) when the image is not one of 32-bit pixels, the scale
    // lies outside 1 .. PageGeometry::maxScale, the selection is empty or memory runs out.
    static bool Cut(const QImage& image, const QRect& selection, PageSet& set, int scale = 1);

  private:
    static bool CopySelectionRows(const QImage& image, const QRect& sel, PageSet& set);
};
