#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// A private Wayland display for tests that need a real compositor: weston's headless back end,
// listening on a socket in a runtime folder of its own (a temporary one), so that it meets no
// other session. It stops with the object.
class WaylandSession final {
  public:
    // Whether weston and Qt's Wayland platform are installed.
    static bool Available();

    WaylandSession() = default;
    ~WaylandSession();

    // Starts the compositor; false with Error() set when it did not listen within timeoutMs.
    bool Start(int timeoutMs = 20000);
    // What a client started in env needs to reach this compositor.
    void AddTo(QProcessEnvironment* env) const;
    QString Error() const { return m_strError; }

  private:
    QTemporaryDir m_runtime; // created 0700, as a runtime folder must be
    QProcess m_compositor;
    QString m_strError;
};
