// The test-message conversation's answers: "done" in any case, "error", the default-message dump
// less the fixed offsets for every model (only as the answer to the read), and the clock's echo.
#include "conversation.h"

#include "session/testmessagesession.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using sessiontest::Conversation;
using session::TestMessageSession;

struct Answer {
    const char *name;
    QByteArray line;  // without its LF
    bool reading;     // Download from Pager waits for its answer (else a test message was sent)
    QStringList said;
    QList<std::optional<qint16>> dump;  // font, style, colour, speed, alignment, pause reported
    std::optional<QString> text;
    bool acknowledged;
    bool refused;
};

void PrintTo(const Answer &c, std::ostream *out) { *out << c.name; }

class TestMessageAnswers : public ::testing::TestWithParam<Answer> {};

TEST_P(TestMessageAnswers, AreReadAsTheSignMeansThem)
{
    const Answer &c = GetParam();
    Conversation<TestMessageSession> talk;
    if (c.reading)
        ASSERT_TRUE(talk.session->read(1).ok());
    else
        ASSERT_TRUE(talk.session->send(1, QStringLiteral("<id=0>Hi")).ok());
    talk.answer(c.line);
    EXPECT_EQ(talk.said, c.said);
    if (c.dump.isEmpty()) {
        EXPECT_TRUE(talk.dumps.isEmpty());
    } else {
        ASSERT_EQ(talk.dumps.size(), 1);
        const protocol::DefaultMessageDump &d = talk.dumps[0];
        EXPECT_EQ(QList<std::optional<qint16>>({d.font, d.style, d.color, d.speed, d.alignment, d.pause}), c.dump);
        EXPECT_EQ(d.text, c.text);
    }
    talk.closeNow();
    ASSERT_TRUE(talk.runToEnd());
    EXPECT_EQ(talk.outcome->acknowledged, c.acknowledged);
    EXPECT_EQ(talk.outcome->refused, c.refused);
    EXPECT_EQ(talk.outcome->dump.has_value(), !c.dump.isEmpty());
}

const QList<std::optional<qint16>> None;
const QList<std::optional<qint16>> Offset{1, 1, 2, 1, 1, 0};
const QString OpenNow = QStringLiteral("Open\r\nNow <hh:mm>");

INSTANTIATE_TEST_SUITE_P(
    Lines, TestMessageAnswers,
    ::testing::Values(
        Answer{"Done", "done", false, {"Upload Successfull"}, None, {}, true, false},
        Answer{"DoneInCapitals", "DONE", false, {"Upload Successfull"}, None, {}, true, false},
        Answer{"DoneInsideALineEndedByCrLf", "Upload Done\r", false, {"Upload Successfull"}, None, {}, true, false},
        Answer{"Error", "Error", false, {}, None, {}, false, true},
        Answer{"Empty", "", false, {}, None, {}, false, false},
        Answer{"Rw2290Dump", "RW2290:65,66,67,49,50,48,0,0,Open\xaaNow \xad", true, {}, Offset, OpenNow, false, false},
        Answer{"Pn360DumpIsOffsetToo", "PN360:65,66,67,49,50,48,0,0,Open\xaaNow \xad", true, {}, Offset, OpenNow, false,
               false},
        Answer{"OtherModelsDumpIsOffsetToo", "ZX9:65,66,67,49,50,48,0,0,Open\xaaNow \xad", true, {}, Offset, OpenNow,
               false, false},
        Answer{"ShortDump", "RW2290:66,67,68,50,51,49,0", true, {}, None, {}, false, false},
        Answer{"ClockCommandInFront", "<Time time=01:02:03 date=2024/03/05-2>set time:66,67,68,50,51,49,0,0,No", true,
               {}, None, {}, false, false},
        // The answer to the read is its message, whatever the message says.
        Answer{"DoneInTheMessageOfTheAnswer", "PN360:65,65,65,49,49,48,0,0,well done", true, {},
               {1, 0, 0, 1, 0, 0}, QStringLiteral("well done"), false, false},
        Answer{"DumpNobodyAskedFor", "RW2290:65,66,67,49,50,48,0,0,Unasked", false, {}, None, {}, false, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TestMessageRead, ASignThatSendsNoMessageIsSaidSo)
{
    Conversation<TestMessageSession> talk;
    ASSERT_TRUE(talk.session->read(5).ok());
    ASSERT_TRUE(talk.runToEnd());
    EXPECT_EQ(talk.outcome->text,
              QStringLiteral("No answer from the sign on COM 5. Check the cable, the power and the COM number."));
}

} // namespace
