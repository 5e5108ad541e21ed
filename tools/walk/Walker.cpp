#include "tools/walk/Walker.h"

#include "app/CZelvaneApp.h"
#include "app/MainWnd.h"
#include "capture/BrowserControl.h"
#include "capture/HtmlCaptureImageWnd.h"
#include "review/ShowPageDlg.h"
#include "tools/walk/FindUrlWalk.h"
#include "tools/walk/ModalDriver.h"
#include "tools/walk/ReviewWalk.h"
#include "tools/walk/SaveWalk.h"
#include "tools/walk/WaitForSignal.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QKeySequence>
#include <QLineEdit>
#include <QTest>
#include <QTextStream>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <csignal>
#include <cstdio>

namespace {
constexpr int kLoadTimeoutMs = 60000;

} // namespace

Walker::Walker(const WalkOptions& options, QObject* parent)
    : QObject(parent), m_options(options), m_pDriver(new ModalDriver(this)) {}

QString Walker::OutPath(const QString& name) const {
    return QDir(m_options.m_strOutDir).filePath(name);
}

bool Walker::SaveImage(const QImage& image, const QString& name) {
    if (image.save(OutPath(name), "PNG"))
        return true;
    m_strError = QStringLiteral("cannot write ") + OutPath(name);
    return false;
}

int Walker::Run(CZelvaneApp& app) {
    if (!QDir().mkpath(m_options.m_strOutDir)) {
        m_strError = QStringLiteral("cannot make ") + m_options.m_strOutDir;
        return 1;
    }
    if (!app.InitApplication() || !app.InitInstance()) {
        m_strError = QStringLiteral("the main window could not be created");
        return 1;
    }
    MainWnd* wnd = app.MainWindow();
    connect(wnd, &MainWnd::MessageShown, this, [this](const QString& title, const QString& text) {
        m_strMessage = title + QLatin1Char('\n') + text;
    });
    // Every message box as the user sees it, before the driver answers it.
    connect(m_pDriver, &ModalDriver::MessageAnswered, this, [this] {
        if (QWidget* box = QApplication::activeModalWidget())
            SaveImage(box->grab().toImage(),
                      QStringLiteral("message%1.png")
                          .arg(m_pDriver->MessageCount(), 2, 10, QLatin1Char('0')));
    });
    const bool ok = LoadPage(wnd) && (!m_options.m_bEndRenderer || EndRenderer(wnd)) &&
                    BrowserDialogs(wnd) && Capture(wnd) && Cut(wnd);
    return ok ? 0 : 1;
}

bool Walker::LoadPage(MainWnd* wnd) {
    // The start page loads first; then the address is typed and entered as a user would.
    if (wnd->AddressBox()->text().isEmpty())
        WaitForSignal(wnd, &MainWnd::DocumentCompleted, kLoadTimeoutMs);
    wnd->AddressBox()->setFocus();
    wnd->AddressBox()->setText(m_options.m_strUrl);
    QTest::keyClick(wnd->AddressBox(), Qt::Key_Return);
    if (!WaitForSignal(wnd, &MainWnd::DocumentCompleted, kLoadTimeoutMs)) {
        m_strError = QStringLiteral("the page did not load: ") + m_options.m_strUrl;
        return false;
    }
    QTest::qWait(300); // let the view paint its first frame for the picture
    return SaveImage(wnd->grab().toImage(), QStringLiteral("browse.png"));
}

bool Walker::BrowserDialogs(MainWnd* wnd) {
    FindUrlWalk walk(m_options.m_strOutDir);
    const bool ok = (m_options.m_nFindUrlRow < 0 ||
                     walk.PickAddress(wnd, m_options.m_nFindUrlRow, m_options.m_bExplorer)) &&
                    (!m_options.m_bAbout || walk.ShowAbout(wnd));
    if (!ok)
        m_strError = walk.m_strError;
    return ok;
}

bool Walker::EndRenderer(MainWnd* wnd) {
    // Killed as a crash would end it: the window offers to reload and the driver answers OK.
    const qint64 pid = wnd->Browser()->View()->page()->renderProcessPid();
    const int messages = m_pDriver->MessageCount();
    const bool killed = pid > 0 && ::kill(pid_t(pid), SIGKILL) == 0;
    if (!killed || !WaitForSignal(wnd, &MainWnd::DocumentCompleted, kLoadTimeoutMs) ||
        m_pDriver->MessageCount() != messages + 1) {
        m_strError = QStringLiteral("the page was not reloaded after its renderer ended");
        return false;
    }
    return true;
}

bool Walker::Capture(MainWnd* wnd) {
    qint64 ms = -1;
    connect(wnd, &MainWnd::CaptureFinished, this, [&ms](qint64 elapsed) { ms = elapsed; });
    QTest::keyClick(wnd, Qt::Key_F3);
    if (wnd->CaptureModeNow() != MainWnd::Selecting) {
        m_strError = m_strMessage.isEmpty() ? QStringLiteral("the capture failed") : m_strMessage;
        return false;
    }
    const QImage& image = wnd->CaptureView()->Image();
    std::printf("capture %d %d %lld\n", image.width(), image.height(), (long long)ms);
    HtmlCaptureImageWnd* view = wnd->CaptureView();
    for (const QKeyCombination key : m_options.m_captureKeys) {
        // As the keyboard gives them: through the window to the view, which has the focus.
        QTest::keyClick(wnd->windowHandle(), key.key(), key.keyboardModifiers());
        const QRect sel = view->Selection();
        std::printf("key %s scroll %d %d selection %d %d %d %d\n",
                    QKeySequence(key).toString().toUtf8().constData(), view->ScrollPos().x(),
                    view->ScrollPos().y(), sel.left(), sel.top(), sel.x() + sel.width(),
                    sel.y() + sel.height());
    }
    std::fflush(stdout);
    if (m_options.m_bHasSelection)
        wnd->CaptureView()->SetSelection(
            QRect(QPoint(m_options.m_nLeft, m_options.m_nTop),
                  QPoint(m_options.m_nRight - 1, m_options.m_nBottom - 1)));
    return SaveImage(image, QStringLiteral("capture.png")) &&
           SaveImage(wnd->grab().toImage(), QStringLiteral("selecting.png"));
}

bool Walker::Cut(MainWnd* wnd) {
    // F4 opens the review modally; the review actions run inside it and close it.
    ReviewWalk review(m_options, m_pDriver);
    SaveWalk::Register(review, m_pDriver);
    bool reviewed = false;
    bool reviewOk = false;
    m_pDriver->OnNextModal<ShowPageDlg>([&](ShowPageDlg* dlg) {
        reviewed = true;
        reviewOk = review.Run(dlg);
    });
    QTest::keyClick(wnd, Qt::Key_F4);
    if (wnd->Pages().Count() == 0) {
        m_strError = QStringLiteral("the cut gave no pages");
        return false;
    }
    if (!reviewed || !reviewOk) {
        m_strError = reviewed ? review.m_strError : QStringLiteral("the review did not open");
        return false;
    }
    return SavePages(wnd);
}

bool Walker::SavePages(MainWnd* wnd) {
    const PageSet& set = wnd->Pages();
    const PageGeometry& geometry = set.Geometry();
    for (int i = 0; i < set.Count(); ++i) {
        const QImage page(set.Page(i)->pixels, geometry.pageWidth, geometry.pageHeight,
                          geometry.rowBytes, QImage::Format_RGB32);
        if (!SaveImage(page, QStringLiteral("page%1.png").arg(i + 1, 2, 10, QLatin1Char('0'))))
            return false;
    }
    QFile file(OutPath(QStringLiteral("pages.txt")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        m_strError = QStringLiteral("cannot write ") + file.fileName();
        return false;
    }
    QTextStream out(&file);
    out << geometry.pageWidth << ' ' << geometry.pageHeight << ' ' << qulonglong(geometry.pageBytes)
        << ' ' << geometry.bytesPerPixel << ' ' << set.Count() << '\n';
    for (int i = 0; i < set.Count(); ++i) {
        const PageRecord* page = set.Page(i);
        out << QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0'))
            << (page->used ? " used " : " unused ") << page->topMargin << ' ' << page->bottomMargin
            << '\n';
    }
    return true;
}
