#include "imaging/Cp949Codec.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// One converter per direction and thread, opened at first use and kept: opening one loads
// and sets up the code page's tables, far more work than converting a short name.
class Converter final {
  public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (m_cd != kNoConverter)
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // The converter in its initial state, or kNoConverter.
    iconv_t Reset() {
        if (m_cd != kNoConverter)
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        return m_cd;
    }

  private:
    iconv_t m_cd;
};

// Converts with glibc's iconv; characters the target cannot hold are skipped rather than
// ending the conversion, so a stray character never loses the rest of the text.
QByteArray Convert(Converter& converter, const QByteArray& in) {
    const iconv_t cd = converter.Reset();
    if (cd == kNoConverter)
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
    return QByteArray(out.data(), qsizetype(out.size() - dstLeft));
}

} // namespace

QByteArray Cp949Codec::Encode(const QString& text) {
    thread_local Converter toCp949("CP949", "UTF-8");
    return Convert(toCp949, text.toUtf8());
}

QString Cp949Codec::Decode(const QByteArray& bytes) {
    thread_local Converter fromCp949("UTF-8", "CP949");
    return QString::fromUtf8(Convert(fromCp949, bytes));
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
