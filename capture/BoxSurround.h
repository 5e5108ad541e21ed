#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>

// The page around a box that scrolls in place of the document, in the image of the box's whole
// content: the image is the view with the box grown to its content, the page beside and below
// it moved aside. Boxes that scroll beside it over its rows (sides) are scrolled along with it
// and drawn whole, as in a window as tall as the page; the rest is the first tile's, and where
// the page has nothing to show beside the box's extra rows or columns, background.
class BoxSurround final {
  public:
    struct Side {
        QRect view;          // its visible part, in view pixels
        int height = 0;      // its whole content's height
        QRgb background = 0; // the colour under its content
    };

    // box: the box's visible part in the view; content: the size of its whole content.
    BoxSurround(const QRect& box, QSize content, QList<Side> sides);

    // Copies the new rows of side index, as tile (the whole view) shows it scrolled to top.
    void PlaceSide(QImage& image, const QImage& tile, int index, int top);
    // Completes image around the box's content and the sides from first, the first tile.
    void Fill(QImage& image, const QImage& first) const;

  private:
    // Where side index lands in the image scrolled to top, its visible height tall.
    QRect SideAt(int index, int top) const;

    QRect m_box;
    QSize m_content;
    QList<Side> m_sides;
    QList<int> m_filled; // image rows each side has placed
};
