#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <utility>

// Puts view tiles, taken at known scroll positions, together into one image of the whole
// scrolled content. The tiles form a grid, strips from the top, tiles across each strip; each
// tile shares kOverlap rows with the strip above and kOverlap columns with the tile to its left
// (more for the last ones, scrolled to the end). A tile gives only what the ones before it have
// not, so no row or column is lost or doubled, and the corner a tile shares with those before it
// (where the capture marks its frames) is never taken from it. At a scale of N the grid, the
// scroll positions and the rows counted are the document's pixels, and the image and the tiles
// hold N x N pixels for each of them.
class TileStitcher final {
  public:
    static constexpr int kOverlap = 2;

    // The content, content.size() pixels, lands at content.topLeft() of an image of imageSize
    // (the rest is the caller's). view is the size of one tile. All three in document pixels;
    // the image is scale times as wide and tall. IsValid() is false when the sizes or the scale
    // are unusable or the image could not be allocated.
    TileStitcher(QSize imageSize, QRect content, QSize view, int scale = 1);

    bool IsValid() const { return !m_image.isNull() && !m_xs.isEmpty() && !m_ys.isEmpty(); }
    int Scale() const { return m_nScale; }
    int Count() const { return int(m_xs.size() * m_ys.size()); }
    // The scroll position of tile index (0 .. Count()-1).
    QPoint TileAt(int index) const;
    // The size of every tile: the view, no larger than the content.
    QSize TileSize() const { return m_tile; }

    // Makes the memory the new part of tile index goes to ready, ahead of Place.
    void Prepare(int index);
    // Copies the new part of tile index, whose top-left document pixel is at origin in tile
    // (the rest of tile does not count). false when the tile is too small or out of turn.
    bool Place(int index, const QImage& tile, QPoint origin = QPoint(0, 0));
    // Content rows complete from the top so far.
    int FilledRows() const { return m_nFilledRows; }
    bool IsComplete() const { return IsValid() && m_nPlaced == Count(); }

    // The image as filled so far, for the caller to complete around the content.
    QImage& Image() { return m_image; }
    // The finished image; when incomplete, only the content rows filled so far (cut below them).
    QImage TakeImage();

  private:
    static QList<int> Starts(int extent, int view);
    // The image rows the new part of tile index covers.
    std::pair<int, int> NewRows(int index) const;

    QImage m_image;
    QRect m_content;
    QSize m_tile;
    int m_nScale = 1;
    QList<int> m_xs;
    QList<int> m_ys;
    int m_nPlaced = 0;
    int m_nFilledRows = 0;
};
