#include "imaging/PageOutput.h"

#include <gtest/gtest.h>

namespace {

PageLayer::Word Word(const char* text) {
    return {QString::fromUtf8(text), QRectF(1, 2, 3, 4)};
}

PageLayer::Link LinkTo(int page, const char* address = "") {
    return {QRectF(0, 0, 5, 5), QString::fromUtf8(address), {page, QPointF(7, 8)}};
}

PageLayer::Heading HeadingOn(int page) {
    return {2, QStringLiteral("h"), {page, QPointF(3, 4)}};
}

} // namespace

// The used pages of a review become the document's pages: what is on them moves with them, links
// into pages left out fall back to their addresses, headings on them are dropped.
TEST(PageOutput, TheLayerOfSomePagesFollowsThemToTheirNewPlaces) {
    PageLayer layer;
    layer.title = QStringLiteral("제목");
    layer.words = {{Word("zero")}, {Word("one")}, {Word("two")}};
    layer.links = {{LinkTo(2), LinkTo(1, "https://a/"), LinkTo(-1, "https://b/")},
                   {LinkTo(0)},
                   {LinkTo(0), LinkTo(5, "https://c/")}};
    layer.headings = {HeadingOn(0), HeadingOn(1), HeadingOn(2), HeadingOn(9)};

    const PageLayer kept = PageOutput::LayerOfPages(layer, {0, 2});
    EXPECT_EQ(kept.title, layer.title);
    EXPECT_EQ(kept.words,
              (std::vector<std::vector<PageLayer::Word>>{{Word("zero")}, {Word("two")}}));
    EXPECT_EQ(kept.links, (std::vector<std::vector<PageLayer::Link>>{
                              {LinkTo(1), LinkTo(-1, "https://a/"), LinkTo(-1, "https://b/")},
                              {LinkTo(0), LinkTo(-1, "https://c/")}}));
    EXPECT_EQ(kept.headings, (std::vector<PageLayer::Heading>{HeadingOn(0), HeadingOn(1)}));

    // A layer with nothing in it stays empty, page for page.
    const PageLayer none = PageOutput::LayerOfPages(PageLayer(), {0, 1, 2});
    EXPECT_EQ(none.words.size(), 3u);
    EXPECT_TRUE(none.words[2].empty() && none.links[2].empty() && none.headings.empty());
}
