#include "pages/ContentStream.h"

#include "pages/MarginReflow.h"

#include <algorithm>
#include <cstring>

ContentStream::ContentStream(const PageSet& pages)
    : m_pages(pages), m_white(size_t(pages.RowBytes()), 0xFF) {
    m_starts.reserve(size_t(pages.Count()) + 1);
    for (int i = 0; i < pages.Count(); ++i) {
        m_starts.push_back(m_nSize);
        const PageRecord* page = pages.Page(i);
        m_nSize += PageSet::pageHeight - page->topMargin - page->bottomMargin;
    }
    m_starts.push_back(m_nSize);
    m_nContentEnd = FindContentEnd();
}

int ContentStream::PageOf(qint64 x) const {
    if (x < 0 || x >= m_nSize)
        return -1;
    const auto it = std::upper_bound(m_starts.begin(), m_starts.end(), x);
    return int(it - m_starts.begin()) - 1;
}

const quint8* ContentStream::Row(qint64 x) const {
    const int i = PageOf(x);
    if (i < 0)
        return m_white.data();
    const PageRecord* page = m_pages.Page(i);
    return m_pages.Row(page, page->topMargin + int(x - m_starts[size_t(i)]));
}

bool ContentStream::SameRows(qint64 x, qint64 y) const {
    return std::memcmp(Row(x), Row(y), m_white.size()) == 0;
}

bool ContentStream::IsWhiteRow(const quint8* row) const {
    const PageGeometry& g = m_pages.Geometry();
    if (g.rowBytes != qsizetype(g.pageWidth) * g.bytesPerPixel)
        return std::memcmp(row, m_white.data(), m_white.size()) == 0;
    return MarginReflow::IsBlankPage(row, g.pageWidth, g.scale, g.bytesPerPixel);
}

qint64 ContentStream::FindContentEnd() const {
    // From the end: the last page's white tail is all that is usually read.
    for (qint64 x = m_nSize - 1; x >= 0; --x) {
        if (!IsWhiteRow(Row(x)))
            return x + 1;
    }
    return 0;
}
