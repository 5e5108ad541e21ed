#pragma once

#include <QByteArray>
#include <QString>

class QFile;

// Opening files the program reads but does not make (the skin pack, the colour file, other
// browsers' files) without trusting them: only regular files, links followed, and only up to a
// size cap, so that a pipe cannot block the reader and a device cannot feed it for ever.
class BoundedFile final {
  public:
    // Opens path for reading when it is a regular file of at most maxBytes; false (file left
    // closed) otherwise: missing, a folder, a device or pipe, too large, unreadable.
    static bool Open(const QString& path, qint64 maxBytes, QFile* file);
    // The whole file when Open takes it; false otherwise, also when it grew past maxBytes
    // while being read.
    static bool Read(const QString& path, qint64 maxBytes, QByteArray* bytes);
};
