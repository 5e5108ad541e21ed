#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>

struct iovec;

// A file being written with plain system calls and no stream buffer in between, so that pixel
// rows go from the caller's memory straight to the file. A file that is not finished - a write
// or the close failed, or the object went away first - is removed.
class OutputFile final {
  public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates (or empties) path for writing; false when it cannot.
    bool Create(const QString& path);
    // Writes all bytes, however many calls it takes; false once anything failed.
    bool Write(const void* data, size_t bytes);
    // Writes the pieces in order, gathered into as few calls as the system allows.
    bool WriteGather(const iovec* pieces, int count);
    // Closes the file: true when every write and the close succeeded; otherwise it is removed.
    bool Finish();
    // Closes and removes the file.
    void Abandon();
    bool IsOpen() const { return m_fd >= 0; }

  private:
    int m_fd = -1;
    QByteArray m_encodedPath;
    bool m_bFailed = false;
};
