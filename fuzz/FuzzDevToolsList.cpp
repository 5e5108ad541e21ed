// Feeds each input to the DevTools answer reader as the browser's HTTP response.
#include "browsers/DevToolsList.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray body;
    BrowserPageList pages;
    if (DevToolsList::ResponseBody(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)),
                                   &body))
        DevToolsList::ParseList(body, &pages);
    return 0;
}
