// The message conversations as the sign sees them: every command of every action with the ticks
// before it, the closing countdown, and the ways a conversation cannot begin or ends early.
#include "conversation.h"

#include "protocol/clock.h"
#include "session/defaultmessagesession.h"
#include "session/testmessagesession.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

namespace {

using sessiontest::Conversation;
using sessiontest::Written;
using session::DefaultMessageSession;
using session::MessageOutcome;
using session::MessageStart;
using session::TestMessageSession;

const QDateTime Noon(QDate(2026, 12, 8), QTime(12, 0, 5));
const QString Clock = protocol::setClockCommand(Noon);

DefaultMessageSession::Upload message(const QString &text, bool timeOn, bool changed)
{
    return {{1, 2, 0, 0, 0, 0}, text, timeOn, changed, 3};
}

// ---- Every action, tick for tick ----

struct Pacing {
    const char *name;
    bool testWindow;  // the test-message window's session, else the default-message window's
    std::function<MessageStart(session::MessageSession &)> start;
    QList<Written> written;
    int ticksAfter;      // SleepTimer ticks after the last command
    int closeInterval;   // ComClose's
    int closeTicks;      // ComClose ticks until the port closed (the last one closes it)
};

void PrintTo(const Pacing &c, std::ostream *out) { *out << c.name; }

class Paced : public ::testing::TestWithParam<Pacing> {};

template <typename Session>
void runPaced(const Pacing &c)
{
    Conversation<Session> talk;
    talk.session->setPortLabel(QStringLiteral("COM 4"));
    const MessageStart start = c.start(*talk.session);
    ASSERT_TRUE(start.ok()) << start.text.toStdString();
    EXPECT_EQ(talk.port->openedPorts, QList<int>{4});
    ASSERT_TRUE(talk.runToEnd());
    EXPECT_EQ(talk.written, c.written);
    EXPECT_EQ(talk.session->ComClose.interval(), c.closeInterval);
    EXPECT_EQ(talk.closeTicks(), c.closeTicks);
    int pauses = c.ticksAfter;
    for (const Written &w : c.written)
        pauses += w.pauseTicks;
    EXPECT_EQ(talk.sleepTicks(), pauses);
    if (c.closeTicks > 0) {
        ASSERT_TRUE(talk.sentAfterTicks.has_value());
        EXPECT_EQ(*talk.sentAfterTicks, c.ticksAfter);
        EXPECT_TRUE(talk.portOpenWhenSent);
    }
    EXPECT_FALSE(talk.port->isOpen());
    EXPECT_FALSE(talk.portOpenWhenFinished);
    EXPECT_EQ(talk.outcome->end, MessageOutcome::End::Closed);
    EXPECT_FALSE(talk.session->SleepTimer.isActive());
    EXPECT_FALSE(talk.session->ComClose.isActive());
    // Every command is one write of its text and a single CR.
    for (const QByteArray &write : talk.port->writes)
        EXPECT_EQ(write.count('\r'), 1) << write.toStdString();
}

TEST_P(Paced, WritesEachCommandAfterItsPauseAndLetsThePortGoOnItsTick)
{
    if (GetParam().testWindow)
        runPaced<TestMessageSession>(GetParam());
    else
        runPaced<DefaultMessageSession>(GetParam());
}

DefaultMessageSession &dm(session::MessageSession &s) { return static_cast<DefaultMessageSession &>(s); }
TestMessageSession &tm(session::MessageSession &s) { return static_cast<TestMessageSession &>(s); }

const QString Message = QStringLiteral("<DF f=1 c=2 s=0 a=0 sp=0 p=0>Open");
const QString Time = QStringLiteral("<TIME f=1 c=2 s=0 a=0 sp=0 p=0 fm=3>IDLE ON");

INSTANTIATE_TEST_SUITE_P(
    Actions, Paced,
    ::testing::Values(
        // The default-message window: 50 ms ticks, ten after a write, twenty after a read.
        Pacing{"Download", false, [](auto &s) { return s.read(4); }, {{"DOWNLOAD_DEFAULT_MSG", 0}}, 10, 50, 21},
        Pacing{"UploadMessage", false, [](auto &s) { return dm(s).upload(4, message("Open", false, true)); },
               {{Message, 0}}, 0, 50, 11},
        Pacing{"UploadWhileTheTimeShows", false,
               [](auto &s) { return dm(s).upload(4, message(QString(), true, true)); },
               {{"<del id=def>", 0}, {Time, 20}, {"RESET", 50}}, 0, 50, 11},
        Pacing{"UploadOverAMessageWhileTheTimeShows", false,
               [](auto &s) { return dm(s).upload(4, message("Open", true, true)); }, {{Time, 20}, {"RESET", 50}}, 0,
               50, 11},
        Pacing{"SwitchOnThenRead", false, [](auto &s) { return dm(s).switchTimeDisplay(4, true); },
               {{"<TIME>IDLE ON", 0}, {"DOWNLOAD_DEFAULT_MSG", 10}}, 10, 50, 21},
        Pacing{"SwitchOffThenRead", false, [](auto &s) { return dm(s).switchTimeDisplay(4, false); },
               {{"<TIME>IDLE OFF", 0}, {"DOWNLOAD_DEFAULT_MSG", 10}}, 10, 50, 21},
        Pacing{"Clock", false, [](auto &s) { return s.setClock(4, Noon); }, {{Clock, 0}}, 0, 50, 11},
        // The test-message window: the first tick, half a second on, closes the port.
        Pacing{"TestMessage", true, [](auto &s) { return tm(s).send(4, QStringLiteral("<id=0>Hi")); },
               {{"<id=0>Hi", 0}}, 0, 500, 1},
        Pacing{"DownloadFromPager", true, [](auto &s) { return s.read(4); }, {{"DOWNLOAD_DEFAULT_MSG", 0}}, 0, 500, 1},
        Pacing{"ClockFromTheTestWindow", true, [](auto &s) { return s.setClock(4, Noon); }, {{Clock, 0}}, 0, 500,
               1}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Conversations that cannot begin ----

struct Refusal {
    const char *name;
    std::function<void(testsupport::FakeSignPort &)> script;
    std::function<MessageStart(DefaultMessageSession &)> start;
    MessageStart::Failure failure;
    int openAttempts;
    const char *text;  // what the operator is told, in full or its start
};

void PrintTo(const Refusal &c, std::ostream *out) { *out << c.name; }

class NotBegun : public ::testing::TestWithParam<Refusal> {};

TEST_P(NotBegun, SendsNothingAndSaysWhy)
{
    const Refusal &c = GetParam();
    Conversation<DefaultMessageSession> talk;
    if (c.script)
        c.script(*talk.port);
    const MessageStart start = c.start(*talk.session);
    EXPECT_EQ(start.failure, c.failure);
    EXPECT_FALSE(start.ok());
    EXPECT_TRUE(start.text.startsWith(QString::fromUtf8(c.text))) << start.text.toStdString();
    EXPECT_EQ(talk.port->openAttempts, c.openAttempts);
    EXPECT_TRUE(talk.port->writes.isEmpty());
    EXPECT_FALSE(talk.port->isOpen());
    EXPECT_FALSE(talk.session->running());
    EXPECT_FALSE(talk.session->ComClose.isActive());
    QTest::qWait(30);
    EXPECT_EQ(talk.finishings, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, NotBegun,
    ::testing::Values(
        Refusal{"CharacterBeyondLatin1", {},
                [](auto &s) { return s.upload(1, message(QStringLiteral("5\u20ac"), false, false)); },
                MessageStart::Failure::Unsendable, 0, "The sign cannot show the character \"\u20ac\""},
        Refusal{"CommandLongerThanTheSignTakes", {},
                [](auto &s) { return s.upload(1, message(QString(1100, u'x'), false, false)); },
                MessageStart::Failure::Unsendable, 0, "The command is 1129 characters long; the sign takes at most 1023."},
        Refusal{"CodeOfTheStoredForm", {},
                [](auto &s) { return s.upload(1, message(QStringLiteral("20\u00b0C"), false, false)); },
                MessageStart::Failure::Unsendable, 0, "The default message cannot hold the character \"\u00b0\""},
        Refusal{"PortBusy",
                [](auto &p) { p.failNextOpens({signlink::OpenError::Busy, QStringLiteral("/dev/ttyUSB2 is already open.")}); },
                [](auto &s) { return s.setClock(7, Noon); }, MessageStart::Failure::NotOpened, 1,
                "Cannot Open Port:7\r\n/dev/ttyUSB2 is already open."},
        Refusal{"NoSuchPort", [](auto &p) { p.failNextOpens({signlink::OpenError::NoSuchPort, QStringLiteral("gone")}); },
                [](auto &s) { return s.read(12); }, MessageStart::Failure::NotOpened, 1,
                "Cannot Open Port:12\r\nPlease Change Comport"},
        Refusal{"WriteRefused", [](auto &p) { p.refuseWrites(true); }, [](auto &s) { return s.read(3); },
                MessageStart::Failure::NotWritten, 1, "The command could not be written to COM 3."}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Conversations that end early ----

TEST(MessageEnd, ALaterCommandThePortRefusesEndsTheConversation)
{
    Conversation<DefaultMessageSession> talk;
    QObject::connect(talk.session.get(), &session::MessageSession::written, talk.session.get(),
                     [&] { talk.port->refuseWrites(true); });
    ASSERT_TRUE(talk.session->upload(2, message(QString(), true, true)).ok());
    ASSERT_TRUE(talk.runToEnd());
    EXPECT_EQ(talk.commands(), QStringList{"<del id=def>"});
    EXPECT_EQ(talk.outcome->end, MessageOutcome::End::Failed);
    EXPECT_EQ(talk.outcome->text, QStringLiteral("The command could not be written to COM 2."));
    EXPECT_FALSE(talk.port->isOpen());
    EXPECT_FALSE(talk.session->SleepTimer.isActive());
}

struct Loss {
    const char *name;
    std::function<void(Conversation<DefaultMessageSession> &)> lose;  // how far it got when the line goes
    QStringList written;
};

void PrintTo(const Loss &c, std::ostream *out) { *out << c.name; }

class LostConnection : public ::testing::TestWithParam<Loss> {};

TEST_P(LostConnection, EndsTheConversationWithTheReasonAndNothingMoreIsWritten)
{
    Conversation<DefaultMessageSession> talk;
    ASSERT_TRUE(talk.session->upload(1, message(QString(), true, true)).ok());
    GetParam().lose(talk);
    ASSERT_TRUE(talk.runToEnd());
    EXPECT_EQ(talk.outcome->end, MessageOutcome::End::Lost);
    EXPECT_EQ(talk.outcome->text, QStringLiteral("The connection to the sign was lost: unplugged"));
    EXPECT_EQ(talk.finishings, 1);
    QTest::qWait(100);
    EXPECT_EQ(talk.commands(), GetParam().written);
    EXPECT_FALSE(talk.session->SleepTimer.isActive());
    EXPECT_FALSE(talk.session->ComClose.isActive());
}

INSTANTIATE_TEST_SUITE_P(
    Moments, LostConnection,
    ::testing::Values(
        Loss{"InAPause",
             [](auto &t) {
                 ASSERT_TRUE(QTest::qWaitFor([&] { return t.sleepTicks() >= 5; }));
                 t.port->failWhileOpen(QStringLiteral("unplugged"));
             },
             {"<del id=def>"}},
        Loss{"InTheCountdown",
             [](auto &t) {
                 ASSERT_TRUE(QTest::qWaitFor([&] { return t.sentAfterTicks.has_value(); }, 3000));
                 t.port->failWhileOpen(QStringLiteral("unplugged"));
             },
             {"<del id=def>", "<TIME f=1 c=2 s=0 a=0 sp=0 p=0 fm=3>IDLE ON", "RESET"}}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- The face going away ----

struct Leaving {
    const char *name;
    std::function<void(Conversation<DefaultMessageSession> &)> leave;
};

void PrintTo(const Leaving &c, std::ostream *out) { *out << c.name; }

class LeftMidway : public ::testing::TestWithParam<Leaving> {};

TEST_P(LeftMidway, LetsThePortGoAndSaysNothingMore)
{
    Conversation<DefaultMessageSession> talk;
    ASSERT_TRUE(talk.session->upload(1, message(QString(), true, true)).ok());
    ASSERT_TRUE(QTest::qWaitFor([&] { return talk.sleepTicks() >= 5; }));
    GetParam().leave(talk);
    EXPECT_FALSE(talk.port->isOpen());
    QTest::qWait(300);
    EXPECT_EQ(talk.commands(), QStringList{"<del id=def>"});
    EXPECT_EQ(talk.finishings, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, LeftMidway,
    ::testing::Values(Leaving{"Aborted", [](auto &t) { t.session->abort(); }},
                      // The window that held it was closed and destroyed.
                      Leaving{"SessionDestroyed", [](auto &t) { t.session.reset(); }}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Reading the default message ----

struct ReadEnd {
    const char *name;
    QByteArrayList lines;  // the sign's answers while the read waits
    std::function<void(DefaultMessageSession &)> prepare;
    const char *text;      // the outcome's sentence
    bool dump;
    int dumps;             // dumps reported
};

void PrintTo(const ReadEnd &c, std::ostream *out) { *out << c.name; }

class ReadEnding : public ::testing::TestWithParam<ReadEnd> {};

TEST_P(ReadEnding, SaysWhatCameOfIt)
{
    const ReadEnd &c = GetParam();
    Conversation<DefaultMessageSession> talk;
    if (c.prepare)
        c.prepare(*talk.session);
    ASSERT_TRUE(talk.session->read(3).ok());
    EXPECT_TRUE(talk.session->awaitingAnswer());
    for (const QByteArray &line : c.lines)
        talk.answer(line);
    talk.closeNow();
    ASSERT_TRUE(talk.runToEnd());
    EXPECT_EQ(talk.outcome->end, MessageOutcome::End::Closed);
    EXPECT_EQ(talk.outcome->text, QString::fromLatin1(c.text));
    EXPECT_EQ(talk.outcome->dump.has_value(), c.dump);
    EXPECT_EQ(talk.dumps.size(), c.dumps);
    EXPECT_FALSE(talk.session->awaitingAnswer());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ReadEnding,
    ::testing::Values(
        ReadEnd{"Silent", {}, {}, "No answer from the sign on COM 3. Check the cable, the power and the COM number.",
                false, 0},
        ReadEnd{"OtherAnswer", {"error"}, {}, "The sign on COM 3 answered, but did not send its default message.",
                false, 0},
        ReadEnd{"DumpWithoutItsMessage", {"PN360:1,2,3"}, {},
                "The sign on COM 3 answered, but did not send its default message.", false, 1},
        ReadEnd{"Message", {"PN360:1,2,3,4,5,6,0,0,Hello"}, {}, "", true, 1},
        ReadEnd{"OnlyTheFirstAnswerIsTaken", {"PN360:1,2,3,4,5,6,0,0,Hello", "PN360:1,2,3,4,5,6,0,0,Again"}, {}, "",
                true, 1},
        ReadEnd{"SilentOnAPortNamedByTheCommandLine", {},
                [](auto &s) { s.setPortLabel(QStringLiteral("/dev/ttyUSB0")); },
                "No answer from the sign on /dev/ttyUSB0. Check the cable, the power and the COM number.", false, 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(MessageRead, EndedAtItsAnswerLetsThePortGoThere)
{
    Conversation<DefaultMessageSession> talk;
    talk.session->setEndReadAtAnswer(true);
    ASSERT_TRUE(talk.session->read(1).ok());
    talk.answer("done");
    EXPECT_FALSE(talk.outcome.has_value());
    talk.answer("RW2290:65,66,67,49,50,48,0,0,Hi");
    ASSERT_TRUE(talk.outcome.has_value());
    EXPECT_FALSE(talk.portOpenWhenFinished);
    EXPECT_FALSE(talk.session->ComClose.isActive());
    EXPECT_FALSE(talk.session->SleepTimer.isActive());
    ASSERT_TRUE(talk.outcome->dump.has_value());
    EXPECT_EQ(talk.outcome->dump->text, QStringLiteral("Hi"));
    EXPECT_EQ(talk.outcome->dump->font, 1);
    EXPECT_TRUE(talk.outcome->acknowledged);
}

TEST(MessageRead, AnUnfinishedLineFromBeforeIsNoPartOfTheAnswer)
{
    Conversation<DefaultMessageSession> talk;
    ASSERT_TRUE(talk.link->open(1).ok());
    talk.port->feedNow("PN36");
    talk.link->close();
    ASSERT_TRUE(talk.session->read(1).ok());
    talk.answer("PN360:1,2,3,4,5,6,0,0,Hello");
    ASSERT_EQ(talk.dumps.size(), 1);
    EXPECT_EQ(talk.dumps[0].model, QStringLiteral("PN360"));
}

} // namespace
