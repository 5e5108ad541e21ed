#pragma once

#include "pages/PageSet.h"

#include <QByteArray>
#include <QtGlobal>

#include <vector>

class ContentStream;

// The row arithmetic of page margins over a page set, without a window. A page's content is its
// rows topMargin .. pageHeight - bottomMargin; read in page order the content of all pages is one
// continuous image, which preview and apply keep: a larger margin pushes rows onto the following
// pages (a page is appended when they overflow), a smaller one pulls rows back. Bytes per row and
// per pixel come from the set's geometry, so 2- and 3-byte pixels work as 4-byte ones do. Rows
// and margins are document rows, moved whole at any scale. The pages' source rows move with their
// pixels on every path.
class MarginReflow final {
  public:
    static constexpr int maxTopMargin = 50;
    static constexpr int maxBottomMargin = 400;

    struct Margins {
        int top = 0;
        int bottom = 0;
        bool operator==(const Margins&) const = default;
    };

    explicit MarginReflow(PageSet& pages);
    PageSet& Pages() const { return m_pages; }

    // Page s as applying margins (top, bottom) would make it: pageBytes bytes into `out`. false
    // when memory could not be had, s is out of range or the margins lie outside 0..50 and
    // 0..400 (out untouched then).
    bool Preview(int s, int top, int bottom, QByteArray& out) const;

    enum class ApplyResult { Applied, OutOfMemory, NoPage };
    // Gives page s the margins (top, bottom): the following pages reflow, a page is appended on
    // overflow and a blank last page dropped. NoPage when s is out of range or the margins lie
    // outside 0..50 and 0..400. On failure the page set is exactly as before.
    ApplyResult Apply(int s, int top, int bottom);

    // Gives the pages these margins, first page first, moving every row at most once: the
    // content reads on in order, pages are appended while content remains (margins 0 where none
    // is given) and white pages at the end are dropped (never the first). NoPage when a margin
    // lies outside 0..50 and 0..400. On failure the page set is exactly as before.
    ApplyResult ApplyAll(const std::vector<Margins>& margins);

    // Drops the last page when the set has at least 2 pages and the last is all white; true when
    // one was dropped.
    bool DropBlankLastPage();
    // Every pixel white: 4 and 3 bytes per pixel by their first three bytes, 2 bytes per pixel
    // by bits 0-4 and 6-15 (bit 5 is not looked at); any other size is never white.
    static bool IsBlankPage(const quint8* pixels, qint32 width, qint32 height, int bytesPerPixel);

    // Bytes of one document row.
    qsizetype RowBytes() const;
    int BytesPerPixel() const;

    // For tests: how many more buffers may be allocated before allocation fails; -1 (the
    // default) is no limit.
    void SetAllocationBudget(int buffers) { m_nAllocBudget = buffers; }

  private:
    static bool MarginsAllowed(int top, int bottom);
    bool TakeBudget() const;
    quint8* Row(const PageRecord* page, int row) const;
    // Moves `rows` content rows of page to start at row top and whitens the rest.
    void RebuildPage(PageRecord* page, int top, int rows) const;
    // Moves d rows of content from each page after s onto the next; into the last page when it
    // is new, else the last page's last d content rows are dropped.
    void PushRows(PageRecord* const* pages, int count, int s, int d, bool intoNewPage) const;
    // Whether the d content rows an overflow pushes off the last page are all white.
    bool PushedRowsBlank(const PageRecord* last, int d) const;
    // Pulls d rows from each page after s onto the one before; page s receives them at firstRow.
    void PullRows(PageRecord* const* pages, int count, int s, int firstRow, int d) const;

    // ApplyAll's steps: the new content starts per page, the row moves, the whitening.
    static void PlanLayout(const ContentStream& stream, const std::vector<Margins>& margins,
                           std::vector<Margins>& layout, std::vector<qint64>& starts);
    bool AppendPages(int count);
    void MoveRows(const ContentStream& stream, const std::vector<Margins>& layout,
                  const std::vector<qint64>& starts) const;
    void WhitenOldContent(const ContentStream& stream, const std::vector<Margins>& layout,
                          const std::vector<qint64>& starts, int oldCount) const;
    // The source rows of the stream's content (-1 where not known), taken before the moves, and
    // their new places as MoveRows moved the pixels.
    std::vector<qint32> ContentSourceRows(const ContentStream& stream) const;
    void MoveSourceRows(const std::vector<qint32>& sourceRows, const std::vector<Margins>& layout,
                        const std::vector<qint64>& starts) const;

    PageSet& m_pages;
    mutable int m_nAllocBudget = -1;
};
