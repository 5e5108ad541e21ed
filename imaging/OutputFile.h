#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>

struct iovec;

// A file being written with plain system calls and no stream buffer in between, so that pixel
// rows go from the caller's memory straight to the file. The bytes go to a new hidden file
// beside the target, made for this write alone; only when every write, the flush to the disk and
// the close succeeded is it renamed over the target. A failed or abandoned file is removed and
// the target - an earlier file, or a symbolic link and whatever it points to - stays as it was.
class OutputFile final {
  public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Starts a file that will replace path; false (errno set) when it cannot be made there or
    // path is a folder.
    bool Create(const QString& path);
    // Writes all bytes, however many calls it takes; false once anything failed.
    bool Write(const void* data, size_t bytes);
    // Writes the pieces in order, gathered into as few calls as the system allows.
    bool WriteGather(const iovec* pieces, int count);
    // Puts the file in place: true when every write, the flush, the close and the rename
    // succeeded; otherwise the new file is removed and the target left alone.
    bool Finish();
    // Closes and removes the new file; the target is left alone.
    void Abandon();
    bool IsOpen() const { return m_fd >= 0; }

  private:
    void RemoveTemporary();

    int m_fd = -1;
    QByteArray m_target;
    QByteArray m_temporary;
    bool m_bFailed = false;
};
