#include "imaging/QX_DIB.h"

#include "imaging/BoundedFile.h"
#include "imaging/Cp949Codec.h"
#include "imaging/DibDecoder.h"

#include <QFile>
#include <QPainter>
#include <QtEndian>

#include <limits>

namespace {

constexpr qint64 FileHeaderBytes = 14;
constexpr int PackNameBytes = 24;
// Skin pictures are small; a stated size past this is a damaged file, not a picture.
constexpr qint64 MaxBitmapFileBytes = qint64(512) << 20;
// A pack holds a few dozen of them; a larger one is not read.
constexpr qint64 MaxPackBytes = qint64(64) << 20;

// Reads one BMP file of `size` bytes from the current position: the packed DIB after the
// 14-byte file header, in a zeroed block of `size` bytes. The size is checked against what
// the file still holds before anything is allocated. Null when short or not a BMP.
QByteArray ReadBitmapFile(QIODevice& file, qint64 size) {
    if (size < FileHeaderBytes + DibDecoder::CoreHeaderSize || size > MaxBitmapFileBytes ||
        size > file.size() - file.pos())
        return {};
    char header[FileHeaderBytes];
    if (file.read(header, FileHeaderBytes) != FileHeaderBytes || header[0] != 'B' ||
        header[1] != 'M')
        return {};
    QByteArray block(qsizetype(size), '\0');
    if (file.read(block.data(), size - FileHeaderBytes) != size - FileHeaderBytes)
        return {};
    return block;
}

uchar AsciiLower(uchar c) {
    return c >= 'A' && c <= 'Z' ? uchar(c + ('a' - 'A')) : c;
}

// The pack's name field against a wanted CP949 name: the whole NUL-terminated text must
// match, ASCII letters without regard to case. Both bytes of a double-byte character are
// compared exactly, since its trail byte may fall in the ASCII letter range.
bool SameEntryName(const char* field, const QByteArray& wanted) {
    const qsizetype length = qstrnlen(field, PackNameBytes);
    if (length != wanted.size())
        return false;
    for (qsizetype i = 0; i < length; ++i) {
        const uchar a = uchar(field[i]);
        const uchar b = uchar(wanted[i]);
        if (a >= 0x81 && i + 1 < length) {
            if (a != b || field[i + 1] != wanted[i + 1])
                return false;
            ++i;
        } else if (AsciiLower(a) != AsciiLower(b)) {
            return false;
        }
    }
    return true;
}

// Copies at the image's own size, else stretches by nearest-neighbour sampling.
void Blit(QPainter* dc, const QRect& r, const QImage& image) {
    if (r.size() == image.size()) {
        dc->drawImage(r.topLeft(), image);
        return;
    }
    const bool smooth = dc->testRenderHint(QPainter::SmoothPixmapTransform);
    dc->setRenderHint(QPainter::SmoothPixmapTransform, false);
    dc->drawImage(r, image);
    dc->setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

} // namespace

QX_DIB::QX_DIB() = default;

QX_DIB::~QX_DIB() = default;

QString QX_DIB::PackFileName() {
    return QStringLiteral("kvq7.if");
}

void QX_DIB::Release() {
    m_hDib.clear();
    m_pPalette.clear();
    m_image = QImage();
    m_keyed = QImage();
    m_bLoaded = false;
}

qint8 QX_DIB::LoadFile(const QString* path) {
    Release();
    if (!path) {
        m_strSource.clear();
        return -1;
    }
    m_strSource = *path;
    if (path->isEmpty())
        return -2;
    // ReadBitmapFile bounds the size; a pipe or device is refused before it could block.
    QFile file;
    if (!BoundedFile::Open(*path, std::numeric_limits<qint64>::max(), &file))
        return -3;
    return ReadFile(file);
}

qint8 QX_DIB::ReadFile(QIODevice& file) {
    Release();
    const qint64 size = file.size() - file.pos();
    QByteArray block = ReadBitmapFile(file, size);
    if (block.isEmpty() || !AcceptBlock(std::move(block), size - FileHeaderBytes))
        return -1;
    return 1;
}

qint8 QX_DIB::LoadFromPack(const QString* name) {
    Release();
    if (!name) {
        m_strSource.clear();
        return -1;
    }
    const QString pack = PackFileName();
    if (pack.isEmpty() || name->isEmpty()) {
        m_strSource.clear();
        return -2;
    }
    m_strSource = pack + QLatin1Char(',') + *name;
    QFile file;
    if (!BoundedFile::Open(pack, MaxPackBytes, &file))
        return -3;
    return ReadPackEntry(file, *name);
}

qint8 QX_DIB::ReadPackEntry(QIODevice& file, const QString& name) {
    // A character code page 949 cannot hold would silently drop out of the name and let it
    // match another entry; such a name is in no pack.
    const QByteArray wanted = Cp949Codec::Encode(name);
    if (Cp949Codec::Decode(wanted) != name) {
        Release();
        return -4;
    }
    return ReadPackEntry(file, wanted);
}

qint8 QX_DIB::ReadPackEntry(QIODevice& file, const QByteArray& wanted) {
    Release();
    if (!file.seek(0))
        return -3;
    char sizeField[4];
    char nameField[PackNameBytes];
    while (file.read(sizeField, 4) == 4) {
        const qint64 size = qFromLittleEndian<quint32>(sizeField);
        if (file.read(nameField, PackNameBytes) != PackNameBytes)
            break;
        if (SameEntryName(nameField, wanted)) {
            QByteArray block = ReadBitmapFile(file, size);
            if (block.isEmpty() || !AcceptBlock(std::move(block), size - FileHeaderBytes))
                return -4;
            return 1;
        }
        if (size > file.size() - file.pos() || !file.seek(file.pos() + size))
            break;
    }
    return -4;
}

bool QX_DIB::AcceptBlock(QByteArray block, qsizetype dataBytes) {
    const DibDecoder decoder(QByteArrayView(block).first(dataBytes));
    QImage image = decoder.ToImage();
    if (image.isNull())
        return false;
    m_hDib = std::move(block);
    m_image = std::move(image);
    m_bLoaded = true;
    AttachDib();
    return true;
}

void QX_DIB::AttachDib() {
    m_pPalette.clear();
    m_keyed = QImage();
    m_bTransparent = false;
    m_crKey = 0xFFFFFF;
    m_nWidth = m_nDrawWidth = m_image.width();
    m_nHeight = m_nDrawHeight = m_image.height();
    BuildPalette();
}

void QX_DIB::BuildPalette() {
    m_pPalette = DibDecoder(m_hDib).Palette();
}

void QX_DIB::DrawToRect(QPainter* dc, const QRect& r) const {
    if (!dc || !dc->isActive() || m_image.isNull() || r.width() <= 0 || r.height() <= 0)
        return;
    Blit(dc, r, m_image);
}

void QX_DIB::Draw(QPainter* dc, int x, int y) const {
    const QRect r(x, y, m_nDrawWidth, m_nDrawHeight);
    if (!m_bTransparent) {
        DrawToRect(dc, r);
        return;
    }
    if (!dc || !dc->isActive() || m_image.isNull() || r.width() <= 0 || r.height() <= 0)
        return;
    const QPainter::CompositionMode mode = dc->compositionMode();
    dc->setCompositionMode(QPainter::CompositionMode_SourceOver);
    Blit(dc, r, KeyedImage());
    dc->setCompositionMode(mode);
}

bool QX_DIB::DrawRealized(QPainter* dc, int x, int y) const {
    if (!m_bLoaded)
        return false;
    Draw(dc, x, y);
    return true;
}

const QImage& QX_DIB::KeyedImage() const {
    if (!m_keyed.isNull() && m_keyedFor == m_crKey)
        return m_keyed;
    // Keyed pixels become fully transparent; with nearest sampling a stretch keeps alpha at 0
    // or 255, so this equals keying the stretched picture.
    const quint32 key = ((m_crKey & 0xFF) << 16) | (m_crKey & 0xFF00) | ((m_crKey >> 16) & 0xFF);
    m_keyed = m_image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < m_keyed.height(); ++y) {
        auto* row = reinterpret_cast<quint32*>(m_keyed.scanLine(y));
        for (int x = 0; x < m_keyed.width(); ++x) {
            if ((row[x] & 0xFFFFFF) == key)
                row[x] = 0;
        }
    }
    m_keyedFor = m_crKey;
    return m_keyed;
}
