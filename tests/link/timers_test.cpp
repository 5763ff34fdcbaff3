#include "link/timers.h"

#include <gtest/gtest.h>

#include <QTest>

namespace {

TEST(StartTimer, DoesNotRestartARunningInterval)
{
    QTimer timer;
    timer.setInterval(200);
    signlink::startTimer(timer);
    QTest::qWait(120);
    const int before = timer.remainingTime();
    signlink::startTimer(timer);
    EXPECT_LE(timer.remainingTime(), before);
    EXPECT_LT(timer.remainingTime(), 150);
}

} // namespace
