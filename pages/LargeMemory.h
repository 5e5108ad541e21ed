#pragma once

#include <QImage>

#include <cstddef>

// Blocks for page images and page buffers, advised for huge pages: fresh memory faults in per
// 4 KiB page otherwise, which makes filling a capture or a cut several times slower than the
// copy itself. Where huge pages are off the blocks are ordinary heap blocks.
namespace LargeMemory {

// bytes of heap memory that std::free releases; null when out of memory.
void* Alloc(size_t bytes);

// Faults in the whole pages of [begin, begin + bytes) at once, ahead of writing them: far
// cheaper than a fault per page while copying, and it can run while the engine draws. Where the
// system cannot, the pages fault in as they are written.
void Populate(void* begin, size_t bytes);

// A width x height Format_RGB32 image over such a block (its pixels not set); a null image
// when the size is unusable or memory is short.
QImage Image(int width, int height);

} // namespace LargeMemory
