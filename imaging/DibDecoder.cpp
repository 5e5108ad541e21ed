#include "imaging/DibDecoder.h"

#include <QtEndian>

#include <bit>

namespace {

constexpr quint32 BI_RGB = 0;
constexpr quint32 BI_BITFIELDS = 3;

// Header sizes read as an info header: the 40-byte one and its larger successors, whose
// colour masks sit inside the header.
bool IsInfoFamily(quint32 size) {
    return size == 40 || size == 108 || size == 124;
}

quint16 U16(QByteArrayView b, qsizetype at) {
    return qFromLittleEndian<quint16>(b.data() + at);
}

quint32 U32(QByteArrayView b, qsizetype at) {
    return qFromLittleEndian<quint32>(b.data() + at);
}

int DefaultColors(int bitCount) {
    switch (bitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

// A field of len bits widened to 8 bits by repeating its bits, so full scale stays full scale.
quint32 Widen(quint32 v, int len) {
    if (len <= 0)
        return 0;
    if (len >= 8)
        return (v >> (len - 8)) & 0xFF;
    quint32 out = 0;
    int bits = 0;
    while (bits < 8) {
        out = (out << len) | v;
        bits += len;
    }
    return (out >> (bits - 8)) & 0xFF;
}

} // namespace

DibDecoder::DibDecoder(QByteArrayView block) : m_block(block) {
    m_bReadable = ParseHeader();
}

bool DibDecoder::ParseHeader() {
    if (m_block.size() < 4)
        return false;
    const quint32 size = U32(m_block, 0);
    qint64 width = 0;
    qint64 height = 0;
    quint32 clrUsed = 0;
    if (IsInfoFamily(size)) {
        if (m_block.size() < qsizetype(size))
            return false;
        width = qint32(U32(m_block, 4));
        height = qint32(U32(m_block, 8));
        m_nBitCount = U16(m_block, 14);
        m_nCompression = U32(m_block, 16);
        clrUsed = U32(m_block, 32);
        m_nEntrySize = 4;
    } else if (size == CoreHeaderSize) {
        if (m_block.size() < CoreHeaderSize)
            return false;
        width = U16(m_block, 4);
        height = U16(m_block, 6);
        m_nBitCount = U16(m_block, 10);
        m_nEntrySize = 3;
    } else {
        return false;
    }
    m_nHeaderSize = int(size);
    if (width <= 0 || height == 0)
        return false;
    m_bTopDown = height < 0;
    height = qAbs(height);
    if (width * height > MaxPixels)
        return false;
    m_nWidth = int(width);
    m_nHeight = int(height);
    if (DefaultColors(m_nBitCount) == 0 && m_nBitCount != 16 && m_nBitCount != 24 &&
        m_nBitCount != 32)
        return false;
    const bool bitfields = m_nCompression == BI_BITFIELDS;
    if (m_nCompression != BI_RGB && !(bitfields && (m_nBitCount == 16 || m_nBitCount == 32)))
        return false;
    m_nColors = (clrUsed & 0xFFFF) != 0 ? int(clrUsed & 0xFFFF) : DefaultColors(m_nBitCount);
    // A 40-byte header keeps its three masks just after it; the larger ones hold them inside.
    m_nTableOffset = m_nHeaderSize + (bitfields && m_nHeaderSize == InfoHeaderSize ? 12 : 0);
    m_nPixelOffset = m_nTableOffset + qint64(m_nColors) * m_nEntrySize;
    m_nStride = (qint64(m_nBitCount) * m_nWidth + 31) / 32 * 4;
    if (m_nPixelOffset + m_nStride * m_nHeight > m_block.size())
        return false;
    return ParseMasks();
}

bool DibDecoder::ParseMasks() {
    if (m_nCompression == BI_BITFIELDS) {
        for (int c = 0; c < 3; ++c)
            m_masks[c] = U32(m_block, InfoHeaderSize + 4 * c);
    } else if (m_nBitCount == 16) {
        m_masks[0] = 0x7C00; // plain 16-bit pixels are 5-5-5, the top bit unused
        m_masks[1] = 0x03E0;
        m_masks[2] = 0x001F;
    } else {
        m_masks[0] = 0xFF0000;
        m_masks[1] = 0x00FF00;
        m_masks[2] = 0x0000FF;
    }
    for (int c = 0; c < 3; ++c) {
        const quint32 m = m_masks[c];
        m_shifts[c] = m == 0 ? 0 : std::countr_zero(m);
        m_lengths[c] = m == 0 ? 0 : 32 - std::countl_zero(m >> m_shifts[c]);
    }
    return true;
}

QVector<quint32> DibDecoder::Palette() const {
    QVector<quint32> palette;
    if (!m_bReadable)
        return palette;
    palette.reserve(m_nColors);
    const auto* p = reinterpret_cast<const uchar*>(m_block.data()) + m_nTableOffset;
    for (int i = 0; i < m_nColors; ++i, p += m_nEntrySize)
        palette.append(quint32(p[2]) | (quint32(p[1]) << 8) | (quint32(p[0]) << 16));
    return palette;
}

quint32 DibDecoder::MaskedPixel(quint32 value) const {
    quint32 rgb = 0xFF000000;
    for (int c = 0; c < 3; ++c) {
        const quint32 field = (value & m_masks[c]) >> m_shifts[c];
        rgb |= Widen(field, m_lengths[c]) << (16 - 8 * c);
    }
    return rgb;
}

void DibDecoder::DecodeRow(const uchar* src, quint32* dst, const QVector<quint32>& lut) const {
    const int w = m_nWidth;
    switch (m_nBitCount) {
    case 1:
        for (int x = 0; x < w; ++x)
            dst[x] = lut[(src[x >> 3] >> (7 - (x & 7))) & 1];
        break;
    case 4:
        for (int x = 0; x < w; ++x)
            dst[x] = lut[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
        break;
    case 8:
        for (int x = 0; x < w; ++x)
            dst[x] = lut[src[x]];
        break;
    case 16:
        for (int x = 0; x < w; ++x)
            dst[x] = MaskedPixel(quint32(src[2 * x]) | (quint32(src[2 * x + 1]) << 8));
        break;
    case 24:
        for (int x = 0; x < w; ++x, src += 3)
            dst[x] = 0xFF000000 | (quint32(src[2]) << 16) | (quint32(src[1]) << 8) | src[0];
        break;
    default: // 32
        if (m_nCompression == BI_RGB) {
            for (int x = 0; x < w; ++x, src += 4)
                dst[x] = 0xFF000000 | (quint32(src[2]) << 16) | (quint32(src[1]) << 8) | src[0];
        } else {
            for (int x = 0; x < w; ++x)
                dst[x] = MaskedPixel(qFromLittleEndian<quint32>(src + 4 * x));
        }
        break;
    }
}

QImage DibDecoder::ToImage() const {
    if (!m_bReadable)
        return {};
    QImage image(m_nWidth, m_nHeight, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    // Indices past the colour table draw black; the table is padded so no index needs a check.
    QVector<quint32> lut(256, 0xFF000000);
    const QVector<quint32> palette = Palette();
    for (int i = 0; i < qMin(256, int(palette.size())); ++i) {
        const quint32 c = palette[i];
        lut[i] = 0xFF000000 | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    }
    const auto* rows = reinterpret_cast<const uchar*>(m_block.data()) + m_nPixelOffset;
    for (int r = 0; r < m_nHeight; ++r) {
        const int y = m_bTopDown ? r : m_nHeight - 1 - r;
        DecodeRow(rows + r * m_nStride, reinterpret_cast<quint32*>(image.scanLine(y)), lut);
    }
    return image;
}

int DibDecoder::ColorTableBytes(QByteArrayView block) {
    if (block.size() < 4)
        return 0;
    const quint32 size = U32(block, 0);
    if (IsInfoFamily(size))
        return block.size() < 36 ? 0 : DibNumColors(block) * 4;
    return DibNumColors(block) * 3;
}

int DibDecoder::DibNumColors(QByteArrayView block) {
    if (block.size() < 4)
        return 0;
    if (IsInfoFamily(U32(block, 0))) {
        if (block.size() < 36)
            return 0;
        const quint32 used = U32(block, 32) & 0xFFFF;
        return used != 0 ? int(used) : DefaultColors(U16(block, 14));
    }
    return block.size() < CoreHeaderSize ? 0 : DefaultColors(U16(block, 10));
}
