#include "pages/MarginReflow.h"

#include <QVarLengthArray>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr int kPageRows = PageSet::pageHeight;

int ContentRows(const PageRecord* page) {
    return kPageRows - page->topMargin - page->bottomMargin;
}

// Whether every one of `count` 16-bit pixels is white; bit 5 (the lowest green bit) is not
// looked at.
bool AllWhite16(const quint8* px, qint64 count) {
    for (qint64 i = 0; i < count; ++i) {
        const unsigned v = unsigned(px[2 * i]) | unsigned(px[2 * i + 1]) << 8;
        if ((v & 0xFFDFu) != 0xFFDFu)
            return false;
    }
    return true;
}

bool AllWhite24(const quint8* px, qint64 count) {
    for (qint64 i = 0; i < count * 3; ++i) {
        if (px[i] != 0xFF)
            return false;
    }
    return true;
}

// The spare byte of each pixel is not looked at. Whole runs are folded before testing so the
// usual case, a page that is not white, still stops early while a white page scans quickly.
bool AllWhite32(const quint8* px, qint64 count) {
    constexpr qint64 kRun = 1024;
    for (qint64 start = 0; start < count; start += kRun) {
        const qint64 end = std::min(count, start + kRun);
        quint32 folded = 0xFFFFFFFFu;
        for (qint64 i = start; i < end; ++i) {
            quint32 v;
            std::memcpy(&v, px + 4 * i, 4);
            folded &= v;
        }
        if ((folded & 0x00FFFFFFu) != 0x00FFFFFFu)
            return false;
    }
    return true;
}

} // namespace

MarginReflow::MarginReflow(PageSet& pages) : m_pages(pages) {}

qsizetype MarginReflow::RowBytes() const {
    return m_pages.pageBytes / kPageRows;
}

int MarginReflow::BytesPerPixel() const {
    const qint64 pixels = qint64(m_pages.pageWidth) * kPageRows;
    return pixels > 0 ? int(m_pages.pageBytes / pixels) : 0;
}

bool MarginReflow::MarginsAllowed(int top, int bottom) {
    return top >= 0 && top <= maxTopMargin && bottom >= 0 && bottom <= maxBottomMargin;
}

bool MarginReflow::TakeBudget() const {
    if (m_nAllocBudget == 0)
        return false;
    if (m_nAllocBudget > 0)
        --m_nAllocBudget;
    return true;
}

quint8* MarginReflow::Row(const PageRecord* page, int row) const {
    return page->pixels + RowBytes() * row;
}

bool MarginReflow::Preview(int s, int top, int bottom, QByteArray& out) const {
    const PageRecord* page = m_pages.Page(s);
    if (!page || !page->pixels || !MarginsAllowed(top, bottom) ||
        !MarginsAllowed(page->topMargin, page->bottomMargin) || RowBytes() <= 0 || !TakeBudget())
        return false;
    QByteArray buffer;
    try {
        buffer.resize(m_pages.pageBytes);
    } catch (const std::bad_alloc&) {
        return false;
    }
    auto* dst = reinterpret_cast<quint8*>(buffer.data());
    std::memset(dst, 0xFF, size_t(m_pages.pageBytes));
    const qsizetype rowBytes = RowBytes();
    const int e = ContentRows(page);
    const int g = kPageRows - top - bottom;
    std::memcpy(dst + rowBytes * top, Row(page, page->topMargin),
                size_t(rowBytes) * size_t(std::min(e, g)));
    if (e < g) {
        // The room gained is filled from the next page, as applying would pull it.
        const PageRecord* next = m_pages.Page(s + 1);
        if (next && next->pixels && MarginsAllowed(next->topMargin, next->bottomMargin))
            std::memcpy(dst + rowBytes * (top + e), Row(next, next->topMargin),
                        size_t(rowBytes) * size_t(g - e));
    }
    out = std::move(buffer);
    return true;
}

MarginReflow::ApplyResult MarginReflow::Apply(int s, int top, int bottom) {
    const int count = m_pages.Count();
    if (s < 0 || s >= count || !MarginsAllowed(top, bottom) || RowBytes() <= 0)
        return ApplyResult::NoPage;
    // Everything that can fail comes first, so a failure leaves the set untouched.
    QVarLengthArray<PageRecord*, 64> pages;
    try {
        for (QX_List::Node* node = m_pages.pages.Head(); node; node = node->next) {
            auto* record = static_cast<PageRecord*>(node->item);
            // Rows are only ever moved within the margins' limits; anything else is no page of
            // ours.
            if (!record->pixels || !MarginsAllowed(record->topMargin, record->bottomMargin))
                return ApplyResult::NoPage;
            pages.append(record);
        }
    } catch (const std::bad_alloc&) {
        return ApplyResult::OutOfMemory;
    }
    PageRecord* page = pages[s];
    const int e = ContentRows(page);
    const int g = kPageRows - top - bottom;
    if (e > g) {
        const int d = e - g;
        // Rows pushed off the last page that are white would only fill a new page that is
        // dropped again at once; they are left behind instead, with the same result.
        const bool newPage = !PushedRowsBlank(pages[count - 1], d);
        if (newPage) {
            PageRecord* added = TakeBudget() ? m_pages.AllocPage() : nullptr;
            if (!added)
                return ApplyResult::OutOfMemory;
            try {
                pages.append(added);
            } catch (const std::bad_alloc&) {
                PageSet::FreePage(added);
                return ApplyResult::OutOfMemory;
            }
            if (!m_pages.pages.Add(added)) {
                PageSet::FreePage(added);
                return ApplyResult::OutOfMemory;
            }
        }
        PushRows(pages.data(), int(pages.size()), s, d, newPage);
        RebuildPage(page, top, g);
        if (newPage)
            DropBlankLastPage();
    } else {
        RebuildPage(page, top, e);
        PullRows(pages.data(), count, s, top + e, g - e);
        if (s < count - 1)
            DropBlankLastPage();
    }
    page->topMargin = top;
    page->bottomMargin = bottom;
    return ApplyResult::Applied;
}

void MarginReflow::RebuildPage(PageRecord* page, int top, int rows) const {
    const size_t rowBytes = size_t(RowBytes());
    std::memmove(Row(page, top), Row(page, page->topMargin), rowBytes * size_t(rows));
    std::memset(Row(page, 0), 0xFF, rowBytes * size_t(top));
    std::memset(Row(page, top + rows), 0xFF, rowBytes * size_t(kPageRows - top - rows));
}

void MarginReflow::PushRows(PageRecord* const* pages, int count, int s, int d,
                            bool intoNewPage) const {
    // From the end backwards: each page hands its last d content rows to the next page before
    // its own content moves down over them. Without a new page the last page's rows go nowhere.
    const size_t rowBytes = size_t(RowBytes());
    for (int k = intoNewPage ? count - 1 : count; k > s; --k) {
        PageRecord* p = pages[k - 1];
        if (k < count) {
            PageRecord* q = pages[k];
            std::memcpy(Row(q, q->topMargin), Row(p, kPageRows - p->bottomMargin - d),
                        rowBytes * size_t(d));
        }
        if (k - 1 > s)
            std::memmove(Row(p, p->topMargin + d), Row(p, p->topMargin),
                         rowBytes * size_t(ContentRows(p) - d));
    }
}

bool MarginReflow::PushedRowsBlank(const PageRecord* last, int d) const {
    // Only where pixels fill rows exactly do the rows alone decide whether a page is blank.
    const int bpp = BytesPerPixel();
    if (qint64(m_pages.pageWidth) * bpp != RowBytes())
        return false;
    return IsBlankPage(Row(last, kPageRows - last->bottomMargin - d), m_pages.pageWidth, d, bpp);
}

void MarginReflow::PullRows(PageRecord* const* pages, int count, int s, int firstRow, int d) const {
    if (d <= 0)
        return;
    const size_t rowBytes = size_t(RowBytes());
    for (int i = s + 1; i < count; ++i) {
        PageRecord* p = pages[i - 1];
        PageRecord* q = pages[i];
        const int dstRow = i == s + 1 ? firstRow : kPageRows - p->bottomMargin - d;
        std::memcpy(Row(p, dstRow), Row(q, q->topMargin), rowBytes * size_t(d));
        std::memmove(Row(q, q->topMargin), Row(q, q->topMargin + d),
                     rowBytes * size_t(ContentRows(q) - d));
        std::memset(Row(q, kPageRows - q->bottomMargin - d), 0xFF, rowBytes * size_t(d));
    }
}

bool MarginReflow::DropBlankLastPage() {
    const int count = m_pages.Count();
    if (count < 2)
        return false;
    PageRecord* last = m_pages.Page(count - 1);
    if (!last || !last->pixels ||
        !IsBlankPage(last->pixels, m_pages.pageWidth, kPageRows, BytesPerPixel()))
        return false;
    if (!m_pages.pages.RemoveAt(count - 1))
        return false;
    PageSet::FreePage(last);
    return true;
}

bool MarginReflow::IsBlankPage(const quint8* pixels, qint32 width, qint32 height,
                               int bytesPerPixel) {
    const qint64 count = qint64(width) * height;
    if (!pixels || count <= 0)
        return false;
    switch (bytesPerPixel) {
    case 2:
        return AllWhite16(pixels, count);
    case 3:
        return AllWhite24(pixels, count);
    case 4:
        return AllWhite32(pixels, count);
    default:
        return false;
    }
}
