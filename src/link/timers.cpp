#include "link/timers.h"

namespace signlink {

void startTimer(QTimer &timer)
{
    if (!timer.isActive())
        timer.start();
}

} // namespace signlink
