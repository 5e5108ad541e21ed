#include "review/PagePrinter.h"

#include "imaging/DibDecoder.h"
#include "imaging/DibFromBitmap.h"
#include "pages/PrintGeometry.h"
#include "review/CupsPrinter.h"
#include "review/PrinterEntries.h"
#include "review/ReviewTexts.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>

#include <cmath>

namespace {

constexpr double kTenthsPerInch = 254.0;

// The page's pixels as the screen-compatible bitmap they are (B,G,R,spare rows, top first),
// copied so that the record may change afterwards.
QImage PageBitmap(const ReviewPages& pages, const PageRecord* page) {
    if (page == nullptr || page->pixels == nullptr || pages.geometry.bytesPerPixel != 4)
        return QImage();
    const QImage view(page->pixels, pages.geometry.pageWidth, pages.geometry.pageHeight,
                      pages.geometry.rowBytes, QImage::Format_RGB32);
    return view.copy();
}

// A used page as the printer gets it: through a device-independent bitmap, as a page is
// always handed to a printer. A null image when the conversion fails.
QImage PrintableImage(const ReviewPages& pages, const PageRecord* page) {
    const QImage bitmap = PageBitmap(pages, page);
    if (bitmap.isNull())
        return QImage();
    const QByteArray dib = DibFromBitmap(bitmap);
    return dib.isEmpty() ? QImage() : DibDecoder(dib).ToImage();
}

} // namespace

PagePrinter::Result PagePrinter::Print(const ReviewPages& pages, const QString& printerEntry,
                                       const Options& options) {
    Result result;
    if (pages.CountUsedPages() == 0)
        return result;
    QString name;
    if (!PrinterEntries::PrinterName(printerEntry, &name)) {
        result.outcome = Outcome::BadEntry;
        return result;
    }
    const QPageLayout::Orientation orientation = PrintGeometry::Orientation(options.layout);
    // Stored for the user's later jobs too; the job itself carries its orientation anyway.
    CupsPrinter::SetPrinterOrientation(name, orientation);
    const int sheets = PrintGeometry::SheetCount(pages.CountUsedPages(), options.layout);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("job.prn"));
    if (!dir.isValid() || !RenderJob(pages, name, options, sheets, file)) {
        result.outcome = Outcome::NotRendered;
        return result;
    }
    const int job =
        CupsPrinter::SubmitJob(name, file, ReviewTexts::JobName(), orientation, &result.reason);
    if (job == 0) {
        result.outcome = Outcome::Refused;
        return result;
    }
    m_nLastJobId = job;
    m_nLastSheets = sheets;
    return {Outcome::Printed, job, sheets, QString()};
}

QPoint PagePrinter::PrintingOffset(const QPrinter& printer) {
    const QMarginsF margins = printer.pageLayout().margins(QPageLayout::Millimeter);
    return QPoint(int(std::lround(margins.left() * 10)), int(std::lround(margins.top() * 10)));
}

bool PagePrinter::RenderJob(const ReviewPages& pages, const QString& printerName,
                            const Options& options, int sheets, const QString& file) {
    // A printer that is gone must not silently become another one.
    const QPrinterInfo info = QPrinterInfo::printerInfo(printerName);
    if (info.isNull())
        return false;
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(PrintGeometry::Orientation(options.layout));
    printer.setDocName(ReviewTexts::JobName());
    // Pages go out in colour as they are; a monochrome printer makes its own grey.
    printer.setColorMode(QPrinter::Color);
    // The printer's own engine writes the document; the job is handed over separately so that
    // its acceptance is known.
    printer.setOutputFileName(file);

    QPainter dc;
    if (!dc.begin(&printer))
        return false;
    const QPoint offset = PrintingOffset(printer);
    const double scale = printer.resolution() / kTenthsPerInch;
    for (int j = 0; j < sheets; ++j) {
        if (j > 0 && !printer.newPage())
            continue;
        dc.save();
        dc.scale(scale, scale);
        DrawSheet(&dc, pages, j, options, offset);
        dc.restore();
    }
    return dc.end();
}

void PagePrinter::DrawSheet(QPainter* dc, const ReviewPages& pages, int sheet,
                            const Options& options, QPoint offset) {
    for (int h = 0; h < PrintGeometry::SlotsPerSheet(options.layout); ++h) {
        const PageRecord* page =
            pages.GetUsedPage(PrintGeometry::UsedPageIndex(sheet, h, options.layout));
        if (page == nullptr)
            continue; // an odd last page leaves the right half empty
        const QImage image = PrintableImage(pages, page);
        if (image.isNull())
            continue;
        const QRectF slot =
            PrintGeometry::Slot(options.layout, offset.x(), offset.y(), h).ToPaintRect();
        dc->drawImage(options.keepProportions
                          ? PrintGeometry::FitKeepingProportions(slot, image.size())
                          : slot,
                      image);
    }
}
