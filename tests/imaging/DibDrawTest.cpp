#include "imaging/QX_DIB.h"
#include "tests/imaging/BmpBuilder.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr QRgb Backdrop = 0xFF404040;

// The 2 x 2 picture (red, green / blue, white) loaded from a file.
class DibDraw : public ::testing::Test {
  protected:
    void SetUp() override {
        const QString path = m_dir.filePath(QStringLiteral("small.bmp"));
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(BmpBuilder::SmallFile());
        out.close();
        ASSERT_EQ(m_dib.LoadFile(path), 1);
        m_canvas = QImage(10, 10, QImage::Format_RGB32);
        m_canvas.fill(Backdrop);
    }

    QRgb At(int x, int y) const { return m_canvas.pixel(x, y); }

    QTemporaryDir m_dir;
    QX_DIB m_dib;
    QImage m_canvas;
};

TEST_F(DibDraw, ExactSizeCopyTouchesOnlyItsOwnPixels) {
    QPainter painter(&m_canvas);
    m_dib.Draw(&painter, 3, 4);
    painter.end();
    EXPECT_EQ(At(3, 4), qRgb(255, 0, 0));
    EXPECT_EQ(At(4, 4), qRgb(0, 255, 0));
    EXPECT_EQ(At(3, 5), qRgb(0, 0, 255));
    EXPECT_EQ(At(4, 5), qRgb(255, 255, 255));
    int touched = 0;
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x)
            touched += At(x, y) != Backdrop;
    }
    EXPECT_EQ(touched, 4);
}

TEST_F(DibDraw, StretchSamplesNearestPixelsWithoutBlending) {
    QPainter painter(&m_canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform); // must not blend anyway
    m_dib.DrawToRect(&painter, QRect(0, 0, 4, 6));
    painter.end();
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 4; ++x) {
            const QRgb expected = y < 3 ? (x < 2 ? qRgb(255, 0, 0) : qRgb(0, 255, 0))
                                        : (x < 2 ? qRgb(0, 0, 255) : qRgb(255, 255, 255));
            EXPECT_EQ(At(x, y), expected) << x << "," << y;
        }
    }
    EXPECT_EQ(At(4, 0), Backdrop);
    EXPECT_EQ(At(0, 6), Backdrop);
}

TEST_F(DibDraw, DrawFillsTheDrawSizeByStretching) {
    m_dib.m_nDrawWidth = 6;
    m_dib.m_nDrawHeight = 2;
    QPainter painter(&m_canvas);
    m_dib.Draw(&painter, 1, 1);
    painter.end();
    EXPECT_EQ(At(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(At(3, 1), qRgb(255, 0, 0));
    EXPECT_EQ(At(4, 1), qRgb(0, 255, 0));
    EXPECT_EQ(At(6, 2), qRgb(255, 255, 255));
    EXPECT_EQ(At(7, 1), Backdrop);
}

TEST_F(DibDraw, TransparentDrawLeavesKeyPixelsUntouched) {
    m_dib.m_bTransparent = true;
    m_dib.m_crKey = QX_RGB(0, 255, 0); // the green pixel
    QPainter painter(&m_canvas);
    m_dib.Draw(&painter, 0, 0);
    m_dib.m_crKey = QX_RGB(255, 255, 255); // a changed key takes effect on the next draw
    m_dib.m_nDrawWidth = 4;
    m_dib.m_nDrawHeight = 4;
    m_dib.Draw(&painter, 5, 5);
    painter.end();
    EXPECT_EQ(At(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(At(1, 0), Backdrop);
    EXPECT_EQ(At(0, 1), qRgb(0, 0, 255));
    EXPECT_EQ(At(1, 1), qRgb(255, 255, 255));
    EXPECT_EQ(At(7, 5), qRgb(0, 255, 0));
    EXPECT_EQ(At(7, 7), Backdrop); // the stretched white quarter is keyed out
    EXPECT_EQ(At(8, 8), Backdrop);
    EXPECT_EQ(At(5, 7), qRgb(0, 0, 255));
}

TEST_F(DibDraw, TransparentDrawOverTranslucentCanvasKeepsItsPixels) {
    QImage layer(2, 2, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    m_dib.m_bTransparent = true;
    m_dib.m_crKey = QX_RGB(255, 0, 0);
    QPainter painter(&layer);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    m_dib.Draw(&painter, 0, 0);
    EXPECT_EQ(painter.compositionMode(), QPainter::CompositionMode_Source);
    painter.end();
    EXPECT_EQ(layer.pixel(0, 0), 0u);
    EXPECT_EQ(layer.pixel(1, 0), qRgb(0, 255, 0));
}

TEST_F(DibDraw, EmptyRectanglesAndInactivePaintersDrawNothing) {
    QPainter painter(&m_canvas);
    m_dib.DrawToRect(&painter, QRect(2, 2, 0, 5));
    m_dib.DrawToRect(&painter, QRect(2, 2, -3, 5));
    m_dib.m_nDrawWidth = 0;
    m_dib.Draw(&painter, 0, 0);
    painter.end();
    QPainter idle;
    m_dib.DrawToRect(&idle, QRect(0, 0, 2, 2));
    m_dib.DrawToRect(nullptr, QRect(0, 0, 2, 2));
    QImage untouched(10, 10, QImage::Format_RGB32);
    untouched.fill(Backdrop);
    EXPECT_EQ(m_canvas, untouched);
}

} // namespace
