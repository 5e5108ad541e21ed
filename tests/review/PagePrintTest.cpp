#include "pages/PrintGeometry.h"
#include "review/CupsPrinter.h"
#include "review/PagePrintDlg.h"
#include "review/PagePrinter.h"
#include "review/PrinterEntries.h"
#include "review/ReviewMessages.h"
#include "review/ShowPageDlg.h"
#include "tests/review/CupsTestScheduler.h"
#include "tests/support/WaitUntil.h"
#include "toolkit/QX_Button.h"
#include "toolkit/QX_CheckBtn.h"
#include "toolkit/QX_ListBox.h"
#include "tools/walk/ModalDriver.h"

#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>

namespace {

constexpr int kDpi = 30;
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kGreen = qRgb(0, 160, 0);
constexpr QRgb kBlue = qRgb(0, 0, 255);
constexpr QRgb kWhite = qRgb(255, 255, 255);

// Stops the shared scheduler while the application still exists.
struct SchedulerEnvironment final : ::testing::Environment {
    void TearDown() override { CupsTestScheduler::Shared().Stop(); }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SchedulerEnvironment);

bool Near(QRgb a, QRgb b) {
    return qAbs(qRed(a) - qRed(b)) < 60 && qAbs(qGreen(a) - qGreen(b)) < 60 &&
           qAbs(qBlue(a) - qBlue(b)) < 60;
}

class PagePrintTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Cups().IsRunning())
            << "the private CUPS scheduler is not running: " << Cups().Error().toStdString();
        QObject::connect(&m_driver, &ModalDriver::MessageAnswered, &m_receiver,
                         [this](const QString& line) { m_messages << line; });
    }
    void TearDown() override {
        for (const QString& name : m_queues)
            Cups().RunTool(QStringLiteral("lpadmin"), {QStringLiteral("-x"), name});
    }
    static CupsTestScheduler& Cups() { return CupsTestScheduler::Shared(); }
    void AddQueue(const QString& name) {
        ASSERT_TRUE(Cups().AddRawQueue(name, m_receiver.Port())) << Cups().Error().toStdString();
        m_queues << name;
    }
    static QString EntryOf(const QString& name) {
        return PrinterEntries::MakeEntry(name, QStringLiteral("Local Raw Printer"),
                                         CupsPrinter::DeviceUri(name));
    }
    // A page of one flat colour, as the review hands pages to printing; width in document
    // pixels, at that scale.
    void AddPage(QRgb colour, bool used, int width = 96, int scale = 1) {
        QImage& pixels = m_pixels.emplace_back(width * scale, 1024 * scale, QImage::Format_RGB32);
        pixels.fill(colour);
        m_records.push_back(PageRecord{used, 0, 0, pixels.bits()});
        m_pages.pages << &m_records.back();
        m_pages.geometry = PageGeometry::For(width, 4, 1024, scale);
    }
    PagePrinter::Result Print(PagePrinter& printer, const QString& entry, SheetLayout layout,
                              bool keepProportions = false) {
        const PagePrinter::Result result = printer.Print(m_pages, entry, {layout, keepProportions});
        ReviewMessages(nullptr, nullptr).PrintResult(result); // as the review says it
        return result;
    }
    // The sheets of the one job the printer received, rendered.
    QList<QImage> ReceivedSheets() {
        EXPECT_TRUE(WaitUntilEqual([&] { return m_receiver.Jobs().size(); }, 1));
        if (m_receiver.Jobs().size() != 1)
            return {};
        if (const QString keep = qEnvironmentVariable("ZELVANE_KEEP_JOB"); !keep.isEmpty()) {
            QFile file(keep); // for a look at what the printer got
            if (file.open(QIODevice::WriteOnly))
                file.write(m_receiver.Jobs().first());
        }
        return RenderPdf(m_receiver.Jobs().first(), kDpi);
    }
    // A slot in sheet pixels, for the printer's printable-area offset in that orientation.
    static QRect SlotPixels(const QString& queue, SheetLayout layout, int half) {
        QPrinter printer(QPrinterInfo::printerInfo(queue), QPrinter::HighResolution);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(PrintGeometry::Orientation(layout));
        const QPoint o = PagePrinter::PrintingOffset(printer);
        const QRectF r =
            PrintGeometry::Slot(layout, o.x(), o.y(), half).ToPaintRect().translated(o);
        const double k = kDpi / 254.0;
        return QRectF(r.left() * k, r.top() * k, r.width() * k, r.height() * k).toRect();
    }
    // The colour fills the slot (3 pixels in from its corners); left of it and above it is white.
    static void ExpectImageAt(const QImage& sheet, const QRect& r, QRgb colour) {
        for (const QPoint& p :
             {r.center(), r.topLeft() + QPoint(3, 3), r.bottomRight() - QPoint(3, 3)})
            EXPECT_TRUE(Near(sheet.pixel(p), colour)) << p.x() << "," << p.y();
        for (const QPoint& p :
             {QPoint(r.left() - 3, r.center().y()), QPoint(r.center().x(), r.top() - 3)})
            EXPECT_TRUE(Near(sheet.pixel(p), kWhite)) << p.x() << "," << p.y();
    }

    JobReceiver m_receiver;
    QStringList m_queues;
    ModalDriver m_driver;
    QStringList m_messages; // every message box answered: "message TITLE | LINE | ..."
    ReviewPages m_pages;
    std::deque<QImage> m_pixels;
    std::deque<PageRecord> m_records;
};

TEST_F(PagePrintTest, TwoPerSheetPutsThreeUsedPagesOnTwoLandscapeSheets) {
    AddQueue(QStringLiteral("Laser"));
    AddPage(kRed, true);
    AddPage(qRgb(255, 255, 0), false); // skipped without leaving a gap
    AddPage(kGreen, true);
    AddPage(kBlue, true);
    PagePrinter printer;
    const PagePrinter::Result result =
        Print(printer, EntryOf(QStringLiteral("Laser")), SheetLayout::TwoPerSheet);
    ASSERT_EQ(result.outcome, PagePrinter::Outcome::Printed)
        << m_messages.join(u'\n').toStdString();
    EXPECT_EQ(result.sheets, 2);
    EXPECT_GT(result.jobId, 0);
    EXPECT_EQ(printer.LastSheets(), 2);
    EXPECT_EQ(CupsPrinter::StoredOrientation(QStringLiteral("Laser")), QPageLayout::Landscape);
    EXPECT_TRUE(m_messages.isEmpty()) << "a printed job needs no word";

    const QList<QImage> sheets = ReceivedSheets();
    ASSERT_EQ(sheets.size(), 2);
    const QRect left = SlotPixels(QStringLiteral("Laser"), SheetLayout::TwoPerSheet, 0);
    const QRect right = SlotPixels(QStringLiteral("Laser"), SheetLayout::TwoPerSheet, 1);
    EXPECT_GT(sheets[1].width(), sheets[1].height()) << "landscape";
    ExpectImageAt(sheets[0], left, kRed);
    ExpectImageAt(sheets[0], right, kGreen);
    ExpectImageAt(sheets[1], left, kBlue);
    EXPECT_TRUE(Near(sheets[1].pixel(right.center()), kWhite)) << "the right half stays empty";
}

// The queue's name alone is longer than the 79 bytes an entry once had to fit in.
TEST_F(PagePrintTest, OnePerSheetPrintsEachUsedPageOnAPortraitSheetOfALongNamedPrinter) {
    const QString queue = QStringLiteral("Second_floor_colour_laser_printer_next_to_the_meeting_"
                                         "room_with_a_long_descriptive_queue_name");
    AddQueue(queue);
    AddPage(kBlue, false);
    AddPage(kRed, true);
    AddPage(kGreen, true);
    AddPage(kBlue, true);
    PagePrinter printer;
    ASSERT_EQ(Print(printer, EntryOf(queue), SheetLayout::OnePerSheet).outcome,
              PagePrinter::Outcome::Printed)
        << m_messages.join(u'\n').toStdString();
    EXPECT_EQ(CupsPrinter::StoredOrientation(queue), QPageLayout::Portrait);

    const QList<QImage> sheets = ReceivedSheets();
    ASSERT_EQ(sheets.size(), 3);
    EXPECT_LT(sheets[0].width(), sheets[0].height()) << "portrait";
    const QRect slot = SlotPixels(queue, SheetLayout::OnePerSheet, 0);
    const QRgb colours[] = {kRed, kGreen, kBlue};
    for (int i = 0; i < 3; ++i)
        ExpectImageAt(sheets[i], slot, colours[i]);
}

TEST_F(PagePrintTest, FailuresAreReportedAndLoseNothing) {
    AddQueue(QStringLiteral("Closed"));
    ASSERT_TRUE(Cups().RunTool(QStringLiteral("cupsreject"), {QStringLiteral("Closed")}));
    AddPage(kRed, true);
    PagePrinter printer;
    using Outcome = PagePrinter::Outcome;
    const PagePrinter::Result refusedJob =
        Print(printer, EntryOf(QStringLiteral("Closed")), SheetLayout::TwoPerSheet);
    EXPECT_EQ(refusedJob.outcome, Outcome::Refused);
    EXPECT_FALSE(refusedJob.reason.isEmpty()) << "the scheduler's reason";
    EXPECT_EQ(
        Print(printer, QStringLiteral("Gone,Raw,socket://x"), SheetLayout::OnePerSheet).outcome,
        Outcome::NotRendered);
    EXPECT_EQ(Print(printer, QStringLiteral("Closed"), SheetLayout::OnePerSheet).outcome,
              Outcome::BadEntry);
    const QString refused =
        QStringLiteral("message 인쇄 오류!! | 프린터가 인쇄 작업을 받아들이지 않았습니다.");
    ASSERT_EQ(m_messages.size(), 3);
    EXPECT_TRUE(m_messages[0].startsWith(refused)) << m_messages[0].toStdString();
    EXPECT_EQ(m_messages[1], refused);
    EXPECT_EQ(m_messages[2], QStringLiteral("message 프린터 설정을 체크해주세요!! | "
                                            "프린터의 설정상태에 문제가 있습니다."));
    EXPECT_EQ(printer.LastJobId(), 0);
    EXPECT_EQ(m_pixels.front().pixel(5, 5), kRed);
}

TEST_F(PagePrintTest, PrintCommandAsksForThePrinterOnlyWhenThereArePages) {
    AddQueue(QStringLiteral("Laser"));
    AddQueue(QStringLiteral("Inkjet"));
    PageSet set;
    ASSERT_TRUE(set.SetWidth(64) && set.AppendWhitePage());
    set.Page(0)->used = false;
    ShowPageDlg review(nullptr);
    review.SetPages(&set);
    review.Create();
    bool chosen = false;
    m_driver.OnNextModal<PagePrintDlg>([&chosen](PagePrintDlg* dlg) {
        chosen = dlg->Choose(QStringLiteral("Inkjet"), SheetLayout::OnePerSheet);
        dlg->OnCommand(IDOK, QX_BN_CLICKED);
    });
    auto* print = qobject_cast<QX_Button*>(review.GetDlgItem(ShowPageDlg::IDC_PRINT));
    print->Click();
    EXPECT_EQ(m_messages,
              QStringList{QStringLiteral("message 인쇄 오류!! | 인쇄할 페이지가 없습니다.")});
    EXPECT_TRUE(m_driver.HasPending()) << "the printer dialog was not shown";

    set.Page(0)->used = true;
    print->Click();
    EXPECT_TRUE(chosen);
    EXPECT_EQ(review.Printer().LastSheets(), 1);
    EXPECT_EQ(ReceivedSheets().size(), 1);
}

// With 비율 유지 a page keeps its shape: as large as the slot allows, against its top, centred
// across; without it the page is stretched over the whole slot.
TEST_F(PagePrintTest, KeptProportionsPrintUndistortedPagesAndStretchFillsTheSlot) {
    AddQueue(QStringLiteral("Laser"));
    const QRect slot = SlotPixels(QStringLiteral("Laser"), SheetLayout::OnePerSheet, 0);
    const QString laser = EntryOf(QStringLiteral("Laser"));
    PagePrinter printer;
    // Wider than tall: the slot's width, white below it.
    AddPage(kBlue, true, 1200);
    ASSERT_EQ(Print(printer, laser, SheetLayout::OnePerSheet, true).outcome,
              PagePrinter::Outcome::Printed);
    QList<QImage> sheets = ReceivedSheets();
    ASSERT_EQ(sheets.size(), 1);
    const QRect wide = PrintGeometry::FitKeepingProportions(slot, QSize(1200, 1024)).toRect();
    ExpectImageAt(sheets[0], wide, kBlue);
    EXPECT_EQ(wide.top(), slot.top());
    EXPECT_NEAR(double(wide.height()) / wide.width(), 1024.0 / 1200, 0.02);
    EXPECT_TRUE(Near(sheets[0].pixel(slot.center().x(), wide.bottom() + 5), kWhite));

    // Narrow: the slot's height, centred across with white beside it.
    m_pages.pages.clear();
    AddPage(kRed, true, 300);
    m_receiver.Clear();
    ASSERT_EQ(Print(printer, laser, SheetLayout::OnePerSheet, true).outcome,
              PagePrinter::Outcome::Printed);
    sheets = ReceivedSheets();
    ASSERT_EQ(sheets.size(), 1);
    const QRect narrow = PrintGeometry::FitKeepingProportions(slot, QSize(300, 1024)).toRect();
    ExpectImageAt(sheets[0], narrow, kRed);
    EXPECT_NEAR(double(narrow.height()) / narrow.width(), 1024.0 / 300, 0.05);
    EXPECT_NEAR(narrow.center().x(), slot.center().x(), 1);
    EXPECT_TRUE(Near(sheets[0].pixel(narrow.right() + 5, narrow.center().y()), kWhite));

    // Stretched: the whole slot, as before.
    m_receiver.Clear();
    ASSERT_EQ(Print(printer, laser, SheetLayout::OnePerSheet, false).outcome,
              PagePrinter::Outcome::Printed);
    sheets = ReceivedSheets();
    ASSERT_EQ(sheets.size(), 1);
    ExpectImageAt(sheets[0], slot, kRed);
}

// A page at scale 2 goes to the printer with all its pixels, on the place it has at scale 1.
TEST_F(PagePrintTest, PagesAtScaleTwoPrintAllTheirPixelsInTheSamePlace) {
    AddQueue(QStringLiteral("Laser"));
    const QRect slot = SlotPixels(QStringLiteral("Laser"), SheetLayout::OnePerSheet, 0);
    AddPage(kBlue, true, 1200, 2);
    PagePrinter printer;
    ASSERT_EQ(
        Print(printer, EntryOf(QStringLiteral("Laser")), SheetLayout::OnePerSheet, true).outcome,
        PagePrinter::Outcome::Printed);
    const QList<QImage> sheets = ReceivedSheets();
    ASSERT_EQ(sheets.size(), 1);
    const QRect wide = PrintGeometry::FitKeepingProportions(slot, QSize(1200, 1024)).toRect();
    ExpectImageAt(sheets[0], wide, kBlue);
    EXPECT_TRUE(Near(sheets[0].pixel(slot.center().x(), wide.bottom() + 5), kWhite));
    QTemporaryDir dir;
    QFile job(dir.filePath(QStringLiteral("job.pdf")));
    ASSERT_TRUE(job.open(QIODevice::WriteOnly));
    job.write(m_receiver.Jobs().first());
    job.close();
    QProcess list;
    list.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), job.fileName()});
    ASSERT_TRUE(list.waitForFinished(60000));
    EXPECT_TRUE(list.readAllStandardOutput().contains(" 2400  2048 ")) << "the job's picture";
}

// The review's print button prints its used pages and leaves the review open.
TEST_F(PagePrintTest, ReviewPrintButtonPrintsTheUsedPages) {
    AddQueue(QStringLiteral("Laser"));
    PageSet set;
    ASSERT_TRUE(set.SetWidth(64) && set.AppendWhitePage() && set.AppendWhitePage());
    // Black: a blank last page would be dropped from the review.
    std::fill_n(set.Page(1)->pixels, set.Geometry().pageBytes, quint8(0));
    ShowPageDlg review(nullptr);
    review.SetPages(&set);
    bool stillOpen = false;
    m_driver.OnNextModal<PagePrintDlg>([](PagePrintDlg* dlg) {
        dlg->Choose(QStringLiteral("Laser"), SheetLayout::OnePerSheet);
        dlg->OnCommand(IDOK, QX_BN_CLICKED);
    });
    m_driver.OnNextModal<ShowPageDlg>([&stillOpen](ShowPageDlg* dlg) {
        qobject_cast<QX_Button*>(dlg->GetDlgItem(ShowPageDlg::IDC_PRINT))->Click();
        stillOpen = dlg->isVisible();
        dlg->EndDialog(IDCANCEL);
    });
    review.DoModal();
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(review.Printer().LastSheets(), 2);
    EXPECT_EQ(ReceivedSheets().size(), 2);
}

TEST_F(PagePrintTest, DialogListsPrintersSortedWithTheDefaultSelected) {
    for (const char* name : {"Zeta", "alpha", "Mid"})
        AddQueue(QString::fromLatin1(name));
    ASSERT_TRUE(
        Cups().RunTool(QStringLiteral("lpadmin"), {QStringLiteral("-d"), QStringLiteral("Mid")}));
    {
        PagePrintDlg dlg(nullptr, nullptr);
        dlg.Create();
        const QX_ListBox* list = dlg.PrinterList();
        ASSERT_EQ(list->GetCount(), 3);
        EXPECT_TRUE(list->GetText(0).startsWith(
            QStringLiteral("alpha,Local Raw Printer,socket://127.0.0.1:")));
        EXPECT_TRUE(list->GetText(2).startsWith(QStringLiteral("Zeta,")));
        EXPECT_EQ(list->GetCurSel(), 1);
        EXPECT_EQ(list->GetItemHeight(), 18);
        EXPECT_EQ(dlg.LayoutRadio(SheetLayout::TwoPerSheet)->GetCheck(), 1);
        EXPECT_EQ(dlg.LayoutRadio(SheetLayout::OnePerSheet)->GetCheck(), 0);
        EXPECT_EQ(dlg.KeepProportionsBox()->GetCheck(), 1)
            << "비율 유지 is ticked at every opening";
        dlg.OnCommand(IDOK, QX_BN_CLICKED);
        EXPECT_EQ(dlg.result(), IDOK);
        EXPECT_EQ(dlg.printerEntry, list->GetText(1));
        EXPECT_EQ(dlg.layout, SheetLayout::TwoPerSheet);
        EXPECT_TRUE(dlg.keepProportions);
    }
    // Without the default among them nothing is selected and OK does nothing.
    ASSERT_TRUE(
        Cups().RunTool(QStringLiteral("lpadmin"), {QStringLiteral("-x"), QStringLiteral("Mid")}));
    PagePrintDlg dlg(nullptr, nullptr);
    dlg.Create();
    dlg.show();
    EXPECT_EQ(dlg.PrinterList()->GetCount(), 2);
    EXPECT_EQ(dlg.PrinterList()->GetCurSel(), -1);
    dlg.OnCommand(IDOK, QX_BN_CLICKED);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(dlg.printerEntry.isEmpty());
}

} // namespace
