#include "app/CZelvaneApp.h"

#include "app/AppTexts.h"
#include "app/MainLayout.h"
#include "app/MainWnd.h"
#include "toolkit/QX_Skin.h"

#include <QApplication>
#include <QImage>
#include <QTimer>

#include <cstdio>

namespace {

// The view paints a page a moment after its load ends: waits (at most ten seconds) until the
// browser's area no longer looks as it did then, saves the window and ends the event loop.
void SaveOncePainted(QWidget* wnd, const QString& path) {
    const QRect browser = MainLayout(wnd->width(), wnd->height()).Content();
    const QImage before = wnd->grab(browser).toImage();
    auto* poll = new QTimer(wnd);
    QObject::connect(poll, &QTimer::timeout, wnd, [=, tries = 0]() mutable {
        if (wnd->grab(browser).toImage() == before && ++tries < 40)
            return;
        poll->stop();
        QApplication::exit(wnd->grab().toImage().save(path, "PNG") ? 0 : 3);
    });
    poll->start(250);
}

} // namespace

CZelvaneApp::CZelvaneApp() = default;

CZelvaneApp::~CZelvaneApp() {
    // A caller that never ran ExitInstance still gets its window and theme released.
    if (m_pMainWnd || m_pSkin)
        ExitInstance(0);
}

MainWnd* CZelvaneApp::MainWindow() const {
    return m_pMainWnd.data();
}

bool CZelvaneApp::InitApplication() {
    QCoreApplication::setApplicationName(AppTexts::AppName());
    m_pSkin = std::make_unique<QX_Skin>();
    m_pSkin->Load();
    m_pSkin->LoadUserColor(QStringLiteral("user_color.txt")); // absent: built-in colours stay
    // Windows made without a parent (the main window, tools' dialogs) find it as the default.
    QX_Skin::SetDefault(m_pSkin.get());
    m_pAppFont = std::make_unique<QFont>(QX_StandardFont());
    return true;
}

bool CZelvaneApp::InitInstance() {
    if (!m_pAppFont)
        return false;
    auto* wnd = new MainWnd(*m_pAppFont);
    wnd->setObjectName(AppTexts::AppName());
    wnd->SetSkin(m_pSkin.get());
    m_pMainWnd = wnd;
    if (!wnd->Create(QRect(10, 10, 1000, 700), true)) {
        delete wnd;
        return false;
    }
    wnd->update();
    return true;
}

int CZelvaneApp::ExitInstance(int frameworkExitCode) {
    delete m_pMainWnd.data();
    m_pMainWnd = nullptr;
    m_pSkin.reset(); // no longer the default either
    m_pAppFont.reset();
    return frameworkExitCode;
}

int CZelvaneApp::Run() {
    if (!InitApplication())
        return ExitInstance(1);
    if (!InitInstance())
        return ExitInstance(1);
    ArmStartShot();
    return ExitInstance(QApplication::exec());
}

void CZelvaneApp::ArmStartShot() {
    const QString path = qEnvironmentVariable("ZELVANE_START_SHOT");
    MainWnd* wnd = m_pMainWnd.data();
    if (path.isEmpty() || !wnd)
        return;
    QObject::connect(
        wnd, &MainWnd::DocumentCompleted, wnd,
        [wnd, path](const QString& url) {
            std::printf("start page %s\n", qPrintable(url));
            std::fflush(stdout);
            SaveOncePainted(wnd, path);
        },
        Qt::SingleShotConnection);
}
