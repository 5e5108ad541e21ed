#pragma once

#include <QProcess>
#include <QString>

// A private X display for tests that need a real X server: Xvfb on a display number it picks
// itself, optionally with the openbox window manager running on it. Both stop with the object.
class XDisplaySession final {
  public:
    // Whether Xvfb (and, when asked, openbox) are installed.
    static bool Available(bool withWindowManager);

    XDisplaySession() = default;
    ~XDisplaySession();

    // Starts the server (and the window manager, waiting until it manages the screen). false
    // with Error() set when either did not come up within timeoutMs.
    bool Start(bool withWindowManager, int timeoutMs = 20000);
    // ":N" once started.
    QString Display() const { return m_strDisplay; }
    QString Error() const { return m_strError; }

  private:
    bool WaitForWindowManager(int timeoutMs);

    QProcess m_server;
    QProcess m_windowManager;
    QString m_strDisplay;
    QString m_strError;
};
