#pragma once

#include "pages/PageSet.h"

#include <QList>

// The pages of one review as the output commands (printing, saving) see them: every page in
// list order, used or not, with the page geometry. The records are borrowed from the page set.
struct ReviewPages {
    QList<PageRecord*> pages; // list order; a record's `used` says whether it is printed or saved
    qint32 pageWidth = 0;
    qint32 pageHeight = PageSet::pageHeight;
    qsizetype pageBytes = 0;

    // pageBytes / (pageWidth * pageHeight) in whole numbers; 0 for an empty geometry.
    int BytesPerPixel() const;
    // pageBytes / pageHeight.
    qsizetype RowBytes() const;
    int CountUsedPages() const;
    // The k-th (from 0) used record in list order; null when there are fewer.
    PageRecord* GetUsedPage(int k) const;
};
