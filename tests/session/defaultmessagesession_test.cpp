// The default-message conversation: what its answers mean, when the time display's values go
// with an upload, the switch of the time display and the read after it, and where loading takes
// the message from.
#include "conversation.h"

#include "session/defaultmessagesession.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using sessiontest::Conversation;
using session::DefaultMessageSession;
using session::MessageOutcome;

const QString Hint = QStringLiteral("Remove message and Click \"Upload to Sign\" to display Time");
const QString Downloaded = QStringLiteral("Data downloaded successfully from LED Sign");

// ---- Answers ----

struct Answer {
    const char *name;
    QByteArray line;          // without its LF
    bool reading;             // the read waits for its answer (else an upload was written)
    DefaultMessageSession::Shown shown;
    QStringList said;
    std::optional<bool> timeDisplay;  // reported
    QList<std::optional<qint16>> dump;  // font, style, colour, speed, alignment, pause reported
    std::optional<QString> text;        // ... and the message
    bool acknowledged;
    bool refused;
};

void PrintTo(const Answer &c, std::ostream *out) { *out << c.name; }

class DefaultMessageAnswers : public ::testing::TestWithParam<Answer> {};

TEST_P(DefaultMessageAnswers, AreReadAsTheSignMeansThem)
{
    const Answer &c = GetParam();
    Conversation<DefaultMessageSession> talk([&c] { return c.shown; });
    std::optional<bool> reported;
    QObject::connect(talk.session.get(), &DefaultMessageSession::timeDisplayReported, talk.session.get(),
                     [&](bool on) { reported = on; });
    if (c.reading)
        ASSERT_TRUE(talk.session->read(1).ok());
    else
        ASSERT_TRUE(talk.session->upload(1, {{}, QStringLiteral("Open"), false, false, 0}).ok());

    talk.answer(c.line);
    EXPECT_EQ(talk.said, c.said);
    EXPECT_EQ(reported, c.timeDisplay);
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
}

const DefaultMessageSession::Shown Plain{false, true};
const DefaultMessageSession::Shown TimeOverMessage{true, false};
const DefaultMessageSession::Shown TimeOverNothing{true, true};
const QList<std::optional<qint16>> None;

INSTANTIATE_TEST_SUITE_P(
    Lines, DefaultMessageAnswers,
    ::testing::Values(
        Answer{"Empty", "", false, Plain, {}, {}, None, {}, false, false},
        Answer{"Done", "done", false, Plain, {"Upload Successfull"}, {}, None, {}, true, false},
        Answer{"DoneAnyCaseWithCr", "Command DONE\r", false, Plain, {"Upload Successfull"}, {}, None, {}, true, false},
        Answer{"DoneWhileTheTimeShowsOverAMessage", "done", false, TimeOverMessage, {Hint}, {}, None, {}, true, false},
        Answer{"DoneWhileTheTimeShowsOverNothing", "done", false, TimeOverNothing, {"Upload Successfull"}, {}, None, {},
               true, false},
        Answer{"Error", "ERROR", false, Plain, {}, {}, None, {}, false, true},
        Answer{"TimeOn", "TIME:IDLE:1", false, Plain, {}, true, None, {}, false, false},
        Answer{"TimeOff", "TIME:IDLE:0", false, Plain, {}, false, None, {}, false, false},
        Answer{"TimeOtherThirdField", "TIME:IDLE:10", false, Plain, {}, false, None, {}, false, false},
        Answer{"DefaultStored", "default stored", false, Plain, {"Default message uploaded successfully"}, {}, None, {},
               true, false},
        Answer{"Rw2290DumpIsOffset", "RW2290:65,66,67,49,50,48,0,0,Hi\xaathere \xad", true, Plain, {}, {},
               {1, 1, 2, 1, 1, 0}, QStringLiteral("Hi\r\nthere <hh:mm>"), false, false},
        Answer{"OtherModelsDumpIsDirect", "PN360:5,6,7,1,2,3,0,0,Plain, with comma", true, Plain, {}, {},
               {5, 6, 7, 1, 2, 3}, QStringLiteral("Plain, with comma"), false, false},
        Answer{"DumpWithoutItsMessage", "PN360:1,2,3", true, Plain, {}, {}, {1, 2, 3, {}, {}, {}}, {}, false, false},
        // The answer to the read is its message, whatever the message says.
        Answer{"DoneInTheMessageOfTheAnswer", "PN360:1,1,1,1,1,1,0,0,well done", true, Plain, {}, {},
               {1, 1, 1, 1, 1, 1}, QStringLiteral("well done"), false, false},
        // With no read waiting, "done" acknowledges even in a line shaped like a dump, and a
        // dump sent unasked (a sign's configuration after an upload) is not taken.
        Answer{"DoneInADumpNobodyAskedFor", "RW2290:65,66,67,49,50,48,0,0,well done", false, Plain,
               {"Upload Successfull"}, {}, None, {}, true, false},
        Answer{"ConfigurationSentUnasked", "RW2290,41:66,67,67,50,51,50,21,100,64,65,65,49", false, Plain, {}, {}, None,
               {}, false, false}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Upload: the message, and the time display's values ----

struct UploadCase {
    const char *name;
    QString text;
    bool timeOn;
    bool changed;
    QStringList commands;
    QStringList shown;  // the command box's texts, in turn
    QStringList said;
};

void PrintTo(const UploadCase &c, std::ostream *out) { *out << c.name; }

class DefaultMessageUpload : public ::testing::TestWithParam<UploadCase> {};

TEST_P(DefaultMessageUpload, SendsTheMessageAndWhileTheTimeShowsItsValues)
{
    const UploadCase &c = GetParam();
    Conversation<DefaultMessageSession> talk;
    QStringList shown;
    QObject::connect(talk.session.get(), &DefaultMessageSession::commandShown, talk.session.get(),
                     [&](const QString &command) { shown << command; });
    ASSERT_TRUE(talk.session->upload(1, {{2, 1, 0, 2, 3, 4}, c.text, c.timeOn, c.changed, 5}).ok());
    ASSERT_TRUE(talk.runToEnd());
    EXPECT_EQ(talk.commands(), c.commands);
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(talk.said, c.said);
    EXPECT_EQ(talk.outcome->end, MessageOutcome::End::Closed);
}

const QString TimeCommand = QStringLiteral("<TIME f=2 c=1 s=0 a=2 sp=3 p=4 fm=5>IDLE ON");

INSTANTIATE_TEST_SUITE_P(
    Cases, DefaultMessageUpload,
    ::testing::Values(
        UploadCase{"Message", QStringLiteral("Open\r\n<hh:mm>"), false, true, {"<DF f=2 c=1 s=0 a=2 sp=3 p=4>Open$L$T2"},
                   {"<DF f=2 c=1 s=0 a=2 sp=3 p=4>Open$L$T2"}, {}},
        UploadCase{"EmptyMessageRemovesIt", QString(), false, true, {"<del id=def>"}, {"<del id=def>"}, {}},
        UploadCase{"TimeShowingNothingChanged", QString(), true, false, {"<del id=def>"}, {"<del id=def>"}, {}},
        UploadCase{"TimeShowingAndChanged", QString(), true, true, {"<del id=def>", TimeCommand, "RESET"},
                   {"<del id=def>", TimeCommand, TimeCommand + " , RESET"}, {}},
        // No default-message command exists for this state: only the time's command goes.
        UploadCase{"TimeShowingOverAMessage", QStringLiteral("Hello"), true, true, {TimeCommand, "RESET"},
                   {TimeCommand, TimeCommand + " , RESET"}, {Hint}},
        UploadCase{"TimeShowingOverAMessageNothingChanged", QStringLiteral("Hello"), true, false, {}, {}, {Hint}}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Time Display on Idle: the switch, then the read ----

struct SwitchCase {
    const char *name;
    bool on;
    bool editorEmpty;
    bool windUp;  // the window is closing meanwhile
    QStringList commands;
    QStringList said;
};

void PrintTo(const SwitchCase &c, std::ostream *out) { *out << c.name; }

class TimeDisplaySwitch : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(TimeDisplaySwitch, ReadsTheMessageBackUnlessTheWindowIsClosing)
{
    const SwitchCase &c = GetParam();
    Conversation<DefaultMessageSession> talk([&c] { return DefaultMessageSession::Shown{false, c.editorEmpty}; });
    QList<std::pair<bool, bool>> switched;
    QObject::connect(talk.session.get(), &DefaultMessageSession::timeDisplaySwitched, talk.session.get(),
                     [&](bool on, bool readFollows) {
                         switched.append({on, readFollows});
                         EXPECT_FALSE(talk.port->isOpen());  // let go between the two
                     });
    ASSERT_TRUE(talk.session->switchTimeDisplay(1, c.on).ok());
    if (c.windUp)
        talk.session->windUp();
    ASSERT_TRUE(talk.runToEnd());
    EXPECT_EQ(talk.commands(), c.commands);
    EXPECT_EQ(switched, (QList<std::pair<bool, bool>>{{c.on, !c.windUp}}));
    EXPECT_EQ(talk.said, c.said);
    EXPECT_EQ(talk.finishings, 1);
    EXPECT_FALSE(talk.port->isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TimeDisplaySwitch,
    ::testing::Values(
        SwitchCase{"OnOverAMessage", true, false, false, {"<TIME>IDLE ON", "DOWNLOAD_DEFAULT_MSG"}, {Hint}},
        SwitchCase{"OnOverNothing", true, true, false, {"<TIME>IDLE ON", "DOWNLOAD_DEFAULT_MSG"}, {}},
        SwitchCase{"Off", false, false, false, {"<TIME>IDLE OFF", "DOWNLOAD_DEFAULT_MSG"}, {}},
        SwitchCase{"WhileTheWindowCloses", false, false, true, {"<TIME>IDLE OFF"}, {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TimeDisplaySwitchRead, APortThatWillNotOpenForTheReadEndsTheConversation)
{
    Conversation<DefaultMessageSession> talk;
    QObject::connect(talk.session.get(), &DefaultMessageSession::timeDisplaySwitched, talk.session.get(),
                     [&] { talk.port->failNextOpens({signlink::OpenError::Busy, QStringLiteral("taken")}); });
    ASSERT_TRUE(talk.session->switchTimeDisplay(2, true).ok());
    ASSERT_TRUE(talk.runToEnd());
    EXPECT_EQ(talk.commands(), QStringList{"<TIME>IDLE ON"});
    EXPECT_EQ(talk.outcome->end, MessageOutcome::End::Failed);
    EXPECT_EQ(talk.outcome->text, QStringLiteral("Cannot Open Port:2\r\ntaken"));
}

// ---- Loading ----

TEST(DefaultMessageLoad, TakesTheHeldMessageWithoutASignAndReadsTheSignOtherwise)
{
    Conversation<DefaultMessageSession> talk;
    EXPECT_FALSE(talk.session->load(1, true).has_value());
    EXPECT_EQ(talk.port->openAttempts, 0);

    const std::optional<session::MessageStart> read = talk.session->load(1, false);
    ASSERT_TRUE(read.has_value());
    ASSERT_TRUE(read->ok());
    EXPECT_EQ(talk.commands(), QStringList{"DOWNLOAD_DEFAULT_MSG"});
    // Success is claimed when the message has come, not when it was asked for.
    EXPECT_TRUE(talk.said.isEmpty());
    talk.answer("PN360:5,6,7,1,2,3,0,0,Hello");
    EXPECT_EQ(talk.said, QStringList{Downloaded});
    // A read from Download says nothing of its success: the editor shows it.
    talk.closeNow();
    talk.said.clear();
    ASSERT_TRUE(talk.session->read(1).ok());
    talk.answer("PN360:5,6,7,1,2,3,0,0,Hello");
    EXPECT_TRUE(talk.said.isEmpty());
}

} // namespace
