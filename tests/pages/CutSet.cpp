#include "tests/pages/CutSet.h"

#include <cstring>
#include <numeric>

CutSet::CutSet(qint32 width, int bytesPerPixel, int rows) : expected(size_t(rows)) {
    std::iota(expected.begin(), expected.end(), 0);
    set.SetGeometry(PageGeometry::For(width, bytesPerPixel, H));
    Cut();
}

CutSet::CutSet(qint32 width, int bytesPerPixel, std::vector<int> keys) : expected(std::move(keys)) {
    set.SetGeometry(PageGeometry::For(width, bytesPerPixel, H));
    Cut();
}

void CutSet::Cut() {
    const int rows = int(expected.size());
    for (int first = 0; first == 0 || first < rows; first += H) {
        PageSet::PagePtr page = set.AllocPage();
        for (int r = 0; r < H && first + r < rows; ++r)
            FillRow(page->pixels + RowBytes() * r, expected[size_t(first + r)]);
        set.Append(std::move(page));
    }
}

void CutSet::FillRow(quint8* row, int key) const {
    if (key < 0) {
        std::memset(row, 0xFF, size_t(RowBytes()));
        return;
    }
    for (qsizetype j = 0; j < RowBytes(); ++j)
        row[j] = quint8((key * 31 + j * 7) & 0x7F);
    row[0] = quint8(key & 0xFF);
    if (RowBytes() > 1)
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

std::vector<QByteArray> CutSet::Snapshot() const {
    std::vector<QByteArray> pages;
    for (int i = 0; i < set.Count(); ++i)
        pages.emplace_back(reinterpret_cast<const char*>(Page(i)->pixels),
                           set.Geometry().pageBytes);
    return pages;
}
