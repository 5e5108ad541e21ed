// Feeds each input to the Chromium session file reader.
#include "browsers/ChromiumSession.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BrowserPageList pages;
    ChromiumSession::Parse(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)),
                           &pages);
    return 0;
}
