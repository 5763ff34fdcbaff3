#include "timerclock.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace testsupport {

TimerClock::TimerClock(QList<QTimer *> timers) : m_timers(std::move(timers))
{
    look();
}

void TimerClock::look()
{
    QCoreApplication::sendPostedEvents();
    for (QTimer *timer : std::as_const(m_timers)) {
        if (!timer->isActive())
            m_due.erase(timer);
        else if (!m_due.contains(timer))
            m_due[timer] = m_now + timer->interval();
    }
}

void TimerClock::step()
{
    look();
    m_now += Step;
    for (QTimer *timer : std::as_const(m_timers)) {
        look();
        const auto due = m_due.find(timer);
        if (due == m_due.end() || due->second > m_now)
            continue;
        // Forgotten first: a handler that stops and starts it again begins a new interval.
        m_due.erase(due);
        if (timer->isSingleShot())
            timer->stop();
        QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
        if (timer->isActive() && !m_due.contains(timer))
            m_due[timer] = m_now + timer->interval();
    }
    look();
}

void TimerClock::advance(int ms)
{
    for (int elapsed = 0; elapsed < ms; elapsed += Step)
        step();
}

bool TimerClock::advanceUntil(const std::function<bool()> &done, int limitMs)
{
    look();
    for (int elapsed = 0; !done(); elapsed += Step) {
        if (elapsed >= limitMs)
            return false;
        step();
    }
    return true;
}

} // namespace testsupport
