#pragma once

#include <QObject>

#include <functional>

class BrowserControl;

// For the time of a capture in the main window: the capture's waits deliver user input, and
// this takes all of it before any window sees it, so that nothing the user does changes the
// window under the capture. Escape, or an attempt to close a window, cancels the capture.
class CaptureInputGuard final : public QObject {
    Q_OBJECT

  public:
    CaptureInputGuard(BrowserControl* control, std::function<void()> cancel);
    ~CaptureInputGuard() override;
    CaptureInputGuard(const CaptureInputGuard&) = delete;
    CaptureInputGuard& operator=(const CaptureInputGuard&) = delete;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    BrowserControl* m_pControl;
    std::function<void()> m_cancel;
};
