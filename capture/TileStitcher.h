#pragma once

#include <QImage>

// Puts viewport tiles, taken at known scroll positions, together into one image of the whole
// document: each tile gives only the rows not yet filled, so overlapping tiles (the last one,
// scrolled to the end) neither double nor lose a row.
class TileStitcher final {
  public:
    // Allocates the image; IsValid() is false when it could not be allocated.
    TileStitcher(int width, int height);

    bool IsValid() const { return !m_image.isNull(); }
    // Rows filled from the top so far.
    int FilledRows() const { return m_nFilled; }
    bool IsComplete() const { return IsValid() && m_nFilled == m_image.height(); }

    // Copies the new rows of tile, whose top row is document row top. false when the tile
    // would leave a gap, is narrower than the image, or adds nothing.
    bool Place(const QImage& tile, int top);

    // The finished image (only the filled rows if incomplete).
    QImage TakeImage();

  private:
    QImage m_image;
    int m_nFilled = 0;
};
