// The whole-page capture on a screen of device pixel ratio 2, in a process of its own: the ratio
// must be set before the application starts.
#include "tests/support/TestHttpServer.h"

#include "app/AppTexts.h"
#include "capture/BrowserControl.h"
#include "capture/HtmlCaptureImageWnd.h"
#include "capture/WholePageCapture.h"
#include "pages/PageSet.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Read before main creates the application.
const bool kRatioTwo = qputenv("QT_SCALE_FACTOR", "2");

constexpr int kViewWidth = 800;
constexpr int kViewHeight = 600;
constexpr int kCanvasWidth = 300;
// Taller than one tile at ratio 2: the tiles are stitched.
constexpr int kRows = 7000;

QRgb RowColour(int v) {
    return qRgb(v & 0xFF, (v >> 8) & 0xFF, 153) & 0xFFFFFF;
}

// A canvas of kRows document rows, row v coloured RowColour(v), drawn without smoothing: at
// ratio 2 each of its rows is two rows of the screen, of its own colour.
// style: the page's own, e.g. a body that scrolls as a box in place of the document.
QString RowsPage(const char* style = "") {
    return QStringLiteral(
               "<!doctype html><meta charset=utf-8><style>%3</style><body style=margin:0>"
               "<canvas width=%1 height=%2 style=\"display:block;image-rendering:pixelated\">"
               "</canvas><script>const c=document.querySelector('canvas'),w=c.width,h=c.height,"
               "g=c.getContext('2d'),d=g.createImageData(w,h);for(let y=0;y<h;++y)"
               "for(let x=0;x<w;++x){const i=4*(y*w+x);d.data[i]=y&255;d.data[i+1]=(y>>8)&255;"
               "d.data[i+2]=153;d.data[i+3]=255;}g.putImageData(d,0,0);</script>")
        .arg(kCanvasWidth)
        .arg(kRows)
        .arg(QLatin1String(style));
}

} // namespace

// Every document row is two pixel rows of its own colour, none lost, doubled or moved across the
// tiles; the image is twice as wide and tall as the document.
TEST(CaptureAtRatioTwo, KeepsTheEnginesPixelsStitchedExactly) {
    ASSERT_TRUE(kRatioTwo);
    TestHttpServer server;
    server.AddFile("/rows.html", RowsPage().toUtf8(), "text/html; charset=utf-8");
    server.AddFile(
        "/box.html",
        RowsPage("html{overflow:hidden;height:100%}body{height:100%;overflow:auto}").toUtf8(),
        "text/html; charset=utf-8");
    BrowserControl control;
    control.resize(kViewWidth, kViewHeight);
    control.show();
    ASSERT_EQ(control.CaptureScale(), 2);
    QSignalSpy loaded(&control, &BrowserControl::DocumentComplete);
    QImage image;
    // The document's tiles, and a box's whole content unfolded with the page around it.
    for (const char* page : {"/rows.html", "/box.html"}) {
        SCOPED_TRACE(page);
        loaded.clear();
        control.Navigate2(server.Url(QString::fromLatin1(page)));
        ASSERT_TRUE(loaded.wait(20000));
        ASSERT_TRUE(loaded.last().at(1).toBool());
        WholePageCapture capture(&control);
        ASSERT_TRUE(capture.CaptureWholePage(&image).Ok());
        EXPECT_EQ(capture.Scale(), 2);
        ASSERT_EQ(image.size(), QSize(kViewWidth, kRows) * 2);
        for (int y = 0; y < kRows * 2; ++y)
            for (int x : {0, 1, 2 * kCanvasWidth - 1})
                ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, RowColour(y / 2))
                    << "pixel row " << y << " column " << x;
        EXPECT_EQ(image.pixel(2 * kCanvasWidth, 0) & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_EQ(control.size(), QSize(kViewWidth, kViewHeight));
    }

    // The largest picture counts pixels: a document well within it at ratio 1 is four times as
    // large here, and the reason says why.
    server.AddFile("/large.html",
                   "<body style=margin:0><div style=\"width:12000px;height:12000px;"
                   "background:#abc\"></div>",
                   "text/html");
    loaded.clear();
    control.Navigate2(server.Url(QStringLiteral("/large.html")));
    ASSERT_TRUE(loaded.wait(20000));
    const CaptureResult large = WholePageCapture(&control).CaptureWholePage(&image);
    EXPECT_EQ(large.Why(), CaptureResult::TooLarge);
    EXPECT_EQ(large.Size(), QSize(24000, 24000));
    const QString reason = AppTexts::CaptureFailureText(large);
    EXPECT_TRUE(reason.contains(QStringLiteral("24000 × 24000")) &&
                reason.contains(QStringLiteral("4배 작습니다")))
        << reason.toStdString();
}

// The capture view shows an image of scale 2 pixel for pixel, scrolled and selected in document
// pixels, and F4's cut takes the selection's document rows at that scale.
TEST(CaptureAtRatioTwo, ViewShowsThePixelsAndCutsInDocumentPixels) {
    constexpr int kWidth = 200, kHeight = 3000; // document pixels
    QImage image(kWidth * 2, kHeight * 2, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (y >> 8) * 10));
    QWidget parent;
    parent.resize(340, 440);
    auto* view = new HtmlCaptureImageWnd(&parent);
    view->setGeometry(10, 10, 302, 402);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    ASSERT_TRUE(view->SetImage(image, DocumentLayer(), 2));
    EXPECT_EQ(view->ImageWidth(), kWidth);
    EXPECT_EQ(view->ImageHeight(), kHeight);
    view->VScrollBar()->setValue(500);
    ASSERT_EQ(view->ScrollPos().y(), 500);
    view->SetSelection(QRect(0, 0, kWidth, kHeight));

    const QImage shot = view->grab().toImage();
    ASSERT_EQ(shot.devicePixelRatio(), 2.0);
    const QPoint origin = view->ClientOrigin() * 2;
    int wrong = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 2 * kWidth; ++x)
            wrong += (shot.pixel(origin + QPoint(x, y)) | 0xFF000000) != image.pixel(x, 1000 + y);
    EXPECT_EQ(wrong, 0);

    view->SetSelection(QRect(10, 100, 150, 1100));
    EXPECT_EQ(view->Selection(), QRect(10, 100, 150, 1100));
    PageSet set;
    ASSERT_TRUE(view->CutPages(set));
    ASSERT_EQ(set.Count(), 2);
    EXPECT_EQ(set.Geometry().pageWidth, 300);
    EXPECT_EQ(set.Geometry().pageHeight, 2048);
    // Page 2's first pixel row is document row 100 + 1024, pixel column 20.
    QRgb first;
    std::memcpy(&first, set.Row(set.Page(1), 0), 4);
    EXPECT_EQ(first | 0xFF000000, image.pixel(20, 2 * 1124));
}
