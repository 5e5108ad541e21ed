#include "capture/LargeMemory.h"

#include <cstdlib>
#include <limits>

#include <sys/mman.h>

namespace LargeMemory {

namespace {

constexpr size_t kHugePage = size_t(2) << 20;

void FreeBlock(void* block) {
    std::free(block);
}

} // namespace

void* Alloc(size_t bytes) {
    if (bytes == 0)
        return nullptr;
    if (bytes < kHugePage)
        return std::malloc(bytes);
    // Whole huge pages: the tail of the block then faults in as one page too.
    const size_t rounded = (bytes + kHugePage - 1) & ~(kHugePage - 1);
    if (rounded < bytes)
        return nullptr;
    void* block = nullptr;
    if (posix_memalign(&block, kHugePage, rounded) != 0)
        return nullptr;
#ifdef MADV_HUGEPAGE
    madvise(block, rounded, MADV_HUGEPAGE); // only advice: refused where huge pages are off
#endif
    return block;
}

QImage Image(int width, int height) {
    if (width <= 0 || height <= 0 || width > std::numeric_limits<int>::max() / 4)
        return QImage();
    const size_t rowBytes = size_t(width) * 4;
    void* block = Alloc(rowBytes * size_t(height));
    if (!block)
        return QImage();
    QImage image(static_cast<uchar*>(block), width, height, qsizetype(rowBytes),
                 QImage::Format_RGB32, FreeBlock, block);
    if (image.isNull())
        std::free(block);
    return image;
}

} // namespace LargeMemory
