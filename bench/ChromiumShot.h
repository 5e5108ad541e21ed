#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// Chromium's own fastest full-page screenshot, for timing side by side with our capture:
// headless Debian chromium driven over its DevTools pipe (Page.captureScreenshot, PNG,
// captureBeyondViewport, optimizeForSpeed, page loaded first), then the PNG decoded to pixels
// as a caller must. Waits run the event loop, so pages served by this process load meanwhile.
class ChromiumShot final {
  public:
    static constexpr const char* kChromium = "/usr/bin/chromium";

    struct Result {
        bool ok = false;
        int height = 0;
        double screenshotMs = 0;
        double decodeMs = 0;
        QString error;
    };

    ChromiumShot() = default;
    ~ChromiumShot();
    ChromiumShot(const ChromiumShot&) = delete;
    ChromiumShot& operator=(const ChromiumShot&) = delete;

    static bool Available();
    // One screenshot of url at that width in a fresh browser.
    Result Shoot(const QString& url, int width);

  private:
    bool Start(int width);
    void Stop();
    // Sends a command and waits for its answer (events on the way are kept for WaitEvent).
    bool Call(const QString& method, const QJsonObject& params, QJsonObject* result,
              int timeoutMs = 60000);
    bool WaitEvent(const QString& method, int timeoutMs);
    bool ReadMessages(int timeoutMs);

    QTemporaryDir m_profile;
    QProcess m_process;
    QLocalSocket m_socket;
    QByteArray m_buffer;
    QList<QJsonObject> m_messages;
    QString m_strSession;
    int m_nNextId = 1;
};
