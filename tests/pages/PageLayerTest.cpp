#include "pages/PageLayer.h"
#include "pages/DocumentLayer.h"
#include "pages/PageSet.h"

#include <gtest/gtest.h>

#include <ostream>

void PrintTo(const PageLayer::Word& w, std::ostream* os) {
    *os << w.text.toStdString() << " " << w.box.x() << "," << w.box.y() << " " << w.box.width()
        << "x" << w.box.height();
}

void PrintTo(const PageLayer::Link& l, std::ostream* os) {
    *os << l.address.toStdString() << " " << l.box.x() << "," << l.box.y() << " " << l.box.width()
        << "x" << l.box.height() << " -> " << l.target.page << " " << l.target.at.x() << ","
        << l.target.at.y();
}

void PrintTo(const PageLayer::Heading& h, std::ostream* os) {
    *os << h.level << " " << h.text.toStdString() << " " << h.place.page << " " << h.place.at.x()
        << "," << h.place.at.y();
}

namespace {

constexpr int H = PageSet::pageHeight;

// Page rows first.. showing image rows from source on, one for one.
void Show(PageRecord* page, int first, int source, int rows) {
    for (int r = 0; r < rows; ++r)
        page->sourceRows[size_t(first + r)] = source + r;
}

} // namespace

// Two pages of a selection 20 columns in, the first with a top margin, the second with the band
// of image rows 1500..1509 cut out; a record of unknown rows between them and a third page that is
// not written. Words follow their middle row, links split at the page break but not at the band,
// targets and headings go to the first row shown.
TEST(PageLayer, PlacesThroughTheSourceRows) {
    PageSet set;
    ASSERT_TRUE(set.SetWidth(100));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(set.AppendWhitePage());
    Show(set.Page(0), 10, 100, H - 10);
    Show(set.Page(1), 0, 1114, 386);
    Show(set.Page(1), 386, 1510, H - 386);
    Show(set.Page(2), 0, 2148, H);
    PageRecord unknown;
    const QList<const PageRecord*> pages{set.Page(0), &unknown, set.Page(1)};

    DocumentLayer doc;
    doc.title = QStringLiteral("제목");
    doc.address = QStringLiteral("https://example.com/doc");
    doc.captured = QDateTime::fromSecsSinceEpoch(1700000000);
    const auto word = [&](const char* text, QRectF box) {
        doc.words.push_back({QString::fromUtf8(text), box});
    };
    word("whole", QRectF(30, 200.5, 20, 12));    // rows 200..212 on the first page
    word("below", QRectF(30, 1105, 20, 20));     // middle 1115: on the second page only
    word("cut", QRectF(30, 1495, 20, 20));       // middle 1505 was cut out
    word("around", QRectF(30, 1490, 20, 16));    // middle 1498, its foot cut out
    word("right", QRectF(115, 300, 20, 10));     // middle column 125 - 20 is off the page
    word("left", QRectF(5, 300, 10, 10));        // middle column 10 - 20 too
    word("unwritten", QRectF(30, 2500, 20, 10)); // on the page not written
    word("above", QRectF(30, 50, 20, 10));       // above the selection
    const auto link = [&](QRectF box, bool hasTarget = false, QPointF target = {}) {
        doc.links.push_back({box, QStringLiteral("https://example.com/#t"), hasTarget, target});
    };
    link(QRectF(20, 1100, 40, 30));                     // across the page break: two pieces
    link(QRectF(20, 1490, 20, 30), true, {25, 1503.5}); // across the band: one piece
    link(QRectF(40, 300, 20, 10), true, {30, 300.25});
    link(QRectF(40, 320, 20, 10), true, {30, 5000}); // nothing shown from there on
    link(QRectF(130, 300, 20, 10));                  // off the page
    doc.headings = {{1, QStringLiteral("top"), {20, 100}, 30},
                    {2, QStringLiteral("band"), {20, 1502}, 20},
                    {3, QStringLiteral("gone"), {20, 1503}, 0},
                    {2, QStringLiteral("unwritten"), {20, 2500}, 10},
                    {1, QStringLiteral("above"), {20, 50}, 10}};

    const PageLayer layer = PageLayer::Of(doc, pages, set.Geometry(), 20);
    EXPECT_EQ(layer.title, doc.title);
    EXPECT_EQ(layer.address, doc.address);
    EXPECT_EQ(layer.captured, doc.captured);
    ASSERT_EQ(layer.words.size(), 3u);
    ASSERT_EQ(layer.links.size(), 3u);
    using W = PageLayer::Word;
    EXPECT_EQ(layer.words[0], (std::vector<W>{{QStringLiteral("whole"), {10, 110.5, 20, 12}}}));
    EXPECT_TRUE(layer.words[1].empty());
    EXPECT_EQ(layer.words[2], (std::vector<W>{{QStringLiteral("below"), {10, 0, 20, 11}},
                                              {QStringLiteral("around"), {10, 376, 20, 10}}}));

    const QString a = QStringLiteral("https://example.com/#t");
    using L = PageLayer::Link;
    EXPECT_EQ(layer.links[0], (std::vector<L>{{{0, 1010, 40, 14}, a, {}},
                                              {{20, 210, 20, 10}, a, {0, {10, 210.25}}},
                                              {{20, 230, 20, 10}, a, {}}}));
    EXPECT_EQ(layer.links[2],
              (std::vector<L>{{{0, 0, 40, 16}, a, {}}, {{0, 376, 20, 20}, a, {2, {5, 386}}}}));

    using Hd = PageLayer::Heading;
    EXPECT_EQ(layer.headings, (std::vector<Hd>{{1, QStringLiteral("top"), {0, {0, 10}}},
                                               {2, QStringLiteral("band"), {2, {0, 386}}}}));

    // Pages at scale 2 with the same rows: the same layer, in document pixels.
    PageSet sharp;
    ASSERT_TRUE(sharp.SetWidth(100, 2));
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(sharp.AppendWhitePage());
        sharp.Page(i)->sourceRows = set.Page(i)->sourceRows;
    }
    const PageLayer twice =
        PageLayer::Of(doc, {sharp.Page(0), &unknown, sharp.Page(1)}, sharp.Geometry(), 20);
    EXPECT_EQ(twice.words, layer.words);
    EXPECT_EQ(twice.links, layer.links);
    EXPECT_EQ(twice.headings, layer.headings);
}
