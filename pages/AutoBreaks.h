#pragma once

#include "pages/MarginReflow.h"

#include <vector>

class PageSet;

// Page breaks that cut no line in half: every page's bottom margin, first page to last, becomes
// the smallest 0..400 that puts the break between two identical rows (nothing of a glyph, a
// border or a picture runs across it), or 0 where no such place lies within 400 rows. Top margins
// stay. Computed for all pages at once, then laid out by one reflow.
class AutoBreaks final {
  public:
    // The margins of every page the content then needs, first page first: tops as they are (0 on
    // a page the content needs anew), bottoms as above. Throws std::bad_alloc when memory is short.
    static std::vector<MarginReflow::Margins> Plan(const PageSet& pages);
    // Plans the breaks of the reflow's page set and applies them in one step.
    static MarginReflow::ApplyResult Apply(MarginReflow& reflow);
};
