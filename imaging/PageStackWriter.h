#pragma once

#include <QList>
#include <QString>

// Writes pages of one size (each pageHeight rows of width pixels of bytesPerPixel bytes, top row
// first, no filler) as one BMP, PNG or JPEG picture, the first page on top, straight from their
// buffers: the whole picture is never copied. A file that cannot be written completely never
// replaces the one at path. One page of any height is a picture of its own.
class PageStackWriter final {
  public:
    PageStackWriter(int width, int pageHeight, int bytesPerPixel);

    bool WriteBmp(const QString& path, const QList<const quint8*>& pages) const;
    bool WritePng(const QString& path, const QList<const quint8*>& pages) const;
    bool WriteJpeg(const QString& path, const QList<const quint8*>& pages, int quality) const;

  private:
    qint64 Rows(const QList<const quint8*>& pages) const;

    int m_nWidth;
    int m_nPageHeight;
    int m_nBytesPerPixel;
};
