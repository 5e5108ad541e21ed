#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QVector>
#include <QtGlobal>

// Reads a packed DIB block (header, colour table, pixel rows) without trusting it: every size
// is checked against the bytes the block holds before anything is read, so a block this class
// accepts can be decoded without reading outside it. Pixels are decoded as the GDI draws them.
class DibDecoder {
  public:
    static constexpr int InfoHeaderSize = 40;
    static constexpr int CoreHeaderSize = 12;
    // Decoded pictures larger than this many pixels are refused (1 GiB as 32-bit pixels).
    static constexpr qint64 MaxPixels = qint64(1) << 28;

    explicit DibDecoder(QByteArrayView block);

    // False when the header is unknown or its colour table or pixel rows overrun the block.
    bool IsReadable() const { return m_bReadable; }
    int Width() const { return m_nWidth; }
    // Always positive; see IsTopDown.
    int Height() const { return m_nHeight; }
    int BitCount() const { return m_nBitCount; }
    bool IsTopDown() const { return m_bTopDown; }
    bool IsCoreHeader() const { return m_nHeaderSize == CoreHeaderSize; }
    // Offset of the first pixel row in the block.
    qint64 PixelOffset() const { return m_nPixelOffset; }
    qint64 BytesPerRow() const { return m_nStride; }

    // The colour table as COLORREF values (0x00BBGGRR); empty when the block has none.
    QVector<quint32> Palette() const;
    // The picture as Format_RGB32, top row first; a null image when unreadable.
    QImage ToImage() const;

    // Colour table size in bytes from the header alone (0 for a block too short to tell).
    static int ColorTableBytes(QByteArrayView block);
    // Colour table entry count from the header alone.
    static int DibNumColors(QByteArrayView block);

  private:
    bool ParseHeader();
    bool ParseMasks();
    void DecodeRow(const uchar* src, quint32* dst, const QVector<quint32>& lut) const;
    quint32 MaskedPixel(quint32 value) const;

    QByteArrayView m_block;
    bool m_bReadable = false;
    bool m_bTopDown = false;
    int m_nHeaderSize = 0;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nBitCount = 0;
    quint32 m_nCompression = 0;
    int m_nColors = 0;
    int m_nEntrySize = 4;
    qint64 m_nTableOffset = 0;
    qint64 m_nPixelOffset = 0;
    qint64 m_nStride = 0;
    quint32 m_masks[3] = {0, 0, 0}; // red, green, blue
    int m_shifts[3] = {0, 0, 0};
    int m_lengths[3] = {0, 0, 0};
};
