#pragma once

#include "pages/PageSet.h"

#include <QtGlobal>

#include <vector>

// The content rows of a page set read in page order as one column of rows: row x of the stream is
// row topMargin + (x - start) of the page whose content holds it. Rows past the last page read as
// white, as a reflow pulls them in. A snapshot: valid until the set's pages or margins change.
class ContentStream final {
  public:
    explicit ContentStream(const PageSet& pages);

    // Content rows of all pages.
    qint64 Size() const { return m_nSize; }
    // One past the last row that is not white (the spare byte of 4-byte pixels not looked at);
    // 0 for a set of white pages.
    qint64 ContentEnd() const { return m_nContentEnd; }
    // The page holding stream row x, or -1 past the last page.
    int PageOf(qint64 x) const;
    // The first stream row of page i.
    qint64 Start(int i) const { return m_starts[size_t(i)]; }
    // The bytes of row x; a white row past the last page.
    const quint8* Row(qint64 x) const;
    // Whether rows x and y hold the same bytes.
    bool SameRows(qint64 x, qint64 y) const;
    // Whether a row is white as a blank page is: by its colour bytes only.
    bool IsWhiteRow(const quint8* row) const;

  private:
    qint64 FindContentEnd() const;

    const PageSet& m_pages;
    std::vector<qint64> m_starts; // per page, plus the size at the end
    std::vector<quint8> m_white;
    qint64 m_nSize = 0;
    qint64 m_nContentEnd = 0;
};
