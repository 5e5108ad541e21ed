#pragma once

#include "pages/DocumentLayer.h"
#include "pages/PageGeometry.h"

#include <QtGlobal>

#include <memory>
#include <vector>

// One page of the cut selection. A plain record: the page set that made it owns it and its
// buffer; records made elsewhere (tests, output views) point at buffers their maker keeps.
struct PageRecord {
    bool used = true;         // printed and saved; toggled in the review
    qint32 topMargin = 0;     // rows of white inserted above the content
    qint32 bottomMargin = 0;  // rows kept white at the bottom
    quint8* pixels = nullptr; // geometry's pageBytes bytes: rows top first, B,G,R,spare
    // Per page row (document row), the document row of the captured image it shows, or -1 (a
    // margin, padding, white brought in). Every operation that moves rows moves these with them, so
    // text recorded on the image can be placed on the pages. Empty: not known (records made
    // elsewhere).
    std::vector<qint32> sourceRows = {};
};

// The pages cut from one capture selection, first page first, all of one geometry. Owns its
// records and buffers; the review adds, removes and rewrites them in place. Its rows are document
// rows (see PageGeometry): pageHeight of them per page, each RowBytes() bytes of `scale` pixel
// rows, so that every row move keeps a document row whole at any scale.
class PageSet final {
  public:
    static constexpr qint32 pageHeight = PageGeometry::defaultHeight; // document rows
    static constexpr int bytesPerPixel = 4;                           // what a cut makes

    // Frees a record made by AllocPage together with its buffer.
    struct PageDeleter {
        void operator()(PageRecord* page) const;
    };
    using PagePtr = std::unique_ptr<PageRecord, PageDeleter>;

    PageSet() = default;
    PageSet(const PageSet&) = delete;
    PageSet& operator=(const PageSet&) = delete;

    const PageGeometry& Geometry() const { return m_geometry; }
    int Count() const { return int(m_pages.size()); }
    // The record at index, or null outside 0..Count()-1.
    PageRecord* Page(int index) const;
    // Bytes of one (document) row.
    qsizetype RowBytes() const { return m_geometry.DocRowBytes(); }
    // Start of (document) row `row` of a page buffer.
    quint8* Row(const PageRecord* page, int row) const;
    // The image column (document pixels) that page column 0 shows (the selection's left); 0
    // unless a cut set it.
    qint32 SourceLeft() const { return m_nSourceLeft; }
    void SetSourceLeft(qint32 left) { m_nSourceLeft = left; }
    // What the capture recorded of the document the pages were cut from (its words, links and
    // headings, on the image's rows); null when nothing was recorded.
    const std::shared_ptr<const DocumentLayer>& Document() const { return m_document; }
    void SetDocument(std::shared_ptr<const DocumentLayer> document) {
        m_document = std::move(document);
    }

    // Copies `rows` rows of src from srcRow over dst's from dstRow, pixels and source rows alike
    // (the ranges may overlap). A page whose source rows are not known gives -1 rows.
    void CopyRows(PageRecord* dst, int dstRow, const PageRecord* src, int srcRow, int rows) const;
    // Makes `rows` rows from `first` white, showing no row of the image.
    void WhitenRows(PageRecord* page, int first, int rows) const;
    // Whether the page's source rows are known: one per row of the geometry.
    bool KnowsRows(const PageRecord* page) const {
        return page->sourceRows.size() == size_t(m_geometry.DocRows());
    }

    // Sets the geometry for pages of that width in document pixels (4 bytes per pixel, 1024
    // document rows) at that scale; false (nothing changed) when the size is unusable. Only while
    // the set is empty.
    bool SetWidth(qint32 width, int scale = 1);
    // The same for any geometry (pages of 2 or 3 bytes per pixel); false for an empty one.
    bool SetGeometry(const PageGeometry& geometry);
    // A record (used, no margins) with a new buffer of pageBytes, all white unless the caller
    // fills it whole itself, and source rows all -1; null when out of memory.
    PagePtr AllocPage(bool fillWhite = true) const;
    // Appends the page; false (the page freed) when out of memory.
    bool Append(PagePtr page);
    // AllocPage and Append; false (nothing added) when out of memory.
    bool AppendWhitePage();
    // Frees the last page; nothing when the set is empty.
    void RemoveLast();

    // Frees every page buffer and record; the geometry returns to empty, the source left to 0 and
    // the document to none.
    void FreePages();

  private:
    PageGeometry m_geometry;
    qint32 m_nSourceLeft = 0;
    std::shared_ptr<const DocumentLayer> m_document;
    std::vector<PagePtr> m_pages; // in page order
};
