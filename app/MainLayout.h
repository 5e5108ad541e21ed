#pragma once

#include <QPoint>
#include <QRect>

// Where the main window's children go for a client area of W x H pixels. The frame's caption
// takes the top 31 rows; everything else is fixed offsets from the client edges.
class MainLayout final {
  public:
    explicit MainLayout(int clientWidth, int clientHeight);

    QRect ToolBar() const;       // (3, 32) to (W-3, 64)
    QPoint AddressLabel() const; // top-left of the address label text
    QRect AddressBox() const;    // (110, 67) to (W-4, 89)
    QRect Content() const;       // browser control and capture view: (3, 90) to (W-3, H-3)

  private:
    // A rectangle from (left, top) of the given size, never negative in either direction.
    static QRect Sized(int left, int top, int width, int height);

    int m_nWidth;
    int m_nHeight;
};
