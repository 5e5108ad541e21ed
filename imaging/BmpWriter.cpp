#include "imaging/BmpWriter.h"

#include <QFile>
#include <QtEndian>

#include <cstdio>
#include <limits>

namespace {
constexpr qsizetype kStreamBuffer = 1 << 20;
constexpr qint64 kMaxField = std::numeric_limits<quint32>::max();

void Put16(char* at, quint16 v) {
    qToLittleEndian(v, at);
}
void Put32(char* at, quint32 v) {
    qToLittleEndian(v, at);
}
} // namespace

BmpWriter::BmpWriter() = default;

BmpWriter::~BmpWriter() {
    if (m_pFile)
        Discard();
}

bool BmpWriter::Fits(qint32 width, qint64 rows, int bytesPerPixel) {
    if (width < 0 || rows < 0 || bytesPerPixel < 1 || bytesPerPixel > 4)
        return false;
    if (rows > std::numeric_limits<qint32>::max())
        return false;
    const qint64 rowBytes = qint64(width) * bytesPerPixel;
    // Divide first: rows * rowBytes could overflow 64 bits only for absurd sizes, but stay safe.
    if (rowBytes > 0 && rows > (kMaxField - BmpWriter::kHeaderBytes) / rowBytes)
        return false;
    return true;
}

QByteArray BmpWriter::Headers(qint32 width, qint64 rows, int bytesPerPixel) {
    if (!Fits(width, rows, bytesPerPixel))
        return {};
    const quint32 imageBytes = quint32(qint64(width) * bytesPerPixel * rows);
    QByteArray h(kHeaderBytes, '\0');
    char* p = h.data();
    p[0] = 'B';
    p[1] = 'M';
    Put32(p + 2, quint32(kHeaderBytes) + imageBytes);
    Put32(p + 10, kHeaderBytes);
    Put32(p + 14, 40);
    Put32(p + 18, quint32(width));
    Put32(p + 22, quint32(rows)); // positive: rows run bottom-up
    Put16(p + 26, 1);
    Put16(p + 28, quint16(8 * bytesPerPixel));
    Put32(p + 34, imageBytes); // compression, resolution and colour counts stay 0
    return h;
}

bool BmpWriter::Open(const QString& path, qint32 width, qint64 rows, int bytesPerPixel) {
    if (m_pFile)
        Discard();
    const QByteArray headers = Headers(width, rows, bytesPerPixel);
    if (headers.isEmpty())
        return false;
    m_encodedPath = QFile::encodeName(path);
    m_pFile = std::fopen(m_encodedPath.constData(), "wb");
    if (!m_pFile)
        return false;
    if (!m_pBuffer)
        m_pBuffer = std::make_unique<char[]>(kStreamBuffer);
    std::setvbuf(m_pFile, m_pBuffer.get(), _IOFBF, kStreamBuffer);
    m_nRowBytes = qsizetype(width) * bytesPerPixel;
    m_nRowsLeft = rows;
    m_bFailed =
        std::fwrite(headers.constData(), 1, size_t(kHeaderBytes), m_pFile) != size_t(kHeaderBytes);
    if (m_bFailed)
        Discard();
    return !m_bFailed;
}

bool BmpWriter::WriteBandBottomUp(const quint8* rows, int rowCount) {
    if (!m_pFile || m_bFailed)
        return false;
    if (rowCount > m_nRowsLeft) {
        m_bFailed = true; // more rows than the headers promise would make a corrupt file
        return false;
    }
    for (int r = rowCount - 1; r >= 0; --r) {
        if (std::fwrite(rows + qsizetype(r) * m_nRowBytes, 1, size_t(m_nRowBytes), m_pFile) !=
            size_t(m_nRowBytes)) {
            m_bFailed = true;
            return false;
        }
    }
    m_nRowsLeft -= rowCount;
    return true;
}

bool BmpWriter::Close() {
    if (!m_pFile)
        return false;
    if (m_bFailed || m_nRowsLeft != 0 || std::fflush(m_pFile) != 0 || std::ferror(m_pFile)) {
        Discard();
        return false;
    }
    const bool closed = std::fclose(m_pFile) == 0;
    m_pFile = nullptr;
    if (!closed)
        std::remove(m_encodedPath.constData());
    return closed;
}

void BmpWriter::Discard() {
    std::fclose(m_pFile);
    m_pFile = nullptr;
    std::remove(m_encodedPath.constData());
}
