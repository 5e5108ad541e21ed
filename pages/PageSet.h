#pragma once

#include "toolkit/QX_List.h"

#include <QtGlobal>

// One page of the cut selection. Records and their pixel buffers are heap blocks that std::free
// releases (the list frees records with std::free), so the record stays a plain struct without a
// destructor. Buffers come from AllocPage only.
struct PageRecord {
    bool used = true;         // printed and saved; toggled in the review
    qint32 topMargin = 0;     // rows of white inserted above the content
    qint32 bottomMargin = 0;  // rows kept white at the bottom
    quint8* pixels = nullptr; // PageSet::pageBytes bytes: rows top first, B,G,R,spare, no filler
};

// The pages cut from one capture selection, first page first. Owns its records and buffers; the
// review may add, remove and rewrite them in place with AllocPage/FreePage.
class PageSet final {
  public:
    static constexpr qint32 pageHeight = 1024;
    static constexpr int bytesPerPixel = 4;

    PageSet() = default;
    ~PageSet();
    PageSet(const PageSet&) = delete;
    PageSet& operator=(const PageSet&) = delete;

    QX_List pages;           // PageRecord*, in page order
    qint32 pageWidth = 0;    // pixels per row (the selection's width)
    qsizetype pageBytes = 0; // bytesPerPixel * pageWidth * pageHeight

    int Count() const { return pages.GetCount(); }
    // The record at index, or null outside 0..Count()-1.
    PageRecord* Page(int index) const;
    qsizetype RowBytes() const { return qsizetype(pageWidth) * bytesPerPixel; }
    // Start of row `row` of a page buffer.
    quint8* Row(const PageRecord* page, int row) const;

    // Sets the geometry for pages of that width; false (nothing changed) when the size is
    // unusable. Only while the set is empty.
    bool SetWidth(qint32 width);
    // A record (used, no margins) with a new buffer of pageBytes, all white unless the caller
    // fills it whole itself; null when out of memory. Append it to `pages` or FreePage it.
    PageRecord* AllocPage(bool fillWhite = true) const;
    static void FreePage(PageRecord* page);
    // AllocPage and append; false (nothing added) when out of memory.
    bool AppendWhitePage();

    // Frees every page buffer and record, empties the list; the geometry returns to zero.
    void FreePages();
};
