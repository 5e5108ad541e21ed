#include "app/CaptureOutput.h"

#include "imaging/CImageJPG.h"
#include "imaging/PageFileWriter.h"
#include "imaging/StagedFiles.h"
#include "pages/AutoBreaks.h"
#include "pages/PageCutter.h"

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

bool CaptureOutput::CutPages(const QImage& rows, bool autoBreaks, PageSet& set, int scale) {
    if (scale < 1 || !PageCutter::Cut(rows, QRect(QPoint(0, 0), rows.size() / scale), set, scale))
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

bool CaptureOutput::Write(const QImage& rows, const CaptureJob& job, const LayerPlacement& place,
                          int scale) {
    m_written.clear();
    m_strFailedFile.clear();
    m_strReason.clear();
    // Every file of the job goes beside FILE under a staging name and into place only when all
    // are complete: a failed job removes nothing that was there before.
    StagedFiles stage(QFileInfo(job.out).path());
    if (!WriteAll(rows, job, place, scale, stage))
        return false;
    if (!stage.Commit())
        return Fail(stage.FailedTarget(), SystemReason());
    m_written = stage.Targets();
    return true;
}

bool CaptureOutput::WriteAll(const QImage& rows, const CaptureJob& job, const LayerPlacement& place,
                             int scale, StagedFiles& stage) {
    const QImage image = FileImage(rows);
    const std::optional<PageOutput::Format> known = PageOutput::FormatOfFile(job.out);
    if (!known)
        return Fail(job.out, QStringLiteral("unknown format"));
    const PageOutput::Format format = *known;
    if (image.isNull())
        return Fail(job.out, QStringLiteral("out of memory"));
    if (format != PageOutput::Format::Pdf && !job.pages && !job.autoBreaks)
        return WriteFile({image.constBits()}, image.width(), image.height(), scale, job.out, format,
                         stage);
    PageSet set;
    if (!CutPages(image, job.autoBreaks, set, scale))
        return Fail(job.out, QStringLiteral("out of memory"));
    // The pages are written from their buffers, as the save dialog writes them.
    const QList<const quint8*> pages = PagePixels(set);
    const PageGeometry& geometry = set.Geometry();
    const int width = geometry.pageWidth, pageRows = geometry.pageHeight;
    if (format == PageOutput::Format::Pdf)
        return WriteFile(pages, width, pageRows, geometry.scale, job.out, format, stage,
                         place ? place(set) : PageLayer());
    if (!job.pages)
        return WriteFile(pages, width, pageRows, geometry.scale, job.out, format, stage);
    for (int i = 0; i < pages.size(); ++i)
        if (!WriteFile({pages.at(i)}, width, pageRows, geometry.scale,
                       PageOutput::NumberedFile(job.out, i + 1), format, stage))
            return false;
    return true;
}

bool CaptureOutput::WriteFile(const QList<const quint8*>& pages, int width, int pageRows, int scale,
                              const QString& path, PageOutput::Format format, StagedFiles& stage,
                              const PageLayer& layer) {
    const qint64 rows = qint64(pages.size()) * pageRows;
    switch (PageOutput::PictureLimit(format, width, rows, 4)) {
    case PageOutput::Limit::BmpSize:
        return Fail(path, QStringLiteral("the picture is too large for a BMP file"));
    case PageOutput::Limit::PngSize:
        return Fail(path, QStringLiteral("the picture is too large for a PNG file"));
    case PageOutput::Limit::JpegRows:
        return Fail(path, QStringLiteral("a JPEG file holds at most %1 rows; this picture has %2")
                              .arg(CImageJPG::kMaxHeight)
                              .arg(rows));
    case PageOutput::Limit::None:
        break;
    }
    errno = 0;
    const QString staged = stage.Stage(path);
    if (staged.isEmpty())
        return Fail(path, SystemReason());
    return PageOutput::Writer(format)->Write(staged, {pages, width, pageRows, 4, scale}, layer) ||
           Fail(path, SystemReason());
}

bool CaptureOutput::Fail(const QString& path, const QString& reason) {
    // The files staged so far are never put in place: a script must not take part of a job for
    // the whole.
    m_written.clear();
    m_strFailedFile = path;
    m_strReason = reason.isEmpty() ? QStringLiteral("could not be written") : reason;
    return false;
}
