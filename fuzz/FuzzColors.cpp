// Feeds each input to the colour file reader LoadUserColor uses once its file is open,
// straight from memory.
#include "toolkit/QX_Skin.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    QX_Skin skin;
    skin.ReadUserColor(file);
    return 0;
}
