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

// A panel fixed beside the page, as tall as the view and scrolled by the page: the capture's
// taller view shows all of it for a moment (its content is shorter than the document), which
// loses its place; it is drawn where the page left it, and the user finds it there afterwards.
TEST_F(CaptureRowsTest, FixedPanelScrolledByThePageKeepsItsPlace) {
    constexpr int kPanelScroll = 900, kMain = 340, kMainFrom = 10000, kHeight = 3000;
    const QString body =
        QStringLiteral("<div id=nav style=\"position:fixed;left:0;top:0;width:320px;height:100%;"
                       "overflow-y:auto\">%1</div><div style=\"margin-left:%2px\">%3</div>"
                       "<script>document.getElementById('nav').scrollTop=%4;</script>")
            .arg(Rows(0, 2000))
            .arg(kMain)
            .arg(Rows(kMainFrom, kHeight))
            .arg(kPanelScroll);
    ASSERT_TRUE(Serve("/panel.html", RowsPage(body)));
    QImage image;
    ASSERT_TRUE(Capture(&image));
    ASSERT_EQ(image.size(), QSize(kViewWidth, kHeight));
    for (int y = 0; y < kHeight; ++y) {
        // The panel is fixed: once, in the first view's rows.
        const QRgb panel = y < kViewHeight ? RowColour(kPanelScroll + y) : kWhite;
        for (int x : {0, kCanvasWidth - 1})
            ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, panel) << "row " << y << " column " << x;
        for (int x : {kMain, kMain + kCanvasWidth - 1})
            ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, RowColour(kMainFrom + y))
                << "row " << y << " column " << x;
    }
    QVariant top;
    s_pControl->RunScript(QStringLiteral("document.getElementById('nav').scrollTop"), &top);
    EXPECT_EQ(top.toInt(), kPanelScroll);
}

// A page whose layout follows the scroll position through an intersection observer (a sticky
// header that collapses once pinned) and a scroll handler (an end dropped further down) does
// not see the capture's scrolling: every row as it stands at the top, and the page answers the
// user's scrolling again afterwards, from where the user had it.
TEST_F(CaptureRowsTest, LayoutFollowingTheScrollPositionIsCapturedAsAtTheTop) {
    // Taller than one tall view: the tiles scroll.
    constexpr int kHead = 70, kRows = 12000, kTail = 500, kUserScroll = 2000;
    const QString body =
        QStringLiteral("<style>#head.pinned #full{display:none}</style>"
                       "<div id=head style=\"position:sticky;top:-1px\"><div id=full>%1</div></div>"
                       "%2<div id=tail>%3</div><script>const head=document.getElementById('head');"
                       "new IntersectionObserver(e=>head.classList.toggle('pinned',"
                       "e[0].intersectionRatio<1),{threshold:[1]}).observe(head);"
                       "addEventListener('scroll',()=>{document.getElementById('tail').style"
                       ".display=scrollY>1500?'none':'';});</script>")
            .arg(Rows(20000, kHead), Rows(0, kRows), Rows(30000, kTail));
    ASSERT_TRUE(Serve("/follow.html", RowsPage(body)));
    const auto state = [] {
        QVariant v;
        s_pControl->RunScript(
            QStringLiteral("[scrollY, head.className, document.getElementById('tail')"
                           ".style.display].join(' ')"),
            &v);
        return v.toString();
    };
    // Scrolled down, the page collapses (and keeps what the user sees in place).
    s_pControl->RunScript(QStringLiteral("scrollTo(0, %1);true").arg(kUserScroll));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return state().endsWith(QStringLiteral(" pinned none")); }, 5000))
        << state().toStdString();
    const QString scrolled = state();

    QImage image;
    ASSERT_TRUE(Capture(&image));
    ASSERT_EQ(image.size(), QSize(kViewWidth, kHead + kRows + kTail));
    for (int y = 0; y < image.height(); ++y) {
        const QRgb row = y < kHead           ? RowColour(20000 + y)
                         : y < kHead + kRows ? RowColour(y - kHead)
                                             : RowColour(30000 + y - kHead - kRows);
        for (int x : {0, kCanvasWidth - 1})
            ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, row) << "row " << y << " column " << x;
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return state() == scrolled; }, 5000))
        << state().toStdString();
    s_pControl->RunScript(QStringLiteral("scrollTo(0, 0);true"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return state() == QStringLiteral("0  "); }, 5000))
        << state().toStdString();
}

// A header whose title changes once the page is scrolled down, and slowly back at the top, and
// a sticky side panel whose place a script sets on every resize: the walk for lazy content
// scrolls down and back and the capture resizes the view, yet both are drawn as the top has
// them, the header's transition finished, not half-way, the panel where it stands.
TEST_F(CaptureRowsTest, HeaderAndPanelFollowingTheScrollAreDrawnAsAtTheTop) {
    // Taller than one tall view: the walk scrolls.
    constexpr int kBar = 48, kRows = 12000, kPanel = kCanvasWidth + 20, kPanelRows = 300;
    const QString body =
        QStringLiteral("<style>#bar{position:fixed;left:0;top:0;width:100%;height:48px}"
                       "#bar div{position:absolute;inset:0;transition:opacity 5s linear}"
                       "#site{background:#00ff00}#title{background:#ff0000;opacity:0}"
                       ".on #site,.on #title{transition:none}"
                       ".on #site{opacity:0}.on #title{opacity:1}</style>"
                       "<div id=bar><div id=site></div><div id=title></div></div>"
                       "<div style=\"height:48px\"></div><div style=\"display:flex;"
                       "align-items:flex-start\"><div>%1</div><div id=toc style=\"position:sticky;"
                       "top:48px;margin-left:20px\">%2</div></div><script>"
                       "addEventListener('scroll',()=>document.getElementById('bar').classList"
                       ".toggle('on',scrollY>100));addEventListener('resize',()=>{"
                       "document.getElementById('toc').style.top='48px';});</script>")
            .arg(Rows(0, kRows), Rows(40000, kPanelRows));
    ASSERT_TRUE(Serve("/header.html", RowsPage(body)));
    QImage image;
    ASSERT_TRUE(Capture(&image));
    ASSERT_EQ(image.size(), QSize(kViewWidth, kBar + kRows));
    EXPECT_EQ(Count(image, 0x00FF00, QRect(0, 0, kViewWidth, kBar)), kViewWidth * kBar);
    for (int y = kBar; y < image.height(); ++y) {
        for (int x : {0, kCanvasWidth - 1})
            ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, RowColour(y - kBar))
                << "row " << y << " column " << x;
        const QRgb panel = y < kBar + kPanelRows ? RowColour(40000 + y - kBar) : kWhite;
        for (int x : {kPanel, kPanel + kCanvasWidth - 1})
            ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, panel) << "row " << y << " column " << x;
    }
}

// A page that scrolls in a box beside a navigation that scrolls too, over the same rows (a
// generated reference): the navigation is drawn whole as in a window as tall as the page, its
// background once at its top, what is set over it once, and its own background below it. A bar
// beside the box with a mark at its foot is drawn out in its own colour, the mark once: what
// the page shows beside the box's rows is background, never a row drawn out.
TEST_F(CaptureRowsTest, NavigationBesideABoxIsDrawnWholeAndBackgroundBelowIt) {
    constexpr int kHeader = 50, kBand = 20, kNavRows = 2000, kBoxRows = 5000, kBar = 325;
    constexpr int kBox = 340, kNavScroll = 200, kBeside = 315; // beside the rows, in the nav
    const QString body =
        QStringLiteral("<style>html,body{height:100%;overflow:hidden}#side{position:absolute;"
                       "left:0;top:50px;bottom:0;width:320px}#nav{height:100%;overflow:auto;"
                       "padding-top:20px;box-sizing:border-box;background:linear-gradient("
                       "#0000ff,#0000ff) no-repeat top/100% 20px,#ffff00}#box{position:absolute;"
                       "left:340px;right:0;top:50px;bottom:0;overflow:auto}</style>"
                       "<div style=\"height:50px;background:#ff0000\"></div><div id=side>"
                       "<div id=nav>%1<div style=\"position:absolute;left:300px;top:10px;"
                       "width:10px;height:10px;background:#ff00ff\"></div></div></div>"
                       "<div style=\"position:absolute;left:320px;width:20px;top:50px;bottom:0;"
                       "background:#00ff00\"><div style=\"position:absolute;bottom:0;"
                       "width:20px;height:10px;background:#ff0000\"></div></div>"
                       "<div id=box>%2</div><script>document.getElementById('nav').scrollTop=%3;"
                       "</script>")
            .arg(Rows(50000, kNavRows), Rows(0, kBoxRows))
            .arg(kNavScroll);
    ASSERT_TRUE(Serve("/nav.html", RowsPage(body)));
    QImage image;
    ASSERT_TRUE(Capture(&image));
    ASSERT_EQ(image.size(), QSize(kViewWidth, kHeader + kBoxRows));
    for (int y = 0; y < image.height(); ++y) {
        const QRgb nav = y < kHeader                      ? 0xFF0000
                         : y < kHeader + kBand            ? 0x0000FF
                         : y < kHeader + kBand + kNavRows ? RowColour(50000 + y - kHeader - kBand)
                                                          : 0xFFFF00;
        for (int x : {0, kCanvasWidth - 1})
            ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, nav) << "row " << y << " column " << x;
        const QRgb box = y < kHeader ? 0xFF0000 : RowColour(y - kHeader);
        for (int x : {kBox, kBox + kCanvasWidth - 1})
            ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, box) << "row " << y << " column " << x;
    }
    // The nav's own background: its top band once, then its colour all the way down.
    const QRect beside(kBeside, kHeader, 1, image.height() - kHeader);
    EXPECT_EQ(Count(image, 0x0000FF, beside), kBand);
    EXPECT_EQ(Count(image, 0xFFFF00, beside), image.height() - kHeader - kBand);
    const QRect mark(305, 0, 1, image.height());
    EXPECT_EQ(Count(image, 0xFF00FF, mark), 10) << "what is set over the navigation, once";
    const QRect bar(kBar, kHeader, 1, image.height() - kHeader);
    EXPECT_EQ(Count(image, 0xFF0000, bar), 10) << "the bar's mark, once";
    EXPECT_EQ(Count(image, 0x00FF00, bar), image.height() - kHeader - 10);
    QVariant tops;
    s_pControl->RunScript(QStringLiteral("['nav','box'].map(i=>document.getElementById(i)"
                                         ".scrollTop).join(' ')"),
                          &tops);
    EXPECT_EQ(tops.toString(), QStringLiteral("%1 0").arg(kNavScroll));
}

// A document that collapses its end while it is being captured, of itself (here a script that
// polls the scroll position, which nothing keeps from it), cannot give every measured row: the
// capture fails, the caller's image stays, the control is as it was.
TEST_F(CaptureRowsTest, DocumentShrinkingDuringTheCaptureFails) {
    // The page shrinks once it is scrolled down while the capture's marker is in it (not during
    // the walk for lazy content, which comes first).
    const QString body =
        QStringLiteral("<div style=\"height:100vh;background:#00ff00\"></div>%1"
                       "<div id=tail style=\"height:20000px\"></div><script>"
                       "(function poll(){const m=document.documentElement.lastElementChild;"
                       "if(scrollY>1500&&m.tagName==='DIV')"
                       "document.getElementById('tail').style.height='0';"
                       "requestAnimationFrame(poll);})();</script>")
            .arg(Rows(0, 3000));
    ASSERT_TRUE(Serve("/shrink.html", RowsPage(body)));
    QImage image(1, 1, QImage::Format_RGB32);
    EXPECT_FALSE(Capture(&image));
    EXPECT_EQ(image.size(), QSize(1, 1));
    EXPECT_EQ(s_pControl->size(), QSize(kViewWidth, kViewHeight));
}

// A bar that a page script shows fixed once the page is scrolled (a script that polls the
// scroll position) is hidden from the tiles after the one it first appears in; a red row at
// each tile would tell.
TEST_F(CaptureRowsTest, BarTurnedFixedByAScriptIsHiddenAfterItAppears) {
    const QString body =
        QStringLiteral("<div id=bar style=\"display:none;position:fixed;left:0;top:0;"
                       "width:100%;height:30px;background:#ff0000\"></div>"
                       "<div style=\"height:100vh;background:#00ff00\"></div>%1<script>"
                       "(function poll(){document.getElementById('bar').style"
                       ".display=scrollY>0?'block':'none';requestAnimationFrame(poll);})();"
                       "</script>")
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
