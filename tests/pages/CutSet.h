#pragma once

#include "pages/PageSet.h"

#include <QByteArray>

#include <string>
#include <vector>

// A page set as a cut makes it from a selection whose rows are given by keys: each key its own
// never-white bytes, key -1 a white row; the last page padded with white.
class CutSet {
  public:
    static constexpr int H = PageSet::pageHeight;

    // Rows 0 .. rows-1, every one different.
    CutSet(qint32 width, int bytesPerPixel, int rows);
    CutSet(qint32 width, int bytesPerPixel, std::vector<int> keys);

    qsizetype RowBytes() const { return set.RowBytes(); }
    PageRecord* Page(int i) const { return set.Page(i); }
    void FillRow(quint8* row, int key) const;
    bool IsWhite(const quint8* row) const;
    // Empty when the content of all pages, read in page order, is the expected rows followed
    // only by white rows and every row outside a page's content is white; else what is wrong.
    std::string CheckInvariant() const;
    std::vector<QByteArray> Snapshot() const;

    PageSet set;
    std::vector<int> expected; // the keys the content must read as; a band cut changes them

  private:
    void Cut();
};
