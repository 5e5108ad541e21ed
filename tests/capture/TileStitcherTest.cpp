#include "capture/TileStitcher.h"

#include <gtest/gtest.h>

namespace {

// A tile of `rows` rows whose row r carries the document row number top + r.
QImage Tile(int width, int top, int rows) {
    QImage tile(width, rows, QImage::Format_RGB32);
    for (int r = 0; r < rows; ++r)
        tile.setPixel(0, r, qRgb(0, (top + r) >> 8, (top + r) & 0xFF)),
            tile.setPixel(width - 1, r, qRgb(0, (top + r) >> 8, (top + r) & 0xFF));
    return tile;
}

struct Walk {
    int height;
    int tile;
};

class TileStitcherWalk : public ::testing::TestWithParam<Walk> {};

} // namespace

// Walks as the capture makes them: tiles at the first unfilled row, the last one scrolled to
// the end and overlapping. Every document row must come out once, in place.
TEST_P(TileStitcherWalk, EveryRowOnceInPlace) {
    const Walk w = GetParam();
    TileStitcher stitcher(8, w.height);
    ASSERT_TRUE(stitcher.IsValid());
    while (!stitcher.IsComplete()) {
        const int top = std::min(stitcher.FilledRows(), std::max(0, w.height - w.tile));
        ASSERT_TRUE(stitcher.Place(Tile(8, top, std::min(w.tile, w.height)), top));
    }
    const QImage image = stitcher.TakeImage();
    ASSERT_EQ(image.height(), w.height);
    for (int y = 0; y < w.height; ++y)
        ASSERT_EQ(qGreen(image.pixel(7, y)) * 256 + qBlue(image.pixel(7, y)), y) << y;
}

INSTANTIATE_TEST_SUITE_P(Boundaries, TileStitcherWalk,
                         ::testing::Values(Walk{600, 600}, Walk{601, 600}, Walk{1199, 600},
                                           Walk{1200, 600}, Walk{50, 600}, Walk{6001, 7}));

TEST(TileStitcher, RefusesGapsNarrowTilesAndEmptyImages) {
    TileStitcher stitcher(8, 100);
    EXPECT_FALSE(stitcher.Place(Tile(8, 10, 20), 10)) << "a gap above the tile";
    EXPECT_FALSE(stitcher.Place(Tile(4, 0, 20), 0)) << "narrower than the image";
    EXPECT_TRUE(stitcher.Place(Tile(8, 0, 20), 0));
    EXPECT_FALSE(stitcher.Place(Tile(8, 0, 20), 0)) << "adds nothing";
    EXPECT_EQ(stitcher.TakeImage().height(), 20) << "an unfinished walk keeps its rows";
    EXPECT_FALSE(TileStitcher(0, 10).IsValid());
}
