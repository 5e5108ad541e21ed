#include "imaging/Cp949Codec.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace {

// Converts with glibc's iconv; characters the target cannot hold are skipped rather than
// ending the conversion, so a stray character never loses the rest of the text.
QByteArray Convert(const char* to, const char* from, const QByteArray& in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    std::vector<char> out(size_t(in.size()) * 4 + 16);
    char* src = const_cast<char*>(in.constData());
    size_t srcLeft = size_t(in.size());
    char* dst = out.data();
    size_t dstLeft = out.size();
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != size_t(-1))
            break;
        if (errno != EILSEQ && errno != EINVAL)
            break;
        ++src; // skip the byte that cannot be converted
        --srcLeft;
    }
    iconv_close(cd);
    return QByteArray(out.data(), qsizetype(out.size() - dstLeft));
}

} // namespace

QByteArray Cp949Codec::Encode(const QString& text) {
    return Convert("CP949", "UTF-8", text.toUtf8());
}

QString Cp949Codec::Decode(const QByteArray& bytes) {
    return QString::fromUtf8(Convert("UTF-8", "CP949", bytes));
}

QByteArray Cp949Codec::EncodeTruncated(const QString& text, int maxBytes) {
    QByteArray result;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray piece = Encode(text.mid(i, len));
        if (result.size() + piece.size() > maxBytes)
            break;
        result += piece;
        i += len;
    }
    return result;
}
