#pragma once

#include <QTimer>

namespace signlink {

// Starts `timer` unless it already runs. QTimer::start() would restart the interval, and a
// status label must clear 5 s after the first of a burst of answers, not the last.
void startTimer(QTimer &timer);

} // namespace signlink
