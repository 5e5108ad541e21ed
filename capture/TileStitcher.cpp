#include "capture/TileStitcher.h"

#include "pages/LargeMemory.h"
#include "pages/PageGeometry.h"

#include <algorithm>
#include <cstring>

TileStitcher::TileStitcher(QSize imageSize, QRect content, QSize view, int scale)
    : m_content(content), m_nScale(scale) {
    if (scale < 1 || scale > PageGeometry::maxScale || content.isEmpty() ||
        !QRect(QPoint(0, 0), imageSize).contains(content) || view.width() <= kOverlap ||
        view.height() <= kOverlap)
        return;
    m_tile = view.boundedTo(content.size());
    m_xs = Starts(content.width(), m_tile.width());
    m_ys = Starts(content.height(), m_tile.height());
    m_image = LargeMemory::Image(imageSize.width() * scale, imageSize.height() * scale);
}

QList<int> TileStitcher::Starts(int extent, int view) {
    QList<int> starts{0};
    while (starts.last() + view < extent)
        starts.append(std::min(starts.last() + view - kOverlap, extent - view));
    return starts;
}

QPoint TileStitcher::TileAt(int index) const {
    if (!IsValid() || index < 0 || index >= Count())
        return QPoint(-1, -1);
    return QPoint(m_xs.at(index % m_xs.size()), m_ys.at(index / m_xs.size()));
}

std::pair<int, int> TileStitcher::NewRows(int index) const {
    const int j = int(index / m_xs.size());
    const int top = j == 0 ? 0 : m_ys.at(j - 1) + m_tile.height();
    return {m_content.y() + top, m_content.y() + m_ys.at(j) + m_tile.height()};
}

void TileStitcher::Prepare(int index) {
    if (!IsValid() || index < 0 || index >= Count() || index % m_xs.size() != 0)
        return; // a strip's rows are readied once, by its first tile
    const auto [top, bottom] = NewRows(index);
    LargeMemory::Populate(m_image.scanLine(top * m_nScale),
                          size_t(m_image.bytesPerLine()) * (bottom - top) * m_nScale);
}

bool TileStitcher::Place(int index, const QImage& tile, QPoint origin) {
    if (!IsValid() || index != m_nPlaced || tile.format() != QImage::Format_RGB32 ||
        !tile.rect().contains(QRect(origin * m_nScale, m_tile * m_nScale)))
        return false;
    const int i = int(index % m_xs.size()), j = int(index / m_xs.size());
    const QPoint at(m_xs.at(i), m_ys.at(j));
    // What the tiles before this one left: right of the previous tile, below the strip above.
    const int left = i == 0 ? 0 : m_xs.at(i - 1) + m_tile.width();
    const int top = j == 0 ? 0 : m_ys.at(j - 1) + m_tile.height();
    const int right = at.x() + m_tile.width(), bottom = at.y() + m_tile.height();
    // In pixels: every document row and column is scale of them.
    const int s = m_nScale;
    const size_t bytes = size_t(right - left) * 4 * s;
    for (int y = top * s; y < bottom * s; ++y)
        std::memcpy(m_image.scanLine(m_content.y() * s + y) + size_t(m_content.x() + left) * 4 * s,
                    tile.constScanLine((origin.y() - at.y()) * s + y) +
                        size_t(origin.x() + left - at.x()) * 4 * s,
                    bytes);
    ++m_nPlaced;
    if (i + 1 == m_xs.size())
        m_nFilledRows = bottom;
    return true;
}

QImage TileStitcher::TakeImage() {
    if (!IsValid() || m_nFilledRows == 0)
        return QImage();
    QImage image;
    if (m_nPlaced == Count())
        image = std::move(m_image);
    else
        image = m_image.copy(0, 0, m_image.width(), (m_content.y() + m_nFilledRows) * m_nScale);
    m_image = QImage();
    m_nPlaced = m_nFilledRows = 0;
    return image;
}
