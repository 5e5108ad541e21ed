#pragma once

#include "pages/ReviewPages.h"

#include <QList>

#include <memory>
#include <vector>

// Pages of a review for output tests, each pixel telling its page and row apart:
// blue = 40 x page, green = row & 0xFF, red = 255 - 40 x page, spare = row >> 8.
class TestReview final {
  public:
    // count pages of width pixels and height rows (document pixels at that scale); used[i] marks
    // page i (all used when short). Rows are the buffer's pixel rows.
    TestReview(int count, int width, int height = 1024, const QList<bool>& used = {},
               int scale = 1);

    const ReviewPages& Pages() const { return m_pages; }
    // The four bytes of pixel (row, any column) of page index.
    static QByteArray Pixel(int page, int row);
    // Row `row` of page `page` as stored in its buffer.
    QByteArray Row(int page, int row) const;

  private:
    std::vector<std::unique_ptr<quint8[]>> m_buffers;
    std::vector<std::unique_ptr<PageRecord>> m_records;
    ReviewPages m_pages;
};
