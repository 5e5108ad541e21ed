#include "review/CupsPrinter.h"
#include "review/PagePrintDlg.h"
#include "review/PagePrinter.h"
#include "review/PrintGeometry.h"
#include "review/PrinterEntries.h"
#include "tests/review/CupsTestScheduler.h"
#include "toolkit/QX_CheckBtn.h"
#include "toolkit/QX_ListBox.h"
#include "tools/walk/ModalDriver.h"

#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr int kJobTimeoutMs = 30000;
constexpr int kDpi = 30;
constexpr int kPageWidth = 96;

// Stops the shared scheduler while the application still exists.
class SchedulerEnvironment final : public ::testing::Environment {
  public:
    void TearDown() override { CupsTestScheduler::Shared().Stop(); }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SchedulerEnvironment);

// Pages of one flat colour each, as the review hands them to printing.
class ColourPages {
  public:
    void Add(QRgb colour, bool used) {
        auto buffer = std::make_unique<QImage>(kPageWidth, 1024, QImage::Format_RGB32);
        buffer->fill(colour);
        auto record = std::make_unique<PageRecord>();
        record->used = used;
        record->pixels = buffer->bits();
        m_pages.pages << record.get();
        m_records.push_back(std::move(record));
        m_buffers.push_back(std::move(buffer));
        m_pages.pageWidth = kPageWidth;
        m_pages.pageBytes = qsizetype(kPageWidth) * 1024 * 4;
    }
    const ReviewPages& Pages() const { return m_pages; }

  private:
    ReviewPages m_pages;
    std::vector<std::unique_ptr<PageRecord>> m_records;
    std::vector<std::unique_ptr<QImage>> m_buffers;
};

bool Near(QRgb a, QRgb b) {
    return qAbs(qRed(a) - qRed(b)) < 60 && qAbs(qGreen(a) - qGreen(b)) < 60 &&
           qAbs(qBlue(a) - qBlue(b)) < 60;
}

class PagePrintTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CupsTestScheduler& cups = CupsTestScheduler::Shared();
        ASSERT_TRUE(cups.IsRunning())
            << "the private CUPS scheduler is not running: " << cups.Error().toStdString();
        ASSERT_TRUE(m_receiver.Port() != 0);
        QObject::connect(&m_driver, &ModalDriver::MessageAnswered, &m_receiver,
                         [this](const QString& line) { m_messages << line; });
    }
    void TearDown() override {
        for (const QString& name : m_queues)
            CupsTestScheduler::Shared().RemoveQueue(name);
    }
    void AddQueue(const QString& name) {
        ASSERT_TRUE(CupsTestScheduler::Shared().AddRawQueue(name, m_receiver.Port()))
            << CupsTestScheduler::Shared().Error().toStdString();
        m_queues << name;
    }
    QString EntryOf(const QString& name) const {
        return PrinterEntries::MakeEntry(name, QStringLiteral("Local Raw Printer"),
                                         CupsPrinter::DeviceUri(name));
    }
    // The sheets of the one job the printer received.
    QList<QImage> ReceivedSheets() {
        [&] { QTRY_COMPARE_WITH_TIMEOUT(m_receiver.Jobs().size(), 1, kJobTimeoutMs); }();
        if (m_receiver.Jobs().size() != 1)
            return {};
        EXPECT_TRUE(m_receiver.Jobs().first().startsWith("%PDF"));
        // For a look at what the printer got.
        if (const QString keep = qEnvironmentVariable("ZELVANE_KEEP_JOB"); !keep.isEmpty()) {
            QFile file(keep);
            if (file.open(QIODevice::WriteOnly))
                file.write(m_receiver.Jobs().first());
        }
        return RenderPdf(m_receiver.Jobs().first(), kDpi);
    }
    // The slot's rectangle on the rendered sheet, in pixels from the sheet's corner.
    static QRect SheetPixels(const PrintSlot& slot, QPoint offset) {
        const QRectF r = slot.ToPaintRect().translated(offset);
        const double k = kDpi / 254.0;
        return QRectF(r.left() * k, r.top() * k, r.width() * k, r.height() * k).toRect();
    }
    // Inside the rectangle (3 pixels in) the colour; just outside its left, top and bottom white.
    static void ExpectImageAt(const QImage& sheet, const QRect& r, QRgb colour) {
        const QPoint inside[] = {r.center(), r.topLeft() + QPoint(3, 3),
                                 r.bottomRight() - QPoint(3, 3)};
        for (const QPoint& p : inside)
            EXPECT_TRUE(Near(sheet.pixel(p), colour)) << p.x() << "," << p.y();
        const QPoint outside[] = {QPoint(r.left() - 3, r.center().y()),
                                  QPoint(r.center().x(), r.top() - 3),
                                  QPoint(r.center().x(), r.bottom() + 3)};
        for (const QPoint& p : outside) {
            // The slots reach the sheet's far edges: nothing lies beyond them there.
            if (!sheet.rect().contains(p))
                continue;
            EXPECT_TRUE(Near(sheet.pixel(p), qRgb(255, 255, 255))) << p.x() << "," << p.y();
        }
    }
    static QPoint OffsetFor(const QString& name, bool onePerSheet) {
        QPrinter printer(QPrinterInfo::printerInfo(name), QPrinter::HighResolution);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(onePerSheet ? QPageLayout::Portrait : QPageLayout::Landscape);
        return PagePrinter::PrintingOffset(printer);
    }

    // Every message box answered, as "message TITLE | LINE | ...".
    QStringList Messages() const { return m_messages; }

    JobReceiver m_receiver;
    QStringList m_queues;
    ModalDriver m_driver;
    QStringList m_messages;
};

TEST_F(PagePrintTest, TwoPerSheetPutsThreeUsedPagesOnTwoLandscapeSheets) {
    AddQueue(QStringLiteral("Laser"));
    ColourPages pages;
    pages.Add(qRgb(255, 0, 0), true);
    pages.Add(qRgb(255, 255, 0), false); // skipped without a gap
    pages.Add(qRgb(0, 160, 0), true);
    pages.Add(qRgb(0, 0, 255), true);
    PagePrinter printer(nullptr, nullptr);
    ASSERT_TRUE(printer.Print(pages.Pages(), EntryOf(QStringLiteral("Laser")), false))
        << m_messages.join(u'\n').toStdString();
    EXPECT_EQ(printer.LastSheets(), 2);
    EXPECT_GT(printer.LastJobId(), 0);
    EXPECT_EQ(CupsPrinter::StoredOrientation(QStringLiteral("Laser")), CupsPrinter::Landscape);

    const QList<QImage> sheets = ReceivedSheets();
    ASSERT_EQ(sheets.size(), 2);
    const QPoint offset = OffsetFor(QStringLiteral("Laser"), false);
    const QRect left =
        SheetPixels(PrintGeometry::TwoPerSheetSlot(offset.x(), offset.y(), 0), offset);
    const QRect right =
        SheetPixels(PrintGeometry::TwoPerSheetSlot(offset.x(), offset.y(), 1), offset);
    for (const QImage& sheet : sheets)
        EXPECT_GT(sheet.width(), sheet.height()) << "landscape";
    ExpectImageAt(sheets[0], left, qRgb(255, 0, 0));
    ExpectImageAt(sheets[0], right, qRgb(0, 160, 0));
    ExpectImageAt(sheets[1], left, qRgb(0, 0, 255));
    EXPECT_TRUE(Near(sheets[1].pixel(right.center()), qRgb(255, 255, 255)))
        << "an odd last page leaves the right half empty";
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(PagePrintTest, OnePerSheetPrintsEachUsedPageOnAPortraitSheet) {
    AddQueue(QStringLiteral("Inkjet"));
    ColourPages pages;
    pages.Add(qRgb(0, 0, 255), false);
    pages.Add(qRgb(255, 0, 0), true);
    pages.Add(qRgb(0, 160, 0), true);
    pages.Add(qRgb(0, 0, 255), true);
    PagePrinter printer(nullptr, nullptr);
    ASSERT_TRUE(printer.Print(pages.Pages(), EntryOf(QStringLiteral("Inkjet")), true));
    EXPECT_EQ(CupsPrinter::StoredOrientation(QStringLiteral("Inkjet")), CupsPrinter::Portrait);

    const QList<QImage> sheets = ReceivedSheets();
    ASSERT_EQ(sheets.size(), 3);
    const QPoint offset = OffsetFor(QStringLiteral("Inkjet"), true);
    const QRect slot = SheetPixels(PrintGeometry::OnePerSheetSlot(offset.x(), offset.y()), offset);
    const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 160, 0), qRgb(0, 0, 255)};
    for (int i = 0; i < 3; ++i) {
        EXPECT_LT(sheets[i].width(), sheets[i].height()) << "portrait";
        ExpectImageAt(sheets[i], slot, colours[i]);
    }
}

TEST_F(PagePrintTest, AnEntryLongerThan79BytesPrintsOnItsPrinter) {
    const QString name = QStringLiteral("Second_floor_colour_laser_printer_next_to_the_meeting_"
                                        "room_with_a_long_descriptive_queue_name");
    AddQueue(name);
    const QString entry = EntryOf(name);
    ASSERT_GT(entry.toUtf8().size(), 79);
    ColourPages pages;
    pages.Add(qRgb(255, 0, 0), true);
    PagePrinter printer(nullptr, nullptr);
    ASSERT_TRUE(printer.Print(pages.Pages(), entry, false)) << m_messages.join(u'\n').toStdString();
    EXPECT_EQ(ReceivedSheets().size(), 1);
}

TEST_F(PagePrintTest, AJobThePrinterDoesNotTakeIsReported) {
    AddQueue(QStringLiteral("Closed"));
    ASSERT_TRUE(CupsTestScheduler::Shared().RunTool(QStringLiteral("cupsreject"),
                                                    {QStringLiteral("Closed")}));
    ColourPages pages;
    pages.Add(qRgb(255, 0, 0), true);
    const QByteArray before(reinterpret_cast<const char*>(pages.Pages().pages[0]->pixels), 64);
    PagePrinter printer(nullptr, nullptr);
    EXPECT_FALSE(printer.Print(pages.Pages(), EntryOf(QStringLiteral("Closed")), false));
    EXPECT_FALSE(printer.Print(pages.Pages(), QStringLiteral("Gone,Raw,socket://x"), true));
    ASSERT_EQ(m_messages.size(), 2);
    for (const QString& message : m_messages)
        EXPECT_TRUE(message.startsWith(
            QStringLiteral("message 인쇄 오류!! | 프린터가 인쇄 작업을 받아들이지 않았습니다.")))
            << message.toStdString();
    EXPECT_EQ(printer.LastJobId(), 0);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(pages.Pages().pages[0]->pixels), 64),
              before);
}

TEST_F(PagePrintTest, PrintCommandChecksPagesAndEntryBeforePrinting) {
    AddQueue(QStringLiteral("Laser"));
    ColourPages pages;
    pages.Add(qRgb(255, 0, 0), false);
    m_driver.OnNextModal<PagePrintDlg>([](PagePrintDlg* dlg) { dlg->EndDialog(IDCANCEL); });
    PagePrinter printer(nullptr, nullptr);
    printer.OnPrint(pages.Pages());
    EXPECT_EQ(m_messages,
              QStringList{QStringLiteral("message 인쇄 오류!! | 인쇄할 페이지가 없습니다.")});
    EXPECT_TRUE(m_driver.HasPending()) << "the printer dialog is not shown";

    m_messages.clear();
    EXPECT_FALSE(printer.Print(pages.Pages(), QStringLiteral("Laser"), false));
    EXPECT_EQ(m_messages,
              QStringList{QStringLiteral(
                  "message 프린터 설정을 체크해주세요!! | 프린터의 설정상태에 문제가 있습니다.")});
}

TEST_F(PagePrintTest, PrintCommandPrintsWithTheDialogsChoice) {
    AddQueue(QStringLiteral("Laser"));
    AddQueue(QStringLiteral("Inkjet"));
    ColourPages pages;
    pages.Add(qRgb(255, 0, 0), true);
    pages.Add(qRgb(0, 160, 0), true);
    bool chosen = false;
    m_driver.OnNextModal<PagePrintDlg>([&chosen](PagePrintDlg* dlg) {
        chosen = dlg->Choose(QStringLiteral("Inkjet"), true);
        dlg->OnCommand(IDOK, QX_BN_CLICKED);
    });
    PagePrinter printer(nullptr, nullptr);
    printer.OnPrint(pages.Pages());
    EXPECT_TRUE(chosen);
    EXPECT_EQ(printer.LastSheets(), 2);
    EXPECT_EQ(ReceivedSheets().size(), 2);
}

TEST_F(PagePrintTest, DialogListsPrintersSortedWithTheDefaultSelected) {
    for (const char* name : {"Zeta", "alpha", "Mid"})
        AddQueue(QString::fromLatin1(name));
    ASSERT_TRUE(CupsTestScheduler::Shared().SetDefault(QStringLiteral("Mid")));
    {
        PagePrintDlg dlg(nullptr, nullptr);
        dlg.Create();
        QX_ListBox* list = dlg.PrinterList();
        ASSERT_EQ(list->GetCount(), 3);
        EXPECT_TRUE(list->GetText(0).startsWith(
            QStringLiteral("alpha,Local Raw Printer,socket://127.0.0.1:")));
        EXPECT_TRUE(list->GetText(2).startsWith(QStringLiteral("Zeta,")));
        EXPECT_EQ(list->GetCurSel(), 1);
        EXPECT_EQ(list->GetItemHeight(), 18);
        EXPECT_EQ(dlg.LayoutRadio(false)->GetCheck(), 1);
        EXPECT_EQ(dlg.LayoutRadio(true)->GetCheck(), 0);
        dlg.OnCommand(IDOK, 0);
        EXPECT_EQ(dlg.result(), IDOK);
        EXPECT_EQ(dlg.printerEntry, list->GetText(1));
        EXPECT_EQ(dlg.onePerSheet, 0);
    }
    // Without the default among them nothing is selected and OK does nothing.
    CupsTestScheduler::Shared().RemoveQueue(QStringLiteral("Mid"));
    m_queues.removeAll(QStringLiteral("Mid"));
    PagePrintDlg dlg(nullptr, nullptr);
    dlg.Create();
    dlg.show();
    EXPECT_EQ(dlg.PrinterList()->GetCount(), 2);
    EXPECT_EQ(dlg.PrinterList()->GetCurSel(), -1);
    dlg.OnCommand(IDOK, 0);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(dlg.printerEntry.isEmpty());
}

} // namespace
