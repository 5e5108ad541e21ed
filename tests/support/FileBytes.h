#pragma once

#include <QByteArray>
#include <QString>

// A file's whole content, or an empty array when it cannot be read.
QByteArray ReadAll(const QString& path);
// Writes bytes as the whole file; false when any of it could not be written.
bool WriteAll(const QString& path, const QByteArray& bytes);
