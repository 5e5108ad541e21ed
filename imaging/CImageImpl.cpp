#include "imaging/CImageImpl.h"

#include <cstring>
#include <utility>

CImageImpl::CImageImpl() = default;
CImageImpl::~CImageImpl() = default;

bool CImageImpl::IsInside(int x, int y) const {
    return x >= 0 && y >= 0 && x < m_nWidth && y < m_nHeight;
}

bool CImageImpl::Create(int width, int height, int bitsPerPixel, quint32 flags) {
    Q_UNUSED(flags); // these images are always true colour
    if (bitsPerPixel != kBitsPerPixel || width <= 0 || height <= 0)
        return false;
    QImage pixels(width, height, QImage::Format_RGB888);
    if (pixels.isNull())
        return false;
    pixels.fill(0);
    m_bSized = false;
    SetGeometry(width, height);
    SetSource(RawKind::Rgb, {{pixels.constBits(), height, pixels.bytesPerLine()}}, pixels);
    m_bOwnPixels = true;
    return true;
}

quint8 CImageImpl::GetPixelIndex(int, int) const {
    return 0;
}

COLORREF CImageImpl::GetPixelColor(int x, int y) const {
    if (!IsInside(x, y) || !HasRows())
        return 0;
    return RawColor(m_kind, RawRow(y) + qsizetype(x) * RawBytes(m_kind));
}

COLORREF CImageImpl::RawColor(RawKind kind, const uchar* raw) {
    switch (kind) {
    case RawKind::Bgrx:
    case RawKind::Bgr:
        return QX_RGB(raw[2], raw[1], raw[0]);
    case RawKind::Rgb:
        return QX_RGB(raw[0], raw[1], raw[2]);
    case RawKind::Rgb565:
        break;
    }
    // 5-6-5 as the screen holds it; green keeps only its upper five bits, so white is 248s.
    const quint16 v = quint16(raw[0] | (raw[1] << 8));
    return QX_RGB(((v >> 11) << 3) & 0xFF, (((v >> 6) & 0x1F) << 3) & 0xFF,
                  ((v & 0x1F) << 3) & 0xFF);
}

bool CImageImpl::SetPixelIndex(int, int, quint8) {
    return false;
}

bool CImageImpl::SetPixelColor(int x, int y, COLORREF color) {
    if (!m_bOwnPixels || !IsInside(x, y))
        return false;
    uchar* p = m_keepAlive.scanLine(y) + qsizetype(x) * 3; // ours alone: no detach copy
    p[0] = uchar(color & 0xFF);
    p[1] = uchar((color >> 8) & 0xFF);
    p[2] = uchar((color >> 16) & 0xFF);
    return true;
}

void CImageImpl::SetGeometry(int width, int height) {
    if (m_bSized)
        return;
    m_bSized = true;
    m_nWidth = width;
    m_nHeight = height;
    m_nRowStride = width * 3;
}

void CImageImpl::SetSource(RawKind kind, QList<Band> bands, const QImage& keepAlive) {
    m_kind = kind;
    m_nRawBytesPerPixel = RawBytes(kind);
    m_bands = std::move(bands);
    m_keepAlive = keepAlive;
    m_bOwnPixels = false;
}

void CImageImpl::Clear() {
    m_bands.clear();
    m_keepAlive = QImage();
    m_bOwnPixels = false;
    m_bSized = false;
    m_nWidth = m_nHeight = m_nRowStride = 0;
}

const uchar* CImageImpl::RawRow(int y) const {
    for (const Band& band : m_bands) {
        if (y < band.rows)
            return band.bits + qsizetype(y) * band.stride;
        y -= band.rows;
    }
    return nullptr;
}

void CImageImpl::ConvertRow(int y, uchar* out) const {
    const uchar* raw = RawRow(y);
    if (!raw) {
        std::memset(out, 0, size_t(m_nRowStride));
        return;
    }
    const int step = RawBytes(m_kind);
    for (int x = 0; x < m_nWidth; ++x, out += 3, raw += step) {
        const COLORREF c = RawColor(m_kind, raw);
        out[0] = uchar(c & 0xFF);
        out[1] = uchar((c >> 8) & 0xFF);
        out[2] = uchar((c >> 16) & 0xFF);
    }
}

int CImageImpl::RawBytes(RawKind kind) {
    switch (kind) {
    case RawKind::Bgrx:
        return 4;
    case RawKind::Rgb565:
        return 2;
    case RawKind::Bgr:
    case RawKind::Rgb:
        break;
    }
    return 3;
}
