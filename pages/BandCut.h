#pragma once

#include <QtGlobal>

#include <vector>

// The cut of a horizontal band out of a page image, as image position adjust makes it.
class BandCut final {
  public:
    // Removes rows `to` up to `from` of an image of `height` rows, `rowBytes` apart: the rows from
    // `from` on move up to `to` (a `to` above the first row counts as row 0) and white rows come
    // in at the foot. false (nothing changed) when no row lies in between or `from` is not a row
    // of the image.
    static bool Cut(uchar* bits, qsizetype rowBytes, int height, int to, int from);
    // The same cut of a page's source rows (one per image row): the rows from `from` on move up
    // to `to` and -1 (no row of the image) comes in at the foot.
    static bool Cut(std::vector<qint32>& sourceRows, int to, int from);
};
