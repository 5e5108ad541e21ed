#pragma once

#include "imaging/OutputFile.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Writes a BMP file in the program's layout: the 14-byte file header, the 40-byte info header,
// no colour table, then the pixel rows bottom row first, each row exactly as the caller's
// buffer holds it (no padding). Page buffers hold their rows top first, so each band handed in
// is written from its last row to its first. A file that is not completed - a write, the flush
// or the close failed, or fewer rows arrived than the headers promise - never replaces the
// target (see OutputFile). Rows go to the file straight from the caller's buffers, a page's
// worth in one gathered write.
class BmpWriter final {
  public:
    static constexpr int kHeaderBytes = 54;

    BmpWriter();
    ~BmpWriter(); // an unfinished file is dropped
    BmpWriter(const BmpWriter&) = delete;
    BmpWriter& operator=(const BmpWriter&) = delete;

    // The two headers for a picture of width x rows pixels of bytesPerPixel bytes; empty when
    // it does not fit their 32-bit fields (see Fits).
    static QByteArray Headers(qint32 width, qint64 rows, int bytesPerPixel);
    // Whether the file size, the image size and the height fit the headers' fields.
    static bool Fits(qint32 width, qint64 rows, int bytesPerPixel);

    // Starts the file that will replace path and writes the headers. false when the picture does
    // not fit the headers or the file cannot be created or written; nothing is left behind then.
    bool Open(const QString& path, qint32 width, qint64 rows, int bytesPerPixel);
    // Appends rowCount rows of a top-first buffer, its last row first. false once anything
    // failed; the file is dropped by Close or the destructor.
    bool WriteBandBottomUp(const quint8* rows, int rowCount);
    // Completes the file and puts it in place: true when every promised row was written and the
    // file is in place; otherwise it is dropped and path left as it was.
    bool Close();
    bool IsOpen() const { return m_file.IsOpen(); }

  private:
    OutputFile m_file;
    qsizetype m_nRowBytes = 0;
    qint64 m_nRowsLeft = 0;
    bool m_bFailed = false;
};
