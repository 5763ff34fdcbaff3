#pragma once

#include <QTimer>

class QObject;

namespace signlink {

// Starts `timer` unless it already runs. QTimer::start() would restart the interval, and a
// status label must clear 5 s after the first of a burst of answers, not the last.
void startTimer(QTimer &timer);

// The pause routine of the windows: waits until `ticks` (which the window's handler of `timer`
// counts up) reaches `count`, processing window events meanwhile, without using the processor
// while it waits. `ticks` is set to 0 and `timer` started first and stopped at the end.
//
// Returns false when `owner` (the window holding timer and ticks) was destroyed while waiting;
// the caller must then return at once without touching its members.
bool sleepTicks(QObject *owner, QTimer &timer, qint16 &ticks, qint16 count);

} // namespace signlink
