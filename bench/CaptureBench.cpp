// Whole-page capture of 1200-pixel-wide pages of two kinds (coloured bands with little text;
// bands full of Korean text), 5000 to 60000 rows, served on 127.0.0.1; Chromium's own
// full-page screenshot of the 30000-row pages in the same run, for comparison.
#include "ChromiumShot.h"
#include "capture/BrowserControl.h"
#include "capture/WholePageCapture.h"
#include "tests/support/TestHttpServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kWidth = 1200;
constexpr int kBand = 200;
constexpr int kRounds = 2;

QByteArray PageHtml(bool text, int height) {
    static const QString sentence = QStringLiteral(
        "다람쥐 헌 쳇바퀴에 타고파. 키스의 고유조건은 입술끼리 만나야 하고 특별한 기술은 "
        "필요치 않다. 정 참판 양반댁 규수 큰 교자 타고 혼례 치른 날. ");
    QString html = QStringLiteral("<!doctype html><meta charset=utf-8><body style=margin:0>");
    for (int y = 0, i = 0; y < height; y += kBand, ++i) {
        QString inner = QStringLiteral("<h2 style=margin:0>구간 %1</h2>").arg(i);
        if (text)
            inner += QStringLiteral("<p style=\"margin:0;font-size:14px;line-height:17px\">%1</p>")
                         .arg(sentence.repeated(9));
        html += QStringLiteral("<div style=\"width:%1px;height:%2px;overflow:hidden;"
                               "background:hsl(%3,60%,80%)\">%4</div>")
                    .arg(kWidth)
                    .arg(std::min(kBand, height - y))
                    .arg((i * 37) % 360)
                    .arg(inner);
    }
    return html.toUtf8();
}

const char* KindName(bool text) {
    return text ? "Korean text" : "bands";
}

// Best of kRounds, in milliseconds; -1 when a capture failed.
double TimeCapture(BrowserControl& control, const QString& url, int height) {
    QSignalSpy loaded(&control, &BrowserControl::DocumentComplete);
    control.Navigate2(url);
    if (!loaded.wait(60000))
        return -1;
    double best = 1e30;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        QImage image;
        if (!WholePageCapture(&control).CaptureWholePage(&image) ||
            image.size() != QSize(kWidth, height))
            return -1;
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    BrowserControl::PrepareEngine();
    QApplication app(argc, argv);
    TestHttpServer server;
    BrowserControl control;
    control.resize(kWidth, 700);
    control.show();

    double ours30000[2] = {-1, -1};
    for (bool text : {false, true}) {
        for (int height : {5000, 15000, 30000, 60000}) {
            const QByteArray path =
                QByteArray("/") + (text ? "text" : "bands") + QByteArray::number(height) + ".html";
            server.AddFile(path, PageHtml(text, height), "text/html; charset=utf-8");
            const double ms = TimeCapture(control, server.Url(QString::fromLatin1(path)), height);
            if (height == 30000)
                ours30000[text] = ms;
            if (ms < 0)
                std::printf("capture %-11s %5d rows: FAILED\n", KindName(text), height);
            else
                std::printf("capture %-11s %5d rows: %7.1f ms (%5.1f ms per 1000 rows)\n",
                            KindName(text), height, ms, ms * 1000 / height);
            std::fflush(stdout);
        }
    }
    if (!ChromiumShot::Available()) {
        std::printf("chromium: skipped (%s not installed)\n", ChromiumShot::kChromium);
        return 0;
    }
    for (bool text : {false, true}) {
        const QString url = server.Url(
            QStringLiteral("/%1%2.html").arg(QLatin1String(text ? "text" : "bands")).arg(30000));
        ChromiumShot chromium;
        const ChromiumShot::Result r = chromium.Shoot(url, kWidth);
        if (!r.ok) {
            std::printf("chromium %-11s 30000 rows: FAILED (%s)\n", KindName(text),
                        qPrintable(r.error));
            continue;
        }
        const double total = r.screenshotMs + r.decodeMs;
        std::printf("chromium %-11s %5d rows: %7.1f ms screenshot + %5.1f ms PNG decode = "
                    "%7.1f ms; ours / chromium: %.2f (goal 0.5 or less)\n",
                    KindName(text), r.height, r.screenshotMs, r.decodeMs, total,
                    ours30000[text] / total);
    }
    return 0;
}
