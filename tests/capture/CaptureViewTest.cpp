#include "capture/CaptureViewKeys.h"
#include "capture/DragAutoScroll.h"
#include "capture/HtmlCaptureImageWnd.h"
#include "pages/PageSet.h"
#include "toolkit/QX_Command.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr QRgb kFill = 0xFFEFEBD8; // what the view shows where the image does not reach

QImage SolidImage(int width, int height, QColor color) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

QImage PatternImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x ^ y) & 0xFF));
    }
    return image;
}

bool Near(QRgb a, QRgb b, int tolerance = 6) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// A shown view of the given outer size inside a parent window; client sizes are 2 less.
class ViewFixture {
  public:
    explicit ViewFixture(int width, int height) {
        m_parent.resize(width + 40, height + 40);
        m_view = new HtmlCaptureImageWnd(&m_parent);
        m_view->setGeometry(0, 0, width, height);
        m_view->show();
        m_parent.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&m_parent));
    }
    HtmlCaptureImageWnd* view() const { return m_view; }
    int barExtent() const {
        return m_view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                            m_view->VScrollBar());
    }
    // The pixel shown at client point p.
    QRgb ClientPixel(const QImage& shot, QPoint p) const {
        return shot.pixel(p + m_view->ClientOrigin()) | 0xFF000000;
    }
    QPoint W(QPoint client) const { return client + m_view->ClientOrigin(); }
    void Wheel(QWidget* target, int dx, int dy) const {
        QWheelEvent ev(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(dx, dy), Qt::NoButton,
                       Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &ev);
    }

  private:
    QWidget m_parent;
    HtmlCaptureImageWnd* m_view = nullptr;
};

} // namespace

TEST(CaptureView, IsAHiddenChildWithItsControlId) {
    QWidget parent;
    HtmlCaptureImageWnd view(&parent);
    EXPECT_EQ(QX_CtrlId(&view), 24017);
    EXPECT_TRUE(view.isHidden());
    EXPECT_FALSE(view.HasImage());
    EXPECT_TRUE(view.testAttribute(Qt::WA_OpaquePaintEvent));
}

// Image sizes are given as a fixed part plus a multiple of the scroll-bar thickness e, against
// a client area of 400 x 300.
struct ScrollCase {
    const char* name;
    int w, wE, h, hE;
    bool hBar, vBar;
    int visW, visWE, visH, visHE;
};

class ScrollBarRule : public ::testing::TestWithParam<ScrollCase> {};

TEST_P(ScrollBarRule, ShowsBarsAndVisibleExtent) {
    const ScrollCase c = GetParam();
    ViewFixture f(402, 302);
    const int e = f.barExtent();
    HtmlCaptureImageWnd* v = f.view();
    const int imgW = c.w + c.wE * e, imgH = c.h + c.hE * e;
    ASSERT_TRUE(v->SetImage(PatternImage(imgW, imgH)));
    EXPECT_EQ(v->HScrollBar()->isVisible(), c.hBar);
    EXPECT_EQ(v->VScrollBar()->isVisible(), c.vBar);
    const int visW = c.visW + c.visWE * e, visH = c.visH + c.visHE * e;
    EXPECT_EQ(v->VisibleWidth(), visW);
    EXPECT_EQ(v->VisibleHeight(), visH);
    EXPECT_EQ(v->HScrollBar()->maximum(), c.hBar ? imgW - visW : 0);
    EXPECT_EQ(v->VScrollBar()->maximum(), c.vBar ? imgH - visH : 0);
    if (c.vBar) {
        EXPECT_EQ(v->VScrollBar()->geometry().right(), 400);
        EXPECT_EQ(v->VScrollBar()->geometry().height(), 300 - (c.hBar ? e : 0));
    }
    if (c.hBar) {
        EXPECT_EQ(v->HScrollBar()->geometry().bottom(), 300);
        EXPECT_EQ(v->HScrollBar()->geometry().width(), 400 - (c.vBar ? e : 0));
    }

    // The image fills exactly the visible extent (the whole image selected: nothing inverted,
    // the handles lie outside it); beyond it lies the plain background.
    v->SetSelection(QRect(0, 0, imgW, imgH));
    const QImage shot = v->grab().toImage();
    const QImage image = PatternImage(imgW, imgH);
    EXPECT_EQ(f.ClientPixel(shot, QPoint(0, 0)), image.pixel(0, 0));
    EXPECT_EQ(f.ClientPixel(shot, QPoint(visW - 1, visH - 1)), image.pixel(visW - 1, visH - 1));
    if (visW < 400 - (c.vBar ? e : 0)) {
        EXPECT_EQ(f.ClientPixel(shot, QPoint(visW, visH / 2)), kFill);
    }
    if (visH < 300 - (c.hBar ? e : 0)) {
        EXPECT_EQ(f.ClientPixel(shot, QPoint(visW / 2, visH)), kFill);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ScrollBarRule,
    ::testing::Values(ScrollCase{"small", 200, 0, 100, 0, false, false, 200, 0, 100, 0},
                      ScrollCase{"exact", 400, 0, 300, 0, false, false, 400, 0, 300, 0},
                      ScrollCase{"wide", 600, 0, 100, 0, true, false, 400, 0, 100, 0},
                      ScrollCase{"tall", 200, 0, 900, 0, false, true, 200, 0, 300, 0},
                      ScrollCase{"tallNarrowEnough", 400, -1, 900, 0, false, true, 400, -1, 300, 0},
                      ScrollCase{"tallJustTooWide", 399, 0, 900, 0, true, true, 400, -1, 300, -1},
                      ScrollCase{"wideLowEnough", 600, 0, 300, -1, true, false, 400, 0, 300, -1},
                      ScrollCase{"wideJustTooHigh", 600, 0, 299, 0, true, true, 400, -1, 300, -1},
                      ScrollCase{"large", 2000, 0, 3000, 0, true, true, 400, -1, 300, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CaptureView, NewImageKeepsScrollOnlyWhenTheExtentStays) {
    ViewFixture f(402, 302);
    const int e = f.barExtent();
    HtmlCaptureImageWnd* v = f.view();
    ASSERT_TRUE(v->SetImage(PatternImage(2000, 3000)));
    v->HScrollBar()->setValue(100);
    v->VScrollBar()->setValue(200);

    ASSERT_TRUE(v->SetImage(PatternImage(2100, 3050)));
    EXPECT_EQ(v->ScrollPos(), QPoint(100, 200));
    // Taller than the view: the label's rows above and below rather than 1/20 of the page.
    EXPECT_EQ(v->Selection(), QRect(105, 28, 2100 - 210, 3050 - 56));

    ASSERT_TRUE(v->SetImage(PatternImage(2000, 400))); // same extent, shorter range
    EXPECT_EQ(v->ScrollPos(), QPoint(100, 400 - (300 - e)));

    ASSERT_TRUE(v->SetImage(PatternImage(2000, 250))); // the vertical bar goes
    EXPECT_EQ(v->ScrollPos(), QPoint(0, 0));

    v->HScrollBar()->setValue(300);
    v->resize(502, 302); // wider view: a new extent starts at the left again
    EXPECT_EQ(v->VisibleWidth(), 500);
    EXPECT_EQ(v->ScrollPos(), QPoint(0, 0));
}

struct InsetCase {
    const char* name;
    int imageW, imageH, viewH;
    int left, top, right, bottom;
};

class FirstSelection : public ::testing::TestWithParam<InsetCase> {};

TEST_P(FirstSelection, IsInsetSoThatItsTopEdgeIsOnTheFirstScreen) {
    const InsetCase c = GetParam();
    const QRect s = CaptureSelection::Inset(c.imageW, c.imageH, c.viewH).ToRect();
    EXPECT_EQ(s, QRect(c.left, c.top, c.right - c.left, c.bottom - c.top));
}

INSTANTIATE_TEST_SUITE_P(
    Pages, FirstSelection,
    ::testing::Values(InsetCase{"fitsTheView", 400, 300, 300, 20, 15, 380, 285},
                      InsetCase{"shortKeepsItsTwentieth", 400, 100, 300, 20, 5, 380, 95},
                      InsetCase{"longTakesTheViewsTwentieth", 994, 35902, 588, 49, 29, 945, 35873},
                      InsetCase{"longInTheSmallestWindow", 994, 35902, 480, 49, 28, 945, 35874},
                      InsetCase{"justTallerTakesTheSmaller", 2000, 700, 600, 100, 30, 1900, 670},
                      InsetCase{"fewRowsInATinyView", 300, 40, 30, 15, 15, 285, 25}),
    [](const auto& info) { return std::string(info.param.name); });

// On a long page the first screen shows the top edge's bar and the label above it.
TEST(CaptureView, FirstScreenOfALongPageShowsTheTopEdgeAndItsLabel) {
    ViewFixture f(402, 302);
    HtmlCaptureImageWnd* v = f.view();
    ASSERT_TRUE(v->SetImage(SolidImage(600, 30000, QColor(200, 100, 50))));
    ASSERT_EQ(v->ScrollPos(), QPoint(0, 0));
    const int top = v->Selection().top();
    ASSERT_LT(top, v->VisibleHeight());
    const QImage shot = v->grab().toImage();
    EXPECT_TRUE(Near(f.ClientPixel(shot, QPoint(200, top - 7)), qRgb(0, 128, 255)));
    EXPECT_TRUE(Near(f.ClientPixel(shot, QPoint(52, top - 28)), qRgb(255, 255, 168), 12));
    EXPECT_EQ(f.ClientPixel(shot, QPoint(200, top + 20)), qRgb(200, 100, 50));
}

TEST(CaptureView, ScrollBarStepsAndScrolledPainting) {
    ViewFixture f(402, 302);
    HtmlCaptureImageWnd* v = f.view();
    const QImage image = PatternImage(2000, 3000);
    ASSERT_TRUE(v->SetImage(image));
    v->SetSelection(QRect(100, 150, 1800, 2700));
    QScrollBar* bar = v->VScrollBar();
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(bar->value(), 5);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(bar->value(), 55);
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(bar->value(), 0);
    bar->setValue(bar->maximum() - 30);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(bar->value(), bar->maximum());

    // Client (x, y) shows image (x + sx, y + sy); the selection is (100, 150)-(1900, 2850).
    v->HScrollBar()->setValue(100);
    bar->setValue(50);
    const QImage shot = v->grab().toImage();
    EXPECT_EQ(f.ClientPixel(shot, QPoint(0, 0)), image.pixel(100, 50) ^ 0xFFFFFF);
    EXPECT_EQ(f.ClientPixel(shot, QPoint(10, 120)), image.pixel(110, 170));
    EXPECT_EQ(f.ClientPixel(shot, QPoint(300, 200)), image.pixel(400, 250));
}

TEST(CaptureView, WheelStepsFiftyAndSnapsToTheEnds) {
    ViewFixture f(402, 302);
    HtmlCaptureImageWnd* v = f.view();
    ASSERT_TRUE(v->SetImage(PatternImage(200, 930))); // range 0..630
    QScrollBar* bar = v->VScrollBar();
    ASSERT_EQ(bar->maximum(), 630);
    bar->setValue(550);
    f.Wheel(v, 0, -120);
    EXPECT_EQ(bar->value(), 600);
    f.Wheel(v, 0, -240); // one step per message, whatever the delta
    EXPECT_EQ(bar->value(), 630) << "600 / 50 is not below 630 / 50: straight to the end";
    f.Wheel(v, 0, -120);
    EXPECT_EQ(bar->value(), 630);
    f.Wheel(v, 0, 120);
    EXPECT_EQ(bar->value(), 580);
    bar->setValue(30);
    f.Wheel(v, 0, 120);
    EXPECT_EQ(bar->value(), 0) << "within the first step: straight to the top";

    f.Wheel(v, -120, 0); // a sideways tilt is no vertical step
    EXPECT_EQ(bar->value(), 0);
    for (int i = 0; i < 3; ++i)
        f.Wheel(v, 0, -30);
    EXPECT_EQ(bar->value(), 0) << "fine steps gather up to a notch";
    f.Wheel(v, 0, -30);
    EXPECT_EQ(bar->value(), 50);
    f.Wheel(bar, 0, -120); // over the bar the view's own step applies
    EXPECT_EQ(bar->value(), 100);
}

// Drags on a 400 x 300 image shown whole; the selection starts at (20, 15)-(380, 285).
struct DragCase {
    const char* name;
    QPoint grab; // client point inside a handle
    QPoint move;
    QRect expected;
    Qt::CursorShape cursor;
};

class DragLimits : public ::testing::TestWithParam<DragCase> {};

QRect Edges(int l, int t, int r, int b) {
    return QRect(l, t, r - l, b - t);
}

TEST_P(DragLimits, KeepsTheSelectionInsideItsLimits) {
    const DragCase c = GetParam();
    ViewFixture f(602, 502);
    HtmlCaptureImageWnd* v = f.view();
    ASSERT_TRUE(v->SetImage(PatternImage(400, 300)));
    ASSERT_EQ(v->Selection(), Edges(20, 15, 380, 285));

    QTest::mouseMove(v, f.W(QPoint(590, 490))); // arrive from elsewhere, as a real pointer does
    EXPECT_EQ(v->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseMove(v, f.W(c.grab));
    EXPECT_EQ(v->cursor().shape(), c.cursor);
    QTest::mousePress(v, Qt::LeftButton, Qt::NoModifier, f.W(c.grab));
    EXPECT_TRUE(v->hasFocus());
    // In two steps, the second crossing the first's limit, as a real drag does.
    QTest::mouseMove(v, f.W(c.grab + c.move / 2));
    QTest::mouseMove(v, f.W(c.grab + c.move));
    EXPECT_EQ(v->cursor().shape(), c.cursor) << "the cursor keeps its shape during a drag";
    QTest::mouseRelease(v, Qt::LeftButton, Qt::NoModifier, f.W(c.grab + c.move));
    EXPECT_EQ(v->Selection(), c.expected);
    EXPECT_EQ(v->DragModeNow(), CaptureSelection::DragNone);
}

constexpr int kFar = 1000;

INSTANTIATE_TEST_SUITE_P(
    Handles, DragLimits,
    ::testing::Values(
        DragCase{"topDown", {200, 11}, {0, kFar}, Edges(20, 275, 380, 285), Qt::SizeVerCursor},
        DragCase{"topUp", {200, 11}, {0, -kFar}, Edges(20, 3, 380, 285), Qt::SizeVerCursor},
        DragCase{"topLittle", {200, 8}, {9, 6}, Edges(20, 21, 380, 285), Qt::SizeVerCursor},
        DragCase{"leftIn", {16, 150}, {kFar, 0}, Edges(370, 15, 380, 285), Qt::SizeHorCursor},
        DragCase{"leftOut", {14, 150}, {-kFar, 0}, Edges(3, 15, 380, 285), Qt::SizeHorCursor},
        DragCase{"rightOut", {383, 150}, {kFar, 0}, Edges(20, 15, 397, 285), Qt::SizeHorCursor},
        DragCase{"rightIn", {386, 20}, {-kFar, 0}, Edges(20, 15, 30, 285), Qt::SizeHorCursor},
        DragCase{"bottomOut", {200, 291}, {0, kFar}, Edges(20, 15, 380, 297), Qt::SizeVerCursor},
        DragCase{"bottomIn", {200, 288}, {0, -kFar}, Edges(20, 15, 380, 25), Qt::SizeVerCursor},
        DragCase{
            "topLeftIn", {16, 11}, {kFar, kFar}, Edges(370, 275, 380, 285), Qt::SizeFDiagCursor},
        DragCase{
            "topRightOut", {383, 11}, {kFar, -kFar}, Edges(20, 3, 397, 285), Qt::SizeBDiagCursor},
        DragCase{"bottomRightIn",
                 {383, 288},
                 {-kFar, -kFar},
                 Edges(20, 15, 30, 25),
                 Qt::SizeFDiagCursor},
        DragCase{
            "bottomLeftOut", {13, 291}, {-kFar, kFar}, Edges(3, 15, 380, 297), Qt::SizeBDiagCursor},
        DragCase{
            "insideMovesNothing", {200, 150}, {50, 50}, Edges(20, 15, 380, 285), Qt::ArrowCursor},
        DragCase{"pastRightHandle", {387, 150}, {-50, 0}, Edges(20, 15, 380, 285), Qt::ArrowCursor},
        DragCase{"aboveTopHandle", {200, 7}, {0, 50}, Edges(20, 15, 380, 285), Qt::ArrowCursor}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CaptureView, HandlesFollowTheScrollAndOnlyTheLeftButtonDrags) {
    ViewFixture f(402, 302);
    HtmlCaptureImageWnd* v = f.view();
    ASSERT_TRUE(v->SetImage(PatternImage(2000, 3000)));
    v->SetSelection(QRect(100, 150, 1800, 2700));
    v->HScrollBar()->setValue(50);
    v->VScrollBar()->setValue(100);
    const QPoint topHandle(200, 150 - 100 - 3);

    QTest::mousePress(v, Qt::RightButton, Qt::NoModifier, f.W(topHandle));
    QTest::mouseMove(v, f.W(topHandle + QPoint(0, 30)));
    QTest::mouseRelease(v, Qt::RightButton, Qt::NoModifier, f.W(topHandle + QPoint(0, 30)));
    EXPECT_EQ(v->Selection().top(), 150);

    QTest::mousePress(v, Qt::LeftButton, Qt::NoModifier, f.W(topHandle));
    QTest::mouseMove(v, f.W(topHandle + QPoint(0, 30)));
    QTest::mouseRelease(v, Qt::LeftButton, Qt::NoModifier, f.W(topHandle + QPoint(0, 30)));
    EXPECT_EQ(v->Selection(), Edges(100, 180, 1900, 2850));
}

TEST(CaptureView, PaintsInvertedSurroundBarsCornersAndHint) {
    ViewFixture f(602, 502);
    HtmlCaptureImageWnd* v = f.view();
    const QRgb page = qRgb(200, 100, 50);
    ASSERT_TRUE(v->SetImage(SolidImage(400, 300, QColor(page))));
    v->SetSelection(Edges(50, 60, 350, 260));
    const QImage shot = v->grab().toImage();
    auto at = [&](int x, int y) { return f.ClientPixel(shot, QPoint(x, y)); };
    const QRgb inverted = qRgb(55, 155, 205);
    const QRgb barEdge = qRgb(0, 128, 255);

    EXPECT_EQ(at(200, 160), page);
    EXPECT_EQ(at(5, 160), inverted);   // left band
    EXPECT_EQ(at(390, 160), inverted); // right band
    EXPECT_EQ(at(200, 280), inverted); // bottom band
    EXPECT_EQ(at(200, 10), inverted);  // top band, beside the hint
    EXPECT_EQ(at(399, 299), inverted);
    EXPECT_EQ(at(450, 100), kFill) << "client area beyond the image";

    // Edge bars: the edge colour at their outer and inner rows, white in the middle.
    EXPECT_TRUE(Near(at(200, 53), barEdge));
    EXPECT_TRUE(Near(at(200, 56), qRgb(255, 255, 255), 40));
    EXPECT_TRUE(Near(at(200, 266), barEdge));
    EXPECT_TRUE(Near(at(43, 160), barEdge));
    EXPECT_TRUE(Near(at(46, 160), qRgb(255, 255, 255), 40));
    EXPECT_TRUE(Near(at(356, 160), barEdge));

    // Corner squares: yellow inside a green frame, within their 7 x 7 cells.
    const QRgb yellow = qRgb(255, 255, 128), green = qRgb(0, 255, 0);
    for (const QPoint corner :
         {QPoint(43, 53), QPoint(350, 53), QPoint(350, 260), QPoint(43, 260)}) {
        EXPECT_EQ(at(corner.x() + 3, corner.y() + 3), yellow) << corner.x() << "," << corner.y();
        EXPECT_EQ(at(corner.x(), corner.y()), green);
        EXPECT_EQ(at(corner.x() + 6, corner.y() + 6), green);
    }
    EXPECT_EQ(at(50, 60), page) << "the frame does not reach into the selection";

    // Hint above the selection: a pale yellow band with red text.
    EXPECT_TRUE(Near(at(72, 33), qRgb(255, 255, 168), 12));
    int red = 0;
    for (int y = 32; y < 52; ++y) {
        for (int x = 70; x < 265; ++x) {
            const QRgb p = at(x, y);
            red += qRed(p) > 180 && qGreen(p) < 110 && qBlue(p) < 110;
        }
    }
    EXPECT_GT(red, 60) << "hint text in red";
}

// The view cuts what the user selected, of the image it converted; its placeholder is no capture.
TEST(CaptureView, CutsItsConvertedImageAtTheSelection) {
    HtmlCaptureImageWnd view;
    PageSet set;
    EXPECT_FALSE(view.CutPages(set)) << "placeholder image is not a capture";
    QImage rgb(60, 50, QImage::Format_RGB888);
    rgb.fill(QColor(10, 20, 30));
    ASSERT_TRUE(view.SetImage(rgb));
    EXPECT_EQ(view.Image().format(), QImage::Format_RGB32);
    view.SetSelection(QRect(-10, 40, 500, 500));
    EXPECT_EQ(view.Selection(), QRect(0, 40, 60, 10));
    ASSERT_TRUE(view.CutPages(set));
    ASSERT_EQ(set.Count(), 1);
    EXPECT_EQ(set.Geometry().pageWidth, 60);
    const quint8* px = set.Row(set.Page(0), 9) + 59 * 4;
    EXPECT_EQ(px[0], 30);
    EXPECT_EQ(px[2], 10);
    EXPECT_FALSE(view.SetImage(QImage())) << "a null image is refused";
}

// Keys scroll the real view and repaint it; Ctrl+A and Escape act on the selection and the
// mode; F4 and F5 are left to the window.
TEST(CaptureView, KeysScrollSelectAllAndCancel) {
    ViewFixture f(402, 302);
    HtmlCaptureImageWnd* v = f.view();
    const QImage image = PatternImage(2000, 3000);
    ASSERT_TRUE(v->SetImage(image));
    const int maxX = v->HScrollBar()->maximum(), maxY = v->VScrollBar()->maximum();
    const int visH = v->VisibleHeight();
    v->setFocus();
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        QPoint expected;
    };
    const Step steps[] = {
        {Qt::Key_Down, Qt::NoModifier, {0, 50}},
        {Qt::Key_Right, Qt::KeypadModifier, {50, 50}},
        {Qt::Key_Up, Qt::NoModifier, {50, 0}},
        {Qt::Key_Up, Qt::NoModifier, {50, 0}},
        {Qt::Key_Left, Qt::NoModifier, {0, 0}},
        {Qt::Key_PageDown, Qt::NoModifier, {0, visH - 50}},
        {Qt::Key_PageDown, Qt::NoModifier, {0, 2 * (visH - 50)}},
        {Qt::Key_PageUp, Qt::NoModifier, {0, visH - 50}},
        {Qt::Key_End, Qt::NoModifier, {0, maxY}},
        {Qt::Key_PageDown, Qt::NoModifier, {0, maxY}},
        {Qt::Key_End, Qt::ShiftModifier, {maxX, maxY}},
        {Qt::Key_Home, Qt::NoModifier, {maxX, 0}},
        {Qt::Key_Home, Qt::ShiftModifier, {0, 0}},
        {Qt::Key_End, Qt::NoModifier, {0, maxY}},
    };
    for (const Step& s : steps) {
        QTest::keyClick(v, s.key, s.mods);
        EXPECT_EQ(v->ScrollPos(), s.expected) << "key " << s.key << " mods " << s.mods;
    }
    // What is shown follows: the last row of the image at the bottom of the view, inverted.
    const QImage shot = v->grab().toImage();
    EXPECT_EQ(f.ClientPixel(shot, QPoint(20, visH - 1)), image.pixel(20, 2999) ^ 0xFFFFFF);

    QTest::keyClick(v, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(v->Selection(), QRect(3, 3, 2000 - 6, 3000 - 6));
    EXPECT_EQ(f.ClientPixel(v->grab().toImage(), QPoint(20, visH - 4)), image.pixel(20, 2996))
        << "the whole image selected: shown as it is";

    QSignalSpy cancel(v, &HtmlCaptureImageWnd::CancelRequested);
    QTest::keyClick(v, Qt::Key_Escape);
    EXPECT_EQ(cancel.count(), 1);
    for (Qt::Key key : {Qt::Key_F4, Qt::Key_F5, Qt::Key_A}) {
        QKeyEvent ev(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(v, &ev);
        EXPECT_FALSE(ev.isAccepted()) << "key " << key << " is the window's";
    }
    EXPECT_EQ(cancel.count(), 1);
    EXPECT_EQ(v->ScrollPos(), QPoint(0, maxY));
}

TEST(CaptureViewKeys, PageStepAndWholeImageOnSmallViews) {
    EXPECT_EQ(CaptureViewKeys::PageStep(600), 550);
    EXPECT_EQ(CaptureViewKeys::PageStep(80), 40);
    EXPECT_EQ(CaptureViewKeys::PageStep(1), 1);
    EXPECT_EQ(CaptureViewKeys::WholeImage(100, 100).ToRect(), QRect(3, 3, 94, 94));
}

// Past the border, faster the further; only along the axes the dragged handle moves.
TEST(DragAutoScrollRule, SpeedGrowsWithTheDistancePastTheBorder) {
    EXPECT_EQ(DragAutoScroll::StepFor(0), 0);
    EXPECT_EQ(DragAutoScroll::StepFor(-5), 0);
    int last = 0;
    for (int past : {1, 5, 20, 60, 200, 1000, 100000}) {
        EXPECT_GE(DragAutoScroll::StepFor(past), last) << past;
        EXPECT_GT(DragAutoScroll::StepFor(past), 0);
        last = DragAutoScroll::StepFor(past);
    }
    EXPECT_GT(DragAutoScroll::StepFor(200), 10 * DragAutoScroll::StepFor(10));
    const QRect visible(0, 0, 400, 300);
    const auto both = Qt::Horizontal | Qt::Vertical;
    EXPECT_EQ(DragAutoScroll::Velocity({200, 150}, visible, both), QPoint());
    EXPECT_EQ(DragAutoScroll::Velocity({399, 299}, visible, both), QPoint());
    EXPECT_EQ(DragAutoScroll::Velocity({200, 300}, visible, both),
              QPoint(0, DragAutoScroll::StepFor(1)));
    EXPECT_EQ(DragAutoScroll::Velocity({-30, -1}, visible, both),
              QPoint(-DragAutoScroll::StepFor(30), -DragAutoScroll::StepFor(1)));
    EXPECT_EQ(DragAutoScroll::Velocity({-30, 400}, visible, Qt::Vertical),
              QPoint(0, DragAutoScroll::StepFor(101)));
    EXPECT_EQ(DragAutoScroll::AxesFor(CaptureSelection::DragTop), Qt::Vertical);
    EXPECT_EQ(DragAutoScroll::AxesFor(CaptureSelection::DragRight), Qt::Horizontal);
    EXPECT_EQ(DragAutoScroll::AxesFor(CaptureSelection::DragBottomLeft), both);
}

// Dragging the bottom edge below the view scrolls it while the pointer stays there; the edge
// stays under the pointer. Back inside, the scrolling stops; the top edge scrolls back up.
TEST(CaptureView, DraggingAnEdgePastTheBorderScrollsAndTheEdgeFollows) {
    ViewFixture f(402, 302);
    HtmlCaptureImageWnd* v = f.view();
    ASSERT_TRUE(v->SetImage(PatternImage(600, 3000)));
    v->SetSelection(QRect(30, 150, 540, 2700));
    v->VScrollBar()->setValue(2850 - 250);
    const int visH = v->VisibleHeight();
    const QPoint handle(200, 250 + 3);
    QTest::mouseMove(v, f.W(handle));
    QTest::mousePress(v, Qt::LeftButton, Qt::NoModifier, f.W(handle));
    ASSERT_EQ(v->DragModeNow(), CaptureSelection::DragBottom);
    const QPoint outside(200, visH + 40);
    QTest::mouseMove(v, f.W(outside));
    // The edge sits where the pointer is, in image rows: the client row plus the scroll.
    const int offset = v->Selection().bottom() + 1 - v->ScrollPos().y();
    EXPECT_EQ(offset, 250 + outside.y() - handle.y());
    ASSERT_TRUE(QTest::qWaitFor([&] { return v->ScrollPos().y() == v->VScrollBar()->maximum(); }));
    EXPECT_EQ(v->Selection().bottom() + 1, 3000 - 3) << "the edge stops 3 rows from the end";

    QTest::mouseMove(v, f.W(QPoint(200, visH - 20)));
    EXPECT_FALSE(v->AutoScroll()->IsScrolling());
    QTest::mouseRelease(v, Qt::LeftButton, Qt::NoModifier, f.W(QPoint(200, visH - 20)));

    // The top edge, dragged above the view, brings the view up with it.
    v->VScrollBar()->setValue(1000);
    v->SetSelection(QRect(30, 1100, 540, 1000));
    const QPoint top(200, 100 - 3);
    QTest::mouseMove(v, f.W(top));
    QTest::mousePress(v, Qt::LeftButton, Qt::NoModifier, f.W(top));
    QTest::mouseMove(v, f.W(QPoint(250, -10)));
    const int topOffset = v->Selection().top() - v->ScrollPos().y();
    EXPECT_EQ(v->ScrollPos().x(), 0) << "a top edge does not scroll sideways";
    ASSERT_TRUE(QTest::qWaitFor([&] { return v->ScrollPos().y() < 800; }));
    QTest::mouseRelease(v, Qt::LeftButton, Qt::NoModifier, f.W(QPoint(250, -10)));
    EXPECT_FALSE(v->AutoScroll()->IsScrolling());
    EXPECT_EQ(v->Selection().top() - v->ScrollPos().y(), topOffset);
}
