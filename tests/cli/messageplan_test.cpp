// What the default-message and test-message conversations send, and their pauses, as data.
#include "session/messagesession.h"

#include "fakesignport.h"
#include "protocol/clock.h"

#include <gtest/gtest.h>

#include <QMap>

namespace {

using session::MessagePlan;
using session::MessageStep;

struct PlanCase {
    const char *name;
    MessagePlan plan;
    MessagePlan expected;
};

class Plans : public ::testing::TestWithParam<PlanCase> {};

TEST_P(Plans, SendTheWindowsCommandsWithTheirPauses)
{
    EXPECT_EQ(GetParam().plan, GetParam().expected);
}

const QString Message = QStringLiteral("<DF f=1 c=2 s=0 a=0 sp=0 p=0>Open");
const QString Time = QStringLiteral("<TIME f=1 c=2 s=0 a=0 sp=0 p=0 fm=3>IDLE ON");
const QDateTime Noon(QDate(2026, 12, 8), QTime(12, 0, 5));

INSTANTIATE_TEST_SUITE_P(
    Windows, Plans,
    ::testing::Values(
        PlanCase{"ReadDefaultMessage", session::defaultMessageReadPlan(),
                 {{{0, QStringLiteral("DOWNLOAD_DEFAULT_MSG")}}, 10, false, 20}},
        PlanCase{"UploadMessage", session::defaultMessageUploadPlan(Message, std::nullopt), {{{0, Message}}, 0, false, 10}},
        PlanCase{"UploadMessageAndTimeDisplay", session::defaultMessageUploadPlan(Message, Time),
                 {{{0, Message}, {20, Time}, {50, QStringLiteral("RESET")}}, 0, false, 10}},
        PlanCase{"UploadTimeDisplayOnly", session::defaultMessageUploadPlan(std::nullopt, Time),
                 {{{20, Time}, {50, QStringLiteral("RESET")}}, 0, false, 10}},
        PlanCase{"TimeDisplayOn", session::timeDisplayPlan(true), {{{0, QStringLiteral("<TIME>IDLE ON")}}, 10, true, 0}},
        PlanCase{"TimeDisplayOff", session::timeDisplayPlan(false), {{{0, QStringLiteral("<TIME>IDLE OFF")}}, 10, true, 0}},
        PlanCase{"Clock", session::clockPlan(Noon), {{{0, protocol::setClockCommand(Noon)}}, 0, false, 10}},
        PlanCase{"TestMessage", session::singleCommandPlan(QStringLiteral("<id=0>Hi")), {{{0, QStringLiteral("<id=0>Hi")}}, 0, false, 0}}),
    [](const ::testing::TestParamInfo<PlanCase> &info) { return std::string(info.param.name); });

} // namespace

// ---- The session running a plan on a port ----

namespace {

class MessageSessionRun : public ::testing::Test {
protected:
    testsupport::FakeSignPort port;
    session::MessageSession messages{port, 50};
    QList<bool> closings;
    QList<int> failedSteps;

    void SetUp() override
    {
        QObject::connect(&messages, &session::MessageSession::closed, [this](bool wasOpen) { closings << wasOpen; });
        QObject::connect(&messages, &session::MessageSession::writeFailed,
                         [this](int step, const QString &) { failedSteps << step; });
    }
};

TEST_F(MessageSessionRun, WritesEachCommandAfterItsPauseThenClosesOnTheCountdown)
{
    // SleepTimer ticks counted by how many commands were out at each tick.
    QMap<qsizetype, int> ticksAfter;
    QObject::connect(&messages.SleepTimer, &QTimer::timeout, [&] { ++ticksAfter[port.writes.size()]; });
    const session::MessageSession::Start start = messages.run(4, session::defaultMessageUploadPlan(Message, Time));
    ASSERT_TRUE(start.ok());
    EXPECT_TRUE(start.completed);
    EXPECT_EQ(port.openedPorts, QList<int>{4});
    EXPECT_EQ(port.writes, (QList<QByteArray>{Message.toLatin1() + '\r', Time.toLatin1() + '\r', "RESET\r"}));
    EXPECT_EQ(ticksAfter.value(1), 20);
    EXPECT_EQ(ticksAfter.value(2), 50);
    // Ten ticks of ComClose are counted down, the next closes the port.
    EXPECT_EQ(messages.closeCountdown, 10);
    for (int tick = 0; tick < 10; ++tick)
        messages.closeTick();
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(closings.isEmpty());
    messages.closeTick();
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(closings, QList<bool>{true});
    EXPECT_FALSE(messages.ComClose.isActive());
}

TEST_F(MessageSessionRun, APortThatWillNotOpenGetsNothing)
{
    port.failNextOpens({signlink::OpenError::Busy, QStringLiteral("busy")});
    const session::MessageSession::Start start = messages.run(2, session::clockPlan(Noon));
    EXPECT_EQ(start.opening.error, signlink::OpenError::Busy);
    EXPECT_FALSE(start.written);
    EXPECT_TRUE(port.writes.isEmpty());
    EXPECT_FALSE(messages.ComClose.isActive());
}

TEST_F(MessageSessionRun, ALaterCommandThePortRefusesEndsThePlan)
{
    QObject::connect(&messages, &session::MessageSession::written, [&](int step, const QString &) {
        if (step == 0)
            port.refuseWrites(true);
    });
    const session::MessageSession::Start start = messages.run(1, session::defaultMessageUploadPlan(Message, Time));
    EXPECT_TRUE(start.written);
    EXPECT_FALSE(start.completed);
    EXPECT_EQ(failedSteps, QList<int>{1});
    EXPECT_EQ(port.writes.size(), 1);
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(messages.ComClose.isActive());
}

TEST_F(MessageSessionRun, ALostConnectionStopsThePlanInItsPause)
{
    QObject::connect(&messages.SleepTimer, &QTimer::timeout, [&] {
        if (port.isOpen() && port.writes.size() == 1) {
            port.failWhileOpen(QStringLiteral("unplugged"));
            messages.connectionLost();
        }
    });
    const session::MessageSession::Start start = messages.run(1, session::defaultMessageUploadPlan(Message, Time));
    EXPECT_FALSE(start.completed);
    EXPECT_EQ(port.writes.size(), 1);
    EXPECT_FALSE(messages.ComClose.isActive());
    EXPECT_TRUE(closings.isEmpty());
}

} // namespace
