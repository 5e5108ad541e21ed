#pragma once

#include <QFont>
#include <QPointer>

#include <memory>

class MainWnd;
class QX_Skin;

// The application object: loads the theme and the application font, creates the main window,
// runs the event loop and undoes its set-up at exit. The QApplication must exist first.
class CZelvaneApp final {
  public:
    CZelvaneApp();
    ~CZelvaneApp();
    CZelvaneApp(const CZelvaneApp&) = delete;
    CZelvaneApp& operator=(const CZelvaneApp&) = delete;

    // Theme, colour file and AppFont. Missing skin or colour files are not errors.
    bool InitApplication();
    // Creates and shows the main window at (10, 10), 1000 x 700; false when that fails.
    bool InitInstance();
    // Destroys the main window if it is still there, frees the skins and AppFont; returns the
    // framework's exit code unchanged.
    int ExitInstance(int frameworkExitCode);
    // The whole life: InitApplication, InitInstance, the event loop, ExitInstance.
    int Run();

    // The toolkit's skin, every window's default; null outside InitApplication .. ExitInstance.
    const QX_Skin* Skin() const { return m_pSkin.get(); }
    // The application font; null outside InitApplication .. ExitInstance.
    const QFont* AppFont() const { return m_pAppFont.get(); }
    // The main window while it exists.
    MainWnd* MainWindow() const;

  private:
    // With ZELVANE_START_SHOT=FILE.png in the environment, prints the start page's address,
    // saves the main window to FILE once that page has loaded and ends the program: how an
    // installed copy is checked where no one can look at the screen.
    void ArmStartShot();

    std::unique_ptr<QX_Skin> m_pSkin;
    std::unique_ptr<QFont> m_pAppFont;
    QPointer<MainWnd> m_pMainWnd;
};
