// Feeds each input to the DevToolsActivePort reader as the file's text.
#include "browsers/DevToolsList.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DevToolsList::PortFromText(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
