#include "imaging/BmpWriter.h"

#include <QFile>
#include <QtEndian>

#include <limits>
#include <vector>

#include <sys/uio.h>

namespace {
constexpr qint64 kMaxField = std::numeric_limits<quint32>::max();

void Put16(char* at, quint16 v) {
    qToLittleEndian(v, at);
}
void Put32(char* at, quint32 v) {
    qToLittleEndian(v, at);
}
} // namespace

BmpWriter::BmpWriter() = default;
BmpWriter::~BmpWriter() = default;

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
    const QByteArray headers = Headers(width, rows, bytesPerPixel);
    if (headers.isEmpty() || !m_file.Create(path))
        return false;
    m_nRowBytes = qsizetype(width) * bytesPerPixel;
    m_nRowsLeft = rows;
    m_bFailed = !m_file.Write(headers.constData(), size_t(kHeaderBytes));
    if (m_bFailed)
        m_file.Abandon();
    return !m_bFailed;
}

bool BmpWriter::WriteBandBottomUp(const quint8* rows, int rowCount) {
    if (!m_file.IsOpen() || m_bFailed)
        return false;
    if (rowCount < 0 || rowCount > m_nRowsLeft) {
        m_bFailed = true; // more rows than the headers promise would make a corrupt file
        return false;
    }
    std::vector<iovec> pieces(static_cast<size_t>(rowCount));
    for (int r = 0; r < rowCount; ++r) {
        pieces[size_t(r)].iov_base =
            const_cast<quint8*>(rows + qsizetype(rowCount - 1 - r) * m_nRowBytes);
        pieces[size_t(r)].iov_len = size_t(m_nRowBytes);
    }
    if (!m_file.WriteGather(pieces.data(), rowCount)) {
        m_bFailed = true;
        return false;
    }
    m_nRowsLeft -= rowCount;
    return true;
}

bool BmpWriter::Close() {
    if (!m_file.IsOpen())
        return false;
    if (m_bFailed || m_nRowsLeft != 0) {
        m_file.Abandon();
        return false;
    }
    return m_file.Finish();
}
