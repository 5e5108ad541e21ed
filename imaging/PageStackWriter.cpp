#include "imaging/PageStackWriter.h"

#include "imaging/BmpWriter.h"
#include "imaging/CImageJPG.h"
#include "imaging/PngWriter.h"

PageStackWriter::PageStackWriter(int width, int pageHeight, int bytesPerPixel)
    : m_nWidth(width), m_nPageHeight(pageHeight), m_nBytesPerPixel(bytesPerPixel) {}

qint64 PageStackWriter::Rows(const QList<const quint8*>& pages) const {
    return qint64(pages.size()) * m_nPageHeight;
}

bool PageStackWriter::WriteBmp(const QString& path, const QList<const quint8*>& pages) const {
    // Bottom-up rows: the last page goes first, so the first one ends up on top.
    BmpWriter bmp;
    bool ok = bmp.Open(path, m_nWidth, Rows(pages), m_nBytesPerPixel);
    for (qsizetype f = pages.size() - 1; ok && f >= 0; --f)
        ok = bmp.WriteBandBottomUp(pages[f], m_nPageHeight);
    return bmp.Close() && ok;
}

bool PageStackWriter::WritePng(const QString& path, const QList<const quint8*>& pages) const {
    PngWriter png;
    bool ok = png.Open(path, m_nWidth, Rows(pages), m_nBytesPerPixel);
    for (qsizetype f = 0; ok && f < pages.size(); ++f)
        ok = png.WriteBand(pages[f], m_nPageHeight);
    return png.Close() && ok;
}

bool PageStackWriter::WriteJpeg(const QString& path, const QList<const quint8*>& pages,
                                int quality) const {
    CImageJPG jpeg(path);
    jpeg.SetQuality(quality);
    return jpeg.CreateFromPages(pages, m_nWidth, m_nPageHeight, m_nBytesPerPixel) &&
           jpeg.Save(path);
}
