#include "pages/PageCutter.h"

#include "pages/PageSet.h"

#include <QImage>

#include <algorithm>
#include <cstring>

bool PageCutter::Cut(const QImage& image, const QRect& selection, PageSet& set, int scale) {
    set.FreePages();
    if (image.isNull() || image.depth() != 8 * PageSet::bytesPerPixel || scale < 1 ||
        scale > PageGeometry::maxScale)
        return false;
    const QRect sel =
        selection.intersected(QRect(0, 0, image.width() / scale, image.height() / scale));
    if (sel.isEmpty() || !set.SetWidth(sel.width(), scale))
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
    const PageGeometry& g = set.Geometry();
    const int n = g.scale;
    const qsizetype rowBytes = set.RowBytes();
    const qsizetype srcOffset = qsizetype(sel.x()) * n * PageSet::bytesPerPixel;
    for (int y = 0; y < sel.height(); y += pageRows) {
        const int rows = std::min(pageRows, sel.height() - y);
        PageSet::PagePtr page = set.AllocPage(false);
        if (!page)
            return false;
        for (int r = 0; r < rows; ++r) {
            const int docRow = sel.y() + y + r;
            quint8* to = set.Row(page.get(), r);
            for (int k = 0; k < n; ++k)
                std::memcpy(to + g.rowBytes * k, image.constScanLine(docRow * n + k) + srcOffset,
                            size_t(g.rowBytes));
            page->sourceRows[size_t(r)] = docRow; // the padding's stay -1
        }
        if (rows < pageRows)
            std::memset(set.Row(page.get(), rows), 0xFF,
                        size_t(rowBytes) * size_t(pageRows - rows));
        if (!set.Append(std::move(page)))
            return false;
    }
    return true;
}
