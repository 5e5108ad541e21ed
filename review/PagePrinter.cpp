#include "review/PagePrinter.h"

#include "imaging/DibDecoder.h"
#include "imaging/DibFromBitmap.h"
#include "pages/PrintGeometry.h"
#include "review/CupsPrinter.h"
#include "review/PagePrintDlg.h"
#include "review/PrinterEntries.h"
#include "review/ReviewTexts.h"
#include "toolkit/QX_MessageDlg.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>

#include <cmath>

namespace {

constexpr COLORREF kErrorColor = QX_RGB(128, 0, 0);
constexpr double kTenthsPerInch = 254.0;

QString PrintErrorTitle() {
    return QStringLiteral("인쇄 오류!!");
}

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

PagePrinter::PagePrinter(QWidget* parent, const QFont* font) : m_pParent(parent), m_pFont(font) {}

void PagePrinter::OnPrint(const ReviewPages& pages) {
    if (pages.pages.isEmpty() || pages.CountUsedPages() == 0) {
        ShowError(PrintErrorTitle(), QStringLiteral("인쇄할 페이지가 없습니다."));
        return;
    }
    PagePrintDlg dlg(m_pParent, m_pFont);
    if (dlg.DoModal() != IDOK)
        return;
    Print(pages, dlg.printerEntry, dlg.onePerSheet != 0);
}

bool PagePrinter::Print(const ReviewPages& pages, const QString& printerEntry, bool onePerSheet) {
    QString name;
    if (!PrinterEntries::PrinterName(printerEntry, &name)) {
        ShowError(QStringLiteral("프린터 설정을 체크해주세요!!"),
                  QStringLiteral("프린터의 설정상태에 문제가 있습니다."));
        return false;
    }
    // Stored for the user's later jobs too; the job itself carries its orientation anyway.
    CupsPrinter::SetPrinterOrientation(name, onePerSheet ? CupsPrinter::Portrait
                                                         : CupsPrinter::Landscape);
    const int sheets = PrintGeometry::SheetCount(pages.CountUsedPages(), onePerSheet);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("job.prn"));
    if (!dir.isValid() || !RenderJob(pages, name, onePerSheet, sheets, file)) {
        ShowError(PrintErrorTitle(), ReviewTexts::JobRefusedLine());
        return false;
    }
    QString reason;
    const int job =
        CupsPrinter::SubmitJob(name, file, ReviewTexts::JobName(), !onePerSheet, &reason);
    if (job == 0) {
        ShowError(PrintErrorTitle(), ReviewTexts::JobRefusedLine(), reason);
        return false;
    }
    m_nLastJobId = job;
    m_nLastSheets = sheets;
    return true;
}

QPoint PagePrinter::PrintingOffset(const QPrinter& printer) {
    const QMarginsF margins = printer.pageLayout().margins(QPageLayout::Millimeter);
    return QPoint(int(std::lround(margins.left() * 10)), int(std::lround(margins.top() * 10)));
}

bool PagePrinter::RenderJob(const ReviewPages& pages, const QString& printerName, bool onePerSheet,
                            int sheets, const QString& file) {
    // A printer that is gone must not silently become another one.
    const QPrinterInfo info = QPrinterInfo::printerInfo(printerName);
    if (info.isNull())
        return false;
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(onePerSheet ? QPageLayout::Portrait : QPageLayout::Landscape);
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
        DrawSheet(&dc, pages, j, onePerSheet, offset.x(), offset.y());
        dc.restore();
    }
    return dc.end();
}

void PagePrinter::DrawSheet(QPainter* dc, const ReviewPages& pages, int sheet, bool onePerSheet,
                            int ox, int oy) {
    const int halves = onePerSheet ? 1 : 2;
    for (int h = 0; h < halves; ++h) {
        const PageRecord* page =
            pages.GetUsedPage(PrintGeometry::UsedPageIndex(sheet, h, onePerSheet));
        if (page == nullptr)
            continue; // an odd last page leaves the right half empty
        const PrintSlot slot = onePerSheet ? PrintGeometry::OnePerSheetSlot(ox, oy)
                                           : PrintGeometry::TwoPerSheetSlot(ox, oy, h);
        const QImage image = PrintableImage(pages, page);
        if (!image.isNull())
            dc->drawImage(slot.ToPaintRect(), image); // stretched: proportions are not kept
    }
}

void PagePrinter::ShowError(const QString& title, const QString& line, const QString& detail) {
    QX_MessageDlg box(QX_MessageDlg::kTemplateId, m_pParent);
    box.AddLine(line, kErrorColor);
    if (!detail.isEmpty())
        box.AddLine(detail, kErrorColor);
    box.ShowMessage(false, title, QX_MSG_STOP, m_pFont);
}
