// The whole-page capture on a screen of device pixel ratio 2, in a process of its own: the ratio
// must be set before the application starts.
#include "tests/support/TestHttpServer.h"

#include "capture/BrowserControl.h"
#include "capture/WholePageCapture.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

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
QString RowsPage() {
    return QStringLiteral(
               "<!doctype html><meta charset=utf-8><body style=margin:0>"
               "<canvas width=%1 height=%2 style=\"display:block;image-rendering:pixelated\">"
               "</canvas><script>const c=document.querySelector('canvas'),w=c.width,h=c.height,"
               "g=c.getContext('2d'),d=g.createImageData(w,h);for(let y=0;y<h;++y)"
               "for(let x=0;x<w;++x){const i=4*(y*w+x);d.data[i]=y&255;d.data[i+1]=(y>>8)&255;"
               "d.data[i+2]=153;d.data[i+3]=255;}g.putImageData(d,0,0);</script>")
        .arg(kCanvasWidth)
        .arg(kRows);
}

} // namespace

// Every document row is two pixel rows of its own colour, none lost, doubled or moved across the
// tiles; the image is twice as wide and tall as the document.
TEST(CaptureAtRatioTwo, KeepsTheEnginesPixelsStitchedExactly) {
    ASSERT_TRUE(kRatioTwo);
    TestHttpServer server;
    server.AddFile("/rows.html", RowsPage().toUtf8(), "text/html; charset=utf-8");
    BrowserControl control;
    control.resize(kViewWidth, kViewHeight);
    control.show();
    ASSERT_EQ(control.CaptureScale(), 2);
    QSignalSpy loaded(&control, &BrowserControl::DocumentComplete);
    control.Navigate2(server.Url(QStringLiteral("/rows.html")));
    ASSERT_TRUE(loaded.wait(20000));
    ASSERT_TRUE(loaded.last().at(1).toBool());
    WholePageCapture capture(&control);
    QImage image;
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
