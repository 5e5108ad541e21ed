#include "pages/PageCutter.h"

#include "pages/PageSet.h"

#include <QImage>

#include <algorithm>
#include <cstring>

bool PageCutter::Cut(const QImage& image, const QRect& selection, PageSet& set) {
    set.FreePages();
    if (image.isNull() || image.depth() != 8 * PageSet::bytesPerPixel)
        return false;
    const QRect sel = selection.intersected(image.rect());
    if (sel.isEmpty() || !set.SetWidth(sel.width()))
        return false;
    set.SetSourceLeft(sel.x());
    if (!CopySelectionRows(image, sel, set)) {
        set.FreePages();
        return false;
    }
    return true;
}

bool PageCutter::CopySelectionRows(const QImage& image, const QRect& sel, PageSet& set) {
    const int pageRows = PageSet::pageHeight;
    const qsizetype rowBytes = set.RowBytes();
    const qsizetype srcOffset = qsizetype(sel.x()) * PageSet::bytesPerPixel;
    for (int y = 0; y < sel.height(); y += pageRows) {
        const int rows = std::min(pageRows, sel.height() - y);
        PageSet::PagePtr page = set.AllocPage(false);
        if (!page)
            return false;
        for (int r = 0; r < rows; ++r) {
            std::memcpy(set.Row(page.get(), r), image.constScanLine(sel.y() + y + r) + srcOffset,
                        size_t(rowBytes));
            page->sourceRows[size_t(r)] = sel.y() + y + r; // the padding's stay -1
        }
        if (rows < pageRows)
            std::memset(set.Row(page.get(), rows), 0xFF,
                        size_t(rowBytes) * size_t(pageRows - rows));
        if (!set.Append(std::move(page)))
            return false;
    }
    return true;
}
