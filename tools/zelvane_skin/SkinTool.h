#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QTextStream;

// The skin maintainer's command-line tool: builds skin packs from BMP files, lists and checks
// packs and bitmaps with the program's own reader, and shows what a colour file sets.
class SkinTool final {
  public:
    SkinTool(QTextStream& out, QTextStream& err);

    // Runs one command (the arguments after the program name) and returns the exit code:
    // 0 success, 1 a failure the command reports, 2 a usage error.
    int Run(const QStringList& args);

  private:
    int Pack(const QString& output, const QStringList& files);
    int List(const QString& packPath);
    int Check(const QString& target);
    int CheckPackEntry(const QString& packPath, const QString& name);
    int Colors(const QString& path);
    int Usage();
    // The entry bytes for one BMP file, or an empty array after reporting why not.
    QByteArray PackEntry(const QString& file, QByteArray* nameBytes);

    QTextStream& m_out;
    QTextStream& m_err;
};
