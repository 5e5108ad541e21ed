#include "tests/support/PixelCount.h"
#include "tests/support/TestHttpServer.h"
#include "tests/support/WaylandSession.h"
#include "tests/support/XDisplaySession.h"

#include "capture/BrowserControl.h"
#include "capture/WholePageCapture.h"

#include <QProcess>
#include <QQuickWindow>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>

#include <cstring>
#include <functional>

#include <gtest/gtest.h>

namespace {

constexpr int kViewWidth = 800;
constexpr int kViewHeight = 600;
constexpr int kCanvasWidth = 300;
constexpr QRgb kWhite = 0xFFFFFF;

// Row v of the row-coded canvases: every row a colour of its own, so that a row lost, doubled
// or moved shows.
QRgb RowColour(int v) {
    return qRgb(v & 0xFF, (v >> 8) & 0xFF, 153) & 0xFFFFFF;
}

// A canvas whose rows are RowColour(from), RowColour(from + 1), ...
QString Rows(int from, int rows, const QString& style = QString()) {
    return QStringLiteral("<canvas class=rc data-from=%1 width=%2 height=%3 "
                          "style=\"display:block;%4\"></canvas>")
        .arg(from)
        .arg(kCanvasWidth)
        .arg(rows)
        .arg(style);
}

QString RowsPage(const QString& body) {
    return QStringLiteral(
               "<!doctype html><meta charset=utf-8><body style=margin:0>%1<script>"
               "for(const c of document.querySelectorAll('canvas.rc')){"
               "const w=c.width,h=c.height,f=+c.dataset.from,g=c.getContext('2d');"
               "const d=g.createImageData(w,h);for(let y=0;y<h;++y){const v=f+y;"
               "for(let x=0;x<w;++x){const i=4*(y*w+x);d.data[i]=v&255;d.data[i+1]=(v>>8)&255;"
               "d.data[i+2]=153;d.data[i+3]=255;}}g.putImageData(d,0,0);}</script>")
        .arg(body);
}

// Row-coded canvases between two lines of text in boxes of kTextRows: a pixel drawn otherwise
// on another platform (its scene graph, its text) shows. The canvases' columns are coded as
// DisplayRow says.
constexpr int kTextRows = 40;
constexpr int kDisplayRows = 6000;

QString DisplayPage() {
    const QString text =
        QStringLiteral("<p style=\"margin:0;height:%1px;font:20px/%1px sans-serif\">"
                       "다람쥐 헌 쳇바퀴에 타고파. The quick brown fox %2.</p>")
            .arg(kTextRows);
    return RowsPage(text.arg(1) + Rows(0, kDisplayRows) + text.arg(2) +
                    Rows(kDisplayRows, kDisplayRows));
}

QRgb DisplayRow(int y) {
    const int second = 2 * kTextRows + kDisplayRows;
    return y < second ? RowColour(y - kTextRows) : RowColour(y - second + kDisplayRows);
}

struct RowCase {
    const char* name;
    QString body;
    int height;
    std::function<QRgb(int)> row; // the expected colour of image row y at the canvas columns
};

std::vector<RowCase> RowCases() {
    const auto coded = [](int top, int from) {
        return [=](int y) { return RowColour(y - top + from); };
    };
    const auto belowWhiteGap = [](int y) {
        return y < 1000 ? RowColour(y) : y < 3000 ? kWhite : RowColour(y - 2000);
    };
    return {
        // Pulled up by 50 rows: taller than one tile, so the tiles are tall views.
        {"NegativeTopMargin",
         QStringLiteral("<div style=\"margin-top:-50px\">%1</div>").arg(Rows(0, 15000)), 14950,
         coded(0, 50)},
        // A view-high first section keeps the tiles view-high: the last one is partial.
        {"NegativeTopMarginViewHighFirst",
         QStringLiteral("<div style=\"margin-top:-50px\"><div style=\"height:100vh;"
                        "background:#00ff00\"></div>%1</div>")
             .arg(Rows(0, 3010)),
         kViewHeight - 50 + 3010,
         [=](int y) {
             return y < kViewHeight - 50 ? QRgb(0x00FF00) : coded(kViewHeight - 50, 0)(y);
         }},
        {"AbsoluteBelowTheRoot",
         Rows(0, 1000) + Rows(1000, 2000, QStringLiteral("position:absolute;left:0;top:3000px")),
         5000, belowWhiteGap},
        {"TransformedDown",
         Rows(0, 1000) + Rows(1000, 2000, QStringLiteral("transform:translateY(2000px)")), 5000,
         belowWhiteGap},
        // The root does not scroll; the body scrolls as a box filling the view.
        {"BodyScrollingUnderAFixedRoot",
         QStringLiteral("<style>html{overflow:hidden;height:100%}body{height:100%;"
                        "overflow:auto}</style>%1")
             .arg(Rows(0, 5000)),
         5000, coded(0, 0)},
    };
}

class CaptureRowsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_pServer = new TestHttpServer;
        s_pControl = new BrowserControl;
        s_pControl->resize(kViewWidth, kViewHeight);
        s_pControl->show();
    }
    static void TearDownTestSuite() {
        delete s_pControl;
        delete s_pServer;
    }
    static bool Load(const QString& address) {
        QSignalSpy spy(s_pControl, &BrowserControl::DocumentComplete);
        s_pControl->Navigate2(address);
        return spy.wait(20000) && spy.last().at(1).toBool();
    }
    static bool Serve(const char* path, const QString& html) {
        s_pServer->AddFile(path, html.toUtf8(), "text/html; charset=utf-8");
        return Load(s_pServer->Url(QString::fromLatin1(path)));
    }
    static bool Capture(QImage* image) {
        return WholePageCapture(s_pControl).CaptureWholePage(image).Ok();
    }
    // Pixels of area (the whole image when empty) that have colour c.
    static qint64 Count(const QImage& image, QRgb c, QRect area = QRect()) {
        return CountNear(image, area.isEmpty() ? image.rect() : area, c, 0);
    }
    // What the screen shows of the control's window; where the platform cannot read the screen
    // back (Wayland), what the window draws.
    static QImage Screen() {
        QPixmap shot = s_pControl->screen()->grabWindow(s_pControl->winId());
        if (shot.isNull())
            shot = s_pControl->grab();
        return shot.toImage().convertToFormat(QImage::Format_RGB32);
    }
    // Loads DisplayPage and captures it while looking at the screen every few milliseconds (the
    // capture waits on the engine in event loops): in *changed the looks that saw the window
    // otherwise than before, in *looks all of them. Afterwards the window shows the page as
    // before.
    static void CaptureDisplayPage(QImage* image, int* looks, int* changed) {
        ASSERT_TRUE(Serve("/display.html", DisplayPage()));
        QImage before;
        // Settled: the screen shows the page, as the view's last frame has it.
        ASSERT_TRUE(QTest::qWaitFor([&] {
            before = Screen();
            return before.height() > kTextRows &&
                   (before.pixel(0, kTextRows) & 0xFFFFFF) == RowColour(0) &&
                   before == s_pControl->grab().toImage().convertToFormat(QImage::Format_RGB32);
        }));
        *looks = *changed = 0;
        QTimer watch;
        watch.setInterval(5);
        QObject::connect(&watch, &QTimer::timeout, &watch, [&] {
            ++*looks;
            *changed += Screen() != before;
        });
        watch.start();
        ASSERT_TRUE(Capture(image));
        watch.stop();
        ASSERT_TRUE(QTest::qWaitFor([&] { return Screen() == before; }));
    }

    static inline TestHttpServer* s_pServer = nullptr;
    static inline BrowserControl* s_pControl = nullptr;
};

} // namespace

// Content the body's own box does not hold (pulled up, positioned or transformed beyond it):
// the image is as tall as the window scrolls, and every row of it is drawn once, in place.
TEST_F(CaptureRowsTest, EveryRowOfContentBeyondTheBody) {
    for (const RowCase& c : RowCases()) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Serve("/rows.html", RowsPage(c.body)));
        QImage image;
        ASSERT_TRUE(Capture(&image));
        ASSERT_EQ(image.size(), QSize(kViewWidth, c.height));
        for (int y = 0; y < c.height; ++y)
            for (int x : {0, kCanvasWidth - 1})
                ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, c.row(y)) << "row " << y << " column " << x;
        EXPECT_EQ(s_pControl->size(), QSize(kViewWidth, kViewHeight));
    }
}

// A document that collapses its end while it is being captured cannot give every measured row:
// the capture fails, the caller's image stays, the control is as it was.
TEST_F(CaptureRowsTest, DocumentShrinkingDuringTheCaptureFails) {
    // The page shrinks once it is scrolled down while the capture's marker is in it (not during
    // the walk for lazy content, which comes first).
    const QString body =
        QStringLiteral("<div style=\"height:100vh;background:#00ff00\"></div>%1"
                       "<div id=tail style=\"height:20000px\"></div><script>"
                       "addEventListener('scroll',()=>{const m=document.documentElement"
                       ".lastElementChild;if(scrollY>1500&&m.tagName==='DIV')"
                       "document.getElementById('tail').style.height='0';});</script>")
            .arg(Rows(0, 3000));
    ASSERT_TRUE(Serve("/shrink.html", RowsPage(body)));
    QImage image(1, 1, QImage::Format_RGB32);
    EXPECT_FALSE(Capture(&image));
    EXPECT_EQ(image.size(), QSize(1, 1));
    EXPECT_EQ(s_pControl->size(), QSize(kViewWidth, kViewHeight));
}

// A bar that a page script shows fixed once the page is scrolled is hidden from the tiles after
// the one it first appears in; a red row at each tile would tell.
TEST_F(CaptureRowsTest, BarTurnedFixedByAScriptIsHiddenAfterItAppears) {
    const QString body =
        QStringLiteral("<div id=bar style=\"display:none;position:fixed;left:0;top:0;"
                       "width:100%;height:30px;background:#ff0000\"></div>"
                       "<div style=\"height:100vh;background:#00ff00\"></div>%1<script>"
                       "addEventListener('scroll',()=>{document.getElementById('bar').style"
                       ".display=scrollY>0?'block':'none';});</script>")
            .arg(Rows(0, 6000));
    ASSERT_TRUE(Serve("/bar.html", RowsPage(body)));
    QImage image;
    ASSERT_TRUE(Capture(&image));
    ASSERT_EQ(image.height(), kViewHeight + 6000);
    EXPECT_LE(Count(image, 0xFF0000, QRect(kViewWidth - 1, 0, 1, image.height())), 30);
}

// A body with no child is still a body with a size: an empty coloured body, a page made of
// style alone, a blank page (white, the view's size).
TEST_F(CaptureRowsTest, EmptyBodiesAreCaptured) {
    QImage image;
    ASSERT_TRUE(
        Serve("/empty.html",
              QStringLiteral("<body style=\"margin:0;height:3000px;background:#0f0\"></body>")));
    ASSERT_TRUE(Capture(&image));
    ASSERT_EQ(image.size(), QSize(kViewWidth, 3000));
    EXPECT_EQ(Count(image, 0x00FF00), qint64(kViewWidth) * 3000);

    ASSERT_TRUE(Serve("/style.html", QStringLiteral("<!doctype html><style>html{background:#00f}"
                                                    "body{margin:0;height:2500px}</style>")));
    ASSERT_TRUE(Capture(&image));
    ASSERT_EQ(image.size(), QSize(kViewWidth, 2500));
    EXPECT_EQ(Count(image, 0x0000FF), qint64(kViewWidth) * 2500);

    ASSERT_TRUE(Load(QStringLiteral("about:blank")));
    ASSERT_TRUE(Capture(&image));
    ASSERT_EQ(image.size(), QSize(kViewWidth, kViewHeight));
    EXPECT_EQ(Count(image, kWhite), qint64(kViewWidth) * kViewHeight);
}

// The blinking caret of the field being typed in is not captured; the field keeps the focus
// and its caret afterwards.
TEST_F(CaptureRowsTest, CaretIsHiddenWhileCapturedAndBackAfter) {
    ASSERT_TRUE(Serve("/field.html",
                      QStringLiteral("<!doctype html><body style=margin:0><input id=f "
                                     "style=\"caret-color:#ff0000;font-size:60px;border:0;"
                                     "outline:none;width:400px;height:100px;background:#fff\">")));
    s_pControl->activateWindow();
    s_pControl->View()->setFocus();
    s_pControl->RunScript(QStringLiteral("document.getElementById('f').focus();true"));
    // The caret blinks: its picture is waited for, frame by frame.
    const auto caretShows = [] {
        for (int frame = 0; frame < 200; ++frame) {
            if (Count(s_pControl->GrabViewport(), 0xFF0000, QRect(0, 0, 400, 100)) > 0)
                return true;
            s_pControl->RunAsyncScript(
                QStringLiteral("await new Promise(r=>setTimeout(r,10));return 1;"));
        }
        return false;
    };
    if (!caretShows())
        GTEST_SKIP() << "this platform draws no caret in the view";
    for (int round = 0; round < 4; ++round) { // the caret is on in at least one of them
        QImage image;
        ASSERT_TRUE(Capture(&image));
        EXPECT_EQ(Count(image, 0xFF0000), 0) << "round " << round;
    }
    QVariant focused;
    s_pControl->RunScript(QStringLiteral("document.activeElement.id"), &focused);
    EXPECT_EQ(focused.toString(), QStringLiteral("f"));
    EXPECT_TRUE(caretShows()) << "the caret is back";
}

// The user sees nothing of the capture's work: the window shows the page as it was throughout,
// while the view behind it is resized and scrolled.
TEST_F(CaptureRowsTest, WorkIsNotSeen) {
    QImage image;
    int looks = 0, changed = 0;
    CaptureDisplayPage(&image, &looks, &changed);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_GT(looks, 3);
    EXPECT_EQ(changed, 0) << "of " << looks << " looks";
    EXPECT_EQ(s_pControl->View()->geometry(), s_pControl->rect()) << "the view is back";
    ASSERT_EQ(image.size(), QSize(kViewWidth, 2 * (kTextRows + kDisplayRows)));
    EXPECT_EQ(image.pixel(0, image.height() - 1) & 0xFFFFFF, DisplayRow(image.height() - 1));
}

// Run by CaptureUnderDisplay inside its X or Wayland session: the capture's picture goes to
// the file it names, and nothing of the work is seen meanwhile.
TEST_F(CaptureRowsTest, OnThisDisplay) {
    const QString out = qEnvironmentVariable("ZELVANE_CAPTURE_OUT");
    if (out.isEmpty())
        GTEST_SKIP() << "runs inside the display cases";
    // Neither Xvfb nor weston's headless back end has a GPU: their OpenGL is a software
    // rasteriser, and the view is drawn by the software scene graph instead.
    EXPECT_EQ(QQuickWindow::sceneGraphBackend(), QStringLiteral("software"))
        << BrowserControl::GraphicsChoice().toStdString();
    QImage image;
    int looks = 0, changed = 0;
    CaptureDisplayPage(&image, &looks, &changed);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_GT(looks, 3);
    EXPECT_EQ(changed, 0) << "of " << looks << " looks";
    ASSERT_TRUE(image.save(out));
}

class CaptureUnderDisplay : public CaptureRowsTest,
                            public ::testing::WithParamInterface<const char*> {};

// Under Xvfb with openbox and under weston, each started here on a private socket: the capture
// is the same picture, pixel for pixel, as offscreen.
TEST_P(CaptureUnderDisplay, SamePixelsAsOffscreen) {
    const QString platform = QString::fromLatin1(GetParam());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    XDisplaySession x;
    WaylandSession wayland;
    if (platform == QLatin1String("xcb")) {
        if (!XDisplaySession::Available(true))
            GTEST_SKIP() << "Xvfb or openbox is not installed";
        ASSERT_TRUE(x.Start(true)) << x.Error().toStdString();
        env.insert(QStringLiteral("DISPLAY"), x.Display());
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    } else {
        if (!WaylandSession::Available())
            GTEST_SKIP() << "weston or Qt's Wayland platform is not installed";
        ASSERT_TRUE(wayland.Start()) << wayland.Error().toStdString();
        wayland.AddTo(&env);
        env.remove(QStringLiteral("DISPLAY"));
    }
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString out = folder.filePath(QStringLiteral("capture.png"));
    env.insert(QStringLiteral("ZELVANE_CAPTURE_OUT"), out);
    // A session bus that refuses at once: without one named, libdbus may fork a child to start
    // one, which can spin for ever under the sanitizers.
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
               QStringLiteral("unix:path=") + folder.filePath(QStringLiteral("no-bus")));
    QProcess inner;
    inner.setProcessEnvironment(env);
    inner.setProcessChannelMode(QProcess::MergedChannels);
    inner.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=CaptureRowsTest.OnThisDisplay")});
    const bool finished = inner.waitForFinished(240000);
    if (!finished)
        inner.kill();
    (void)inner.waitForFinished(5000);
    const QByteArray log = inner.readAll().right(4000);
    ASSERT_TRUE(finished && inner.exitCode() == 0 && log.contains("[  PASSED  ] 1 test"))
        << log.toStdString();

    const QImage shown = QImage(out).convertToFormat(QImage::Format_RGB32);
    ASSERT_TRUE(Serve("/display.html", DisplayPage()));
    QImage offscreen;
    ASSERT_TRUE(Capture(&offscreen));
    ASSERT_EQ(offscreen.size(), QSize(kViewWidth, 2 * (kTextRows + kDisplayRows)));
    for (int y : {kTextRows, kTextRows + kDisplayRows - 1, offscreen.height() - 1})
        ASSERT_EQ(offscreen.pixel(0, y) & 0xFFFFFF, DisplayRow(y)) << "offscreen row " << y;
    ASSERT_EQ(shown.size(), offscreen.size());
    for (int y = 0; y < shown.height(); ++y) {
        if (std::memcmp(shown.constScanLine(y), offscreen.constScanLine(y),
                        size_t(shown.width()) * 4) == 0)
            continue;
        for (int x = 0; x < shown.width(); ++x)
            ASSERT_EQ(shown.pixel(x, y), offscreen.pixel(x, y)) << "x " << x << " y " << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Platform, CaptureUnderDisplay, ::testing::Values("xcb", "wayland"),
                         [](const auto& info) { return std::string(info.param); });
