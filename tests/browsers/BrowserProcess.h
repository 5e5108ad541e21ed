#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// A real browser a test starts under a home folder of its own and always stops; every wait on
// it is bounded.
class BrowserProcess final {
  public:
    explicit BrowserProcess(const QString& home);
    ~BrowserProcess();
    BrowserProcess(const BrowserProcess&) = delete;
    BrowserProcess& operator=(const BrowserProcess&) = delete;

    bool Start(const QString& program, const QStringList& arguments);
    // Asks the browser to end as the desktop does at log-out (SIGTERM) and kills it when it
    // does not; true when it ended on the request.
    bool Stop();

  private:
    QProcess m_process;
};
