#include "pages/ReviewPages.h"

int ReviewPages::BytesPerPixel() const {
    const qint64 pixels = qint64(pageWidth) * pageHeight;
    return pixels > 0 ? int(pageBytes / pixels) : 0;
}

qsizetype ReviewPages::RowBytes() const {
    return pageHeight > 0 ? pageBytes / pageHeight : 0;
}

int ReviewPages::CountUsedPages() const {
    int count = 0;
    for (const PageRecord* page : pages)
        count += page->used ? 1 : 0;
    return count;
}

PageRecord* ReviewPages::GetUsedPage(int k) const {
    for (PageRecord* page : pages) {
        if (page->used && k-- == 0)
            return page;
    }
    return nullptr;
}
