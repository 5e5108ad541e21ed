// Feeds each input to the advertisement text reader as a fetched text: its lines joined, the
// address it names, and whether the panel may show that address.
#include "review/AdPanel.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = AdPanel::JoinLines(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    AdPanel::AllowedTarget(AdPanel::AddressInText(text));
    return 0;
}
