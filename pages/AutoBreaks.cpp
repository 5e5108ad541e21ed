#include "pages/AutoBreaks.h"

#include "pages/ContentStream.h"
#include "pages/PageSet.h"

#include <new>

std::vector<MarginReflow::Margins> AutoBreaks::Plan(const PageSet& pages) {
    std::vector<MarginReflow::Margins> plan;
    if (pages.Count() == 0 || pages.RowBytes() <= 0)
        return plan;
    const ContentStream stream(pages);
    qint64 first = 0; // the stream row each page starts with
    for (int i = 0; i == 0 || first < stream.ContentEnd(); ++i) {
        const PageRecord* page = pages.Page(i);
        const int top = page ? page->topMargin : 0;
        const int rows = PageSet::pageHeight - top;
        int bottom = 0;
        for (int b = 0; b <= MarginReflow::maxBottomMargin; ++b) {
            const qint64 last = first + rows - b - 1; // the page's last row with that margin
            if (stream.SameRows(last, last + 1)) {
                bottom = b;
                break;
            }
        }
        plan.push_back({top, bottom});
        first += rows - bottom;
    }
    return plan;
}

MarginReflow::ApplyResult AutoBreaks::Apply(MarginReflow& reflow) {
    std::vector<MarginReflow::Margins> plan;
    try {
        plan = Plan(reflow.Pages());
    } catch (const std::bad_alloc&) {
        return MarginReflow::ApplyResult::OutOfMemory;
    }
    return reflow.ApplyAll(plan);
}
