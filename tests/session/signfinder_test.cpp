// Find Sign as the engine runs it: which ports it opens, what it writes to them, and what it
// makes of their answers. The pseudo-terminal and simulator version is in the Ports dialog's
// tests.
#include "session/signfinder.h"

#include "ptypair.h"
#include "qtprinters.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTimer>

#include <map>

namespace {

using Outcome = session::ProbeResult::Outcome;
using signlink::OpenError;

// What the port of one COM number does.
struct Script {
    signlink::OpenResult opening;  // what open() returns
    QByteArray reply;              // sent back once something was written
    bool dropAfterWrite = false;   // the line goes dead after the request
};

// Everything the ports saw, kept by the test since the finder lets each port go.
struct Log {
    std::map<int, QByteArray> written;  // by COM number
    QList<int> opened;
    int openNow = 0;
    int mostOpenAtOnce = 0;
};

// A port that plays its COM number's script and answers after the request, from the event loop.
class ScriptedPort final : public signlink::SignPort {
public:
    ScriptedPort(const std::map<int, Script> &scripts, Log &log) : m_scripts(scripts), m_log(log) {}
    ~ScriptedPort() override { close(); }

    signlink::OpenResult open() override
    {
        const auto found = m_scripts.find(commPort());
        m_script = found == m_scripts.end() ? Script{} : found->second;
        if (!m_script.opening.ok())
            return m_script.opening;
        m_open = true;
        m_log.opened.append(commPort());
        m_log.mostOpenAtOnce = std::max(m_log.mostOpenAtOnce, ++m_log.openNow);
        return {};
    }
    void close() override
    {
        if (!m_open)
            return;
        m_open = false;
        --m_log.openNow;
    }
    bool isOpen() const override { return m_open; }
    qint64 inBufferCount() const override { return m_in.size(); }
    char input() override
    {
        if (m_in.isEmpty())
            return 0;
        const char c = m_in.front();
        m_in.remove(0, 1);
        return c;
    }

protected:
    bool writeBytes(const QByteArray &bytes) override
    {
        m_log.written[commPort()] += bytes;
        QTimer::singleShot(0, this, [this] {
            if (m_script.dropAfterWrite) {
                close();
                emit connectionLost(QStringLiteral("Input/output error"));
            } else if (m_open && !m_script.reply.isEmpty()) {
                m_in += m_script.reply;
                emit received();
            }
        });
        return true;
    }

private:
    const std::map<int, Script> &m_scripts;
    Log &m_log;
    Script m_script;
    QByteArray m_in;
    bool m_open = false;
};

signlink::ComPortInfo device(int com, bool present = true)
{
    signlink::ComPortInfo port;
    port.comNumber = com;
    port.present = present;
    port.devicePath = QStringLiteral("/dev/ttyUSB%1").arg(com);
    return port;
}

const QByteArray Dump = "RW2290,41:64,65,66,50,49,51,21,30\n";

Script answering(const QByteArray &reply) { return {{}, reply, false}; }
Script refusing(OpenError error, const char *text) { return {{error, QString::fromLatin1(text)}, {}, false}; }

class SignFinderTest : public ::testing::Test {
protected:
    QList<session::ProbeResult> run(const QList<signlink::ComPortInfo> &ports)
    {
        QSignalSpy finished(&finder, &session::SignFinder::finished);
        finder.start(ports);
        EXPECT_TRUE(finished.wait(15000));
        EXPECT_FALSE(finder.isRunning());
        return finder.results();
    }

    std::map<int, Script> scripts;
    Log log;
    session::SignFinder finder{[this] { return std::make_unique<ScriptedPort>(scripts, log); }};
};

struct ProbeCase {
    const char *name;
    Script script;
    Outcome outcome;
    const char *summary;
    const char *reason;
    bool requestSent;
};

class OnePort : public SignFinderTest, public ::testing::WithParamInterface<ProbeCase> {};

TEST_P(OnePort, SaysWhatAnsweredAndWritesOnlyToPortsItCouldOpen)
{
    const ProbeCase &c = GetParam();
    scripts[5] = c.script;
    const QList<session::ProbeResult> results = run({device(5)});
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].comNumber, 5);
    EXPECT_EQ(results[0].outcome, c.outcome);
    EXPECT_EQ(results[0].summary(), QString::fromLatin1(c.summary));
    EXPECT_EQ(results[0].reason, QString::fromLatin1(c.reason));
    EXPECT_EQ(log.written[5], c.requestSent ? QByteArray("DOWNLOAD_ALL\r") : QByteArray());
    EXPECT_EQ(log.openNow, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, OnePort,
    ::testing::Values(
        ProbeCase{"Sign", answering(Dump), Outcome::Found, "RW2290, build 41", "", true},
        ProbeCase{"SignEchoingTheRequestWithoutBuild", answering("DOWNLOAD_ALL\r\nQB7:64,65\r\n"), Outcome::Found, "QB7", "",
                  true},
        ProbeCase{"Silent", answering({}), Outcome::NoAnswer, "no answer", "", true},
        ProbeCase{"ModemSaysOk", answering("OK\r\n"), Outcome::OtherAnswer, "answered, but not as a sign", "", true},
        ProbeCase{"NoiseWithoutLineFeed", answering(QByteArray("\x00\xff\x13:x", 5)), Outcome::OtherAnswer,
                  "answered, but not as a sign", "", true},
        ProbeCase{"HeaderWithoutModel", answering("\x01:\n"), Outcome::OtherAnswer, "answered, but not as a sign", "", true},
        ProbeCase{"HeldByAnotherProgram", refusing(OpenError::Busy, "COM 5 (/dev/ttyUSB0) is in use by another program."),
                  Outcome::Busy, "busy", "COM 5 (/dev/ttyUSB0) is in use by another program.", false},
        ProbeCase{"PermissionDenied", refusing(OpenError::PermissionDenied, "Permission denied on /dev/ttyUSB0."),
                  Outcome::Failed, "failed", "Permission denied on /dev/ttyUSB0.", false},
        ProbeCase{"UnpluggedSinceTheList", refusing(OpenError::NoSuchPort, "COM 5 (/dev/ttyUSB0) does not exist."),
                  Outcome::Absent, "not present", "COM 5 (/dev/ttyUSB0) does not exist.", false},
        ProbeCase{"UnpluggedDuringTheProbe", Script{{}, {}, true}, Outcome::Failed, "failed",
                  "COM 5: the connection was lost: Input/output error", true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(SignFinderTest, TriesOnePortAtATimeInOrderAndOpensOnlyPresentDevices)
{
    scripts[2] = answering(Dump);
    scripts[4] = answering("QB7,7:1\n");
    scripts[6] = refusing(OpenError::Busy, "busy");
    signlink::ComPortInfo network = device(3);
    network.kind = signlink::PortEntry::Kind::Network;
    network.networkAddress = signlink::NetworkAddress{signlink::NetworkAddress::Protocol::RawTcp, QStringLiteral("sign"), 4001};
    signlink::ComPortInfo unusable = device(5);
    unusable.kind = signlink::PortEntry::Kind::Invalid;
    unusable.problem = QStringLiteral("COM 5: \"tcp://sign\" is not a network address (the port is missing after the host).");

    QList<int> announced;
    QObject::connect(&finder, &session::SignFinder::probed, &finder,
            [&](const session::ProbeResult &result) { announced.append(result.comNumber); });
    // COM 7 reaches COM 2's device by another name.
    signlink::ComPortInfo again = device(7);
    again.devicePath = device(2).devicePath;
    const QList<session::ProbeResult> results =
        run({device(1, false), device(2), network, device(4), unusable, device(6), again});

    EXPECT_EQ(announced, (QList<int>{1, 2, 3, 4, 5, 6, 7}));
    ASSERT_EQ(results.size(), 7);
    const Outcome expected[] = {Outcome::Absent,    Outcome::Found, Outcome::NotProbed, Outcome::Found,
                                Outcome::NotProbed, Outcome::Busy,  Outcome::Found};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(results[i].outcome, expected[i]) << "COM " << i + 1;
    EXPECT_EQ(results[2].reason, QStringLiteral("COM 3 is the network address tcp://sign:4001; Find Sign searches serial ports only."));
    EXPECT_EQ(results[4].reason, unusable.problem);
    EXPECT_EQ(results[3].summary(), QStringLiteral("QB7, build 7"));
    EXPECT_EQ(results[6].summary(), QStringLiteral("RW2290, build 41"));
    EXPECT_EQ(results[6].sameAs, 2);
    EXPECT_EQ(results[6].reason,
              QStringLiteral("COM 7 opens the same device as COM 2 (/dev/ttyUSB2); it was asked once for both."));
    EXPECT_EQ(log.opened, (QList<int>{2, 4}));
    EXPECT_EQ(log.mostOpenAtOnce, 1);
    EXPECT_EQ(log.openNow, 0);
}

TEST_F(SignFinderTest, CancelledWhileWaitingClosesThePortAndGoesNoFurther)
{
    QSignalSpy finished(&finder, &session::SignFinder::finished);
    QSignalSpy probing(&finder, &session::SignFinder::probing);
    finder.start({device(1), device(2)});
    ASSERT_TRUE(testsupport::waitUntil([&] { return log.openNow == 1; }));
    finder.cancel();
    EXPECT_FALSE(finder.isRunning());
    EXPECT_EQ(log.openNow, 0);
    // Given the time the next port would have taken, nothing else happens.
    QSignalSpy probed(&finder, &session::SignFinder::probed);
    EXPECT_FALSE(probed.wait(session::SignFinder::AnswerTimeoutMs + 200));
    EXPECT_EQ(probing.count(), 1);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(log.opened, QList<int>{1});
}

} // namespace
