// The configuration conversation on a scripted port, in virtual time: what goes out, in which
// order and when, and what the answers and the line do to it.
#include "session/configsession.h"

#include "fakesignport.h"
#include "qtprinters.h"
#include "timerclock.h"

#include "protocol/commands.h"
#include "session/sentences.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace {

using namespace Qt::Literals::StringLiterals;
using session::ConfigSession;

// A command as the sign received it (its CR taken off) and when, in ms from the start.
struct Sent {
    int at;
    QString command;
    friend bool operator==(const Sent &, const Sent &) = default;
    friend void PrintTo(const Sent &sent, std::ostream *os) { *os << sent.at << " ms " << sent.command.toStdString(); }
};

class ConfigSessionTest : public ::testing::Test {
public:
    ConfigSessionTest()
    {
        auto fake = std::make_unique<testsupport::FakeSignPort>();
        port = fake.get();
        link = std::make_unique<signlink::SignLink>(std::move(fake));
        for (config::PriorityDefaults &row : values.priorities)
            row = {1, 1, 1, 1, 1, 1, 1, u"10"_s};
        values.links[0] = {u"1000"_s, 1};
        // The sign holds these values: only what a test flags or changes differs.
        config::getChangedRows(values, config.baseline, config.flags);
        config.flags = {};
        session = std::make_unique<ConfigSession>(*link, config, [this] { return values; });
        clock = std::make_unique<testsupport::TimerClock>(QList<QTimer *>{
            &session->ComClose, &session->UploadTimer, &session->FactoryDef, &session->SleepTimer,
            &session->ReadBackTimer});
    }

    // Nothing runs, nothing waits for its pause to end, and the port is closed.
    bool idle() const { return !session->busy() && !session->SleepTimer.isActive() && !port->isOpen(); }
    // Every write since the last call, stamped with the time now.
    void note()
    {
        for (; noted < port->writes.size(); ++noted) {
            const QByteArray &write = port->writes.at(noted);
            EXPECT_TRUE(write.endsWith('\r') && write.count('\r') == 1) << write.toStdString();
            sent.append({clock->now(), QString::fromLatin1(write.chopped(1))});
        }
    }
    // Moves time on until `done`.
    bool runUntil(const std::function<bool()> &done, int limitMs = 20000)
    {
        note();
        return clock->advanceUntil([&] { note(); return done(); }, limitMs);
    }
    bool runToIdle() { return runUntil([this] { return idle(); }); }

    QString linkOf(int id) const { return protocol::linkCommand(id, values.links[id].capcode, values.links[id].priority); }

    testsupport::FakeSignPort *port = nullptr;
    std::unique_ptr<signlink::SignLink> link;
    config::SignConfig config;
    config::ConfigValues values;
    std::unique_ptr<ConfigSession> session;
    std::unique_ptr<testsupport::TimerClock> clock;
    QList<Sent> sent;
    qsizetype noted = 0;
};

TEST_F(ConfigSessionTest, ForceUploadSendsAnItemATickAndEachLinkInTwoStepsWithAGap)
{
    values.links[3] = {u"5550003"_s, 2};
    QList<session::UploadOutcome> ended;
    QObject::connect(session.get(), &ConfigSession::uploadEnded, [&](const auto &outcome) { ended.append(outcome); });
    ASSERT_TRUE(session->startUpload(1, true).started);
    ASSERT_TRUE(runToIdle());

    QList<Sent> expected;
    for (int n = 0; n < config::PriorityCount; ++n)
        expected.append({500 * (n + 1), config.uploadCommands[n]});
    expected.append({3000, protocol::idModeCommand(false)});
    expected.append({3500, protocol::userCommand(QString())});
    for (int id = 0; id < config::LinkCount; ++id) {
        const int tick = 4000 + 500 * id;
        // A link is first removed, and set 150 ms later; an empty one is only removed, after the gap.
        if (!values.links[id].capcode.isEmpty())
            expected.append({tick, protocol::removeLinkCommand(id)});
        expected.append({tick + 150, values.links[id].capcode.isEmpty() ? protocol::removeLinkCommand(id) : linkOf(id)});
    }
    EXPECT_EQ(sent, expected);
    // The tick after the last item ends it.
    EXPECT_EQ(clock->now(), 8000);
    ASSERT_EQ(ended.size(), 1);
    EXPECT_TRUE(ended.front().completed);
    EXPECT_FALSE(config.flags.any());
}

// What may happen between a link's removal and the link itself.
struct InTheGap {
    const char *name;
    std::function<void(ConfigSessionTest &)> happen;
    QList<Sent> expected;    // from the removal of link 0 on
    bool linkStaysFlagged;   // the link goes again with the next upload
    QString stopText;
};

class LinkGap : public ConfigSessionTest, public ::testing::WithParamInterface<InTheGap> {};

TEST_P(LinkGap, KeepsTheOrderAndTheTimeOfWhatFollows)
{
    config.flags.setItem(config::FirstLinkItem, true);
    config.flags.setItem(config::FirstLinkItem + 1, true);
    values.links[1] = {u"77"_s, 3};
    QList<session::UploadOutcome> ended;
    QObject::connect(session.get(), &ConfigSession::uploadEnded, [&](const auto &outcome) { ended.append(outcome); });
    ASSERT_TRUE(session->startUpload(1, false).started);
    ASSERT_TRUE(runUntil([this] { return port->writes.size() == 1; }));
    ASSERT_EQ(clock->now(), 500);
    clock->advance(50);
    GetParam().happen(*this);
    ASSERT_TRUE(runToIdle());

    EXPECT_EQ(sent, GetParam().expected);
    ASSERT_EQ(ended.size(), 1);
    EXPECT_EQ(ended.front().stopText, GetParam().stopText);
    EXPECT_EQ(config.flags.item(config::FirstLinkItem), GetParam().linkStaysFlagged);
}

const QString Removal0 = protocol::removeLinkCommand(0);
const QString Link0 = protocol::linkCommand(0, u"1000"_s, 1);
const QString Removal1 = protocol::removeLinkCommand(1);
const QString Link1 = protocol::linkCommand(1, u"77"_s, 3);

INSTANTIATE_TEST_SUITE_P(
    Events, LinkGap,
    ::testing::Values(
        InTheGap{"Nothing", [](ConfigSessionTest &) {},
                 {{500, Removal0}, {650, Link0}, {1000, Removal1}, {1150, Link1}}, false, {}},
        InTheGap{"AnAnswer", [](ConfigSessionTest &t) { t.port->feed("delinked\n"); },
                 {{500, Removal0}, {650, Link0}, {1000, Removal1}, {1150, Link1}}, false, {}},
        // The sign refused the removal: the link goes again next time, though its second step went.
        InTheGap{"ARefusal", [](ConfigSessionTest &t) { t.port->feed("error\n"); },
                 {{500, Removal0}, {650, Link0}, {1000, Removal1}, {1150, Link1}}, true, {}},
        // A switch begun in the gap counts its 20 ticks afresh; the link waits for it, and the
        // port stays the upload's.
        InTheGap{"ASwitch", [](ConfigSessionTest &t) { t.session->switchIdMode(1, true); },
                 {{500, Removal0}, {550, u"<id=auto>"_s}, {750, Link0}, {1000, Removal1}, {1150, Link1}}, false, {}},
        // Ticks quicker than the gap are let go until the link is out; the next item takes the
        // first tick after it.
        InTheGap{"QuickTicks", [](ConfigSessionTest &t) {
                     t.session->UploadTimer.stop();
                     t.clock->look();
                     t.session->UploadTimer.start(20);
                     t.clock->look();
                 },
                 {{500, Removal0}, {650, Link0}, {670, Removal1}, {820, Link1}}, false, {}},
        InTheGap{"TheLineFails", [](ConfigSessionTest &t) { t.port->failWhileOpen(u"gone"_s); },
                 {{500, Removal0}}, true, session::connectionLostText(u"gone"_s)}),
    [](const auto &info) { return std::string(info.param.name); });

struct Switch {
    const char *name;
    std::function<signlink::OpenResult(ConfigSession &, const std::function<void()> &)> start;
    QString command;
};

class OneSetting : public ConfigSessionTest, public ::testing::WithParamInterface<Switch> {};

TEST_P(OneSetting, GoesAtOnceAndThePortClosesTwentyTicksLater)
{
    bool openWhenTold = false;
    ASSERT_TRUE(GetParam().start(*session, [&] { openWhenTold = port->isOpen() && port->writes.isEmpty(); }).ok());
    EXPECT_TRUE(openWhenTold);
    EXPECT_EQ(session->activity(), ConfigSession::Activity::Switching);
    ASSERT_TRUE(runToIdle());
    EXPECT_EQ(sent, (QList<Sent>{{0, GetParam().command}}));
    EXPECT_EQ(clock->now(), 200);
    EXPECT_EQ(port->closeCount, 1);
}

TEST_P(OneSetting, DuringAReadLeavesThePortToTheRead)
{
    ASSERT_TRUE(session->startRead(1).ok());
    note();
    clock->advance(100);
    ASSERT_TRUE(GetParam().start(*session, {}).ok());
    ASSERT_TRUE(runUntil([this] { return session->activity() == ConfigSession::Activity::Reading; }));
    EXPECT_TRUE(port->isOpen());
    ASSERT_TRUE(runToIdle());
    EXPECT_EQ(sent, (QList<Sent>{{0, protocol::readConfigurationCommand()}, {100, GetParam().command}}));
    EXPECT_EQ(clock->now(), 400);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, OneSetting,
    ::testing::Values(
        Switch{"AutoId", [](ConfigSession &s, const auto &opened) { return s.switchIdMode(1, true, opened); }, u"<id=auto>"_s},
        Switch{"UserId", [](ConfigSession &s, const auto &opened) { return s.switchIdMode(1, false, opened); }, u"<id=user>"_s},
        Switch{"ForcedOn", [](ConfigSession &s, const auto &opened) { return s.switchForcedId(1, true, opened); },
               protocol::forceId0OnCommand()},
        Switch{"ForcedOff", [](ConfigSession &s, const auto &opened) { return s.switchForcedId(1, false, opened); },
               protocol::forceIdOffCommand()}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ConfigSessionTest, FactoryDefaultsAreReadBackHalfASecondLater)
{
    ASSERT_TRUE(session->startFactoryDefaults(1).started());
    ASSERT_TRUE(runUntil([this] { return port->writes.size() == 2; }));
    EXPECT_EQ(port->closeCount, 1);
    ASSERT_TRUE(runToIdle());
    EXPECT_EQ(sent, (QList<Sent>{{0, protocol::factoryDefaultsCommand()}, {500, protocol::readConfigurationCommand()}}));
    EXPECT_EQ(clock->now(), 900);
}

TEST_F(ConfigSessionTest, ADumpDuringAnUploadIsNotTakenAndTheRestStillGoes)
{
    config.flags.setItem(0, true);
    config.flags.setItem(1, true);
    QStringList said;
    QObject::connect(session.get(), &ConfigSession::status, [&](const QString &text) { said.append(text); });
    QObject::connect(session.get(), &ConfigSession::configurationRead, [] { ADD_FAILURE() << "dump taken in"; });
    ASSERT_TRUE(session->startUpload(1, false).started);
    ASSERT_TRUE(runUntil([this] { return port->writes.size() == 1; }));
    port->feed("KT420,7:1,1,1\n");
    ASSERT_TRUE(runToIdle());
    EXPECT_EQ(sent.size(), 2);
    EXPECT_TRUE(said.contains(u"The sign sent its configuration during the upload; it was not applied, "
                              u"and the items not yet sent still go."_s));
}

TEST_F(ConfigSessionTest, VerifyThatHearsNothingEndsAfterThreeSecondsNotVerified)
{
    session->setVerifyAfterUpload(true);
    config.flags.setItem(2, true);
    QList<session::VerifyOutcome> verified;
    QObject::connect(session.get(), &ConfigSession::verifyEnded, [&](const auto &outcome) { verified.append(outcome); });
    ASSERT_TRUE(session->startUpload(1, false).started);
    ASSERT_TRUE(runToIdle());
    EXPECT_EQ(sent, (QList<Sent>{{500, config.uploadCommands[2]}, {1000, protocol::readConfigurationCommand()}}));
    EXPECT_EQ(clock->now(), 4000);
    ASSERT_EQ(verified.size(), 1);
    EXPECT_EQ(verified.front().result, session::VerifyOutcome::Result::NotVerified);
}

// Values that must not go out, and the words that name why.
struct Unsafe {
    const char *name;
    std::function<void(config::ConfigValues &)> edit;
    const char *words;
};

class UploadRefusal : public ConfigSessionTest, public ::testing::WithParamInterface<Unsafe> {};

TEST_P(UploadRefusal, SendsNothingOpensNothingAndSaysWhy)
{
    GetParam().edit(values);
    const ConfigSession::UploadStart start = session->startUpload(1, true);
    EXPECT_FALSE(start.started);
    ASSERT_TRUE(start.refusal.has_value());
    EXPECT_TRUE(start.refusal->startsWith(QString::fromUtf8(GetParam().words))) << start.refusal->toStdString();
    EXPECT_EQ(port->openAttempts, 0);
    EXPECT_TRUE(port->writes.isEmpty());
    // Force Upload marks nothing when it is refused.
    EXPECT_FALSE(config.flags.any());
}

INSTANTIATE_TEST_SUITE_P(
    Values, UploadRefusal,
    ::testing::Values(
        // What follows a line break would reach the sign as a command of its own.
        Unsafe{"UserCommandWithACarriageReturn", [](auto &v) { v.userCommand = u"RESET\r<FD>"_s; },
               "The user defined reset command holds a carriage return"},
        Unsafe{"UserCommandWithALineFeed", [](auto &v) { v.userCommand = u"RESET\n<FD>"_s; },
               "The user defined reset command holds a line feed"},
        Unsafe{"CapcodeWithACarriageReturn", [](auto &v) { v.links[3].capcode = u"1\r<FD>"_s; },
               "The capcode of ID 3 holds a carriage return"},
        Unsafe{"CapcodeWithALineFeed", [](auto &v) { v.links[3].capcode = u"1\n<FD>"_s; },
               "The capcode of ID 3 holds a line feed"},
        Unsafe{"UserCommandBeyondLatin1", [](auto &v) { v.userCommand = u"RESET\u20ac"_s; },
               "The user defined reset command holds the character"},
        Unsafe{"TimeoutNoNumber", [](auto &v) { v.priorities[2].timeout = u"1.5"_s; },
               "The timeout of priority 2"}),
    [](const auto &info) { return std::string(info.param.name); });

// The check on its own, as after an upload that found nothing to send.
struct VerifyCase {
    const char *name;
    QByteArray answer;  // fed right after the request; empty: nothing
    session::VerifyOutcome::Result result;
    int endsAt;
    const char *reason;  // part of it; the port is named "sign-a"
};

class StartVerify : public ConfigSessionTest, public ::testing::WithParamInterface<VerifyCase> {};

TEST_P(StartVerify, AsksOnceAndEndsWithinTheReadBackLimit)
{
    QList<session::VerifyOutcome> verified;
    QObject::connect(session.get(), &ConfigSession::verifyEnded, [&](const auto &outcome) { verified.append(outcome); });
    port->setName(u"sign-a"_s);
    ASSERT_TRUE(session->startVerify(1).ok());
    EXPECT_EQ(session->activity(), ConfigSession::Activity::Verifying);
    if (!GetParam().answer.isEmpty())
        port->feed(GetParam().answer);
    ASSERT_TRUE(runToIdle());
    EXPECT_EQ(sent, (QList<Sent>{{0, protocol::readConfigurationCommand()}}));
    EXPECT_EQ(clock->now(), GetParam().endsAt);
    ASSERT_EQ(verified.size(), 1);
    EXPECT_EQ(verified.front().result, GetParam().result);
    EXPECT_TRUE(verified.front().reason.contains(QString::fromUtf8(GetParam().reason))) << verified.front().reason.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Answers, StartVerify,
    ::testing::Values(VerifyCase{"NoAnswer", {}, session::VerifyOutcome::Result::NotVerified, 3000,
                                 "No answer from the sign on sign-a."},
                      VerifyCase{"OnlyAnAcknowledgement", "done\n", session::VerifyOutcome::Result::NotVerified, 3000,
                                 "The sign on sign-a answered, but did not send its configuration."},
                      VerifyCase{"HalfALine", "KT420,7:1", session::VerifyOutcome::Result::NotVerified, 3000,
                                 "The answer of the sign on sign-a was cut off"},
                      // A dump that stops after the model: nothing to confirm, and it ends the wait.
                      VerifyCase{"CutDump", "KT420,7:1,1\n", session::VerifyOutcome::Result::NotVerified, 0,
                                 "The sign's answer was incomplete"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ConfigSessionTest, VerifyOnAPortThatWillNotOpenSendsNothingAndEndsNothing)
{
    port->failNextOpens({signlink::OpenError::Busy, u"busy"_s});
    QObject::connect(session.get(), &ConfigSession::verifyEnded, [] { ADD_FAILURE() << "verifyEnded"; });
    EXPECT_FALSE(session->startVerify(1).ok());
    EXPECT_TRUE(port->writes.isEmpty());
    EXPECT_FALSE(session->busy());
}

} // namespace
