#include "pages/ReviewPages.h"

ReviewPages ReviewPages::Of(const PageSet& set) {
    ReviewPages review;
    for (int i = 0; i < set.Count(); ++i)
        review.pages.append(set.Page(i));
    review.geometry = set.Geometry();
    review.sourceLeft = set.SourceLeft();
    return review;
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

QList<const PageRecord*> ReviewPages::UsedPages() const {
    QList<const PageRecord*> used;
    for (const PageRecord* page : pages) {
        if (page->used)
            used.append(page);
    }
    return used;
}
