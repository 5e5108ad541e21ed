#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A private Wayland compositor for tests: weston on its headless back end (no screen, no input
// devices), with its own runtime folder and socket. It stops with the object.
class WestonSession final {
  public:
    // Whether weston and Qt's Wayland platform plugin are installed.
    static bool Available();

    WestonSession() = default;
    ~WestonSession();
    WestonSession(const WestonSession&) = delete;
    WestonSession& operator=(const WestonSession&) = delete;

    // Starts the compositor; false with Error() set when its socket did not appear in time.
    bool Start(int timeoutMs = 20000);
    // What a client needs: WAYLAND_DISPLAY and XDG_RUNTIME_DIR set, QT_QPA_PLATFORM=wayland.
    QProcessEnvironment ClientEnvironment() const;
    QString Error() const { return m_strError; }

  private:
    QTemporaryDir m_runtime;
    QProcess m_compositor;
    QString m_strSocket;
    QString m_strError;
};
