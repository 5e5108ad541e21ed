#pragma once

#include "imaging/CImageImpl.h"

#include <QImage>
#include <QList>
#include <QString>

#include <cstddef>

class OutputFile;

// Writes an image as a baseline JPEG through libjpeg: three components, the library's default
// parameters and the stored quality (30 until SetQuality), the top row as the first scan line.
// Library errors come back to Save, which then returns false and leaves no file behind.
class CImageJPG final : public CImageImpl {
  public:
    // The tallest picture the library accepts.
    static constexpr int kMaxHeight = 65500;
    static constexpr int kDefaultQuality = 30;

    explicit CImageJPG(const QString& fileName);
    ~CImageJPG() override;

    // Quality 1 to 100; values outside are brought to the nearest end.
    void SetQuality(int quality);
    int Quality() const { return m_nQuality; }
    QString FileName() const { return m_strFileName; }

    // Takes a screen bitmap: four bytes a pixel (blue, green, red, spare), three (blue, green,
    // red) or a 16-bit 5-6-5 value; other formats are taken as four-byte pixels. The first call
    // fixes the size: a later bitmap is taken from its top-left corner, black where it is
    // smaller. The bitmap's pixels are shared, not copied. Always true.
    bool CreateFromBitmap(const QImage& bitmap);
    // Takes page buffers (borrowed; each pageHeight rows of width x bytesPerPixel bytes, top row
    // first, in the same pixel forms) as one picture, the first page on top. The buffers must
    // stay unchanged until Save. false for an empty or unusable geometry, or one that differs
    // from an earlier picture's.
    bool CreateFromPages(const QList<const quint8*>& pages, int width, int pageHeight,
                         int bytesPerPixel);

    // Writes the file; a given name replaces the stored one. false, with no new file left behind
    // and an earlier one as it was, when there is no picture, the file cannot be created or
    // written, or the library refuses the image (for instance one taller than kMaxHeight).
    bool Save(const QString& fileName = QString());

  private:
    bool Compress(OutputFile* file, unsigned char* buffer, size_t bufferSize);
    int LibraryColourSpace() const;

    int m_nQuality = kDefaultQuality;
    QString m_strFileName;
};
