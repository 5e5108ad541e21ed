#pragma once

#include <vector>

// The tree of a document outline from headings in document order: a heading nests under the
// nearest earlier one of a smaller level (an h3 after an h1 goes under the h1), else it is at the
// top. Levels are 1 (h1) to 6 (h6); others count as the nearest. Items are numbered as the
// headings given; -1 where there is none.
class PdfOutline final {
  public:
    struct Item {
        int parent = -1;
        int first = -1; // first and last child
        int last = -1;
        int previous = -1; // siblings
        int next = -1;
        int descendants = 0;
    };

    explicit PdfOutline(const std::vector<int>& levels);

    const std::vector<Item>& Items() const { return m_items; }
    // The first and last item at the top.
    int First() const { return m_nFirst; }
    int Last() const { return m_nLast; }

  private:
    std::vector<Item> m_items;
    int m_nFirst = -1;
    int m_nLast = -1;
};
