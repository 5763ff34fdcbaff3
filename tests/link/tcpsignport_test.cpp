// The sign port on a network serial server, against servers in the test: raw TCP passes the
// bytes as they are, RFC 2217 sets the line up and escapes IAC, and every failure is said in
// words that name the COM number and the address.
#include "link/tcpsignport.h"

#include "ptypair.h"
#include "scriptedserver.h"
#include "serialserver.h"

#include "qtprinters.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

using signlink::NetworkAddress;
using signlink::OpenError;
using signlink::TcpSignPort;
using testsupport::ScriptedServer;
using testsupport::waitUntil;
using Protocol = NetworkAddress::Protocol;

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out += char(v);
    return out;
}

// Reads every character the port delivers, as a window's receive handler does.
QByteArray drain(signlink::SignPort &port)
{
    QByteArray seen;
    while (port.inBufferCount() >= 1)
        seen += port.input();
    return seen;
}

class RawTcpPort : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        port.setCommPort(3);
        port.setAddress({Protocol::RawTcp, QStringLiteral("127.0.0.1"), server.serverPort()});
    }
    // Opens the port and returns the server's end of the connection.
    QTcpSocket *openAndAccept()
    {
        const signlink::OpenResult result = port.open();
        EXPECT_TRUE(result.ok()) << result.description.toStdString();
        if (!waitUntil([&] { return server.hasPendingConnections(); }))
            return nullptr;
        return server.nextPendingConnection();
    }

    QTcpServer server;
    TcpSignPort port;
};

TEST_F(RawTcpPort, PassesBytesUnchangedAndReadsOneCharacterAtATime)
{
    QTcpSocket *peer = openAndAccept();
    ASSERT_NE(peer, nullptr);
    EXPECT_TRUE(port.isOpen());
    const QByteArray command("<UC>\xFF\x00\xAA\r", 8);
    ASSERT_TRUE(port.output(command));
    QByteArray seen;
    ASSERT_TRUE(waitUntil([&] { seen += peer->readAll(); return seen.size() >= command.size(); }));
    EXPECT_EQ(seen, command);

    QSignalSpy received(&port, &signlink::SignPort::received);
    peer->write(QByteArray("ok\xFF\n"));
    ASSERT_TRUE(waitUntil([&] { return port.inBufferCount() >= 4; }));
    EXPECT_GE(received.count(), 1);
    EXPECT_EQ(port.input(), 'o');
    EXPECT_EQ(port.input(), 'k');
    EXPECT_EQ(port.input(), '\xFF');
    EXPECT_EQ(port.input(), '\n');
    EXPECT_EQ(port.inBufferCount(), 0);
}

TEST_F(RawTcpPort, CloseLetsEverythingWrittenGoFirst)
{
    QTcpSocket *peer = openAndAccept();
    ASSERT_NE(peer, nullptr);
    // Sixty commands of the longest length the sign takes, in one write.
    const QByteArray longCommand = (QByteArray(1000, 'x') + '\r').repeated(60);
    ASSERT_TRUE(port.output(longCommand));
    port.close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.output("late\r"));
    QByteArray seen;
    ASSERT_TRUE(waitUntil([&] {
        seen += peer->readAll();
        return peer->state() == QAbstractSocket::UnconnectedState;
    }));
    seen += peer->readAll();
    EXPECT_EQ(seen, longCommand);
}

TEST_F(RawTcpPort, ServerHangingUpIsALostConnectionOnceAndThePortOpensAgain)
{
    QTcpSocket *peer = openAndAccept();
    ASSERT_NE(peer, nullptr);
    QByteArray seen;
    QObject::connect(&port, &signlink::SignPort::received, [&] { seen += drain(port); });
    QSignalSpy lost(&port, &signlink::SignPort::connectionLost);
    peer->write("done\n");
    peer->flush();
    peer->disconnectFromHost();
    ASSERT_TRUE(lost.wait(5000));
    EXPECT_EQ(seen, QByteArray("done\n"));
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(lost.count(), 1);
    EXPECT_EQ(lost[0][0].toString(),
              QStringLiteral("COM 3: tcp://127.0.0.1:%1 closed the connection.").arg(server.serverPort()));
    EXPECT_FALSE(port.output("x\r"));

    QTcpSocket *again = openAndAccept();
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(port.output("DOWNLOAD_ALL\r"));
    ASSERT_TRUE(waitUntil([&] { return again->bytesAvailable() >= 13; }));
    // The old connection's end was reported once, not again on the new one.
    EXPECT_EQ(lost.count(), 1);
}

struct Failure {
    const char *name;
    Protocol protocol;
    QByteArray greeting;  // what the scripted server says, "none" for no server at all
    bool hangUp;          // the server hangs up after its greeting
    OpenError error;
    const char *sentence;  // %1 stands for the server's port
    bool tls = false;      // the address asks for TLS
};

class NetworkOpenFailure : public ::testing::TestWithParam<Failure> {};

TEST_P(NetworkOpenFailure, NamesTheComNumberAndTheAddress)
{
    const Failure &f = GetParam();
    std::optional<ScriptedServer> server;
    quint16 serverPort = 0;
    if (f.greeting == "none") {
        serverPort = testsupport::freePort();
    } else {
        server.emplace(f.greeting, f.hangUp);
        ASSERT_TRUE(server->isListening());
        serverPort = server->port();
    }
    TcpSignPort port;
    port.setCommPort(3);
    port.setAddress({f.protocol, QStringLiteral("127.0.0.1"), serverPort,
                     f.tls ? std::optional(signlink::TlsOptions()) : std::nullopt});
    QElapsedTimer clock;
    clock.start();
    const signlink::OpenResult result = port.open();
    EXPECT_EQ(result.error, f.error);
    EXPECT_EQ(result.description, QString::fromLatin1(f.sentence).arg(serverPort));
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.output("DOWNLOAD_ALL\r"));
    // A guard against a hang, not a speed target: the set-up gives up after 3 s.
    EXPECT_LT(clock.elapsed(), 6000);
}

const QByteArray Greeting = bytes({255, 253, 0, 255, 251, 0, 255, 253, 44});
// What the tool sends first, and the five line settings it asks for after the server's yes to
// the COM port option.
const QByteArray OpeningRequests = bytes({255, 251, 0, 255, 253, 0, 255, 251, 3, 255, 253, 3, 255, 251, 44});
const QByteArray SettingsRequests = bytes({255, 250, 44, 1, 0, 0, 0x25, 0x80, 255, 240, 255, 250, 44, 2, 8, 255, 240,
                                           255, 250, 44, 3, 1, 255, 240, 255, 250, 44, 4, 1, 255, 240, 255, 250, 44, 5, 1,
                                           255, 240});
QByteArray answers(int baudHigh, int baudLow)
{
    return bytes({255, 250, 44, 101, 0, 0, baudHigh, baudLow, 255, 240, 255, 250, 44, 102, 8, 255, 240, 255, 250, 44, 103, 1,
                  255, 240, 255, 250, 44, 104, 1, 255, 240, 255, 250, 44, 105, 1, 255, 240});
}

INSTANTIATE_TEST_SUITE_P(
    Servers, NetworkOpenFailure,
    ::testing::Values(
        Failure{"RawRefused", Protocol::RawTcp, "none", false, OpenError::Other,
                "COM 3: tcp://127.0.0.1:%1 refused the connection; check that the serial server runs and listens on "
                "that port."},
        Failure{"Rfc2217Refused", Protocol::Rfc2217, "none", false, OpenError::Other,
                "COM 3: rfc2217://127.0.0.1:%1 refused the connection; check that the serial server runs and listens "
                "on that port."},
        Failure{"SilentServer", Protocol::Rfc2217, "", false, OpenError::Other,
                "COM 3: rfc2217://127.0.0.1:%1 did not answer the serial port set-up within 3 seconds."},
        Failure{"RefusesNineSixHundredBaud", Protocol::Rfc2217, Greeting + answers(0x4B, 0x00), false, OpenError::Other,
                "COM 3: rfc2217://127.0.0.1:%1 will not set the line to 9600 baud (it answered 19200 baud)."},
        Failure{"GarbageThenNoBinary", Protocol::Rfc2217,
                bytes({255, 1, 255, 240, 255, 250, 99, 'x', 255, 240, 255, 251, 200, 255, 255, 'j', 255, 254, 0}), false,
                OpenError::Other,
                "COM 3: rfc2217://127.0.0.1:%1 will not pass the bytes unchanged (it refused telnet binary transmission)."},
        Failure{"PlainTcpServerNamedAsRfc2217", Protocol::Rfc2217, bytes({255, 254, 44}), false, OpenError::Other,
                "COM 3: rfc2217://127.0.0.1:%1 does not offer serial port control (RFC 2217); for a plain TCP server "
                "write tcp:// instead of rfc2217://."},
        Failure{"BusyServer", Protocol::Rfc2217, Greeting + "Port already in use\r\n", true, OpenError::Busy,
                "COM 3: rfc2217://127.0.0.1:%1 is in use by another program (the server said \"Port already in use\")."},
        Failure{"HangsUpDuringSetUp", Protocol::Rfc2217, Greeting, true, OpenError::Other,
                "COM 3: rfc2217://127.0.0.1:%1 closed the connection while the serial line was being set up."},
        Failure{"TlsRefused", Protocol::RawTcp, "none", false, OpenError::Other,
                "COM 3: tls://127.0.0.1:%1 refused the connection; check that the serial server runs and listens on "
                "that port.", true},
        Failure{"Rfc2217TlsRefused", Protocol::Rfc2217, "none", false, OpenError::Other,
                "COM 3: rfc2217+tls://127.0.0.1:%1 refused the connection; check that the serial server runs and "
                "listens on that port.", true},
        Failure{"NoTlsAnswer", Protocol::Rfc2217, "", false, OpenError::Other,
                "COM 3: rfc2217+tls://127.0.0.1:%1 did not answer the TLS handshake within 3 seconds; check that this "
                "port of the server speaks TLS.", true},
        Failure{"HangsUpDuringTlsHandshake", Protocol::RawTcp, "", true, OpenError::Other,
                "COM 3: tls://127.0.0.1:%1 closed the connection during the TLS handshake; check that this port of "
                "the server speaks TLS.", true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(NetworkOpenFailure, HostThatDoesNotResolveIsNoSuchPort)
{
    for (const std::optional<signlink::TlsOptions> &tls : {std::optional<signlink::TlsOptions>(), std::optional(signlink::TlsOptions())}) {
        TcpSignPort port;
        port.setCommPort(7);
        port.setAddress({Protocol::Rfc2217, QStringLiteral("sign.invalid"), 4001, tls});
        const signlink::OpenResult result = port.open();
        EXPECT_EQ(result.error, OpenError::NoSuchPort);
        EXPECT_EQ(result.description, QStringLiteral("COM 7: %1 cannot be reached: the host \"sign.invalid\" was not found.")
                                          .arg(tls ? QStringLiteral("rfc2217+tls://sign.invalid:4001")
                                                   : QStringLiteral("rfc2217://sign.invalid:4001")));
    }
}

TEST(Rfc2217Port, SetsUpTheLineAndKeepsEveryByteBothWays)
{
    ScriptedServer server(Greeting + answers(0x25, 0x80));
    ASSERT_TRUE(server.isListening());
    TcpSignPort port;
    port.setAddress({Protocol::Rfc2217, QStringLiteral("localhost"), server.port()});
    const signlink::OpenResult result = port.open();
    ASSERT_TRUE(result.ok()) << result.description.toStdString();
    // The requests went out, the settings after the server's yes to the COM port option.
    ASSERT_TRUE(waitUntil([&] { return server.received().contains(SettingsRequests); }));
    EXPECT_EQ(server.received(), OpeningRequests + SettingsRequests);

    const qsizetype before = server.received().size();
    ASSERT_TRUE(port.output(QByteArray("<UC>\xFF\r")));
    ASSERT_TRUE(waitUntil([&] { return server.received().size() >= before + 7; }));
    EXPECT_EQ(server.received().mid(before), QByteArray("<UC>\xFF\xFF\r"));

    QByteArray seen;
    QObject::connect(&port, &signlink::SignPort::received, [&] { seen += drain(port); });
    ASSERT_TRUE(server.send(bytes({255, 255, 'o', 255, 250, 44, 107, 0x30, 255, 240, 'k', 255, 241, '\n'})));
    ASSERT_TRUE(waitUntil([&] { return seen.size() >= 4; }));
    EXPECT_EQ(seen, QByteArray("\xFFok\n"));

    QSignalSpy lost(&port, &signlink::SignPort::connectionLost);
    server.hangUp();
    ASSERT_TRUE(lost.wait(5000));
    EXPECT_EQ(lost[0][0].toString(), QStringLiteral("COM 1: rfc2217://localhost:%1 closed the connection.").arg(server.port()));
    EXPECT_FALSE(port.isOpen());
}

// Servers that flood the tool. During the set-up each is given up on, with memory and time
// bounded whatever it sends; after it, one that breaks the protocol or takes nothing while it
// makes the tool answer is a lost connection, as an unplugged adapter is.
struct Flooding {
    const char *name;
    QByteArray greeting;
    ScriptedServer::Flood flood;
    const char *sentence;                // %1 stands for the server's port
    QList<QByteArray> answeredOnce = {};  // what the tool must have sent exactly once
};

class FloodingServer : public ::testing::TestWithParam<Flooding> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.isListening());
        port.setCommPort(3);
        port.setAddress({Protocol::Rfc2217, QStringLiteral("127.0.0.1"), server.port()});
    }
    QString sentence() const { return QString::fromLatin1(GetParam().sentence).arg(server.port()); }

    ScriptedServer server {GetParam().greeting, GetParam().flood};
    TcpSignPort port;
};

class FloodDuringSetUp : public FloodingServer {};

TEST_P(FloodDuringSetUp, IsGivenUpOnWithoutPilingUpAnswers)
{
    const signlink::OpenResult result = port.open();
    EXPECT_EQ(result.error, OpenError::Other);
    EXPECT_EQ(result.description, sentence());
    EXPECT_FALSE(port.isOpen());
    // Given up on while the data still came: the limit is a deadline, not a quiet spell.
    ASSERT_TRUE(waitUntil([&] { return server.clientLeftDuringFlood(); })) << "the client stayed until the flood ended";
    EXPECT_EQ(server.connections(), 1);
    // At most the opening requests, the settings and one refusal for each of two options went
    // out: a repeated offer is not answered again.
    const QByteArray said = server.received();
    EXPECT_LE(said.size(), OpeningRequests.size() + SettingsRequests.size() + 6) << said.left(200).toHex(' ').toStdString();
    for (const QByteArray &answer : GetParam().answeredOnce)
        EXPECT_EQ(said.count(answer), 1) << answer.toHex(' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Floods, FloodDuringSetUp,
    ::testing::Values(
        // Offers over and over of the COM port option, echo and suppress-go-ahead: each refusal
        // goes once, and the settings follow the first yes to the COM port option only.
        Flooding{"RepeatedOffers", {}, {bytes({255, 251, 44, 255, 253, 44, 255, 251, 1, 255, 253, 3}), true, {}},
                 "COM 3: rfc2217://127.0.0.1:%1 did not answer the serial port set-up within 3 seconds.",
                 {bytes({255, 254, 44}), bytes({255, 254, 1}), SettingsRequests}},
        Flooding{"EscapedIac", {}, {bytes({255, 255}), true, {}},
                 "COM 3: rfc2217://127.0.0.1:%1 did not answer the serial port set-up within 3 seconds."},
        Flooding{"SubnegotiationNeverEnded", bytes({255, 250, 44}), {"x", true, {}},
                 "COM 3: rfc2217://127.0.0.1:%1 broke the telnet protocol (it sent a sub-negotiation longer than 256 "
                 "bytes)."}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Rfc2217SetUp, GivesUpAtTheDeadlineThoughTheServerKeepsSending)
{
    ScriptedServer server({}, ScriptedServer::Flood {bytes({255, 255}), true, {}});
    ASSERT_TRUE(server.isListening());
    TcpSignPort port;
    port.setAddress({Protocol::Rfc2217, QStringLiteral("127.0.0.1"), server.port()});
    // A clock that stands still while the first megabyte of the flood goes, then jumps an hour.
    // Its first reading, where the deadline is set, is before the jump however fast the server
    // was: on a loaded machine the megabyte can be out before the port first looks.
    int readings = 0;
    int readingsAfterTheJump = 0;
    port.setClock([&]() -> qint64 {
        if (readings++ == 0 || server.flooded() < 1024 * 1024)
            return 0;
        ++readingsAfterTheJump;
        return 3600 * 1000;
    });
    const signlink::OpenResult result = port.open();
    EXPECT_EQ(result.description,
              QStringLiteral("COM 1: rfc2217://127.0.0.1:%1 did not answer the serial port set-up within 3 seconds.")
                  .arg(server.port()));
    // It gave up at its first look at the clock after the deadline, not at a pause in the data,
    // of which there was none.
    EXPECT_EQ(readingsAfterTheJump, 1);
    EXPECT_TRUE(waitUntil([&] { return server.clientLeftDuringFlood(); }));
}

class FloodWhileOpen : public FloodingServer {};

TEST_P(FloodWhileOpen, IsALostConnection)
{
    QSignalSpy lost(&port, &signlink::SignPort::connectionLost);
    const signlink::OpenResult result = port.open();
    ASSERT_TRUE(result.ok()) << result.description.toStdString();
    ASSERT_TRUE(port.output("go\r"));
    // A real event loop, which reads as fast as the application's would.
    ASSERT_TRUE(lost.wait(10000));
    EXPECT_EQ(lost[0][0].toString(), sentence());
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.output("go\r"));
    EXPECT_TRUE(waitUntil([&] { return server.clientLeftDuringFlood(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(lost.count(), 1);
}

// The flood begins once the client writes, which it does only once the line is set up.
INSTANTIATE_TEST_SUITE_P(
    Floods, FloodWhileOpen,
    ::testing::Values(
        Flooding{"SubnegotiationNeverEnded", Greeting + answers(0x25, 0x80),
                 {bytes({255, 250, 44}) + QByteArray(500, 'x'), true, "go\r"},
                 "COM 3: rfc2217://127.0.0.1:%1 broke the telnet protocol (it sent a sub-negotiation longer than 256 "
                 "bytes)."},
        Flooding{"OptionTurnedOnAndOffWhileReadingNothing", Greeting + answers(0x25, 0x80),
                 {bytes({255, 251, 3, 255, 252, 3}), false, "go\r"},
                 "COM 3: rfc2217://127.0.0.1:%1 does not take what is sent to it (more than 1024 KB wait to go out)."}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
