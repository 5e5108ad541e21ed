// The page view on a screen of device pixel ratio 2, in a process of its own: the ratio must be
// set before the application starts.
#include "pages/PageSet.h"
#include "review/PageImageView.h"

#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Read before main creates the application.
const bool kRatioTwo = qputenv("QT_SCALE_FACTOR", "2");

QRgb PixelColour(int x, int y) {
    return qRgb((x * 7) & 0xFF, y & 0xFF, (y >> 8) * 40 + 20);
}

} // namespace

// A page at scale 2 is shown pixel for pixel: every pixel of the page, odd rows and columns too,
// is a pixel of the screen, at the scrolled place counted in document pixels.
TEST(ViewAtRatioTwo, ShowsAPageAtScaleTwoPixelForPixel) {
    ASSERT_TRUE(kRatioTwo);
    const PageGeometry geometry = PageGeometry::For(100, 4, 1024, 2);
    std::vector<quint8> pixels(size_t(geometry.pageBytes));
    for (int y = 0; y < geometry.pageHeight; ++y) {
        for (int x = 0; x < geometry.pageWidth; ++x) {
            const QRgb c = PixelColour(x, y);
            std::memcpy(&pixels[size_t(y) * size_t(geometry.rowBytes) + size_t(4 * x)], &c, 4);
        }
    }
    PageRecord record;
    record.pixels = pixels.data();
    QWidget parent;
    parent.resize(340, 340);
    auto* view = new PageImageView;
    view->SetPageGeometry(geometry);
    ASSERT_TRUE(view->Create(QRect(10, 10, 302, 302), &parent));
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    view->ShowPage(&record, true);
    view->VScrollBar()->setValue(200);

    const QImage shot = view->grab().toImage();
    ASSERT_EQ(shot.devicePixelRatio(), 2.0);
    const QPoint origin = view->ClientOrigin() * 2;
    int wrong = 0;
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 150; ++x)
            wrong += (shot.pixel(origin + QPoint(x, y)) | 0xFF000000) != PixelColour(x, 400 + y);
    }
    EXPECT_EQ(wrong, 0);
}
