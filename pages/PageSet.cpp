#include "pages/PageSet.h"

#include "pages/LargeMemory.h"

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
    return m_geometry.Row(page->pixels, row);
}

bool PageSet::SetWidth(qint32 width) {
    return SetGeometry(PageGeometry::For(width, bytesPerPixel, pageHeight));
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
}
