#include "tests/support/TestHttpServer.h"

#include "capture/BrowserControl.h"
#include "capture/WholePageCapture.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

namespace {

constexpr int kViewWidth = 800;
constexpr int kViewHeight = 600;

// Band i of the tall test pages has a colour of its own, so a lost or doubled row shows.
QRgb BandColour(int i) {
    return qRgb(i % 256, (i / 256) * 32 + 16, i % 2 ? 60 : 200);
}

QString Css(QRgb c) {
    return QStringLiteral("rgb(%1,%2,%3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
}

// Bands of bandHeight rows, each the full width, width x height in all.
QString BandsHtml(int width, int height, int bandHeight, const QString& extra = QString()) {
    QString html = QStringLiteral("<!doctype html><html><head><style>html,body{margin:0}"
                                  "div.b{width:%1px;height:%2px}</style></head><body>%3")
                       .arg(width)
                       .arg(bandHeight)
                       .arg(extra);
    for (int i = 0; i * bandHeight < height; ++i)
        html += QStringLiteral("<div class=b style=\"background:%1;height:%2px\"></div>")
                    .arg(Css(BandColour(i)))
                    .arg(std::min(bandHeight, height - i * bandHeight));
    return html + QStringLiteral("</body></html>");
}

QByteArray Png(QRgb colour, int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Rows of column x in [from, to) that have colour c.
int CountRows(const QImage& image, int x, QRgb c, int from = 0, int to = -1) {
    if (to < 0)
        to = image.height();
    int n = 0;
    for (int y = from; y < to; ++y)
        n += (image.pixel(x, y) & 0xFFFFFF) == (c & 0xFFFFFF);
    return n;
}

} // namespace

class BrowserCaptureTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_pDir = new QTemporaryDir;
        s_pServer = new TestHttpServer;
        s_pControl = new BrowserControl;
        s_pControl->resize(kViewWidth, kViewHeight);
        s_pControl->show();
    }
    static void TearDownTestSuite() {
        delete s_pControl;
        delete s_pServer;
        delete s_pDir;
    }
    void SetUp() override { s_pControl->resize(kViewWidth, kViewHeight); }

    static QString Write(const QString& name, const QString& html) {
        const QString path = s_pDir->filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(html.toUtf8());
        return path;
    }
    static bool Load(const QString& address) {
        QSignalSpy spy(s_pControl, &BrowserControl::DocumentComplete);
        s_pControl->Navigate2(address);
        return spy.wait(20000) && spy.last().at(1).toBool();
    }
    static QPoint Scroll() {
        QVariant v;
        s_pControl->RunScript(QStringLiteral("[scrollX, scrollY]"), &v);
        const QVariantList l = v.toList();
        return l.size() == 2 ? QPoint(l[0].toInt(), l[1].toInt()) : QPoint(-1, -1);
    }
    // The view once it shows what shows() accepts. A frame of the page reaches the view some
    // frames after the page drew it, so the view is grabbed anew after each frame of the page;
    // the last grab when it never does within a bounded number of frames.
    template <typename Shows> static QImage GrabOnceShown(Shows shows) {
        QImage image = s_pControl->GrabViewport();
        for (int frame = 0; frame < 120 && !shows(image); ++frame) {
            s_pControl->RunAsyncScript(
                QStringLiteral("await new Promise(r=>requestAnimationFrame(r));return 1;"));
            image = s_pControl->GrabViewport();
        }
        return image;
    }
    static QImage Capture() {
        QImage image;
        WholePageCapture capture(s_pControl);
        return capture.CaptureWholePage(&image) ? image : QImage();
    }

    static inline QTemporaryDir* s_pDir = nullptr;
    static inline TestHttpServer* s_pServer = nullptr;
    static inline BrowserControl* s_pControl = nullptr;
};

// A page far taller than one rendering: every band at exactly its rows, and the control as
// the user had it afterwards (size, scroll position, scroll bars, the same picture).
TEST_F(BrowserCaptureTest, TallPageStitchesEveryRowOnceAndRestoresTheControl) {
    constexpr int kHeight = 60000, kBand = 97;
    s_pControl->resize(1200, kViewHeight);
    ASSERT_TRUE(Load(Write(QStringLiteral("tall.html"), BandsHtml(1200, kHeight, kBand))));
    constexpr int kScrollY = 1234;
    s_pControl->RunScript(QStringLiteral("scrollTo(0, %1); true").arg(kScrollY));
    // The bands at the scroll position, seen down to above the horizontal scroll bar.
    const auto showsScrolledBands = [&](const QImage& view) {
        for (int y = 0; y < kViewHeight - 40; ++y)
            for (int x : {0, 1100})
                if ((view.pixel(x, y) & 0xFFFFFF) !=
                    (BandColour((kScrollY + y) / kBand) & 0xFFFFFF))
                    return false;
        return true;
    };
    const QImage before = GrabOnceShown(showsScrolledBands);
    ASSERT_TRUE(showsScrolledBands(before)) << "the page as the user scrolled it";

    const QImage image = Capture();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    EXPECT_EQ(image.size(), QSize(1200, kHeight));
    for (int i = 0; i * kBand < kHeight; ++i) {
        const int top = i * kBand, bottom = std::min(kHeight, top + kBand) - 1;
        for (int y : {top, bottom})
            for (int x : {0, 1199})
                ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, BandColour(i) & 0xFFFFFF)
                    << "band " << i << " row " << y << " column " << x;
    }

    EXPECT_EQ(s_pControl->size(), QSize(1200, kViewHeight));
    EXPECT_EQ(Scroll(), QPoint(0, kScrollY));
    QVariant bars;
    s_pControl->RunScript(QStringLiteral("[innerWidth - document.documentElement.clientWidth,"
                                         " innerHeight - document.documentElement.clientHeight]"),
                          &bars);
    ASSERT_EQ(bars.toList().size(), 2);
    const int barWidth = bars.toList().at(0).toInt(), barHeight = bars.toList().at(1).toInt();
    EXPECT_GT(barWidth, 0) << "the page's vertical scroll bar is back";
    EXPECT_GT(barHeight, 0) << "the page's horizontal scroll bar is back";
    // The content the user sees is the same picture as before (the bars' own shading may
    // differ by their hover state).
    const QRect content(0, 0, 1200 - barWidth, kViewHeight - barHeight);
    const QImage after = GrabOnceShown(
        [&](const QImage& view) { return view.copy(content) == before.copy(content); });
    if (after.copy(content) != before.copy(content)) {
        before.save(QStringLiteral("/tmp/zv-before.png"));
        after.save(QStringLiteral("/tmp/zv-after.png"));
    }
    EXPECT_TRUE(after.copy(content) == before.copy(content)) << "the same page as before";
}

// Wider than the view: the full width. A fixed header once at the top, a sticky bar where it
// stands at the top, a viewport-high section at the height the user saw.
TEST_F(BrowserCaptureTest, WideFixedStickyAndViewportHighContent) {
    const QString extra = QStringLiteral(
        "<div style=\"position:fixed;top:0;left:0;width:100%;height:50px;background:#f00\"></div>"
        "<div style=\"height:300px;width:2000px;background:#fff\"></div>"
        "<div style=\"position:sticky;top:0;height:40px;width:2000px;background:#00f\"></div>"
        "<div style=\"height:100vh;width:2000px;background:#0f0\"></div>");
    ASSERT_TRUE(Load(Write(QStringLiteral("wide.html"), BandsHtml(2000, 5000, 100, extra))));
    const QImage image = Capture();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 2000);
    EXPECT_EQ(image.height(), 300 + 40 + kViewHeight + 5000);
    const int x = 5;
    EXPECT_EQ(CountRows(image, x, qRgb(255, 0, 0)), 50) << "the fixed header once";
    EXPECT_EQ(CountRows(image, x, qRgb(255, 0, 0), 0, 50), 50);
    EXPECT_EQ(CountRows(image, x, qRgb(0, 0, 255)), 40) << "the sticky bar once";
    EXPECT_EQ(CountRows(image, x, qRgb(0, 0, 255), 300, 340), 40);
    EXPECT_EQ(CountRows(image, x, qRgb(0, 255, 0), 340, 340 + kViewHeight), kViewHeight);
    EXPECT_EQ(image.pixel(1999, 340 + kViewHeight + 150) & 0xFFFFFF, BandColour(1) & 0xFFFFFF);
    EXPECT_EQ(s_pControl->size(), QSize(kViewWidth, kViewHeight));
}

// Content that comes in on scrolling, 100 red rows below the first tall tile: a natively lazy
// image on a page without scripts, and blocks grown by an IntersectionObserver and by scroll
// handlers set as a property, added bare and set as an attribute. All of it is in before the
// page is measured.
TEST_F(BrowserCaptureTest, LazyContentIsInTheCapture) {
    s_pServer->AddFile("/red.png", Png(qRgb(255, 0, 0), 200, 100), "image/png");
    const QString grow = QStringLiteral("document.getElementById('i').style.cssText="
                                        "'height:100px;background:#f00'");
    const QString onScroll = QStringLiteral("if(scrollY>3000)%1").arg(grow);
    const QStringList loaders = {
        QStringLiteral("<img loading=lazy src=\"/red.png\" style=\"display:block\">"),
        QStringLiteral("<div id=i></div><script>new IntersectionObserver((es,o)=>{"
                       "if(es.some(e=>e.isIntersecting)){%1;o.disconnect();}})"
                       ".observe(document.getElementById('i'));</script>")
            .arg(grow),
        QStringLiteral("<div id=i></div><script>window.onscroll=()=>{%1};</script>").arg(onScroll),
        QStringLiteral("<div id=i></div><script>addEventListener('scroll',()=>{%1});</script>")
            .arg(onScroll),
        QStringLiteral("<div id=i></div><script>document.body.setAttribute('onscroll',\"%1\");"
                       "</script>")
            .arg(onScroll)};
    for (int i = 0; i < loaders.size(); ++i) {
        const QString html =
            QStringLiteral("<!doctype html><body style=\"margin:0\"><div style=\"height:12000px\">"
                           "</div>%1<div style=\"height:2000px\"></div></body>")
                .arg(loaders.at(i));
        const QByteArray path = "/lazy" + QByteArray::number(i) + ".html";
        s_pServer->AddFile(path, html.toUtf8(), "text/html");
        ASSERT_TRUE(Load(s_pServer->Url(QString::fromLatin1(path))));
        const QImage image = Capture();
        ASSERT_EQ(image.height(), 14100) << "page " << i;
        EXPECT_EQ(image.pixel(100, 12050) & 0xFFFFFF, 0xFF0000u) << "page " << i;
    }
}

// A frameset: the largest readable frame's size; a frame of another origin is not measured;
// every frame gets its scroll bars back.
TEST_F(BrowserCaptureTest, FramesetTakesTheLargestReadableFrame) {
    s_pServer->AddFile("/a.html", "<body style=margin:0><div style=height:1500px>a</div>",
                       "text/html");
    s_pServer->AddFile("/b.html",
                       "<body style=margin:0><div style=width:1300px;height:100px>b</div>",
                       "text/html");
    s_pServer->AddFile("/c.html", "<body style=margin:0><div style=height:5000px>c</div>",
                       "text/html");
    const QString set =
        QStringLiteral("<frameset rows=\"40%,30%,30%\"><frame src=\"/a.html\">"
                       "<frame src=\"/b.html\"><frame src=\"%1\"></frameset>")
            .arg(s_pServer->Url(QStringLiteral("/c.html"), QStringLiteral("localhost")));
    s_pServer->AddFile("/set.html", set.toUtf8(), "text/html");
    ASSERT_TRUE(Load(s_pServer->Url(QStringLiteral("/set.html"))));
    ASSERT_EQ(s_pControl->FrameCount(), 3);
    const QImage image = Capture();
    EXPECT_EQ(image.size(), QSize(1300, 1500));
    QVariant hidden;
    s_pControl->RunScript(QStringLiteral("[0,1].some(i=>frames[i].document."
                                         "getElementById('__zelvane_noscroll'))"),
                          &hidden);
    EXPECT_FALSE(hidden.toBool());
    EXPECT_EQ(s_pControl->size(), QSize(kViewWidth, kViewHeight));
}

// Nothing to capture: the capture fails and leaves the caller's image alone.
TEST_F(BrowserCaptureTest, CaptureFailsWithoutAMeasurableDocument) {
    BrowserControl fresh;
    fresh.resize(400, 300);
    fresh.show();
    QImage image(1, 1, QImage::Format_RGB32);
    image.fill(Qt::black);
    EXPECT_EQ(WholePageCapture(&fresh).CaptureWholePage(&image).Why(),
              CaptureResult::NothingToCapture);
    EXPECT_EQ(image.size(), QSize(1, 1));
}

// Addresses as the address box gives them: a bare path, a relative name, an empty text.
TEST_F(BrowserCaptureTest, Navigate2ResolvesTypedAddresses) {
    const QString path =
        Write(QStringLiteral("plain.html"), QStringLiteral("<title>plain</title><p>x"));
    ASSERT_TRUE(Load(path));
    EXPECT_EQ(s_pControl->LocationURL(), QUrl::fromLocalFile(path).toString());
    EXPECT_EQ(s_pControl->LocationName(), QStringLiteral("plain"));

    s_pControl->Navigate2(QString());
    s_pControl->Navigate2(QStringLiteral("   "));
    EXPECT_FALSE(s_pControl->IsLoading());
    EXPECT_EQ(s_pControl->LocationURL(), QUrl::fromLocalFile(path).toString());

    const QString saved = QDir::currentPath();
    QDir::setCurrent(s_pDir->path());
    const bool relative = Load(QStringLiteral("plain.html"));
    QDir::setCurrent(saved);
    EXPECT_TRUE(relative);
    EXPECT_EQ(s_pControl->LocationURL(), QUrl::fromLocalFile(path).toString());
    EXPECT_EQ(BrowserControl::HomeUrl(), QUrl::fromLocalFile(QDir::current().absoluteFilePath(
                                             QStringLiteral("home/index.html"))));
}

namespace {

enum class WideKind { Canvas, Gradient, Table };

struct Wide {
    WideKind kind;
    int width;
    int height;
    int maxView; // widest view the capture may make; 0: its own limit
};

// Colour of column x of the wide pages: every column for the canvas, 64-pixel stripes for the
// gradient and the table (a lost or doubled column shifts the next stripe edge).
QRgb ColumnColour(WideKind kind, int x) {
    const int v = kind == WideKind::Canvas ? x : x / 64;
    return qRgb(v & 0xFF, (v >> 8) * 4 + 2, kind == WideKind::Table ? 90 : 170);
}

QString WideHtml(const Wide& w) {
    QString body;
    if (w.kind == WideKind::Canvas) {
        body = QStringLiteral(
                   "<canvas id=c width=%1 height=%2 style=display:block></canvas><script>"
                   "const c=document.getElementById('c').getContext('2d');"
                   "const d=c.createImageData(%1,1);for(let x=0;x<%1;++x){"
                   "d.data[4*x]=x&255;d.data[4*x+1]=(x>>8)*4+2;d.data[4*x+2]=170;"
                   "d.data[4*x+3]=255;}for(let y=0;y<%2;++y)c.putImageData(d,0,y);</script>")
                   .arg(w.width)
                   .arg(w.height);
    } else if (w.kind == WideKind::Gradient) {
        QStringList stops;
        for (int x = 0; x < w.width; x += 64)
            stops << QStringLiteral("%1 %2px %3px")
                         .arg(Css(ColumnColour(w.kind, x)))
                         .arg(x)
                         .arg(std::min(w.width, x + 64));
        body = QStringLiteral("<div style=\"width:%1px;height:%2px;"
                              "background:linear-gradient(90deg,%3)\"></div>")
                   .arg(w.width)
                   .arg(w.height)
                   .arg(stops.join(QLatin1Char(',')));
    } else {
        body = QStringLiteral("<table style=\"border-spacing:0;table-layout:fixed;width:%1px\">"
                              "<tr style=\"height:%2px\">")
                   .arg(w.width)
                   .arg(w.height);
        for (int x = 0; x < w.width; x += 64)
            body += QStringLiteral("<td style=\"padding:0;width:%1px;background:%2\"></td>")
                        .arg(std::min(64, w.width - x))
                        .arg(Css(ColumnColour(w.kind, x)));
        body += QStringLiteral("</tr></table>");
    }
    // A fixed box at the top-left (once) and an SVG at the far right.
    return QStringLiteral("<!doctype html><body style=\"margin:0;width:%1px\">%2"
                          "<div style=\"position:fixed;left:0;top:0;width:40px;height:40px;"
                          "background:#ff0000\"></div><svg style=\"position:absolute;"
                          "left:%3px;top:%4px\" width=50 height=20><rect width=50 height=20 "
                          "fill=\"#00ff00\"/></svg></body>")
        .arg(w.width)
        .arg(body)
        .arg(w.width - 50)
        .arg(w.height - 20);
}

class WideCaptureTest : public BrowserCaptureTest, public ::testing::WithParamInterface<Wide> {};

} // namespace

// Documents wider than the view, up to the widest: every column in place at the top, middle
// and bottom rows, the fixed box once, the SVG at the far right; tiled across as well where the
// view may not be that wide.
TEST_P(WideCaptureTest, EveryColumnInPlace) {
    const Wide w = GetParam();
    ASSERT_TRUE(Load(Write(QStringLiteral("wide%1.html").arg(w.width), WideHtml(w))));
    QImage image;
    WholePageCapture capture(s_pControl);
    if (w.maxView > 0)
        capture.SetMaxViewWidth(w.maxView);
    ASSERT_TRUE(capture.CaptureWholePage(&image));
    ASSERT_EQ(image.size(), QSize(w.width, w.height));
    for (int y : {45, w.height / 2 + 1, w.height - 21})
        for (int x = 0; x < w.width - (y == w.height - 21 ? 50 : 0); ++x)
            ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, ColumnColour(w.kind, x) & 0xFFFFFF)
                << "column " << x << " row " << y;
    int red = 0;
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7)
            red += (image.pixel(x, y) & 0xFFFFFF) == 0xFF0000;
    EXPECT_EQ(red, 36) << "the fixed box once";
    EXPECT_EQ(image.pixel(w.width - 1, w.height - 1) & 0xFFFFFF, 0x00FF00u) << "the SVG";
    EXPECT_EQ(s_pControl->size(), QSize(kViewWidth, kViewHeight));
}

INSTANTIATE_TEST_SUITE_P(
    Widths, WideCaptureTest,
    ::testing::Values(Wide{WideKind::Canvas, 1500, 650, 0}, Wide{WideKind::Gradient, 1500, 650, 0},
                      Wide{WideKind::Table, 1500, 650, 0}, Wide{WideKind::Canvas, 2500, 650, 0},
                      Wide{WideKind::Gradient, 2500, 3000, 0}, Wide{WideKind::Table, 2500, 650, 0},
                      Wide{WideKind::Canvas, 5000, 650, 0}, Wide{WideKind::Gradient, 5000, 650, 0},
                      Wide{WideKind::Table, 5000, 650, 0}, Wide{WideKind::Canvas, 16000, 650, 0},
                      Wide{WideKind::Gradient, 16000, 650, 0}, Wide{WideKind::Table, 16000, 650, 0},
                      Wide{WideKind::Canvas, 2500, 1300, 997},
                      Wide{WideKind::Gradient, 5000, 1300, 1024},
                      Wide{WideKind::Table, 16000, 700, 4000}));

// Larger than the image limit: the capture fails before anything is grabbed and the control
// is as it was.
TEST_F(BrowserCaptureTest, DocumentBeyondTheImageLimitFails) {
    ASSERT_TRUE(Load(Write(QStringLiteral("huge.html"),
                           QStringLiteral("<body style=margin:0><div style=\"width:20000px;"
                                          "height:30000px;background:#abc\"></div>"))));
    QImage image(1, 1, QImage::Format_RGB32);
    const CaptureResult result = WholePageCapture(s_pControl).CaptureWholePage(&image);
    EXPECT_EQ(result.Why(), CaptureResult::TooLarge);
    EXPECT_EQ(result.Size(), QSize(20000, 30000));
    EXPECT_EQ(image.size(), QSize(1, 1));
    EXPECT_EQ(s_pControl->size(), QSize(kViewWidth, kViewHeight));
    EXPECT_EQ(Scroll(), QPoint(0, 0));
}

// A capture stopped half-way - cancelled, past its deadline - fails with that reason and gives
// the control back as the user had it; the next capture works.
TEST_F(BrowserCaptureTest, InterruptedCaptureSaysWhyAndRestoresTheControl) {
    ASSERT_TRUE(Load(Write(QStringLiteral("stop.html"), BandsHtml(kViewWidth, 20000, 97))));
    s_pControl->RunScript(QStringLiteral("scrollTo(0, 700); true"));
    QImage image(1, 1, QImage::Format_RGB32);
    {
        WholePageCapture capture(s_pControl);
        capture.SetProgress([&capture](int, int) { capture.Cancel(); });
        EXPECT_EQ(capture.CaptureWholePage(&image).Why(), CaptureResult::Cancelled);
    }
    {
        WholePageCapture capture(s_pControl);
        capture.SetDeadline(1);
        EXPECT_EQ(capture.CaptureWholePage(&image).Why(), CaptureResult::TimedOut);
    }
    EXPECT_EQ(image.size(), QSize(1, 1));
    EXPECT_EQ(s_pControl->size(), QSize(kViewWidth, kViewHeight));
    EXPECT_EQ(Scroll(), QPoint(0, 700));
    QVariant hidden;
    s_pControl->RunScript(QStringLiteral("getComputedStyle(document.body).visibility"), &hidden);
    EXPECT_EQ(hidden.toString(), QStringLiteral("visible"));
    EXPECT_EQ(Capture().size(), QSize(kViewWidth, 20000));
}

// The renderer killed during a capture: the capture fails at once with that reason, not
// after every step's bound; a reload brings the page back.
TEST_F(BrowserCaptureTest, RendererKilledDuringCaptureFailsAtOnce) {
    ASSERT_TRUE(Load(Write(QStringLiteral("kill.html"), BandsHtml(kViewWidth, 40000, 97))));
    QSignalSpy ended(s_pControl, &BrowserControl::RendererTerminated);
    QImage image;
    WholePageCapture capture(s_pControl);
    QElapsedTimer sinceKill;
    capture.SetProgress([&sinceKill](int, int) {
        const qint64 pid = s_pControl->View()->page()->renderProcessPid();
        if (pid > 0 && !sinceKill.isValid() && ::kill(pid_t(pid), SIGKILL) == 0)
            sinceKill.start();
    });
    EXPECT_EQ(capture.CaptureWholePage(&image).Why(), CaptureResult::RendererEnded);
    ASSERT_TRUE(sinceKill.isValid());
    std::printf("[ figures  ] the capture failed %lld ms after the kill\n", sinceKill.elapsed());
    EXPECT_EQ(ended.count(), 1);
    EXPECT_TRUE(s_pControl->RendererGone());
    EXPECT_EQ(WholePageCapture(s_pControl).CaptureWholePage(&image).Why(),
              CaptureResult::RendererEnded);
    QSignalSpy loaded(s_pControl, &BrowserControl::DocumentComplete);
    s_pControl->Reload();
    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_FALSE(s_pControl->RendererGone());
    EXPECT_EQ(Capture().size(), QSize(kViewWidth, 40000));
}

// A page that scrolls in a box under a header and beside a side bar: the box's whole content,
// every section at its rows, the page around it as it stands, its fixed badge once, and the
// box scrolled back to where the user had it.
TEST_F(BrowserCaptureTest, PageScrollingInABoxIsCapturedWhole) {
    constexpr int kHeader = 50, kSide = 100, kSection = 137, kSections = 30;
    QString html = QStringLiteral(
        "<!doctype html><style>html,body{margin:0;height:100%;overflow:hidden}"
        "#h{height:50px;background:#ff0000}#s{position:absolute;left:0;top:50px;bottom:0;"
        "width:100px;background:#ffff00}#box{position:absolute;left:100px;right:0;top:50px;"
        "bottom:0;overflow:auto}#box div{height:137px;font-size:40px}</style>"
        "<div id=h></div><div id=s></div><div id=box>"
        "<div style=\"position:sticky;top:0;height:20px;background:#0000ff\"></div>");
    for (int i = 0; i < kSections; ++i)
        html += QStringLiteral("<div style=\"background:%1\">%2</div>")
                    .arg(Css(BandColour(i + 1)))
                    .arg(i + 1);
    html += QStringLiteral("</div><div style=\"position:fixed;right:0;bottom:0;width:30px;"
                           "height:30px;background:#ff00ff\"></div>");
    ASSERT_TRUE(Load(Write(QStringLiteral("box.html"), html)));
    s_pControl->RunScript(QStringLiteral("document.getElementById('box').scrollTop=1000;1"));

    const QImage image = Capture();
    const int content = 20 + kSections * kSection;
    ASSERT_EQ(image.size(), QSize(kViewWidth, kHeader + content));
    EXPECT_EQ(CountRows(image, kSide + 5, qRgb(255, 0, 0)), kHeader);
    EXPECT_EQ(CountRows(image, kSide + 5, qRgb(0, 0, 255)), 20) << "the sticky bar once";
    for (int i = 0; i < kSections; ++i) {
        const int top = kHeader + 20 + i * kSection;
        for (int y : {top, top + kSection - 1})
            for (int x : {kSide + 60, kViewWidth - 1})
                ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, BandColour(i + 1) & 0xFFFFFF)
                    << "section " << i + 1 << " row " << y << " column " << x;
    }
    EXPECT_EQ(CountRows(image, 5, qRgb(255, 255, 0)), content) << "the side bar beside it all";
    int magenta = 0;
    for (int y = 0; y < image.height(); ++y)
        magenta += (image.pixel(kViewWidth - 10, y) & 0xFFFFFF) == 0xFF00FF;
    EXPECT_EQ(magenta, 30) << "the fixed badge once";
    QVariant top;
    s_pControl->RunScript(QStringLiteral("document.getElementById('box').scrollTop"), &top);
    EXPECT_EQ(top.toInt(), 1000);
}
