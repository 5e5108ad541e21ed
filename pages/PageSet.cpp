#include "pages/PageSet.h"

#include "pages/LargeMemory.h"

#include <cstdlib>
#include <cstring>
#include <limits>

PageSet::~PageSet() {
    FreePages();
}

PageRecord* PageSet::Page(int index) const {
    return static_cast<PageRecord*>(pages.GetAt(index));
}

quint8* PageSet::Row(const PageRecord* page, int row) const {
    return page->pixels + RowBytes() * row;
}

bool PageSet::SetWidth(qint32 width) {
    if (Count() > 0 || width <= 0)
        return false;
    // A page must stay addressable as one block on every platform we build for.
    constexpr qint64 maxBytes = std::numeric_limits<qsizetype>::max() / 2;
    if (qint64(width) > maxBytes / (qint64(pageHeight) * bytesPerPixel))
        return false;
    pageWidth = width;
    pageBytes = qsizetype(width) * bytesPerPixel * pageHeight;
    return true;
}

PageRecord* PageSet::AllocPage(bool fillWhite) const {
    if (pageBytes <= 0)
        return nullptr;
    auto* page = static_cast<PageRecord*>(QX_List::AllocItem(sizeof(PageRecord)));
    if (!page)
        return nullptr;
    page->pixels = static_cast<quint8*>(LargeMemory::Alloc(size_t(pageBytes)));
    if (!page->pixels) {
        std::free(page);
        return nullptr;
    }
    LargeMemory::Populate(page->pixels, size_t(pageBytes));
    if (fillWhite)
        std::memset(page->pixels, 0xFF, size_t(pageBytes));
    page->used = true;
    page->topMargin = 0;
    page->bottomMargin = 0;
    return page;
}

void PageSet::FreePage(PageRecord* page) {
    if (!page)
        return;
    std::free(page->pixels);
    std::free(page);
}

bool PageSet::AppendWhitePage() {
    PageRecord* page = AllocPage();
    if (!page)
        return false;
    if (!pages.Add(page)) {
        FreePage(page);
        return false;
    }
    return true;
}

void PageSet::FreePages() {
    for (QX_List::Node* node = pages.Head(); node; node = node->next)
        FreePage(static_cast<PageRecord*>(node->item));
    pages.RemoveAll();
    pageWidth = 0;
    pageBytes = 0;
}
