#include "capture/TileStitcher.h"

#include <gtest/gtest.h>

namespace {

// Document pixel (x, y) of the test walks: a colour of its own for every pixel.
QRgb DocumentPixel(int x, int y) {
    return qRgb(x & 0xFF, y & 0xFF, ((x >> 8) & 0xF) << 4 | ((y >> 8) & 0xF));
}

// The view at scroll position at, its shared corner marked as the capture marks it.
QImage Tile(QSize view, QPoint at, QPoint origin, bool marked) {
    QImage tile(view.width() + origin.x() + 3, view.height() + origin.y() + 2,
                QImage::Format_RGB32);
    tile.fill(Qt::magenta);
    for (int y = 0; y < view.height(); ++y)
        for (int x = 0; x < view.width(); ++x)
            tile.setPixel(origin.x() + x, origin.y() + y, DocumentPixel(at.x() + x, at.y() + y));
    if (marked)
        for (int y = 0; y < TileStitcher::kOverlap; ++y)
            for (int x = 0; x < TileStitcher::kOverlap; ++x)
                tile.setPixel(origin.x() + x, origin.y() + y, qRgb(1, 2, 3));
    return tile;
}

struct Walk {
    QSize content;
    QSize view;
};

class TileStitcherWalk : public ::testing::TestWithParam<Walk> {};

} // namespace

// Grids as the capture walks them, down and across, the last tiles scrolled to the end and
// overlapping more: every pixel comes out once, in place, never from a marked corner, and the
// image around the content is left to the caller.
TEST_P(TileStitcherWalk, EveryPixelOnceInPlace) {
    const Walk w = GetParam();
    const QPoint offset(5, 3);
    TileStitcher stitcher(w.content + QSize(9, 4), QRect(offset, w.content), w.view);
    ASSERT_TRUE(stitcher.IsValid());
    stitcher.Image().fill(Qt::black);
    const QSize tile = stitcher.TileSize();
    for (int i = 0; i < stitcher.Count(); ++i) {
        const QPoint at = stitcher.TileAt(i);
        ASSERT_TRUE(QRect(QPoint(0, 0), w.content).contains(QRect(at, tile))) << i;
        ASSERT_TRUE(stitcher.Place(i, Tile(tile, at, QPoint(7, 1), i > 0), QPoint(7, 1))) << i;
    }
    ASSERT_TRUE(stitcher.IsComplete());
    EXPECT_EQ(stitcher.FilledRows(), w.content.height());
    const QImage image = stitcher.TakeImage();
    ASSERT_EQ(image.size(), w.content + QSize(9, 4));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QPoint d = QPoint(x, y) - offset;
            const QRgb want = QRect(QPoint(0, 0), w.content).contains(d)
                                  ? DocumentPixel(d.x(), d.y())
                                  : qRgb(0, 0, 0);
            ASSERT_EQ(image.pixel(x, y), want) << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(Boundaries, TileStitcherWalk,
                         ::testing::Values(Walk{{40, 600}, {40, 600}}, Walk{{40, 601}, {40, 600}},
                                           Walk{{40, 1199}, {40, 600}}, Walk{{30, 50}, {40, 600}},
                                           Walk{{8, 6001}, {8, 7}}, Walk{{101, 37}, {20, 9}},
                                           Walk{{2500, 30}, {994, 30}}, Walk{{16000, 8}, {5, 5}}));

TEST(TileStitcher, RefusesTilesOutOfTurnOrTooSmallAndKeepsFinishedStrips) {
    TileStitcher stitcher(QSize(8, 100), QRect(0, 0, 8, 100), QSize(8, 20));
    ASSERT_TRUE(stitcher.IsValid());
    const QImage tile = Tile(QSize(8, 20), QPoint(0, 0), QPoint(0, 0), false);
    EXPECT_FALSE(stitcher.Place(1, tile)) << "out of turn";
    EXPECT_FALSE(stitcher.Place(0, tile.copy(0, 0, 8, 19))) << "smaller than a tile";
    EXPECT_FALSE(stitcher.Place(0, tile, QPoint(0, 4))) << "origin leaves too little";
    EXPECT_TRUE(stitcher.Place(0, tile));
    EXPECT_FALSE(stitcher.Place(0, tile)) << "placed already";
    EXPECT_EQ(stitcher.TakeImage().height(), 20) << "an unfinished walk keeps its rows";
    EXPECT_FALSE(TileStitcher(QSize(0, 10), QRect(0, 0, 0, 10), QSize(8, 8)).IsValid());
    EXPECT_FALSE(TileStitcher(QSize(8, 10), QRect(4, 0, 8, 10), QSize(8, 8)).IsValid())
        << "content outside the image";
    EXPECT_FALSE(TileStitcher(QSize(8, 10), QRect(0, 0, 8, 10), QSize(8, 2)).IsValid())
        << "a view no larger than the overlap";
}
