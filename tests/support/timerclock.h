#pragma once

#include <QList>
#include <QTimer>

#include <functional>
#include <map>

namespace testsupport {

// Virtual time for a set of timers, so that a test walks a sequence tick for tick without
// waiting for it. Each step of `Step` ms fires the timers that are due, in the order given, as
// their own timeout() would (everything connected to it runs), and delivers what was posted
// meanwhile (a fake port's answers). A timer started or restarted by a handler is due one
// interval later. The real timers may run as well; give them intervals the test never reaches
// in real time, or keep a test short.
class TimerClock {
public:
    static constexpr int Step = 10;

    explicit TimerClock(QList<QTimer *> timers);

    int now() const { return m_now; }
    // Moves time on by `ms` (whole steps).
    void advance(int ms);
    // Steps until `done` holds; false when `limitMs` passed first.
    bool advanceUntil(const std::function<bool()> &done, int limitMs);
    // Notices timers started since the last step; call after starting something by hand.
    void look();

private:
    void step();

    QList<QTimer *> m_timers;
    std::map<QTimer *, int> m_due;  // the active ones, and when they fire
    int m_now = 0;
};

} // namespace testsupport
