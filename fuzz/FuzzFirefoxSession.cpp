// Feeds each input to the Firefox session store reader (LZ4 block and JSON).
#include "browsers/FirefoxSession.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BrowserPageList pages;
    FirefoxSession::Parse(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), &pages);
    return 0;
}
