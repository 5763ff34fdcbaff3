#include "link/timers.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPointer>
#include <QTest>

#include <memory>

namespace {

// A window stand-in that owns the pause timer and its tick count, as the windows do.
struct Owner : QObject {
    QTimer timer;
    qint16 ticks = 0;
    Owner()
    {
        timer.setInterval(10);
        connect(&timer, &QTimer::timeout, this, [this] { ++ticks; });
    }
    bool sleep(qint16 count) { return signlink::sleepTicks(this, timer, ticks, count); }
};

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

TEST(SleepTicks, ReturnsAfterTheGivenTicksWithEventsHandledMeanwhile)
{
    Owner owner;
    bool delivered = false;
    QTimer::singleShot(20, &owner, [&] { delivered = true; });
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(owner.sleep(15));
    EXPECT_GE(owner.ticks, 15);
    EXPECT_GE(clock.elapsed(), 140);
    EXPECT_TRUE(delivered);
    EXPECT_FALSE(owner.timer.isActive());
}

TEST(SleepTicks, APauseStartedDuringAnotherDoesNotStrandIt)
{
    Owner owner;
    bool innerDone = false;
    QTimer::singleShot(30, &owner, [&] { innerDone = owner.sleep(20); });
    ASSERT_TRUE(owner.sleep(5));
    EXPECT_TRUE(innerDone);
    EXPECT_FALSE(owner.timer.isActive());
}

TEST(SleepTicks, ReturnsFalseWhenTheOwnerGoesAwayMeanwhile)
{
    auto *owner = new Owner;
    QPointer<Owner> watch(owner);
    QTimer::singleShot(30, [owner] { delete owner; });
    EXPECT_FALSE(owner->sleep(1000));
    EXPECT_TRUE(watch.isNull());
}

TEST(SleepTicks, ZeroTicksReturnsAtOnce)
{
    Owner owner;
    EXPECT_TRUE(owner.sleep(0));
    EXPECT_FALSE(owner.timer.isActive());
}

} // namespace
