#include "pages/PageSet.h"

#include "pages/LargeMemory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

void PageSet::PageDeleter::operator()(PageRecord* page) const {
    if (!page)
        return;
    std::free(page->pixels);
    delete page;
}

PageRecord* PageSet::Page(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return m_pages[size_t(index)].get();
}

quint8* PageSet::Row(const PageRecord* page, int row) const {
    return m_geometry.DocRow(page->pixels, row);
}

void PageSet::CopyRows(PageRecord* dst, int dstRow, const PageRecord* src, int srcRow,
                       int rows) const {
    if (rows <= 0)
        return;
    std::memmove(Row(dst, dstRow), Row(src, srcRow), size_t(RowBytes()) * size_t(rows));
    if (!KnowsRows(dst))
        return;
    qint32* to = dst->sourceRows.data() + dstRow;
    if (KnowsRows(src))
        std::memmove(to, src->sourceRows.data() + srcRow, sizeof(qint32) * size_t(rows));
    else
        std::fill_n(to, rows, -1);
}

void PageSet::WhitenRows(PageRecord* page, int first, int rows) const {
    if (rows <= 0)
        return;
    std::memset(Row(page, first), 0xFF, size_t(RowBytes()) * size_t(rows));
    if (KnowsRows(page))
        std::fill_n(page->sourceRows.data() + first, rows, -1);
}

bool PageSet::SetWidth(qint32 width, int scale) {
    return SetGeometry(PageGeometry::For(width, bytesPerPixel, pageHeight, scale));
}

bool PageSet::SetGeometry(const PageGeometry& geometry) {
    if (Count() > 0 || geometry.IsEmpty())
        return false;
    m_geometry = geometry;
    return true;
}

PageSet::PagePtr PageSet::AllocPage(bool fillWhite) const {
    if (m_geometry.IsEmpty())
        return nullptr;
    PagePtr page(new (std::nothrow) PageRecord);
    if (!page)
        return nullptr;
    try {
        page->sourceRows.assign(size_t(m_geometry.DocRows()), -1);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    page->pixels = static_cast<quint8*>(LargeMemory::Alloc(size_t(m_geometry.pageBytes)));
    if (!page->pixels)
        return nullptr;
    LargeMemory::Populate(page->pixels, size_t(m_geometry.pageBytes));
    if (fillWhite)
        std::memset(page->pixels, 0xFF, size_t(m_geometry.pageBytes));
    return page;
}

bool PageSet::Append(PagePtr page) {
    if (!page)
        return false;
    try {
        m_pages.push_back(std::move(page));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool PageSet::AppendWhitePage() {
    return Append(AllocPage());
}

void PageSet::RemoveLast() {
    if (!m_pages.empty())
        m_pages.pop_back();
}

void PageSet::FreePages() {
    m_pages.clear();
    m_geometry = PageGeometry();
    m_nSourceLeft = 0;
    m_document.reset();
}
