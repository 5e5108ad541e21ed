#include "pages/MarginReflow.h"

#include "pages/ContentStream.h"

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
    return m_pages.RowBytes();
}

int MarginReflow::BytesPerPixel() const {
    return m_pages.Geometry().bytesPerPixel;
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
        buffer.resize(m_pages.Geometry().pageBytes);
    } catch (const std::bad_alloc&) {
        return false;
    }
    auto* dst = reinterpret_cast<quint8*>(buffer.data());
    std::memset(dst, 0xFF, size_t(m_pages.Geometry().pageBytes));
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
        for (int i = 0; i < count; ++i) {
            PageRecord* record = m_pages.Page(i);
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
            PageSet::PagePtr added = TakeBudget() ? m_pages.AllocPage() : nullptr;
            if (!added)
                return ApplyResult::OutOfMemory;
            try {
                pages.append(added.get());
            } catch (const std::bad_alloc&) {
                return ApplyResult::OutOfMemory;
            }
            if (!m_pages.Append(std::move(added)))
                return ApplyResult::OutOfMemory;
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
    m_pages.CopyRows(page, top, page, page->topMargin, rows);
    m_pages.WhitenRows(page, 0, top);
    m_pages.WhitenRows(page, top + rows, kPageRows - top - rows);
}

void MarginReflow::PushRows(PageRecord* const* pages, int count, int s, int d,
                            bool intoNewPage) const {
    // From the end backwards: each page hands its last d content rows to the next page before
    // its own content moves down over them. Without a new page the last page's rows go nowhere.
    for (int k = intoNewPage ? count - 1 : count; k > s; --k) {
        PageRecord* p = pages[k - 1];
        if (k < count) {
            PageRecord* q = pages[k];
            m_pages.CopyRows(q, q->topMargin, p, kPageRows - p->bottomMargin - d, d);
        }
        if (k - 1 > s)
            m_pages.CopyRows(p, p->topMargin + d, p, p->topMargin, ContentRows(p) - d);
    }
}

bool MarginReflow::PushedRowsBlank(const PageRecord* last, int d) const {
    // Only where pixels fill rows exactly do the rows alone decide whether a page is blank.
    const PageGeometry& g = m_pages.Geometry();
    if (qint64(g.pageWidth) * g.bytesPerPixel != g.rowBytes)
        return false;
    return IsBlankPage(Row(last, kPageRows - last->bottomMargin - d), g.pageWidth, d * g.scale,
                       g.bytesPerPixel);
}

void MarginReflow::PullRows(PageRecord* const* pages, int count, int s, int firstRow, int d) const {
    if (d <= 0)
        return;
    for (int i = s + 1; i < count; ++i) {
        PageRecord* p = pages[i - 1];
        PageRecord* q = pages[i];
        const int dstRow = i == s + 1 ? firstRow : kPageRows - p->bottomMargin - d;
        m_pages.CopyRows(p, dstRow, q, q->topMargin, d);
        m_pages.CopyRows(q, q->topMargin, q, q->topMargin + d, ContentRows(q) - d);
        m_pages.WhitenRows(q, kPageRows - q->bottomMargin - d, d);
    }
}

bool MarginReflow::DropBlankLastPage() {
    const int count = m_pages.Count();
    if (count < 2)
        return false;
    PageRecord* last = m_pages.Page(count - 1);
    if (!last || !last->pixels ||
        !IsBlankPage(last->pixels, m_pages.Geometry().pageWidth, m_pages.Geometry().pageHeight,
                     BytesPerPixel()))
        return false;
    m_pages.RemoveLast();
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

MarginReflow::ApplyResult MarginReflow::ApplyAll(const std::vector<Margins>& margins) {
    const int oldCount = m_pages.Count();
    if (oldCount == 0 || RowBytes() <= 0)
        return ApplyResult::NoPage;
    for (const Margins& m : margins) {
        if (!MarginsAllowed(m.top, m.bottom))
            return ApplyResult::NoPage;
    }
    for (int i = 0; i < oldCount; ++i) {
        const PageRecord* page = m_pages.Page(i);
        if (!page->pixels || !MarginsAllowed(page->topMargin, page->bottomMargin))
            return ApplyResult::NoPage;
    }
    std::vector<Margins> layout;
    std::vector<qint64> starts;
    try {
        const ContentStream stream(m_pages);
        PlanLayout(stream, margins, layout, starts);
        const std::vector<qint32> sourceRows = ContentSourceRows(stream);
        if (!AppendPages(int(layout.size())))
            return ApplyResult::OutOfMemory;
        MoveRows(stream, layout, starts);
        WhitenOldContent(stream, layout, starts, oldCount);
        MoveSourceRows(sourceRows, layout, starts);
    } catch (const std::bad_alloc&) {
        return ApplyResult::OutOfMemory;
    }
    while (m_pages.Count() > int(layout.size()))
        m_pages.RemoveLast(); // white: the content ended on an earlier page
    for (size_t i = 0; i < layout.size(); ++i) {
        PageRecord* page = m_pages.Page(int(i));
        page->topMargin = layout[i].top;
        page->bottomMargin = layout[i].bottom;
    }
    return ApplyResult::Applied;
}

void MarginReflow::PlanLayout(const ContentStream& stream, const std::vector<Margins>& margins,
                              std::vector<Margins>& layout, std::vector<qint64>& starts) {
    qint64 next = 0;
    for (size_t i = 0; i == 0 || next < stream.ContentEnd(); ++i) {
        const Margins m = i < margins.size() ? margins[i] : Margins();
        layout.push_back(m);
        starts.push_back(next);
        next += kPageRows - m.top - m.bottom;
    }
}

bool MarginReflow::AppendPages(int count) {
    const int oldCount = m_pages.Count();
    while (m_pages.Count() < count) {
        if (!TakeBudget() || !m_pages.Append(m_pages.AllocPage())) {
            while (m_pages.Count() > oldCount)
                m_pages.RemoveLast();
            return false;
        }
    }
    return true;
}

void MarginReflow::MoveRows(const ContentStream& stream, const std::vector<Margins>& layout,
                            const std::vector<qint64>& starts) const {
    // Both layouts keep the rows in order, so rows that move towards the first page can go
    // first to last and rows that move towards the end last to first without ever writing over
    // a row that has yet to move.
    const auto where = [&](qint64 x, bool newLayout) {
        if (newLayout) {
            const auto it = std::upper_bound(starts.begin(), starts.end(), x);
            const size_t i = size_t(it - starts.begin()) - 1;
            return qint64(i) * kPageRows + layout[i].top + (x - starts[i]);
        }
        const int i = stream.PageOf(x);
        return qint64(i) * kPageRows + m_pages.Page(i)->topMargin + (x - stream.Start(i));
    };
    const size_t rowBytes = size_t(RowBytes());
    const auto move = [&](qint64 from, qint64 to) {
        std::memcpy(Row(m_pages.Page(int(to / kPageRows)), int(to % kPageRows)),
                    Row(m_pages.Page(int(from / kPageRows)), int(from % kPageRows)), rowBytes);
    };
    const qint64 end = stream.ContentEnd();
    for (qint64 x = 0; x < end; ++x) {
        const qint64 from = where(x, false), to = where(x, true);
        if (to < from)
            move(from, to);
    }
    for (qint64 x = end - 1; x >= 0; --x) {
        const qint64 from = where(x, false), to = where(x, true);
        if (to > from)
            move(from, to);
    }
}

std::vector<qint32> MarginReflow::ContentSourceRows(const ContentStream& stream) const {
    std::vector<qint32> rows(size_t(stream.ContentEnd()), -1);
    for (int i = 0; i < m_pages.Count(); ++i) {
        const PageRecord* page = m_pages.Page(i);
        const qint64 start = stream.Start(i);
        const qint64 count = std::min<qint64>(stream.Start(i + 1), stream.ContentEnd()) - start;
        if (count > 0 && m_pages.KnowsRows(page))
            std::copy_n(page->sourceRows.begin() + page->topMargin, count, rows.begin() + start);
    }
    return rows;
}

void MarginReflow::MoveSourceRows(const std::vector<qint32>& sourceRows,
                                  const std::vector<Margins>& layout,
                                  const std::vector<qint64>& starts) const {
    // Where MoveRows put a content row, its source row goes too; the rows it left are white and
    // already show none.
    const qint64 end = qint64(sourceRows.size());
    for (size_t i = 0; i < layout.size(); ++i) {
        PageRecord* page = m_pages.Page(int(i));
        const qint64 rows =
            std::clamp<qint64>(end - starts[i], 0, kPageRows - layout[i].top - layout[i].bottom);
        if (rows > 0 && m_pages.KnowsRows(page))
            std::copy_n(sourceRows.begin() + starts[i], rows,
                        page->sourceRows.begin() + layout[i].top);
    }
}

void MarginReflow::WhitenOldContent(const ContentStream& stream, const std::vector<Margins>& layout,
                                    const std::vector<qint64>& starts, int oldCount) const {
    // Only rows that held content before and hold none now need white; the rest already are.
    // The white rows past the content's end that stay where they were show no row of the image
    // from now on, as white rows brought in would not.
    const qint64 end = stream.ContentEnd();
    const int pages = std::min(oldCount, int(layout.size()));
    for (int i = 0; i < pages; ++i) {
        PageRecord* page = m_pages.Page(i);
        const int oldTop = page->topMargin;
        const int oldRows = int(
            std::clamp<qint64>(end - stream.Start(i), 0, kPageRows - oldTop - page->bottomMargin));
        const int newTop = layout[size_t(i)].top;
        const int newRows = int(std::clamp<qint64>(end - starts[size_t(i)], 0,
                                                   kPageRows - newTop - layout[size_t(i)].bottom));
        const auto whiten = [&](int first, int last) {
            m_pages.WhitenRows(page, first, last - first);
        };
        whiten(oldTop, std::min(oldTop + oldRows, newTop));
        whiten(std::max(oldTop, newTop + newRows), oldTop + oldRows);
        const auto forget = [&](int first, int last) {
            if (last > first && m_pages.KnowsRows(page))
                std::fill(page->sourceRows.begin() + first, page->sourceRows.begin() + last, -1);
        };
        const int tail = oldTop + oldRows, tailEnd = kPageRows - page->bottomMargin;
        forget(tail, std::min(tailEnd, newTop));
        forget(std::max(tail, newTop + newRows), tailEnd);
    }
}
