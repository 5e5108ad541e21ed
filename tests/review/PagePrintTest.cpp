#include "pages/PrintGeometry.h"
#include "review/CupsPrinter.h"
#include "review/PagePrintDlg.h"
#include "review/PagePrinter.h"
#include "review/PrinterEntries.h"
#include "review/ShowPageDlg.h"
#include "tests/review/CupsTestScheduler.h"
#include "toolkit/QX_Button.h"
#include "toolkit/QX_CheckBtn.h"
#include "toolkit/QX_ListBox.h"
#include "tools/walk/ModalDriver.h"

#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>
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
    // A page of one flat colour, as the review hands pages to printing.
    void AddPage(QRgb colour, bool used) {
        QImage& pixels = m_pixels.emplace_back(96, 1024, QImage::Format_RGB32);
        pixels.fill(colour);
        m_records.push_back(PageRecord{used, 0, 0, pixels.bits()});
        m_pages.pages << &m_records.back();
        m_pages.geometry = PageGeometry::For(96);
    }
    // The sheets of the one job the printer received, rendered.
    QList<QImage> ReceivedSheets() {
        [&] { QTRY_COMPARE_WITH_TIMEOUT(m_receiver.Jobs().size(), 1, 30000); }();
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
    static QRect SlotPixels(const QString& queue, bool onePerSheet, int half) {
        QPrinter printer(QPrinterInfo::printerInfo(queue), QPrinter::HighResolution);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(onePerSheet ? QPageLayout::Portrait : QPageLayout::Landscape);
        const QPoint o = PagePrinter::PrintingOffset(printer);
        const PrintSlot slot = onePerSheet ? PrintGeometry::OnePerSheetSlot(o.x(), o.y())
                                           : PrintGeometry::TwoPerSheetSlot(o.x(), o.y(), half);
        const QRectF r = slot.ToPaintRect().translated(o);
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
    PagePrinter printer(nullptr, nullptr);
    ASSERT_TRUE(printer.Print(m_pages, EntryOf(QStringLiteral("Laser")), false))
        << m_messages.join(u'\n').toStdString();
    EXPECT_EQ(printer.LastSheets(), 2);
    EXPECT_EQ(CupsPrinter::StoredOrientation(QStringLiteral("Laser")), CupsPrinter::Landscape);

    const QList<QImage> sheets = ReceivedSheets();
    ASSERT_EQ(sheets.size(), 2);
    const QRect left = SlotPixels(QStringLiteral("Laser"), false, 0);
    const QRect right = SlotPixels(QStringLiteral("Laser"), false, 1);
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
    PagePrinter printer(nullptr, nullptr);
    ASSERT_TRUE(printer.Print(m_pages, EntryOf(queue), true))
        << m_messages.join(u'\n').toStdString();
    EXPECT_EQ(CupsPrinter::StoredOrientation(queue), CupsPrinter::Portrait);

    const QList<QImage> sheets = ReceivedSheets();
    ASSERT_EQ(sheets.size(), 3);
    EXPECT_LT(sheets[0].width(), sheets[0].height()) << "portrait";
    const QRect slot = SlotPixels(queue, true, 0);
    const QRgb colours[] = {kRed, kGreen, kBlue};
    for (int i = 0; i < 3; ++i)
        ExpectImageAt(sheets[i], slot, colours[i]);
}

TEST_F(PagePrintTest, FailuresAreReportedAndLoseNothing) {
    AddQueue(QStringLiteral("Closed"));
    ASSERT_TRUE(Cups().RunTool(QStringLiteral("cupsreject"), {QStringLiteral("Closed")}));
    AddPage(kRed, true);
    PagePrinter printer(nullptr, nullptr);
    EXPECT_FALSE(printer.Print(m_pages, EntryOf(QStringLiteral("Closed")), false));
    EXPECT_FALSE(printer.Print(m_pages, QStringLiteral("Gone,Raw,socket://x"), true));
    EXPECT_FALSE(printer.Print(m_pages, QStringLiteral("Closed"), true));
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
    AddPage(kRed, false);
    bool chosen = false;
    m_driver.OnNextModal<PagePrintDlg>([&chosen](PagePrintDlg* dlg) {
        chosen = dlg->Choose(QStringLiteral("Inkjet"), true);
        dlg->OnCommand(IDOK, QX_BN_CLICKED);
    });
    PagePrinter printer(nullptr, nullptr);
    printer.OnPrint(m_pages);
    EXPECT_EQ(m_messages,
              QStringList{QStringLiteral("message 인쇄 오류!! | 인쇄할 페이지가 없습니다.")});
    EXPECT_TRUE(m_driver.HasPending()) << "the printer dialog was shown";

    m_records.front().used = true;
    printer.OnPrint(m_pages);
    EXPECT_TRUE(chosen);
    EXPECT_EQ(printer.LastSheets(), 1);
    EXPECT_EQ(ReceivedSheets().size(), 1);
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
        dlg->Choose(QStringLiteral("Laser"), true);
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
        EXPECT_EQ(dlg.LayoutRadio(false)->GetCheck(), 1);
        EXPECT_EQ(dlg.LayoutRadio(true)->GetCheck(), 0);
        dlg.OnCommand(IDOK, QX_BN_CLICKED);
        EXPECT_EQ(dlg.result(), IDOK);
        EXPECT_EQ(dlg.printerEntry, list->GetText(1));
        EXPECT_EQ(dlg.onePerSheet, 0);
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
