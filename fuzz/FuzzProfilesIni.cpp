// Feeds each input to the profiles.ini reader as the text of a Firefox root's profile list.
#include "browsers/RunningBrowsers.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RunningBrowsers::ParseProfilesIni(
        QStringLiteral("/home/user/.mozilla/firefox"),
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
