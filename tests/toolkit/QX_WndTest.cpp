#include "toolkit/QX_Wnd.h"

#include "tests/support/TestSkin.h"
#include "tests/support/WaitUntil.h"
#include "toolkit/QX_Skin.h"
#include "toolkit/QX_Theme.h"

#include <QApplication>
#include <QImage>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

QRgb Rgb(COLORREF c) {
    return QX_ToQColor(c).rgb();
}

QImage Render(QWidget* w) {
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Pixels of `image` inside r equal to colour.
int CountColour(const QImage& image, const QRect& r, QRgb colour) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return n;
}

// Pixels inside r within `tolerance` of colour on every channel (antialiased glyph cores).
int CountNear(const QImage& image, const QRect& r, QRgb colour, int tolerance) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            n += qAbs(qRed(p) - qRed(colour)) <= tolerance &&
                 qAbs(qGreen(p) - qGreen(colour)) <= tolerance &&
                 qAbs(qBlue(p) - qBlue(colour)) <= tolerance;
        }
    return n;
}

// Bounding box of the pixels where a and b differ by more than tolerance on a channel.
QRect DiffBox(const QImage& a, const QImage& b, int tolerance = 0) {
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (qAbs(qRed(p) - qRed(q)) > tolerance || qAbs(qGreen(p) - qGreen(q)) > tolerance ||
                qAbs(qBlue(p) - qBlue(q)) > tolerance)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

class QX_WndTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { TestSkin(); }

    // A 400 x 300 frame with all three caption buttons, placed well inside the screen.
    std::unique_ptr<QX_Wnd> MakeWnd(const QString& title = QStringLiteral("Tarnel")) {
        auto w = std::make_unique<QX_Wnd>();
        w->m_strTitle = title;
        w->SetCaptionButtons(true, true, true);
        EXPECT_TRUE(w->Create(QRect(40, 50, 400, 300)));
        return w;
    }

    static bool FrameBitmapsLoaded() {
        for (int i = 0; i < 8; ++i)
            if (const QX_DIB* dib = TestSkin().FrameBitmap(i); !dib || !dib->m_bLoaded)
                return false;
        return true;
    }
};

TEST_F(QX_WndTest, CaptionButtonsSitAtTheirPositionsForEveryCombination) {
    QX_Wnd w;
    w.resize(400, 300);
    struct Case {
        bool min, max, close;
        int minX, maxX, closeX;
    };
    const Case cases[] = {
        {true, true, true, 337, 355, 373}, {false, false, true, -1, -1, 373},
        {false, true, true, -1, 355, 373}, {true, false, true, 355, -1, 373},
        {true, true, false, 355, 373, -1}, {true, false, false, 373, -1, -1},
    };
    for (const Case& c : cases) {
        w.SetCaptionButtons(c.min, c.max, c.close);
        const auto left = [](const QRect& r) { return r.isNull() ? -1 : r.left(); };
        EXPECT_EQ(left(w.MinimizeButtonRect()), c.minX);
        EXPECT_EQ(left(w.MaximizeButtonRect()), c.maxX);
        EXPECT_EQ(left(w.CloseButtonRect()), c.closeX);
        if (c.close) {
            EXPECT_EQ(w.CloseButtonRect(), QRect(QPoint(373, 8), QPoint(390, 25)));
        }
    }
    EXPECT_EQ(w.GripRect(), QRect(392, 292, 8, 8));
}

TEST_F(QX_WndTest, ButtonImagesAreDrawnOnlyInsideTheButtonRectangles) {
    if (!FrameBitmapsLoaded())
        GTEST_SKIP() << "skin pack not built";
    auto w = MakeWnd();
    w->SetCaptionActive(true);
    w->SetCaptionButtons(false, false, false);
    const QImage bare = Render(w.get());
    w->SetCaptionButtons(true, true, true);
    const QImage full = Render(w.get());
    const QRect all = w->MinimizeButtonRect() | w->CloseButtonRect();
    EXPECT_TRUE(all.contains(DiffBox(bare, full)));
    for (const QRect& r : {w->MinimizeButtonRect(), w->MaximizeButtonRect(), w->CloseButtonRect()})
        EXPECT_FALSE(DiffBox(bare.copy(r), full.copy(r)).isEmpty()) << r.x();
}

TEST_F(QX_WndTest, FrameBodyBorderAndSunkenEdges) {
    auto w = MakeWnd();
    w->m_crBodyPen = QX_RGB(200, 10, 10);
    w->m_crBodyBrush = QX_RGB(10, 200, 10);
    const QImage img = Render(w.get());
    EXPECT_EQ(img.pixel(200, 150), Rgb(w->m_crBodyBrush));
    EXPECT_EQ(img.pixel(0, 150), Rgb(w->m_crBodyPen));
    EXPECT_EQ(img.pixel(399, 150), Rgb(w->m_crBodyPen));
    EXPECT_EQ(img.pixel(200, 299), Rgb(w->m_crBodyPen));
    EXPECT_EQ(img.pixel(1, 150), Rgb(0xFFFFFF));   // body edge: light left
    EXPECT_EQ(img.pixel(200, 31), Rgb(0xFFFFFF));  // and top
    EXPECT_EQ(img.pixel(398, 150), Rgb(0x808080)); // dark right
    EXPECT_EQ(img.pixel(200, 298), Rgb(0x808080)); // and bottom
    EXPECT_EQ(img.pixel(200, 30), Rgb(0x808080));  // caption band's dark bottom edge
}

TEST_F(QX_WndTest, ASecondWindowDrawsWithItsOwnSkin) {
    if (!FrameBitmapsLoaded())
        GTEST_SKIP() << "skin pack not built";
    // A skin with other colours and no caption button images, for one window only.
    QX_Skin other;
    other.SetUserColor(QX_WINDOW_BODY_BRUSH, QX_RGB(10, 200, 10));
    auto plain = MakeWnd();
    auto own = MakeWnd();
    own->SetSkin(&other);
    auto* child = new QWidget(own.get());
    const QImage a = Render(plain.get());
    const QImage b = Render(own.get());
    EXPECT_EQ(b.pixel(200, 150), Rgb(QX_RGB(10, 200, 10)));
    EXPECT_EQ(a.pixel(200, 150), Rgb(plain->m_crBodyBrush));
    EXPECT_NE(plain->m_crBodyBrush, own->m_crBodyBrush);
    EXPECT_EQ(&QX_Skin::Of(child), &other);
    EXPECT_EQ(&QX_Skin::Of(plain.get()), &TestSkin());
    // The default skin's close image shows in one caption, none in the other.
    const QRect close = plain->CloseButtonRect();
    EXPECT_NE(CountColour(a, close, Rgb(plain->m_crBodyPen)), close.width() * close.height());
    EXPECT_TRUE(DiffBox(a.copy(close), b.copy(close)).isValid());
    own->SetSkin(nullptr);
    EXPECT_EQ(Render(own.get()), a);
}

TEST_F(QX_WndTest, TitleColoursFollowActivation) {
    auto w = MakeWnd(QStringLiteral("WWWW MMMM"));
    w->m_crActiveText = QX_RGB(0, 255, 0);
    w->m_crInactiveText = QX_RGB(0, 0, 255);
    const QRect title(11, 3, 150, 26);
    w->SetCaptionActive(true);
    QImage img = Render(w.get());
    EXPECT_GT(CountColour(img, title, Rgb(w->m_crActiveText)), 20);
    EXPECT_EQ(CountColour(img, title, Rgb(w->m_crInactiveText)), 0);
    // The active caption fades to the light colour at its top row.
    EXPECT_EQ(CountNear(img, QRect(200, 2, 1, 1), Rgb(w->m_crCaptionLight), 8), 1);
    EXPECT_NE(img.pixel(200, 2), Rgb(w->m_crBodyPen));

    w->SetCaptionActive(false);
    img = Render(w.get());
    EXPECT_GT(CountColour(img, title, Rgb(w->m_crInactiveText)), 20);
    EXPECT_EQ(CountColour(img, title, Rgb(w->m_crActiveText)), 0);
    EXPECT_EQ(img.pixel(200, 2), Rgb(w->m_crBodyPen)); // inactive band is flat
}

TEST_F(QX_WndTest, KoreanTitleSitsLowerThanLatinTitle) {
    const auto topRow = [this](const QString& title) {
        auto w = MakeWnd(title);
        w->m_crActiveText = QX_RGB(0, 255, 0);
        w->SetCaptionActive(true);
        const QImage img = Render(w.get());
        for (int y = 2; y < 30; ++y)
            if (CountNear(img, QRect(11, y, 200, 1), Rgb(w->m_crActiveText), 60) > 0)
                return y;
        return -1;
    };
    const int latin = topRow(QStringLiteral("Tarnel"));
    const int korean = topRow(QStringLiteral("타넬 캡처"));
    ASSERT_GT(latin, 0);
    ASSERT_GT(korean, 0);
    EXPECT_GE(latin, 9);
    EXPECT_GE(korean, 11);
}

TEST_F(QX_WndTest, LongTitleStopsShortOfTheCaptionButtons) {
    auto w = MakeWnd(QString(80, QLatin1Char('W')));
    w->m_crActiveText = QX_RGB(0, 255, 0);
    w->SetCaptionActive(true);
    const QImage img = Render(w.get());
    const QRect buttons(w->MinimizeButtonRect().left() - 1, 2, 70, 28);
    EXPECT_EQ(CountNear(img, buttons, Rgb(w->m_crActiveText), 60), 0);
    EXPECT_GT(CountNear(img, QRect(11, 2, 300, 28), Rgb(w->m_crActiveText), 60), 100);
}

TEST_F(QX_WndTest, LogoIsDrawnAndPushesTheTitleRight) {
    // hideTitle: inactive, with the title in the flat band's own colour, so only a logo shows.
    const auto render = [](int mode, const QString& path, bool hideTitle) {
        QX_Wnd w;
        w.m_strTitle = QStringLiteral("Tarnel");
        w.m_crActiveText = QX_RGB(0, 255, 0);
        w.m_crInactiveText = w.m_crBodyPen;
        w.m_nLogoMode = mode;
        w.m_strLogoPath = path;
        w.Create(QRect(40, 50, 400, 300));
        w.SetCaptionActive(!hideTitle);
        return Render(&w);
    };
    const auto firstTitleColumn = [](const QImage& img) {
        for (int x = 2; x < 300; ++x)
            if (CountNear(img, QRect(x, 3, 1, 26), qRgb(0, 255, 0), 60) > 0)
                return x;
        return -1;
    };
    const QString logoPath = QStringLiteral("image/logo.bmp");
    const QString missingPath = QStringLiteral("image/no_such_logo.bmp");
    const int plainX = firstTitleColumn(render(0, QString(), false));
    EXPECT_GE(plainX, 11);
    EXPECT_LT(plainX, 15);
    EXPECT_GE(firstTitleColumn(render(1, logoPath, false)), 51);
    EXPECT_GE(firstTitleColumn(render(2, missingPath, false)), 91);

    const QImage bare = render(0, QString(), true);
    // Blending the hidden title onto its own colour may round by one; that is no logo.
    const QRect logoBox = DiffBox(bare, render(1, logoPath, true), 2);
    EXPECT_FALSE(logoBox.isEmpty());
    EXPECT_EQ(logoBox.topLeft(), QPoint(7, 5));
    EXPECT_TRUE(DiffBox(bare, render(1, missingPath, true), 2).isEmpty());
}

TEST_F(QX_WndTest, EmptyTitleDrawsNoButtonsButTheyStillWork) {
    auto w = MakeWnd(QString());
    const QImage withButtons = Render(w.get());
    w->SetCaptionButtons(false, false, false);
    EXPECT_TRUE(DiffBox(withButtons, Render(w.get())).isEmpty());
    w->SetCaptionButtons(true, true, true);
    const QPoint c = w->CloseButtonRect().center();
    QTest::mousePress(w.get(), Qt::LeftButton, {}, c);
    QTest::mouseRelease(w.get(), Qt::LeftButton, {}, c);
    EXPECT_TRUE(WaitUntil([&] { return !w->isVisible(); }, 5000));
}

TEST_F(QX_WndTest, CloseActsOnlyWhenReleasedInsideTheButton) {
    auto w = MakeWnd();
    const QPoint c = w->CloseButtonRect().center();
    QTest::mousePress(w.get(), Qt::LeftButton, {}, c);
    EXPECT_EQ(w->MouseMode(), QX_Wnd::ModeClose);
    QTest::mouseMove(w.get(), c + QPoint(30, 0));
    QTest::mouseRelease(w.get(), Qt::LeftButton, {}, c + QPoint(30, 0));
    QCoreApplication::processEvents();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->MouseMode(), QX_Wnd::ModeNone);
    EXPECT_EQ(w->geometry(), QRect(40, 50, 400, 300));

    QTest::mousePress(w.get(), Qt::LeftButton, {}, c);
    QTest::mouseRelease(w.get(), Qt::LeftButton, {}, c);
    EXPECT_TRUE(WaitUntil([&] { return !w->isVisible(); }, 5000));
}

TEST_F(QX_WndTest, PressedButtonShowsItsDownImageUntilRelease) {
    if (!FrameBitmapsLoaded())
        GTEST_SKIP() << "skin pack not built";
    auto w = MakeWnd();
    const QImage up = Render(w.get());
    const QPoint c = w->MaximizeButtonRect().center();
    QTest::mousePress(w.get(), Qt::LeftButton, {}, c);
    const QImage down = Render(w.get());
    EXPECT_TRUE(w->MaximizeButtonRect().contains(DiffBox(up, down)));
    EXPECT_FALSE(DiffBox(up, down).isEmpty());
    QTest::mouseRelease(w.get(), Qt::LeftButton, {}, QPoint(5, 150));
    EXPECT_TRUE(DiffBox(up, Render(w.get())).isEmpty());
}

TEST_F(QX_WndTest, MaximizeFillsTheAvailableScreenAndRestores) {
    auto w = MakeWnd();
    const QRect normal = w->geometry();
    const QPoint c = w->MaximizeButtonRect().center();
    QTest::mousePress(w.get(), Qt::LeftButton, {}, c);
    QTest::mouseRelease(w.get(), Qt::LeftButton, {}, c);
    EXPECT_TRUE(w->m_bMaximized);
    EXPECT_EQ(w->geometry(), w->screen()->availableGeometry());
    // The button follows the new width; the second click restores.
    const QPoint c2 = w->MaximizeButtonRect().center();
    QTest::mousePress(w.get(), Qt::LeftButton, {}, c2);
    QTest::mouseRelease(w.get(), Qt::LeftButton, {}, c2);
    EXPECT_FALSE(w->m_bMaximized);
    EXPECT_EQ(w->geometry(), normal);

    QTest::mouseDClick(w.get(), Qt::LeftButton, {}, QPoint(150, 15));
    QTest::mouseRelease(w.get(), Qt::LeftButton, {}, QPoint(150, 15));
    EXPECT_TRUE(w->m_bMaximized);
}

TEST_F(QX_WndTest, CaptionDragMovesByTheCursorTravel) {
    auto w = MakeWnd();
    QTest::mousePress(w.get(), Qt::LeftButton, {}, QPoint(100, 10));
    QTest::mouseMove(w.get(), QPoint(130, 25));
    QTest::mouseRelease(w.get(), Qt::LeftButton, {}, QPoint(130, 25));
    EXPECT_EQ(w->pos(), QPoint(70, 65));
    // Below the caption nothing moves unless dragging anywhere is allowed.
    QTest::mousePress(w.get(), Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(w.get(), QPoint(120, 100));
    QTest::mouseRelease(w.get(), Qt::LeftButton, {}, QPoint(120, 100));
    EXPECT_EQ(w->pos(), QPoint(70, 65));
    w->m_bDragAnywhere = true;
    QTest::mousePress(w.get(), Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(w.get(), QPoint(120, 100));
    QTest::mouseRelease(w.get(), Qt::LeftButton, {}, QPoint(120, 100));
    EXPECT_EQ(w->pos(), QPoint(90, 65));
}

TEST_F(QX_WndTest, NoMoveAndNoResizeWhileMaximized) {
    auto w = MakeWnd();
    w->m_bResizable = true;
    w->ToggleMaximize();
    const QRect zoomed = w->geometry();
    QTest::mousePress(w.get(), Qt::LeftButton, {}, QPoint(100, 10));
    EXPECT_EQ(w->MouseMode(), QX_Wnd::ModeNone);
    QTest::mouseMove(w.get(), QPoint(150, 60));
    QTest::mouseRelease(w.get(), Qt::LeftButton, {}, QPoint(150, 60));
    const QPoint grip = w->GripRect().center();
    QTest::mousePress(w.get(), Qt::LeftButton, {}, grip);
    EXPECT_EQ(w->MouseMode(), QX_Wnd::ModeNone);
    QTest::mouseMove(w.get(), grip - QPoint(100, 100));
    QTest::mouseRelease(w.get(), Qt::LeftButton, {}, grip - QPoint(100, 100));
    EXPECT_EQ(w->geometry(), zoomed);
}

struct ResizeCase {
    QPoint drag;
    QSize expected;
};

class QX_WndResizeTest : public QX_WndTest, public ::testing::WithParamInterface<ResizeCase> {};

TEST_P(QX_WndResizeTest, GripResizesWithinTheMinimumSize) {
    auto w = MakeWnd();
    w->m_bResizable = true;
    const QPoint grip = w->GripRect().center();
    QTest::mousePress(w.get(), Qt::LeftButton, {}, grip);
    EXPECT_EQ(w->MouseMode(), QX_Wnd::ModeResize);
    QTest::mouseMove(w.get(), grip + GetParam().drag / 2);
    QTest::mouseMove(w.get(), grip + GetParam().drag);
    EXPECT_EQ(w->size(), QSize(400, 300)); // only the outline follows until release
    QTest::mouseRelease(w.get(), Qt::LeftButton, {}, grip + GetParam().drag);
    EXPECT_EQ(w->size(), GetParam().expected);
    EXPECT_EQ(w->pos(), QPoint(40, 50));
}

INSTANTIATE_TEST_SUITE_P(Drags, QX_WndResizeTest,
                         ::testing::Values(ResizeCase{{50, 40}, {450, 340}},
                                           ResizeCase{{-100, -100}, {300, 200}},
                                           ResizeCase{{-500, -500}, {300, 200}},
                                           ResizeCase{{-99, 10}, {301, 310}},
                                           ResizeCase{{0, -101}, {400, 200}}));

TEST_F(QX_WndTest, TrackingOutlineFollowsTheDragAndGoesAway) {
    auto w = MakeWnd();
    w->m_bResizable = true;
    const QPoint grip = w->GripRect().center();
    QTest::mousePress(w.get(), Qt::LeftButton, {}, grip);
    QTest::mouseMove(w.get(), grip + QPoint(60, 30));
    QWidget* outline = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top != w.get() && top->isVisible() && top->inherits("QX_TrackFrame"))
            outline = top;
    ASSERT_NE(outline, nullptr);
    EXPECT_EQ(outline->geometry(), QRect(40, 50, 460, 330));
    const QImage img = outline->grab().toImage();
    EXPECT_EQ(img.pixel(0, 100) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(img.pixel(230, 329) & 0xFFFFFF, 0xFF0000u);
    EXPECT_FALSE(outline->mask().contains(QPoint(230, 165))); // the window shows through inside
    QTest::mouseRelease(w.get(), Qt::LeftButton, {}, grip + QPoint(60, 30));
    EXPECT_FALSE(outline->isVisible());
    EXPECT_EQ(w->size(), QSize(460, 330));
}

TEST_F(QX_WndTest, GripDoesNothingWhenNotResizable) {
    auto w = MakeWnd();
    const QPoint grip = w->GripRect().center();
    QTest::mousePress(w.get(), Qt::LeftButton, {}, grip);
    QTest::mouseMove(w.get(), grip + QPoint(50, 50));
    QTest::mouseRelease(w.get(), Qt::LeftButton, {}, grip + QPoint(50, 50));
    EXPECT_EQ(w->geometry(), QRect(40, 50, 400, 300));
}

TEST_F(QX_WndTest, MinimizeButtonMinimizes) {
    auto w = MakeWnd();
    const QPoint c = w->MinimizeButtonRect().center();
    QTest::mousePress(w.get(), Qt::LeftButton, {}, c);
    QTest::mouseRelease(w.get(), Qt::LeftButton, {}, c);
    EXPECT_TRUE(WaitUntil([&] { return w->windowState().testFlag(Qt::WindowMinimized); }, 5000));
}

} // namespace
