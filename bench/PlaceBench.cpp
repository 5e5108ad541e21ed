// Placing a long document's text, links and headings on its pages through their source rows:
// 100,000 words on 300 pages of 1200 x 1024 with margins. The goal is milliseconds, next to the
// seconds that writing those pages takes.
#include "pages/DocumentLayer.h"
#include "pages/PageGeometry.h"
#include "pages/PageLayer.h"
#include "pages/PageSet.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <deque>

#include <malloc.h>

namespace {

constexpr int kWidth = 1200;
constexpr int kPages = 300;
constexpr int kWords = 100000;
constexpr int kRounds = 9;
constexpr int kTop = 20, kBottom = 30; // margins on every page
constexpr int kLinePitch = 29, kLineHeight = 16, kWordsPerLine = 10;

} // namespace

int main() {
    // Only the source rows matter here: records without pixels, as a caller may make them.
    std::deque<PageRecord> records(kPages);
    QList<const PageRecord*> pages;
    qint32 source = 0;
    for (PageRecord& page : records) {
        page.sourceRows.assign(PageGeometry::defaultHeight, -1);
        for (int r = kTop; r < PageGeometry::defaultHeight - kBottom; ++r)
            page.sourceRows[size_t(r)] = source++;
        pages.append(&page);
    }
    DocumentLayer doc;
    doc.title = QStringLiteral("bench");
    for (int i = 0; i < kWords; ++i) {
        const qreal y = qreal(i / kWordsPerLine) * kLinePitch;
        const qreal x = 40 + (i % kWordsPerLine) * 110;
        doc.words.push_back({QStringLiteral("낱말%1").arg(i), QRectF(x, y, 90, kLineHeight)});
        if (i % 20 == 0)
            doc.links.push_back({QRectF(x, y, 90, kLineHeight),
                                 QStringLiteral("https://example.com/%1").arg(i), i % 40 == 0,
                                 QPointF(0, y + 5000)});
        if (i % 100 == 0)
            doc.headings.push_back({1 + i % 6, QStringLiteral("제목"), QPointF(x, y), 20});
    }
    const PageGeometry geometry = PageGeometry::For(kWidth);
    size_t placed = 0, pieces = 0;
    const auto bestOf = [&] {
        double best = 1e30;
        for (int round = 0; round < kRounds; ++round) {
            QElapsedTimer timer;
            timer.start();
            const PageLayer layer = PageLayer::Of(doc, pages, geometry, 0);
            best = std::min(best, timer.nsecsElapsed() / 1e6);
            placed = pieces = 0;
            for (const auto& words : layer.words)
                placed += words.size();
            for (const auto& links : layer.links)
                pieces += links.size();
        }
        return best;
    };
    // Most of the time goes to faulting in the layer's 7 MB; where the heap keeps what it freed,
    // the placing itself is what is left.
    const double freshMs = bestOf();
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    bestOf();
    const double heldMs = bestOf();
    std::printf("placing %d words, %zu links, %zu headings on %d pages: %.2f ms in fresh memory, "
                "%.2f ms in memory the heap holds (%zu words, %zu link pieces placed)\n",
                kWords, doc.links.size(), doc.headings.size(), kPages, freshMs, heldMs, placed,
                pieces);
    return placed > 0 ? 0 : 1;
}
