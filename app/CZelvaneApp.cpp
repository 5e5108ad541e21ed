#include "app/CZelvaneApp.h"

#include "app/AppTexts.h"
#include "app/MainWnd.h"
#include "toolkit/QX_Theme.h"

#include <QApplication>

CZelvaneApp::CZelvaneApp() = default;

CZelvaneApp::~CZelvaneApp() {
    // A caller that never ran ExitInstance still gets its window and theme released.
    if (m_pMainWnd || m_bSkinLoaded)
        ExitInstance(0);
}

MainWnd* CZelvaneApp::MainWindow() const {
    return m_pMainWnd.data();
}

bool CZelvaneApp::InitApplication() {
    QCoreApplication::setApplicationName(AppTexts::AppName());
    QX_InitSkin();
    m_bSkinLoaded = true;
    QX_LoadUserColor(QStringLiteral("user_color.txt")); // absent: built-in colours stay
    m_pAppFont = std::make_unique<QFont>(QX_StandardFont());
    return true;
}

bool CZelvaneApp::InitInstance() {
    if (!m_pAppFont)
        return false;
    auto* wnd = new MainWnd(*m_pAppFont);
    wnd->setObjectName(AppTexts::AppName());
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
    if (m_bSkinLoaded) {
        QX_FreeSkin();
        m_bSkinLoaded = false;
    }
    m_pAppFont.reset();
    return frameworkExitCode;
}

int CZelvaneApp::Run() {
    if (!InitApplication())
        return ExitInstance(1);
    if (!InitInstance())
        return ExitInstance(1);
    return ExitInstance(QApplication::exec());
}
