// Waiting in the event loop for the benchmarks.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <functional>

namespace bench {

// Waits in the event loop until `done` or `timeoutMs`, woken by the events themselves rather
// than a polling interval, so that a measurement is not rounded to a poll and the process sleeps
// between events (processEvents with a time limit would spin).
inline bool runUntil(const std::function<bool()> &done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QTimer wake;
    wake.start(100);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

} // namespace bench
