#include "imaging/PdfWriter.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include <zlib.h>

namespace {
constexpr size_t kOutputBuffer = 1 << 20;
constexpr size_t kDeflateBuffer = 1 << 18;
// Objects whose numbers are fixed; pages and their parts follow from 4.
constexpr int kCatalog = 1;
constexpr int kPageTree = 2;
constexpr int kInfo = 3;

QByteArray Number(double v) {
    return QByteArray::number(v, 'f', 4);
}

QByteArray Ref(int object) {
    return QByteArray::number(object) + " 0 R";
}

// A text string in UTF-16 with its byte order mark, written as hexadecimal: safe for any title.
QByteArray TextString(const QString& text) {
    QByteArray hex = "<FEFF";
    for (const QChar c : text)
        hex += QByteArray::number(c.unicode() | 0x10000, 16).mid(1).toUpper();
    return hex + '>';
}

void BgrToRgb(const quint8* from, unsigned char* to, qint32 width, int bytesPerPixel) {
    for (qint32 x = 0; x < width; ++x, from += bytesPerPixel, to += 3) {
        to[0] = from[2];
        to[1] = from[1];
        to[2] = from[0];
    }
}
} // namespace

PdfWriter::PdfWriter() = default;
PdfWriter::~PdfWriter() = default;

QRectF PdfWriter::Placement(qint32 width, qint32 height) {
    if (width <= 0 || height <= 0)
        return {};
    const double areaWidth = kPageWidth - 2 * kMargin;
    const double areaHeight = kPageHeight - 2 * kMargin;
    const double scale = std::min(areaWidth / width, areaHeight / height);
    const double w = width * scale, h = height * scale;
    return {kMargin + (areaWidth - w) / 2, kMargin, w, h};
}

bool PdfWriter::Open(const QString& path, const QString& title) {
    if (m_file.IsOpen())
        m_file.Abandon();
    m_buffer.resize(kOutputBuffer);
    m_nBuffered = 0;
    m_nOffset = 0;
    m_objectOffsets.assign(kInfo, 0);
    m_kids.clear();
    m_nPages = 0;
    m_bFailed = !m_file.Create(path);
    if (m_bFailed)
        return false;
    // The second line's high bytes tell tools that the file holds binary data.
    bool ok = Put(QByteArray("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n"));
    m_objectOffsets[kCatalog - 1] = m_nOffset;
    ok = ok && Put("1 0 obj\n<< /Type /Catalog /Pages " + Ref(kPageTree) + " >>\nendobj\n");
    m_objectOffsets[kInfo - 1] = m_nOffset;
    ok = ok && Put("3 0 obj\n<< /Title " + TextString(title) + " >>\nendobj\n");
    return ok || Fail();
}

int PdfWriter::BeginObject() {
    m_objectOffsets.push_back(m_nOffset);
    const int number = int(m_objectOffsets.size());
    Put(QByteArray::number(number) + " 0 obj\n");
    return number;
}

bool PdfWriter::AddPage(const quint8* pixels, qint32 width, qint32 height, int bytesPerPixel) {
    if (!m_file.IsOpen() || m_bFailed)
        return false;
    if (!pixels || width <= 0 || height <= 0 || (bytesPerPixel != 3 && bytesPerPixel != 4))
        return Fail();
    const int image = int(m_objectOffsets.size()) + 1;
    if (!WriteImage(pixels, width, height, bytesPerPixel))
        return Fail();
    // PDF's y runs upwards from the sheet's bottom edge.
    const QRectF at = Placement(width, height);
    const QByteArray draw = "q " + Number(at.width()) + " 0 0 " + Number(at.height()) + ' ' +
                            Number(at.left()) + ' ' + Number(kPageHeight - at.bottom()) +
                            " cm /Im0 Do Q\n";
    const int contents = BeginObject();
    Put("<< /Length " + QByteArray::number(draw.size()) + " >>\nstream\n" + draw +
        "endstream\nendobj\n");
    const int page = BeginObject();
    Put("<< /Type /Page /Parent " + Ref(kPageTree) + " /MediaBox [0 0 " + Number(kPageWidth) + ' ' +
        Number(kPageHeight) + "] /Resources << /XObject << /Im0 " + Ref(image) +
        " >> >> /Contents " + Ref(contents) + " >>\nendobj\n");
    m_kids += Ref(page) + ' ';
    ++m_nPages;
    return !m_bFailed || Fail();
}

bool PdfWriter::WriteImage(const quint8* pixels, qint32 width, qint32 height, int bytesPerPixel) {
    const int image = BeginObject();
    Put("<< /Type /XObject /Subtype /Image /Width " + QByteArray::number(width) + " /Height " +
        QByteArray::number(height) +
        " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode /Length " +
        Ref(image + 1) + " >>\nstream\n");
    if (m_bFailed || !PutImageStream(pixels, width, height, bytesPerPixel))
        return false;
    Put(QByteArray("\nendstream\nendobj\n"));
    BeginObject(); // the stream's length, known only now
    Put(QByteArray::number(m_nStreamBytes) + "\nendobj\n");
    return !m_bFailed;
}

bool PdfWriter::PutImageStream(const quint8* pixels, qint32 width, qint32 height,
                               int bytesPerPixel) {
    z_stream z{};
    if (deflateInit(&z, kCompressionLevel) != Z_OK)
        return false;
    m_row.resize(size_t(width) * 3);
    m_zout.resize(kDeflateBuffer);
    m_nStreamBytes = 0;
    const qsizetype rowBytes = qsizetype(width) * bytesPerPixel;
    bool ok = true;
    for (qint32 y = 0; ok && y < height; ++y) {
        BgrToRgb(pixels + y * rowBytes, m_row.data(), width, bytesPerPixel);
        z.next_in = m_row.data();
        z.avail_in = uInt(m_row.size());
        ok = Deflate(&z, Z_NO_FLUSH);
    }
    ok = ok && Deflate(&z, Z_FINISH);
    deflateEnd(&z);
    return ok;
}

// Runs deflate until it has taken all its input (and, to finish, written its end), putting its
// output in the file as the buffer fills.
bool PdfWriter::Deflate(z_stream* z, int flush) {
    for (;;) {
        z->next_out = m_zout.data();
        z->avail_out = uInt(m_zout.size());
        const int result = deflate(z, flush);
        if (result == Z_STREAM_ERROR)
            return false;
        const size_t produced = m_zout.size() - z->avail_out;
        m_nStreamBytes += qint64(produced);
        if (produced > 0 && !Put(m_zout.data(), produced))
            return false;
        if (flush == Z_FINISH ? result == Z_STREAM_END : z->avail_out != 0)
            return true;
    }
}

bool PdfWriter::Close() {
    if (!m_file.IsOpen())
        return false;
    if (m_bFailed || m_nPages == 0 || !WriteTail() || !Flush()) {
        m_file.Abandon();
        return false;
    }
    return m_file.Finish();
}

bool PdfWriter::WriteTail() {
    m_objectOffsets[kPageTree - 1] = m_nOffset;
    Put("2 0 obj\n<< /Type /Pages /Kids [" + m_kids.trimmed() + "] /Count " +
        QByteArray::number(m_nPages) + " >>\nendobj\n");
    const qint64 xref = m_nOffset;
    QByteArray table = "xref\n0 " + QByteArray::number(qsizetype(m_objectOffsets.size()) + 1) +
                       "\n0000000000 65535 f \n";
    for (const qint64 offset : m_objectOffsets)
        table += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    Put(table);
    Put("trailer\n<< /Size " + QByteArray::number(qsizetype(m_objectOffsets.size()) + 1) +
        " /Root " + Ref(kCatalog) + " /Info " + Ref(kInfo) + " >>\nstartxref\n" +
        QByteArray::number(xref) + "\n%%EOF\n");
    return !m_bFailed;
}

bool PdfWriter::Put(const void* data, size_t bytes) {
    if (m_bFailed)
        return false;
    m_nOffset += qint64(bytes);
    if (m_nBuffered + bytes > m_buffer.size()) {
        if (!Flush())
            return false;
        if (bytes >= m_buffer.size()) {
            m_bFailed = !m_file.Write(data, bytes);
            return !m_bFailed;
        }
    }
    std::memcpy(m_buffer.data() + m_nBuffered, data, bytes);
    m_nBuffered += bytes;
    return true;
}

bool PdfWriter::Flush() {
    const size_t bytes = std::exchange(m_nBuffered, 0);
    if (!m_bFailed && bytes > 0)
        m_bFailed = !m_file.Write(m_buffer.data(), bytes);
    return !m_bFailed;
}

bool PdfWriter::Fail() {
    m_bFailed = true;
    m_file.Abandon();
    return false;
}
