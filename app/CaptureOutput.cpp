#include "app/CaptureOutput.h"

#include "imaging/BmpWriter.h"
#include "imaging/CImageJPG.h"
#include "imaging/PdfWriter.h"
#include "imaging/PngWriter.h"
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

int CaptureOutput::BreakAfter(const QImage& rows, int start) {
    // The review's automatic breaks read the content as one stream of rows: the page keeps
    // kPageRows - b of them, the smallest b up to the largest bottom margin whose break lies
    // between two identical rows; none there, the page stays full.
    if (start + kPageRows >= rows.height())
        return kPageRows;
    const size_t rowBytes = size_t(rows.width()) * 4;
    for (int b = 0; b <= kMaxBottomMargin; ++b) {
        const int last = start + kPageRows - 1 - b;
        if (std::memcmp(rows.constScanLine(last), rows.constScanLine(last + 1), rowBytes) == 0)
            return kPageRows - b;
    }
    return kPageRows;
}

bool CaptureOutput::CutPages(const QImage& rows, bool autoBreaks, PageSet& set) {
    set.FreePages();
    if (rows.isNull() || !set.SetWidth(rows.width()))
        return false;
    const size_t rowBytes = size_t(set.RowBytes());
    for (int y = 0; y < rows.height();) {
        const int kept = std::min(autoBreaks ? BreakAfter(rows, y) : kPageRows, rows.height() - y);
        PageRecord* page = set.AllocPage(false);
        if (!page)
            return false;
        for (int r = 0; r < kept; ++r)
            std::memcpy(set.Row(page, r), rows.constScanLine(y + r), rowBytes);
        std::memset(set.Row(page, kept), 0xFF, rowBytes * size_t(kPageRows - kept));
        // A break placed by the rows is the page's bottom margin, as the review shows it.
        page->bottomMargin = autoBreaks && y + kPageRows < rows.height() ? kPageRows - kept : 0;
        if (!set.pages.Add(page)) {
            PageSet::FreePage(page);
            return false;
        }
        y += kept;
    }
    return true;
}

QList<QImage> CaptureOutput::PageImages(const PageSet& set) {
    QList<QImage> images;
    for (int i = 0; i < set.Count(); ++i)
        images.append(QImage(set.Page(i)->pixels, set.pageWidth, kPageRows,
                             qsizetype(set.RowBytes()), QImage::Format_RGB32));
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
