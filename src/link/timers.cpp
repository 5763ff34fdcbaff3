#include "link/timers.h"

#include <QEventLoop>
#include <QPointer>
#include <QVariant>

namespace signlink {

namespace {

// A pause can start while another one waits (a click handled during an upload's pause starts
// its own). The inner pause must not stop the timer under the outer one, or the outer would
// never see another tick; the nesting depth is kept on the timer itself.
constexpr const char *DepthProperty = "signconfigSleepDepth";

int depthOf(const QTimer &timer)
{
    return timer.property(DepthProperty).toInt();
}

} // namespace

void startTimer(QTimer &timer)
{
    if (!timer.isActive())
        timer.start();
}

bool sleepTicks(QObject *owner, QTimer &timer, qint16 &ticks, qint16 count)
{
    ticks = 0;
    if (count <= 0)
        return true;
    startTimer(timer);
    timer.setProperty(DepthProperty, depthOf(timer) + 1);

    QPointer<QObject> alive(owner);
    QEventLoop loop;
    // Connected after the window's own tick handler, so `ticks` is already counted up here.
    QObject::connect(&timer, &QTimer::timeout, &loop, [&loop, &ticks, count] {
        if (ticks >= count)
            loop.quit();
    });
    QObject::connect(owner, &QObject::destroyed, &loop, &QEventLoop::quit);
    loop.exec();
    if (!alive)
        return false;

    const int depth = depthOf(timer) - 1;
    timer.setProperty(DepthProperty, depth);
    if (depth <= 0)
        timer.stop();
    return true;
}

} // namespace signlink
