// zelvane-pagetext ADDRESS [WIDTH [SELECTOR]]: loads a page in the browser control, as the
// command line's capture does, and prints the text the engine says it shows (innerText) of the
// body or of the first element SELECTOR names: the measure that a PDF's text layer is checked
// against. innerText also gives text that is laid out but not drawn (a menu moved off the view),
// so the main text of a page is the fairer measure.
#include "capture/BrowserControl.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <QUrl>
#include <QVariant>

#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    BrowserControl::PrepareEngine();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: zelvane-pagetext ADDRESS [WIDTH [SELECTOR]]\n");
        return 2;
    }
    const int width = args.size() > 2 ? args[2].toInt() : 1024;
    BrowserControl control;
    control.resize(width > 0 ? width : 1024, 768);
    control.show();
    QEventLoop loop;
    bool ok = false;
    QObject::connect(&control, &BrowserControl::DocumentComplete, &loop,
                     [&](const QUrl&, bool done) {
                         ok = done;
                         loop.quit();
                     });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    control.Navigate2(QUrl::fromUserInput(args[1], QDir::currentPath()).toString());
    loop.exec();
    const QString selector = args.size() > 3 ? args[3] : QStringLiteral("body");
    const QString quoted =
        QString::fromUtf8(QJsonDocument(QJsonArray{selector}).toJson(QJsonDocument::Compact))
            .mid(1)
            .chopped(1);
    const QString script =
        QStringLiteral(
            "(() => { const e = document.querySelector(%1); return e ? e.innerText : ''; "
            "})()")
            .arg(quoted);
    QVariant text;
    if (!ok || !control.RunScript(script, &text)) {
        std::fprintf(stderr, "zelvane-pagetext: the page could not be loaded\n");
        return 1;
    }
    std::fputs(text.toString().toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    return 0;
}
