#pragma once

#include <QRect>

class PageSet;
class QImage;

// The cut of a captured image's selection into pages of 1024 rows at the selection's width.
class PageCutter final {
  public:
    // Replaces the set's pages with the selection's rows (clipped to the image), each page used
    // with no margins, the last one padded with white; every page row knows its image row and the
    // set the selection's left. false (the set left empty) when the image is not one of 32-bit
    // pixels, the selection is empty or memory runs out.
    static bool Cut(const QImage& image, const QRect& selection, PageSet& set);

  private:
    static bool CopySelectionRows(const QImage& image, const QRect& sel, PageSet& set);
};
