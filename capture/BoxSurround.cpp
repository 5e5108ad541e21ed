#include "capture/BoxSurround.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// The colour most of the pixels have (the background, where text and pictures are a minority).
QRgb MostCommon(std::vector<QRgb>& pixels) {
    std::sort(pixels.begin(), pixels.end());
    QRgb best = pixels.empty() ? 0 : pixels.front();
    size_t bestRun = 0;
    for (size_t i = 0, j = 0; i < pixels.size(); i = j) {
        while (j < pixels.size() && pixels[j] == pixels[i])
            ++j;
        if (j - i > bestRun) {
            best = pixels[i];
            bestRun = j - i;
        }
    }
    return best;
}

} // namespace

BoxSurround::BoxSurround(const QRect& box, QSize content, QList<Side> sides)
    : m_box(box), m_content(content), m_sides(std::move(sides)), m_filled(m_sides.size(), 0) {}

QRect BoxSurround::SideAt(int index, int top) const {
    // Content row r of a side is image row view.top() + r; right of the box, the box's extra
    // columns come first.
    const QRect& view = m_sides.at(index).view;
    const int dx = m_content.width() - m_box.width();
    return QRect(view.left() > m_box.right() ? view.left() + dx : view.left(), view.top() + top,
                 view.width(), view.height());
}

void BoxSurround::PlaceSide(QImage& image, const QImage& tile, int index, int top) {
    const QRect view = m_sides.at(index).view;
    const QRect to = SideAt(index, top);
    if (!tile.rect().contains(view) || to.left() < 0 || to.right() >= image.width())
        return;
    // Only rows no tile placed before: the side's top rows show again in every tile, with what
    // does not scroll along there (hidden after the first tile).
    int& filled = m_filled[index];
    const int from = std::max(filled, std::max(0, to.top()));
    const int end = std::min(to.bottom() + 1, image.height());
    const size_t bytes = size_t(view.width()) * 4;
    for (int y = from; y < end; ++y)
        std::memcpy(image.scanLine(y) + size_t(to.left()) * 4,
                    tile.constScanLine(view.top() + y - to.top()) + size_t(view.left()) * 4, bytes);
    filled = std::max(filled, end);
}

void BoxSurround::Fill(QImage& image, const QImage& first) const {
    const QRect content(m_box.topLeft(), m_content);
    const int dx = m_content.width() - m_box.width(), dy = m_content.height() - m_box.height();
    const auto source = [](int v, int start, int size, int extra) {
        if (v < start)
            return v;
        if (v >= start + size + extra)
            return v - extra;
        return std::min(v, start + size - 1);
    };
    // Beside the box's extra rows (above and below its extra columns) nothing of the page was
    // drawn: each column (row) gets the colour most of it has beside the box, its background,
    // never its edge row with whatever text crosses it.
    std::vector<QRgb> columnColour(size_t(first.width())), rowColour(size_t(first.height()));
    std::vector<QRgb> pixels;
    for (int x = 0; dy > 0 && x < first.width(); ++x) {
        pixels.clear();
        for (int y = m_box.top(); y <= m_box.bottom(); ++y)
            pixels.push_back(first.pixel(x, y));
        columnColour[size_t(x)] = MostCommon(pixels);
    }
    for (int y = 0; dx > 0 && y < first.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(first.constScanLine(y));
        pixels.assign(row + m_box.left(), row + m_box.right() + 1);
        rowColour[size_t(y)] = MostCommon(pixels);
    }
    // What the tiles drew: the box's content and the sides' whole content.
    QList<QRect> drawn{content};
    for (int i = 0; i < m_sides.size(); ++i)
        drawn.append(
            SideAt(i, 0).adjusted(0, 0, 0, m_sides.at(i).height - m_sides.at(i).view.height()));
    const int rowsEnd = m_box.bottom() + 1 + dy, columnsEnd = m_box.right() + 1 + dx;
    QList<QRect> crossing;
    for (int y = 0; y < image.height(); ++y) {
        crossing.clear();
        for (const QRect& area : drawn)
            if (y >= area.top() && y <= area.bottom())
                crossing.append(area);
        const bool drawnOutRow = y > m_box.bottom() && y < rowsEnd;
        const int sy = source(y, m_box.top(), m_box.height(), dy);
        const auto* from = reinterpret_cast<const QRgb*>(first.constScanLine(sy));
        auto* to = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (std::any_of(crossing.begin(), crossing.end(), [x](const QRect& area) {
                    return x >= area.left() && x <= area.right();
                }))
                continue;
            const int sx = source(x, m_box.left(), m_box.width(), dx);
            if (drawnOutRow)
                to[x] = columnColour[size_t(sx)];
            else if (x > m_box.right() && x < columnsEnd)
                to[x] = rowColour[size_t(sy)];
            else
                to[x] = from[sx];
        }
    }
    // Below a side's content, as far as the box's extra rows: the side's background.
    for (int i = 0; i < m_sides.size(); ++i) {
        const QRect area = drawn.at(i + 1);
        for (int y = area.bottom() + 1; y < std::min(rowsEnd, image.height()); ++y)
            std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(y)) + area.left(), area.width(),
                        m_sides.at(i).background);
    }
}
