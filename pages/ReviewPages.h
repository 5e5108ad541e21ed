#pragma once

#include "pages/PageGeometry.h"
#include "pages/PageSet.h"

#include <QList>

// The pages of one review as the output commands (printing, saving) see them: every page in
// list order, used or not, with the page geometry. The records are borrowed from the page set.
struct ReviewPages {
    QList<PageRecord*> pages; // list order; a record's `used` says whether it is printed or saved
    PageGeometry geometry;
    qint32 sourceLeft = 0; // the image column of page column 0

    // Every page of the set, in its order, with its geometry and source left.
    static ReviewPages Of(const PageSet& set);
    int CountUsedPages() const;
    // The k-th (from 0) used record in list order; null when there are fewer.
    PageRecord* GetUsedPage(int k) const;
    // The used records in list order: the pages written.
    QList<const PageRecord*> UsedPages() const;
};
