#include "review/PageImageView.h"
#include "pages/PageSet.h"
#include "toolkit/QX_Command.h"
#include "toolkit/QX_Dialog.h"
#include "toolkit/QX_MessageDlg.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

constexpr QRgb kBack = 0xFFEFEBD8;

QRgb PatternPixel(int x, int y) {
    return qRgb((x * 7) & 0xFF, y & 0xFF, (y >> 8) * 40 + 20);
}

// A page record of width x height 4-byte (document) pixels with a pattern that differs on every
// row; at a scale each document pixel is scale x scale pixels of its colour.
struct TestPage {
    TestPage(int width, int height, int scale = 1)
        : pixels(size_t(width) * size_t(height) * 4 * size_t(scale * scale)) {
        const int w = width * scale;
        for (int y = 0; y < height * scale; ++y) {
            for (int x = 0; x < w; ++x) {
                const QRgb c = PatternPixel(x / scale, y / scale);
                std::memcpy(&pixels[(size_t(y) * size_t(w) + size_t(x)) * 4], &c, 4);
            }
        }
        record.pixels = pixels.data();
        for (int y = 0; y < height; ++y)
            record.sourceRows.push_back(5000 + y);
    }
    std::vector<quint8> pixels;
    PageRecord record;
};

// Stands for the view's owner: counts the view's word that a band was cut and keeps the change
// (OK) or not (Cancel), as the review's question would be answered.
class Answerer {
  public:
    Answerer(PageImageView* view, int answer) {
        QObject::connect(view, &PageImageView::ImageChanged, &m_context, [this, view, answer] {
            ++asked;
            if (answer == IDOK)
                view->KeepChange();
        });
    }
    int asked = 0;

  private:
    QObject m_context;
};

class ViewTest : public ::testing::Test {
  protected:
    // A view of the given outer size showing page; client sizes are 2 less.
    void Make(TestPage& page, int pageWidth, int pageHeight, QSize outer, int bytesPerPixel = 4,
              int scale = 1) {
        m_parent.resize(outer + QSize(40, 40));
        view = new PageImageView;
        view->SetPageGeometry(PageGeometry::For(pageWidth, bytesPerPixel, pageHeight, scale));
        ASSERT_TRUE(view->Create(QRect(QPoint(10, 10), outer), &m_parent));
        m_parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_parent));
        view->ShowPage(&page.record, true);
    }
    QRgb Shown(QPoint client) const {
        return view->grab().toImage().pixel(client + view->ClientOrigin()) | 0xFF000000;
    }
    void Mouse(QEvent::Type type, int clientY, Qt::MouseButtons buttons = Qt::LeftButton) {
        const QPointF p = QPointF(20, clientY) + view->ClientOrigin();
        QMouseEvent ev(type, p, view->mapToGlobal(p), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(view, &ev);
    }
    // Press at row `from`, move to and release at row `to` (client rows), then run the question
    // the view posts, if any.
    void Drag(int from, int to) {
        Mouse(QEvent::MouseButtonPress, from);
        Mouse(QEvent::MouseMove, to);
        Mouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
        QCoreApplication::sendPostedEvents(view, PageImageView::UM_IMAGE_CHANGED);
    }
    QRgb PagePixel(int x, int y) const { return view->PageImage().pixel(x, y) | 0xFF000000; }

    QWidget m_parent;
    PageImageView* view = nullptr;
};

} // namespace

TEST_F(ViewTest, SmallPageShowsNoBarsAndTheBackgroundAroundIt) {
    TestPage page(100, 200);
    Make(page, 100, 200, QSize(302, 302));
    EXPECT_EQ(QX_CtrlId(view), PageImageView::ctrlId);
    EXPECT_FALSE(view->HScrollBar()->isVisible());
    EXPECT_FALSE(view->VScrollBar()->isVisible());
    EXPECT_EQ(view->VisibleWidth(), 100);
    EXPECT_EQ(view->VisibleHeight(), 200);
    EXPECT_EQ(Shown({99, 199}), PatternPixel(99, 199));
    EXPECT_EQ(Shown({100, 50}), kBack);
    EXPECT_EQ(Shown({50, 200}), kBack);
    EXPECT_EQ(Shown({299, 299}), kBack);
}

TEST_F(ViewTest, LargePageScrollsByTheSharedRules) {
    TestPage page(1200, 1024);
    Make(page, 1200, 1024, QSize(402, 302));
    const int bar = view->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    ASSERT_TRUE(view->HScrollBar()->isVisible());
    ASSERT_TRUE(view->VScrollBar()->isVisible());
    EXPECT_EQ(view->HScrollBar()->maximum(), 1200 - (400 - bar));
    EXPECT_EQ(view->VScrollBar()->maximum(), 1024 - (300 - bar));

    QScrollBar* v = view->VScrollBar();
    v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(v->value(), 5);
    v->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(v->value(), 55);
    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
    EXPECT_EQ(v->value(), 105);
    v->setSliderPosition(300); // the thumb dragged
    EXPECT_EQ(v->value(), 300);
    v->setValue(105);
    view->HScrollBar()->setValue(30);
    EXPECT_EQ(Shown({0, 0}), PatternPixel(30, 105));
    EXPECT_EQ(Shown({10, 20}), PatternPixel(40, 125));

    view->ShowPage(&page.record, false); // margins applied: the place is kept
    EXPECT_EQ(view->ScrollPos(), QPoint(30, 105));
    view->ShowPage(&page.record, true); // another page: from the top-left
    EXPECT_EQ(view->ScrollPos(), QPoint(0, 0));
}

// A page that fits across only until the vertical bar takes its width needs both bars, and the
// horizontal one must not hide the last rows.
TEST_F(ViewTest, BarsThatMakeEachOtherNeededAreBothLaidOut) {
    const int bar = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    TestPage page(400 - bar / 2, 1024);
    Make(page, 400 - bar / 2, 1024, QSize(402, 302));
    ASSERT_TRUE(view->HScrollBar()->isVisible());
    EXPECT_EQ(view->VisibleHeight(), 300 - bar);
    EXPECT_EQ(view->VScrollBar()->maximum(), 1024 - (300 - bar));
    view->VScrollBar()->setValue(view->VScrollBar()->maximum());
    EXPECT_EQ(Shown({0, 300 - bar - 1}), PatternPixel(0, 1023)) << "the last row can be seen";
}

TEST_F(ViewTest, AdjustModeIsRefusedWhileAPreviewIsShown) {
    TestPage page(100, 200);
    TestPage other(100, 200);
    std::memset(other.pixels.data(), 0xFF, other.pixels.size());
    Make(page, 100, 200, QSize(302, 302));
    view->ShowPreview(10, 20, other.pixels.data());
    EXPECT_EQ(Shown({5, 5}), 0xFFFFFFFFu) << "the preview is shown";
    EXPECT_EQ(page.pixels[0], PatternPixel(0, 0) & 0xFF) << "the record is not touched";
    EXPECT_FALSE(view->SetAdjustMode(true));
    view->ShowPage(&other.record, true); // another page leaves the preview mark
    EXPECT_FALSE(view->SetAdjustMode(true));
    view->ShowPage(&other.record, false); // margins applied
    ASSERT_TRUE(view->SetAdjustMode(true));
    view->ShowPreview(0, 0, page.pixels.data());
    EXPECT_FALSE(view->SetAdjustMode(false)) << "leaving is refused too";
    EXPECT_TRUE(view->AdjustMode());
}

TEST_F(ViewTest, StripDragUpwardsCutsTheBandAtScrolledPageRowsAndAsks) {
    TestPage page(100, 1024);
    Make(page, 100, 1024, QSize(302, 302));
    view->VScrollBar()->setValue(200);
    ASSERT_TRUE(view->SetAdjustMode(true));

    Mouse(QEvent::MouseMove, 50, Qt::NoButton);
    EXPECT_EQ(Shown({5, 51}), PatternPixel(5, 251) ^ 0x00FF0000) << "the red XOR line";
    Mouse(QEvent::MouseMove, 80, Qt::NoButton);
    EXPECT_EQ(Shown({5, 51}), PatternPixel(5, 251)) << "drawn again elsewhere, gone here";

    Answerer ok(view, IDOK);
    Mouse(QEvent::MouseButtonPress, 100);
    Mouse(QEvent::MouseMove, 60);
    EXPECT_EQ(Shown({5, 60}), PatternPixel(5, 300)) << "the strip follows the pointer";
    Mouse(QEvent::MouseButtonRelease, 60, Qt::NoButton);
    QCoreApplication::sendPostedEvents(view, PageImageView::UM_IMAGE_CHANGED);

    EXPECT_EQ(PagePixel(5, 259), PatternPixel(5, 259));
    EXPECT_EQ(PagePixel(5, 260), PatternPixel(5, 300)) << "rows 260..299 are gone";
    EXPECT_EQ(PagePixel(5, 1023 - 40), PatternPixel(5, 1023));
    EXPECT_EQ(PagePixel(5, 1023 - 39), 0xFFFFFFFFu) << "white comes in at the foot";
    EXPECT_EQ(ok.asked, 1);
    EXPECT_EQ(std::memcmp(page.pixels.data(), view->PageImage().constBits(), page.pixels.size()), 0)
        << "OK writes the cut into the record";
    EXPECT_EQ(page.record.sourceRows[259], 5259);
    EXPECT_EQ(page.record.sourceRows[260], 5300) << "and the rows it shows";
    EXPECT_EQ(page.record.sourceRows[1023 - 40], 6023);
    EXPECT_EQ(page.record.sourceRows[1023 - 39], -1);
}

// At scale 2 the page holds 2 x 2 pixels per document pixel and is shown at document size: the
// bars, the pointer and the cut count document pixels, and the cut moves whole document rows.
TEST_F(ViewTest, AtScaleTwoTheViewCountsDocumentPixels) {
    TestPage page(100, 1024, 2);
    Make(page, 100, 1024, QSize(302, 302), 4, 2);
    ASSERT_EQ(view->PageImage().size(), QSize(200, 2048));
    EXPECT_EQ(view->VScrollBar()->maximum(), 1024 - view->VisibleHeight());
    view->VScrollBar()->setValue(200);
    EXPECT_EQ(Shown({5, 51}), PatternPixel(5, 251));
    ASSERT_TRUE(view->SetAdjustMode(true));
    Mouse(QEvent::MouseMove, 50, Qt::NoButton);
    EXPECT_EQ(Shown({5, 51}), PatternPixel(5, 251) ^ 0x00FF0000) << "the red XOR line";

    Answerer ok(view, IDOK);
    Drag(100, 60);
    EXPECT_EQ(PagePixel(10, 2 * 259 + 1), PatternPixel(5, 259));
    EXPECT_EQ(PagePixel(10, 2 * 260), PatternPixel(5, 300)) << "document rows 260..299 are gone";
    EXPECT_EQ(PagePixel(10, 2 * 260 + 1), PatternPixel(5, 300));
    EXPECT_EQ(PagePixel(10, 2 * (1023 - 40) + 1), PatternPixel(5, 1023));
    EXPECT_EQ(PagePixel(10, 2 * (1023 - 39)), 0xFFFFFFFFu) << "white comes in at the foot";
    EXPECT_EQ(ok.asked, 1);
    EXPECT_EQ(page.record.sourceRows[260], 5300) << "the rows it shows, one per document row";
    EXPECT_EQ(page.record.sourceRows[1023 - 39], -1);
}

TEST_F(ViewTest, DragsThatCutNothingAskNothing) {
    TestPage page(100, 200);
    Make(page, 100, 200, QSize(302, 302));
    ASSERT_TRUE(view->SetAdjustMode(true));
    const QImage before = view->PageImage().copy();
    Answerer ok(view, IDOK);

    Drag(100, 100); // same height
    Mouse(QEvent::MouseButtonPress, 100);
    Mouse(QEvent::MouseMove, 150);
    EXPECT_EQ(Shown({5, 150}), PatternPixel(5, 150)) << "held at its start going down";
    Mouse(QEvent::MouseButtonRelease, 150, Qt::NoButton);
    QCoreApplication::sendPostedEvents(view, PageImageView::UM_IMAGE_CHANGED);
    for (int y : {200, 250}) { // at and below the foot of the visible page
        Mouse(QEvent::MouseButtonPress, y);
        EXPECT_FALSE(view->Dragging()) << "press at " << y;
        Mouse(QEvent::MouseButtonRelease, y - 150, Qt::NoButton);
        QCoreApplication::sendPostedEvents(view, PageImageView::UM_IMAGE_CHANGED);
    }
    EXPECT_EQ(ok.asked, 0);
    EXPECT_TRUE(view->PageImage() == before);
}

TEST_F(ViewTest, CancelKeepsTheRecordUntilThePageIsLoadedAgain) {
    TestPage page(100, 200);
    Make(page, 100, 200, QSize(302, 302));
    const std::vector<quint8> original = page.pixels;
    ASSERT_TRUE(view->SetAdjustMode(true));
    Answerer cancel(view, IDCANCEL);
    Drag(120, -30); // released above the view: the band reaches the first row
    ASSERT_EQ(cancel.asked, 1);
    EXPECT_EQ(page.pixels, original);
    EXPECT_EQ(page.record.sourceRows[0], 5000);
    EXPECT_EQ(Shown({5, 0}), PatternPixel(5, 120)) << "the edit stays on screen";
    view->ShowPage(&page.record, true);
    EXPECT_EQ(Shown({5, 0}), PatternPixel(5, 0));
}

struct PixelSize {
    int bytesPerPixel;
    std::vector<quint8> red;
};

class ViewPixelSizes : public ViewTest, public ::testing::WithParamInterface<PixelSize> {};

// Pages of 2, 3 and 4 bytes per pixel are shown in their colours.
TEST_P(ViewPixelSizes, ShowsThePageInItsColours) {
    const PixelSize& c = GetParam();
    TestPage page(10, 10);
    for (size_t i = 0; i + c.red.size() <= 10 * 10 * size_t(c.bytesPerPixel); i += c.red.size())
        std::memcpy(&page.pixels[i], c.red.data(), c.red.size());
    Make(page, 10, 10, QSize(52, 52), c.bytesPerPixel);
    EXPECT_EQ(Shown({9, 9}), qRgb(255, 0, 0));
    EXPECT_EQ(Shown({10, 9}), kBack);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ViewPixelSizes,
                         ::testing::Values(PixelSize{2, {0x00, 0xF8}}, PixelSize{3, {0, 0, 255}},
                                           PixelSize{4, {0, 0, 255, 0}}));
