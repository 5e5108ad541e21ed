#include "pages/BandCut.h"

#include <algorithm>
#include <cstring>

bool BandCut::Cut(uchar* bits, qsizetype rowBytes, int height, int to, int from) {
    to = std::max(0, to);
    const int d = from - to;
    if (!bits || d <= 0 || from >= height)
        return false;
    std::memmove(bits + rowBytes * to, bits + rowBytes * from, size_t(rowBytes * (height - from)));
    std::memset(bits + rowBytes * (height - d), 0xFF, size_t(rowBytes * d));
    return true;
}

bool BandCut::Cut(std::vector<qint32>& sourceRows, int to, int from) {
    to = std::max(0, to);
    const int height = int(sourceRows.size());
    const int d = from - to;
    if (d <= 0 || from >= height)
        return false;
    std::copy(sourceRows.begin() + from, sourceRows.end(), sourceRows.begin() + to);
    std::fill(sourceRows.end() - d, sourceRows.end(), -1);
    return true;
}
