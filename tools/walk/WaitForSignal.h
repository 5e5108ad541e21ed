#pragma once

#include <QEventLoop>
#include <QObject>
#include <QTimer>

// Runs the event loop until signal fires or timeoutMs passes; true when it fired.
template <typename Sender, typename Signal>
bool WaitForSignal(Sender* sender, Signal signal, int timeoutMs) {
    QEventLoop loop;
    bool fired = false;
    QObject::connect(sender, signal, &loop, [&] {
        fired = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return fired;
}
