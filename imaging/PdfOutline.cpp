#include "imaging/PdfOutline.h"

#include <algorithm>

namespace {
// h1 .. h6; anything else is taken as the nearest of them, which also keeps the chain of open
// items at most six long.
int Level(int level) {
    return std::clamp(level, 1, 6);
}
} // namespace

PdfOutline::PdfOutline(const std::vector<int>& levels) : m_items(levels.size()) {
    std::vector<int> open; // the chain from the top to the last item
    for (int i = 0; i < int(levels.size()); ++i) {
        while (!open.empty() && Level(levels[size_t(open.back())]) >= Level(levels[size_t(i)]))
            open.pop_back();
        Item& item = m_items[size_t(i)];
        item.parent = open.empty() ? -1 : open.back();
        int& first = item.parent < 0 ? m_nFirst : m_items[size_t(item.parent)].first;
        int& last = item.parent < 0 ? m_nLast : m_items[size_t(item.parent)].last;
        if (first < 0)
            first = i;
        else
            m_items[size_t(last)].next = i;
        item.previous = first == i ? -1 : last;
        last = i;
        for (const int ancestor : open)
            ++m_items[size_t(ancestor)].descendants;
        open.push_back(i);
    }
}
