#include "tests/pages/CutSet.h"

#include "pages/PageCutter.h"

#include <QImage>

#include <cstring>
#include <numeric>

CutSet::CutSet(qint32 width, int bytesPerPixel, int rows) : expected(size_t(rows)) {
    std::iota(expected.begin(), expected.end(), 0);
    source = expected;
    set.SetGeometry(PageGeometry::For(width, bytesPerPixel, H));
    Cut();
}

CutSet::CutSet(qint32 width, int bytesPerPixel, std::vector<int> keys, int scale)
    : expected(std::move(keys)), source(expected) {
    set.SetGeometry(PageGeometry::For(width, bytesPerPixel, H, scale));
    Cut();
}

CutSet::CutSet(qint32 imageWidth, const std::vector<int>& imageKeys, const QRect& selection,
               int scale)
    : source(imageKeys) {
    const int rows = int(imageKeys.size());
    QImage image(imageWidth * scale, rows * scale, QImage::Format_RGB32);
    const QRect sel = selection.intersected(QRect(0, 0, imageWidth, rows));
    const qsizetype selBytes = 4 * qsizetype(sel.width()) * scale;
    std::vector<quint8> band(size_t(selBytes * scale));
    for (int y = 0; y < rows; ++y) {
        FillRow(band.data(), qsizetype(band.size()), imageKeys[size_t(y)]);
        for (int k = 0; k < scale; ++k) {
            uchar* line = image.scanLine(y * scale + k);
            std::memset(line, 0x5A, size_t(image.bytesPerLine()));
            if (selBytes > 0)
                std::memcpy(line + 4 * sel.x() * scale, band.data() + selBytes * k,
                            size_t(selBytes));
        }
    }
    if (!sel.isEmpty())
        expected.assign(imageKeys.begin() + sel.top(), imageKeys.begin() + sel.bottom() + 1);
    PageCutter::Cut(image, selection, set, scale);
}

std::vector<int> CutSet::TextKeys(std::mt19937& rng, int rows) {
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution(lo, hi)(rng); };
    std::vector<int> keys;
    int next = 10;
    while (int(keys.size()) < rows) {
        const int kind = pick(0, 19);
        const int background = kind == 0 ? -1 : 1;
        const int glyphs = kind == 1 ? pick(420, 900) : pick(6, 40);
        for (int i = 0; i < glyphs; ++i)
            keys.push_back(next++);
        keys.insert(keys.end(), size_t(pick(2, 12)), background);
    }
    keys.resize(size_t(rows));
    return keys;
}

void CutSet::Cut() {
    const int rows = int(expected.size());
    for (int first = 0; first == 0 || first < rows; first += H) {
        PageSet::PagePtr page = set.AllocPage();
        for (int r = 0; r < H && first + r < rows; ++r) {
            FillRow(page->pixels + RowBytes() * r, expected[size_t(first + r)]);
            page->sourceRows[size_t(r)] = first + r;
        }
        set.Append(std::move(page));
    }
}

void CutSet::FillRow(quint8* row, qsizetype rowBytes, int key) {
    if (key < 0) {
        std::memset(row, 0xFF, size_t(rowBytes));
        return;
    }
    for (qsizetype j = 0; j < rowBytes; ++j)
        row[j] = quint8((key * 31 + j * 7) & 0x7F);
    row[0] = quint8(key & 0xFF);
    if (rowBytes > 1)
        row[1] = quint8((key >> 8) & 0x7F);
}

bool CutSet::IsWhite(const quint8* row) const {
    for (qsizetype j = 0; j < RowBytes(); ++j) {
        if (row[j] != 0xFF)
            return false;
    }
    return true;
}

std::string CutSet::CheckInvariant() const {
    std::vector<quint8> want(static_cast<size_t>(RowBytes()));
    size_t next = 0;
    for (int i = 0; i < set.Count(); ++i) {
        const PageRecord* page = Page(i);
        for (int r = 0; r < H; ++r) {
            const quint8* row = page->pixels + RowBytes() * r;
            const bool content = r >= page->topMargin && r < H - page->bottomMargin;
            if (content && next < expected.size()) {
                FillRow(want.data(), expected[next++]);
                if (std::memcmp(row, want.data(), want.size()) != 0)
                    return "page " + std::to_string(i) + " row " + std::to_string(r) +
                           " is not selection row " + std::to_string(next - 1);
            } else if (!IsWhite(row)) {
                return "page " + std::to_string(i) + " row " + std::to_string(r) +
                       " should be white";
            }
        }
    }
    // Rows left over must be white ones that fell off the end.
    for (; next < expected.size(); ++next) {
        if (expected[next] >= 0)
            return "only " + std::to_string(next) + " rows kept";
    }
    return "";
}

std::string CutSet::CheckSourceRows() const {
    std::vector<quint8> want(static_cast<size_t>(RowBytes()));
    qint64 last = -1;
    for (int i = 0; i < set.Count(); ++i) {
        const PageRecord* page = Page(i);
        const std::string at = "page " + std::to_string(i) + " row ";
        if (page->sourceRows.size() != size_t(H))
            return "page " + std::to_string(i) + " has no source rows";
        for (int r = 0; r < H; ++r) {
            const quint8* row = page->pixels + RowBytes() * r;
            const qint32 k = page->sourceRows[size_t(r)];
            if (k < 0) {
                if (!IsWhite(row))
                    return at + std::to_string(r) + " shows no image row but is not white";
                continue;
            }
            if (size_t(k) >= source.size() || k <= last)
                return at + std::to_string(r) + " names image row " + std::to_string(k) +
                       (size_t(k) < source.size() ? " out of order" : ", which is none");
            last = k;
            FillRow(want.data(), source[size_t(k)]);
            if (std::memcmp(row, want.data(), want.size()) != 0)
                return at + std::to_string(r) + " is not image row " + std::to_string(k);
        }
    }
    return "";
}

std::vector<std::vector<qint32>> CutSet::SourceRows() const {
    std::vector<std::vector<qint32>> pages;
    for (int i = 0; i < set.Count(); ++i)
        pages.push_back(Page(i)->sourceRows);
    return pages;
}

std::vector<QByteArray> CutSet::Snapshot() const {
    std::vector<QByteArray> pages;
    for (int i = 0; i < set.Count(); ++i)
        pages.emplace_back(reinterpret_cast<const char*>(Page(i)->pixels),
                           set.Geometry().pageBytes);
    return pages;
}
