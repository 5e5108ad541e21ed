#pragma once

#include "imaging/OutputFile.h"

#include <QString>
#include <QtGlobal>

#include <vector>

struct png_struct_def;
struct png_info_def;

// Writes a lossless PNG, 8-bit RGB, from page buffers (rows top first, blue-green-red with or
// without a spare fourth byte), a band of rows at a time, so that a tall
// scroll is encoded straight from its pages without a copy. The compression is libpng's at a fast
// setting (zlib level 1, no row filter): pages are mostly flat colour, where filters gain little
// and cost much. A file that is not completed - a write or the close failed, the library
// refused, or fewer rows arrived than Open promised - never replaces the target (see OutputFile).
class PngWriter final {
  public:
    static constexpr int kCompressionLevel = 1;

    PngWriter();
    ~PngWriter(); // an unfinished file is dropped
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    // Whether a picture of that size and pixel form can be written (PNG's 31-bit fields).
    static bool Fits(qint32 width, qint64 rows, int bytesPerPixel);

    // Starts the file that will replace path and writes the header. false when the picture does not
    // fit or the file cannot be created or written; nothing is left behind then.
    bool Open(const QString& path, qint32 width, qint64 rows, int bytesPerPixel);
    // Appends rowCount rows of a top-first buffer. false once anything failed.
    bool WriteBand(const quint8* rows, int rowCount);
    // Completes the file and puts it in place: true when every promised row was written and the
    // file is in place; otherwise it is dropped and path left as it was.
    bool Close();
    bool IsOpen() const { return m_file.IsOpen(); }

    // Used by the library's callbacks.
    bool Put(const void* data, size_t bytes);
    bool Flush();

  private:
    bool Start(qint32 width, qint64 rows);
    bool Rows(const quint8* rows, int rowCount);
    bool End();
    void Release();
    void Fail();

    OutputFile m_file;
    png_struct_def* m_png = nullptr;
    png_info_def* m_info = nullptr;
    std::vector<unsigned char> m_buffer; // bytes waiting for one large write
    size_t m_nBuffered = 0;
    int m_nBytesPerPixel = 0;
    qsizetype m_nRowBytes = 0;
    qint64 m_nRowsLeft = 0;
    bool m_bFailed = false;
};
