#include "app/CaptureOutput.h"

#include "imaging/BmpWriter.h"
#include "imaging/CImageJPG.h"
#include "imaging/PageStackWriter.h"
#include "imaging/PdfWriter.h"
#include "imaging/PngWriter.h"
#include "imaging/StagedFiles.h"
#include "pages/AutoBreaks.h"
#include "pages/PageCutter.h"
#include "review/PageFileSaver.h"
#include "review/ReviewTexts.h"

#include <QFileInfo>

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

QList<const quint8*> CaptureOutput::PagePixels(const PageSet& set) {
    QList<const quint8*> pixels;
    for (int i = 0; i < set.Count(); ++i)
        pixels.append(set.Page(i)->pixels);
    return pixels;
}

bool CaptureOutput::Write(const QImage& rows, const CaptureJob& job) {
    m_written.clear();
    m_strFailedFile.clear();
    m_strReason.clear();
    // Every file of the job goes beside FILE under a staging name and into place only when all
    // are complete: a failed job removes nothing that was there before.
    StagedFiles stage(QFileInfo(job.out).path());
    if (!WriteAll(rows, job, stage))
        return false;
    if (!stage.Commit())
        return Fail(stage.FailedTarget(), SystemReason());
    m_written = stage.Targets();
    return true;
}

bool CaptureOutput::WriteAll(const QImage& rows, const CaptureJob& job, StagedFiles& stage) {
    const QImage image = FileImage(rows);
    const CaptureOptions::Format format = CaptureOptions::FormatOf(job.out);
    if (image.isNull())
        return Fail(job.out, QStringLiteral("out of memory"));
    if (format != CaptureOptions::Format::Pdf && !job.pages && !job.autoBreaks)
        return WriteFile({image.constBits()}, image.width(), image.height(), job.out, format,
                         stage);
    PageSet set;
    if (!CutPages(image, job.autoBreaks, set))
        return Fail(job.out, QStringLiteral("out of memory"));
    // The pages are written from their buffers, as the save dialog writes them.
    const QList<const quint8*> pages = PagePixels(set);
    const int width = set.Geometry().pageWidth;
    if (format == CaptureOptions::Format::Pdf)
        return WritePdf(pages, width, job.out, stage);
    if (!job.pages)
        return WriteFile(pages, width, kPageRows, job.out, format, stage);
    for (int i = 0; i < pages.size(); ++i)
        if (!WriteFile({pages.at(i)}, width, kPageRows, CaptureOptions::PageFile(job.out, i + 1),
                       format, stage))
            return false;
    return true;
}

bool CaptureOutput::WriteFile(const QList<const quint8*>& pages, int width, int pageRows,
                              const QString& path, CaptureOptions::Format format,
                              StagedFiles& stage) {
    const qint64 rows = qint64(pages.size()) * pageRows;
    if (format == CaptureOptions::Format::Bmp && !BmpWriter::Fits(width, rows, 4))
        return Fail(path, QStringLiteral("the picture is too large for a BMP file"));
    if (format == CaptureOptions::Format::Png && !PngWriter::Fits(width, rows, 4))
        return Fail(path, QStringLiteral("the picture is too large for a PNG file"));
    if (format == CaptureOptions::Format::Jpeg && rows > CImageJPG::kMaxHeight)
        return Fail(path, QStringLiteral("a JPEG file holds at most %1 rows; this picture has %2")
                              .arg(CImageJPG::kMaxHeight)
                              .arg(rows));
    errno = 0;
    const QString staged = stage.Stage(path);
    if (staged.isEmpty())
        return Fail(path, SystemReason());
    const PageStackWriter writer(width, pageRows, 4);
    bool ok = false;
    switch (format) {
    case CaptureOptions::Format::Bmp:
        ok = writer.WriteBmp(staged, pages);
        break;
    case CaptureOptions::Format::Png:
        ok = writer.WritePng(staged, pages);
        break;
    case CaptureOptions::Format::Jpeg:
        // As the save dialog writes them.
        ok = writer.WriteJpeg(staged, pages, PageFileSaver::kJpegQuality);
        break;
    case CaptureOptions::Format::Pdf:
    case CaptureOptions::Format::None:
        return Fail(path, QStringLiteral("unknown format"));
    }
    return ok || Fail(path, SystemReason());
}

bool CaptureOutput::WritePdf(const QList<const quint8*>& pages, int width, const QString& path,
                             StagedFiles& stage) {
    errno = 0;
    const QString staged = stage.Stage(path);
    PdfWriter writer;
    bool ok = !staged.isEmpty() && writer.Open(staged, ReviewTexts::JobName());
    for (const quint8* page : pages)
        ok = ok && writer.AddPage(page, width, kPageRows, 4);
    return (ok && writer.Close()) || Fail(path, SystemReason());
}

bool CaptureOutput::Fail(const QString& path, const QString& reason) {
    // The files staged so far are never put in place: a script must not take part of a job for
    // the whole.
    m_written.clear();
    m_strFailedFile = path;
    m_strReason = reason.isEmpty() ? QStringLiteral("could not be written") : reason;
    return false;
}
