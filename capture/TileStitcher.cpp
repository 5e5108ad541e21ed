#include "capture/TileStitcher.h"

#include <algorithm>
#include <cstring>

TileStitcher::TileStitcher(int width, int height) {
    if (width > 0 && height > 0)
        m_image = QImage(width, height, QImage::Format_RGB32);
}

bool TileStitcher::Place(const QImage& tile, int top) {
    if (!IsValid() || tile.isNull() || top < 0 || top > m_nFilled ||
        tile.width() < m_image.width() || tile.format() != QImage::Format_RGB32)
        return false;
    const int first = m_nFilled - top; // the tile's first new row
    const int last = std::min(tile.height(), m_image.height() - top);
    if (first >= last)
        return false;
    const size_t rowBytes = size_t(m_image.width()) * 4;
    for (int row = first; row < last; ++row)
        std::memcpy(m_image.scanLine(top + row), tile.constScanLine(row), rowBytes);
    m_nFilled = top + last;
    return true;
}

QImage TileStitcher::TakeImage() {
    if (!IsValid() || m_nFilled == 0)
        return QImage();
    QImage image = m_nFilled == m_image.height() ? std::move(m_image)
                                                 : m_image.copy(0, 0, m_image.width(), m_nFilled);
    m_image = QImage();
    m_nFilled = 0;
    return image;
}
