#include "pages/PageLayer.h"

#include "pages/DocumentLayer.h"
#include "pages/PageGeometry.h"
#include "pages/PageSet.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Image rows past this are no rows of any capture; coordinates beyond it are bad input.
constexpr qreal kFarthestRow = 1e12;

// The page row that shows an image row: page among the pages placed on, -1 for none.
struct Shown {
    qint32 page = -1;
    qint32 row = -1;
};

// The image rows from first to last, both included.
struct RowSpan {
    qint64 first = 0;
    qint64 last = -1;
};

// Image rows where a box is drawn: from the row holding its top to the row holding the last bit
// above its bottom (at least the top row). False for a box that is no place.
bool RowsOf(const QRectF& box, RowSpan* span) {
    for (const qreal v : {box.left(), box.top(), box.right(), box.bottom()}) {
        if (!std::isfinite(v) || std::abs(v) > kFarthestRow)
            return false;
    }
    if (box.height() < 0)
        return false;
    span->first = qint64(std::floor(box.top()));
    span->last = std::max(span->first, qint64(std::ceil(box.bottom())) - 1);
    return true;
}

// Which page row shows each image row, built once for all words; the first page wins should two
// show the same row. One number per image row keeps it small: a shown row's page and row, or for a
// row not shown where the next shown one is.
class RowIndex final {
  public:
    RowIndex(const QList<const PageRecord*>& pages, qint32 pageHeight) : m_nPageHeight(pageHeight) {
        // Numbers are page * pageHeight + row: pages past what that can count show nothing.
        const qsizetype count =
            pageHeight > 0
                ? std::min<qsizetype>(pages.size(), std::numeric_limits<qint32>::max() / pageHeight)
                : 0;
        qint64 low = std::numeric_limits<qint64>::max(), high = -1;
        for (qsizetype p = 0; p < count; ++p) {
            if (!Known(pages[p]))
                continue;
            for (const qint32 source : pages[p]->sourceRows) {
                if (source >= 0) {
                    low = std::min<qint64>(low, source);
                    high = std::max<qint64>(high, source);
                }
            }
        }
        if (high < 0)
            return;
        m_nFirst = low;
        m_at.assign(size_t(high - low + 1), kNone);
        for (qsizetype p = 0; p < count; ++p) {
            if (!Known(pages[p]))
                continue;
            for (qint32 r = 0; r < pageHeight; ++r) {
                const qint32 source = pages[p]->sourceRows[size_t(r)];
                if (source >= 0 && m_at[size_t(source - low)] == kNone)
                    m_at[size_t(source - low)] = qint32(p) * pageHeight + r;
            }
        }
        // Rows not shown: -2 - the entry of the next shown row, or kNone when none follows.
        qint32 next = kNone;
        for (size_t i = m_at.size(); i-- > 0;) {
            if (m_at[i] >= 0)
                next = -2 - qint32(i);
            else
                m_at[i] = next;
        }
    }

    Shown At(qint64 row) const {
        const qint64 i = row - m_nFirst;
        if (i < 0 || i >= qint64(m_at.size()) || m_at[size_t(i)] < 0)
            return {};
        return {m_at[size_t(i)] / m_nPageHeight, m_at[size_t(i)] % m_nPageHeight};
    }
    // The span cut to the rows some page could show.
    RowSpan Clip(RowSpan span) const {
        return {std::max(span.first, m_nFirst),
                std::min(span.last, m_nFirst + qint64(m_at.size()) - 1)};
    }
    // The first image row of the span that a page shows, or -1.
    qint64 FirstShown(RowSpan span) const {
        span = Clip(span);
        if (span.first > span.last)
            return -1;
        const qint32 at = m_at[size_t(span.first - m_nFirst)];
        if (at == kNone)
            return -1;
        const qint64 row = at >= 0 ? span.first : m_nFirst + (-2 - at);
        return row <= span.last ? row : -1;
    }

  private:
    static constexpr qint32 kNone = -1; // not shown, nor any row after it

    bool Known(const PageRecord* page) const {
        return page && page->sourceRows.size() == size_t(m_nPageHeight);
    }

    qint32 m_nPageHeight = 0;
    qint64 m_nFirst = 0;      // the image row of entry 0
    std::vector<qint32> m_at; // per image row from m_nFirst
};

// A run of page rows on one page and the image rows shown at its ends.
struct Piece {
    Shown start;
    qint32 lastRow = -1;
    qint64 firstSource = 0;
    qint64 lastSource = 0;
};

// The rows of a piece as page coordinates: where the box's own top or bottom is shown, its
// fraction of a row is kept.
void PieceRows(const Piece& piece, qreal top, qreal bottom, const RowSpan& span, qreal* y0,
               qreal* y1) {
    *y0 = piece.start.row + (piece.firstSource == span.first ? top - qreal(span.first) : 0);
    *y1 = piece.lastRow + 1 -
          (piece.lastSource == span.last ? qreal(span.last + 1) - bottom : qreal(0));
}

// The page place that shows image point (x, y) or the first row shown after it within `span`.
PageLayer::Place PlaceOf(const RowIndex& index, QPointF at, const RowSpan& span, qreal dx,
                         qint32 width) {
    const qint64 row = index.FirstShown(span);
    if (row < 0)
        return {};
    const Shown shown = index.At(row);
    const qreal y = shown.row + (row == span.first ? at.y() - qreal(span.first) : 0);
    return {shown.page, QPointF(std::clamp(at.x() - dx, qreal(0), qreal(width)), y)};
}

// The page row showing the word's middle row, or page -1 when none does or its middle column
// lies off the page.
Shown MiddleOf(const DocumentLayer::Word& word, const RowIndex& index, qreal dx, qint32 width,
               qint64* middleRow) {
    const QRectF& box = word.box;
    RowSpan span;
    const qreal centre = (box.left() + box.right()) / 2 - dx;
    if (!RowsOf(box, &span) || !(centre >= 0 && centre < width))
        return {};
    *middleRow = qint64(std::floor((box.top() + box.bottom()) / 2));
    return index.At(*middleRow);
}

void PlaceWords(const DocumentLayer& doc, const RowIndex& index, qreal dx, qint32 width,
                PageLayer& layer) {
    // Each page's words are counted first: one block per page, not a growing one.
    std::vector<size_t> counts(layer.words.size());
    qint64 middleRow = 0;
    for (const DocumentLayer::Word& word : doc.words) {
        const Shown middle = MiddleOf(word, index, dx, width, &middleRow);
        if (middle.page >= 0)
            ++counts[size_t(middle.page)];
    }
    for (size_t p = 0; p < counts.size(); ++p)
        layer.words[p].reserve(counts[p]);
    for (const DocumentLayer::Word& word : doc.words) {
        const Shown middle = MiddleOf(word, index, dx, width, &middleRow);
        if (middle.page < 0)
            continue;
        // From the middle row to the highest and lowest rows of the box on its page.
        const QRectF& box = word.box;
        RowSpan span;
        RowsOf(box, &span);
        Piece piece{middle, middle.row, middleRow, middleRow};
        const RowSpan rows = index.Clip(span);
        for (qint64 k = rows.first; k <= rows.last; ++k) {
            const Shown s = index.At(k);
            if (s.page != middle.page)
                continue;
            if (s.row < piece.start.row) {
                piece.start.row = s.row;
                piece.firstSource = k;
            }
            if (s.row > piece.lastRow) {
                piece.lastRow = s.row;
                piece.lastSource = k;
            }
        }
        qreal y0 = 0, y1 = 0;
        PieceRows(piece, box.top(), box.bottom(), span, &y0, &y1);
        layer.words[size_t(middle.page)].push_back(
            {word.text, QRectF(QPointF(box.left() - dx, y0), QPointF(box.right() - dx, y1))});
    }
}

void PlaceLinks(const DocumentLayer& doc, const RowIndex& index, qreal dx, qint32 width,
                PageLayer& layer) {
    for (const DocumentLayer::Link& link : doc.links) {
        const QRectF& box = link.box;
        RowSpan span;
        if (!RowsOf(box, &span))
            continue;
        const qreal left = std::max(qreal(0), box.left() - dx);
        const qreal right = std::min(qreal(width), box.right() - dx);
        if (!(left < right))
            continue;
        // The target's row, else the first row shown after it.
        PageLayer::Place target;
        RowSpan after;
        if (link.hasTarget && RowsOf(QRectF(link.target, QSizeF(0, 0)), &after))
            target = PlaceOf(index, link.target, {after.first, std::numeric_limits<qint64>::max()},
                             dx, width);
        const auto add = [&](const Piece& piece) {
            qreal y0 = 0, y1 = 0;
            PieceRows(piece, box.top(), box.bottom(), span, &y0, &y1);
            layer.links[size_t(piece.start.page)].push_back(
                {QRectF(QPointF(left, y0), QPointF(right, y1)), link.address, target});
        };
        // Rows cut out between two shown rows do not part a piece: the page rows still touch.
        Piece piece;
        const RowSpan rows = index.Clip(span);
        for (qint64 k = rows.first; k <= rows.last; ++k) {
            const Shown s = index.At(k);
            if (s.page < 0)
                continue;
            if (s.page == piece.start.page && s.row == piece.lastRow + 1) {
                piece.lastRow = s.row;
                piece.lastSource = k;
                continue;
            }
            if (piece.start.page >= 0)
                add(piece);
            piece = {s, s.row, k, k};
        }
        if (piece.start.page >= 0)
            add(piece);
    }
}

} // namespace

PageLayer PageLayer::Of(const DocumentLayer& doc, const QList<const PageRecord*>& pages,
                        const PageGeometry& geometry, qint32 sourceLeft) {
    PageLayer layer;
    layer.title = doc.title;
    layer.address = doc.address;
    layer.captured = doc.captured;
    layer.words.resize(size_t(pages.size()));
    layer.links.resize(size_t(pages.size()));
    // The row map and the layer are in document pixels at every scale.
    const qint32 width = geometry.DocWidth();
    const RowIndex index(pages, geometry.DocRows());
    const qreal dx = sourceLeft;
    PlaceWords(doc, index, dx, width, layer);
    PlaceLinks(doc, index, dx, width, layer);
    for (const DocumentLayer::Heading& heading : doc.headings) {
        RowSpan span;
        if (!RowsOf(QRectF(heading.place, QSizeF(0, std::max(qreal(0), heading.height))), &span))
            continue;
        const PageLayer::Place place = PlaceOf(index, heading.place, span, dx, width);
        if (place.page >= 0)
            layer.headings.push_back({heading.level, heading.text, place});
    }
    return layer;
}
