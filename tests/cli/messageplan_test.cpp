// What the default-message and test-message conversations send, and their pauses, as data.
#include "session/messagesession.h"

#include "protocol/clock.h"

#include <gtest/gtest.h>

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
