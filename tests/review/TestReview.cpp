#include "tests/review/TestReview.h"

#include <cstring>

TestReview::TestReview(int count, int width, int height, const QList<bool>& used, int scale) {
    m_pages.geometry = PageGeometry::For(width, 4, height, scale);
    width = m_pages.geometry.pageWidth;
    height = m_pages.geometry.pageHeight;
    for (int p = 0; p < count; ++p) {
        auto buffer = std::make_unique<quint8[]>(size_t(m_pages.geometry.pageBytes));
        for (int r = 0; r < height; ++r) {
            const QByteArray pixel = Pixel(p, r);
            for (int x = 0; x < width; ++x)
                std::memcpy(buffer.get() + (qsizetype(r) * width + x) * 4, pixel.constData(), 4);
        }
        auto record = std::make_unique<PageRecord>();
        record->used = p < used.size() ? used[p] : true;
        record->pixels = buffer.get();
        m_pages.pages.append(record.get());
        m_buffers.push_back(std::move(buffer));
        m_records.push_back(std::move(record));
    }
}

QByteArray TestReview::Pixel(int page, int row) {
    const char bytes[4] = {char(40 * page), char(row & 0xFF), char(255 - 40 * page),
                           char(row >> 8)};
    return QByteArray(bytes, 4);
}

QByteArray TestReview::Row(int page, int row) const {
    const qsizetype rowBytes = m_pages.geometry.rowBytes;
    return QByteArray(reinterpret_cast<const char*>(m_pages.pages[page]->pixels) + row * rowBytes,
                      rowBytes);
}
