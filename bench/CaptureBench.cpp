#include "capture/BrowserControl.h"
#include "capture/WholePageCapture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// 1200 px wide, bands of text and colour down to the given height.
QString WritePage(const QTemporaryDir& dir, int height) {
    QString html = QStringLiteral("<!doctype html><meta charset=utf-8><body style=margin:0>");
    for (int y = 0, i = 0; y < height; y += 200, ++i)
        html += QStringLiteral("<div style=\"width:1200px;height:%1px;background:hsl(%2,60%,80%)\">"
                               "<h2 style=margin:0>구간 %3</h2></div>")
                    .arg(std::min(200, height - y))
                    .arg((i * 37) % 360)
                    .arg(i);
    const QString path = dir.filePath(QStringLiteral("page%1.html").arg(height));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(html.toUtf8());
    return path;
}

void TimeChromium(const QString& path, const QTemporaryDir& dir) {
    const QString chromium = QStringLiteral("/usr/bin/chromium");
    if (!QFileInfo::exists(chromium)) {
        std::printf("chromium headless 30000: skipped (/usr/bin/chromium not found)\n");
        return;
    }
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.start(chromium,
                  {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
                   QStringLiteral("--disable-gpu"),
                   QStringLiteral("--screenshot=") + dir.filePath(QStringLiteral("c.png")),
                   QStringLiteral("--window-size=1200,30000"),
                   QUrl::fromLocalFile(path).toString()});
    process.waitForFinished(120000);
    std::printf("chromium headless 30000: %lld ms (exit %d)\n",
                static_cast<long long>(timer.elapsed()), process.exitCode());
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    BrowserControl::PrepareEngine();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    BrowserControl control;
    control.resize(1200, 700);
    control.show();
    QString last;
    for (int height : {5000, 15000, 30000}) {
        last = WritePage(dir, height);
        QSignalSpy loaded(&control, &BrowserControl::DocumentComplete);
        control.Navigate2(last);
        if (!loaded.wait(30000)) {
            std::printf("capture %d: page did not load\n", height);
            continue;
        }
        QElapsedTimer timer;
        timer.start();
        QImage image;
        const bool ok = WholePageCapture(&control).CaptureWholePage(&image);
        std::printf("capture %5d px: %lld ms (%s, %dx%d)\n", height,
                    static_cast<long long>(timer.elapsed()), ok ? "ok" : "FAILED", image.width(),
                    image.height());
    }
    TimeChromium(last, dir);
    return 0;
}
