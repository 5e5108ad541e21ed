#include "pages/LargeMemory.h"

#include <cstdint>
#include <cstdlib>
#include <limits>

#include <sys/mman.h>

namespace LargeMemory {

namespace {

constexpr size_t kHugePage = size_t(2) << 20;
// Older system headers lack the name; older kernels refuse the advice, which is harmless.
#ifdef MADV_POPULATE_WRITE
constexpr int kPopulateWrite = MADV_POPULATE_WRITE;
#else
constexpr int kPopulateWrite = 23;
#endif

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

void Populate(void* begin, size_t bytes) {
    constexpr uintptr_t kPage = 4096;
    const uintptr_t first = (reinterpret_cast<uintptr_t>(begin) + kPage - 1) & ~(kPage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(begin) + bytes) & ~(kPage - 1);
    if (end > first)
        madvise(reinterpret_cast<void*>(first), end - first, kPopulateWrite);
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
