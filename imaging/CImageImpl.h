#pragma once

#include "imaging/QX_DIB.h"

#include <QImage>
#include <QList>
#include <QtGlobal>

// An image of 24-bit colour held for writing to a file. Its rows stay in the form their source
// holds them - a screen bitmap (blue, green, red, spare; or blue, green, red; or a 16-bit 5-6-5
// value) or page buffers borrowed without copying - and become red, green, blue only when a
// writer or a pixel query asks, so a page reaches its file without a second copy of its pixels.
// Coordinates count from the top-left pixel.
class CImageImpl {
  public:
    static constexpr int kBitsPerPixel = 24;
    static constexpr quint32 kFormatTrueColour = 2; // more than 8 bits a pixel, no palette

    CImageImpl();
    virtual ~CImageImpl();
    CImageImpl(const CImageImpl&) = delete;
    CImageImpl& operator=(const CImageImpl&) = delete;

    virtual bool IsInside(int x, int y) const;
    // A new all-black image of its own; only 24 bits per pixel. false for other depths or an
    // empty size.
    virtual bool Create(int width, int height, int bitsPerPixel, quint32 flags);
    // Always 0: these images have no palette.
    virtual quint8 GetPixelIndex(int x, int y) const;
    // The colour at (x, y) as 0x00BBGGRR after the source's conversion; 0 outside.
    virtual COLORREF GetPixelColor(int x, int y) const;
    // false: there is no palette to index.
    virtual bool SetPixelIndex(int x, int y, quint8 index);
    // Only on an image made by Create; false otherwise or outside.
    virtual bool SetPixelColor(int x, int y, COLORREF color);

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    int BitsPerPixel() const { return m_nBpp; }
    quint32 Flags() const { return m_nFlags; }
    // Bytes of one converted row: width x 3.
    int RowStride() const { return m_nRowStride; }
    // Bytes per pixel of the source rows: 4, 3 or 2.
    int RawBytesPerPixel() const { return m_nRawBytesPerPixel; }

  protected:
    // How a source row holds its pixels.
    enum class RawKind { Bgrx, Bgr, Rgb565, Rgb };
    // Consecutive source rows, top first.
    struct Band {
        const uchar* bits = nullptr;
        int rows = 0;
        qsizetype stride = 0;
    };

    // Fixes the geometry; the first call wins (a new image is taken in the first one's size).
    void SetGeometry(int width, int height);
    // Replaces the source rows; the bands must cover Height() rows of Width() pixels.
    void SetSource(RawKind kind, QList<Band> bands, const QImage& keepAlive = QImage());
    void Clear();
    RawKind Kind() const { return m_kind; }
    bool HasRows() const { return !m_bands.isEmpty(); }
    // Source row y, top first.
    const uchar* RawRow(int y) const;
    // Row y as red, green, blue bytes into out (RowStride() bytes).
    void ConvertRow(int y, uchar* out) const;
    static int RawBytes(RawKind kind);
    // One source pixel as 0x00BBGGRR.
    static COLORREF RawColor(RawKind kind, const uchar* raw);

  private:
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nBpp = kBitsPerPixel;
    quint32 m_nFlags = kFormatTrueColour;
    int m_nRowStride = 0;
    int m_nRawBytesPerPixel = 4;
    bool m_bSized = false;
    RawKind m_kind = RawKind::Bgrx;
    QList<Band> m_bands;
    QImage m_keepAlive; // the bitmap whose pixels the bands point into, when it is ours to hold
    bool m_bOwnPixels = false; // m_keepAlive was made by Create and may be written
};
