#include "imaging/PngWriter.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <utility>

#include <png.h>
#include <zlib.h>

namespace {
constexpr size_t kOutputBuffer = 1 << 20;
// Large compressed chunks: fewer chunk headers and fewer calls back into the writer.
constexpr size_t kChunkBytes = 1 << 18;

// The writer's jump buffer lives in libpng's own jmp_buf (png_jmpbuf); a library error returns
// there instead of ending the process. Only plain data lives in the frames that set it.
[[noreturn]] void ReturnToCaller(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

// Warnings are not the user's business and must not reach the standard error stream.
void KeepQuiet(png_structp, png_const_charp) {}

void WriteData(png_structp png, png_bytep data, size_t length) {
    if (!static_cast<PngWriter*>(png_get_io_ptr(png))->Put(data, length))
        png_error(png, "write failed");
}

void FlushData(png_structp png) {
    if (!static_cast<PngWriter*>(png_get_io_ptr(png))->Flush())
        png_error(png, "write failed");
}
} // namespace

PngWriter::PngWriter() = default;

PngWriter::~PngWriter() {
    Release();
}

bool PngWriter::Fits(qint32 width, qint64 rows, int bytesPerPixel) {
    return width > 0 && rows > 0 && rows <= qint64(PNG_UINT_31_MAX) && bytesPerPixel >= 3 &&
           bytesPerPixel <= 4;
}

bool PngWriter::Open(const QString& path, qint32 width, qint64 rows, int bytesPerPixel) {
    Release();
    if (m_file.IsOpen())
        m_file.Abandon();
    if (!Fits(width, rows, bytesPerPixel) || !m_file.Create(path))
        return false;
    m_nBytesPerPixel = bytesPerPixel;
    m_nRowBytes = qsizetype(width) * bytesPerPixel;
    m_nRowsLeft = rows;
    m_bFailed = false;
    m_buffer.resize(kOutputBuffer);
    m_nBuffered = 0;
    if (!Start(width, rows)) {
        Fail();
        return false;
    }
    return true;
}

bool PngWriter::Start(qint32 width, qint64 rows) {
    m_png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, ReturnToCaller, KeepQuiet);
    if (!m_png)
        return false;
    m_info = png_create_info_struct(m_png);
    if (!m_info)
        return false;
    if (setjmp(png_jmpbuf(m_png)))
        return false;
    png_set_write_fn(m_png, this, WriteData, FlushData);
    // The limits guard readers against huge pictures; ours are as tall as the capture is.
    png_set_user_limits(m_png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_compression_level(m_png, kCompressionLevel);
    png_set_filter(m_png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_buffer_size(m_png, kChunkBytes);
    png_set_IHDR(m_png, m_info, png_uint_32(width), png_uint_32(rows), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_write_info(m_png, m_info);
    png_set_bgr(m_png);
    if (m_nBytesPerPixel == 4)
        png_set_filler(m_png, 0, PNG_FILLER_AFTER); // the spare byte is dropped
    return true;
}

bool PngWriter::WriteBand(const quint8* rows, int rowCount) {
    if (!m_png || m_bFailed)
        return false;
    if (rowCount < 0 || rowCount > m_nRowsLeft) {
        Fail(); // more rows than the header promises would make a corrupt file
        return false;
    }
    if (!Rows(rows, rowCount)) {
        Fail();
        return false;
    }
    m_nRowsLeft -= rowCount;
    return true;
}

bool PngWriter::Rows(const quint8* rows, int rowCount) {
    if (setjmp(png_jmpbuf(m_png)))
        return false;
    for (int r = 0; r < rowCount; ++r)
        png_write_row(m_png, rows + qsizetype(r) * m_nRowBytes);
    return true;
}

bool PngWriter::Close() {
    if (!m_file.IsOpen())
        return false;
    const bool ok = m_png && !m_bFailed && m_nRowsLeft == 0 && End() && Flush();
    Release();
    if (!ok) {
        m_file.Abandon();
        return false;
    }
    return m_file.Finish();
}

bool PngWriter::End() {
    if (setjmp(png_jmpbuf(m_png)))
        return false;
    png_write_end(m_png, nullptr);
    return true;
}

bool PngWriter::Put(const void* data, size_t bytes) {
    if (m_nBuffered + bytes > m_buffer.size()) {
        if (!Flush())
            return false;
        if (bytes >= m_buffer.size())
            return m_file.Write(data, bytes);
    }
    std::memcpy(m_buffer.data() + m_nBuffered, data, bytes);
    m_nBuffered += bytes;
    return true;
}

bool PngWriter::Flush() {
    const size_t bytes = std::exchange(m_nBuffered, 0);
    return bytes == 0 || m_file.Write(m_buffer.data(), bytes);
}

void PngWriter::Fail() {
    m_bFailed = true;
    Release();
    m_file.Abandon();
}

void PngWriter::Release() {
    if (m_png)
        png_destroy_write_struct(&m_png, m_info ? &m_info : nullptr);
    m_png = nullptr;
    m_info = nullptr;
}
