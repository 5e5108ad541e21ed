#include "app/CaptureOutput.h"

#include "imaging/BmpWriter.h"
#include "imaging/CImageJPG.h"
#include "imaging/PdfWriter.h"
#include "imaging/PngWriter.h"
#include "pages/AutoBreaks.h"
#include "pages/PageCutter.h"
#include "review/ReviewTexts.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

QImage FileImage(const QImage& image) {
    // Every writer takes four-byte blue, green, red, spare pixels, rows without filler.
    return image.format() == QImage::Format_RGB32 ? image
                                                  : image.convertToFormat(QImage::Format_RGB32);
}

// The system's words for the last failed call, read before anything else can change them.
QString SystemReason() {
    return errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : QString();
}

} // namespace

bool CaptureOutput::CutPages(const QImage& rows, bool autoBreaks, PageSet& set) {
    if (!PageCutter::Cut(rows, rows.rect(), set))
        return false;
    if (!autoBreaks)
        return true;
    MarginReflow reflow(set);
    return AutoBreaks::Apply(reflow) == MarginReflow::ApplyResult::Applied;
}

QList<QImage> CaptureOutput::PageImages(const PageSet& set) {
    QList<QImage> images;
    const PageGeometry& geometry = set.Geometry();
    for (int i = 0; i < set.Count(); ++i)
        images.append(QImage(set.Page(i)->pixels, geometry.pageWidth, geometry.pageHeight,
                             geometry.rowBytes, QImage::Format_RGB32));
    return images;
}

bool CaptureOutput::Write(const QImage& rows, const CaptureJob& job) {
    m_written.clear();
    m_strFailedFile.clear();
    m_strReason.clear();
    const QImage image = FileImage(rows);
    const CaptureOptions::Format format = CaptureOptions::FormatOf(job.out);
    if (image.isNull())
        return Fail(job.out, QStringLiteral("out of memory"));
    if (format != CaptureOptions::Format::Pdf && !job.pages && !job.autoBreaks)
        return WriteFile(image, job.out, format);
    PageSet set;
    if (!CutPages(image, job.autoBreaks, set))
        return Fail(job.out, QStringLiteral("out of memory"));
    const QList<QImage> pages = PageImages(set);
    if (format == CaptureOptions::Format::Pdf)
        return WritePdf(pages, job.out);
    if (!job.pages)
        return WriteFile(Scroll(pages), job.out, format);
    for (int i = 0; i < pages.size(); ++i)
        if (!WriteFile(pages.at(i), CaptureOptions::PageFile(job.out, i + 1), format))
            return false;
    return true;
}

QImage CaptureOutput::Scroll(const QList<QImage>& pages) {
    // The pages top to bottom in one picture, as the save dialog's scroll holds them.
    if (pages.isEmpty())
        return {};
    QImage scroll(pages.first().width(), int(pages.size()) * kPageRows, QImage::Format_RGB32);
    for (int i = 0; !scroll.isNull() && i < pages.size(); ++i)
        std::memcpy(scroll.scanLine(i * kPageRows), pages.at(i).constBits(),
                    size_t(pages.at(i).sizeInBytes()));
    return scroll;
}

bool CaptureOutput::WriteFile(const QImage& image, const QString& path,
                              CaptureOptions::Format format) {
    if (image.isNull())
        return Fail(path, QStringLiteral("out of memory"));
    errno = 0;
    switch (format) {
    case CaptureOptions::Format::Bmp:
        return WriteBmp(image, path);
    case CaptureOptions::Format::Jpeg:
        return WriteJpeg(image, path);
    case CaptureOptions::Format::Png:
        return WritePng(image, path);
    case CaptureOptions::Format::Pdf:
        return WritePdf({image}, path);
    case CaptureOptions::Format::None:
        break;
    }
    return Fail(path, QStringLiteral("unknown format"));
}

bool CaptureOutput::WriteBmp(const QImage& image, const QString& path) {
    if (!BmpWriter::Fits(image.width(), image.height(), 4))
        return Fail(path, QStringLiteral("the picture is too large for a BMP file"));
    BmpWriter writer;
    if (!writer.Open(path, image.width(), image.height(), 4) ||
        !writer.WriteBandBottomUp(image.constBits(), image.height()) || !writer.Close())
        return Fail(path, SystemReason());
    m_written.append(path);
    return true;
}

bool CaptureOutput::WriteJpeg(const QImage& image, const QString& path) {
    if (image.height() > CImageJPG::kMaxHeight)
        return Fail(path, QStringLiteral("a JPEG file holds at most %1 rows; this picture has %2")
                              .arg(CImageJPG::kMaxHeight)
                              .arg(image.height()));
    CImageJPG jpeg(path);
    jpeg.SetQuality(kJpegQuality);
    if (!jpeg.CreateFromBitmap(image) || !jpeg.Save())
        return Fail(path, SystemReason());
    m_written.append(path);
    return true;
}

bool CaptureOutput::WritePng(const QImage& image, const QString& path) {
    if (!PngWriter::Fits(image.width(), image.height(), 4))
        return Fail(path, QStringLiteral("the picture is too large for a PNG file"));
    PngWriter writer;
    if (!writer.Open(path, image.width(), image.height(), 4) ||
        !writer.WriteBand(image.constBits(), image.height()) || !writer.Close())
        return Fail(path, SystemReason());
    m_written.append(path);
    return true;
}

bool CaptureOutput::WritePdf(const QList<QImage>& pages, const QString& path) {
    PdfWriter writer;
    bool ok = writer.Open(path, ReviewTexts::JobName());
    for (const QImage& page : pages)
        ok = ok && writer.AddPage(page.constBits(), page.width(), page.height(), 4);
    if (!ok || !writer.Close())
        return Fail(path, SystemReason());
    m_written.append(path);
    return true;
}

bool CaptureOutput::Fail(const QString& path, const QString& reason) {
    // The job's earlier files go too: a script must not take part of a job for the whole.
    for (const QString& done : std::as_const(m_written))
        QFile::remove(done);
    m_written.clear();
    m_strFailedFile = path;
    m_strReason = reason.isEmpty() ? QStringLiteral("could not be written") : reason;
    return false;
}
