#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>
#include <QVector>
#include <QtGlobal>

class QIODevice;
class QPainter;

// A COLORREF: 0x00BBGGRR, red in the low byte.
using COLORREF = quint32;

constexpr COLORREF QX_RGB(int r, int g, int b) {
    return COLORREF(r & 0xFF) | (COLORREF(g & 0xFF) << 8) | (COLORREF(b & 0xFF) << 16);
}

// One picture of the skinned interface, held as a packed DIB (a BMP file without its
// 14-byte file header) with the palette made from its colour table.
class QX_DIB {
  public:
    QX_DIB();
    virtual ~QX_DIB();
    QX_DIB(const QX_DIB&) = delete;
    QX_DIB& operator=(const QX_DIB&) = delete;

    // 1 loaded; -1 missing path or not a readable BMP; -2 empty path; -3 cannot open or not a
    // regular file (links followed).
    qint8 LoadFile(const QString* path);
    qint8 LoadFile(const QString& path) { return LoadFile(&path); }
    // 1 loaded; -1 missing name; -2 empty name; -3 pack cannot be opened, is not a regular file
    // (links followed) or is larger than 64 MiB; -4 not found or unreadable.
    qint8 LoadFromPack(const QString* name);
    qint8 LoadFromPack(const QString& name) { return LoadFromPack(&name); }
    // What the two loads do once their file is open, for callers that hold the bytes already:
    // a BMP file from the device's position to its end (1 or -1), and the named entry of a
    // skin pack (1 or -4; -3 when the device cannot seek). m_strSource is left as it was.
    qint8 ReadFile(QIODevice& file);
    qint8 ReadPackEntry(QIODevice& pack, const QString& name);
    // The same with the name already in code page 949.
    qint8 ReadPackEntry(QIODevice& pack, const QByteArray& cp949Name);

    // Draws m_nDrawWidth x m_nDrawHeight pixels at (x, y), keying out m_crKey when transparent.
    void Draw(QPainter* dc, int x, int y) const;
    // Draws the whole bitmap into r: a plain copy at its own size, else nearest-neighbour stretch.
    void DrawToRect(QPainter* dc, const QRect& r) const;
    // false (nothing drawn) when not loaded.
    bool DrawRealized(QPainter* dc, int x, int y) const;

    // The packed DIB block, empty when none is held.
    const QByteArray& Block() const { return m_hDib; }
    // The palette built from the colour table; empty for images without one.
    const QVector<quint32>& Palette() const { return m_pPalette; }

    bool m_bLoaded = false;
    bool m_bTransparent = false;
    qint32 m_nWidth = 10;
    qint32 m_nHeight = 10;
    COLORREF m_crKey = 0xFFFFFF;
    qint32 m_nDrawWidth = 10;
    qint32 m_nDrawHeight = 10;
    QString m_strSource;

    // The skin pack every LoadFromPack reads, relative to the working directory.
    static QString PackFileName();

  private:
    void Release();
    // Takes a block read from a file; false (nothing kept) when its bitmap is unreadable.
    bool AcceptBlock(QByteArray block, qsizetype dataBytes);
    void AttachDib();
    void BuildPalette();
    // The picture with the key colour's pixels made fully transparent.
    const QImage& KeyedImage() const;

    QByteArray m_hDib;
    QVector<quint32> m_pPalette; // COLORREF entries; see BuildPalette
    QImage m_image;              // the block decoded once per load
    mutable QImage m_keyed;      // m_image keyed out with m_keyedFor, filled on first use
    mutable COLORREF m_keyedFor = 0;
};
