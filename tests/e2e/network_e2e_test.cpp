// The windows against a sign behind a network serial server: the simulated sign in raw TCP mode
// (signsim --tcp), and on a pseudo-terminal behind Debian's ser2net in RFC 2217 mode. What
// reaches the sign must be what reaches it over a pseudo-terminal, byte for byte; a server that
// goes away is a pulled cable; and every address that does not lead to a sign is said in words.
#include "comonesign.h"
#include "fakeuiservices.h"
#include "mainwindowdriving.h"
#include "portentryfile.h"
#include "ptypair.h"
#include "qtprinters.h"
#include "scriptedserver.h"
#include "serialserver.h"
#include "signsimulator.h"
#include "testcertificates.h"

#include "ui/main/kestrovanmain.h"
#include "ui/testmsg/ledtestmessage.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpSocket>

namespace {

using testsupport::waitUntil;

enum class Transport { RawTcp, Rfc2217, Tls, Rfc2217Tls };

std::string transportName(Transport transport)
{
    constexpr const char *names[] = {"RawTcp", "Rfc2217", "Tls", "Rfc2217Tls"};
    return names[int(transport)];
}

// The configuration both signs start from; the user command holds a 0xFF byte, which telnet
// must carry escaped both ways.
const QByteArray StartConfig = "pri0=4,6,2,1,2,5,2,12\npri3=9,14,7,3,1,1,1,7\nlink2=3:100,200\nlink5=4:77\n"
                               "autoid=0\nusercmd=A\\xFFB\n";

// A simulated sign reached as COM n through the network: signsim listening itself (raw TCP), or
// signsim on a pseudo-terminal with ser2net in front of it, RFC 2217 in plain text, or the bytes
// themselves or RFC 2217 inside TLS with a certificate the entry's ca= vouches for.
class NetworkSign {
public:
    bool start(Transport transport, const QString &ports, int com, QStringList arguments, QString *error)
    {
        arguments += {QStringLiteral("--config"), sim.writeFile(QStringLiteral("start.conf"), StartConfig)};
        if (transport == Transport::RawTcp)
            return sim.start(arguments + QStringList {QStringLiteral("--tcp"), QStringLiteral("0"), QStringLiteral("--link"),
                                                      ports + QStringLiteral("/COM") + QString::number(com)},
                             error);
        testsupport::SerialServer::Offer offer;
        offer.rfc2217 = transport != Transport::Tls;
        if (transport != Transport::Rfc2217) {
            if (!certificates.make(error))
                return false;
            offer.certificate = certificates.pem(QStringLiteral("server"));
            offer.key = certificates.key(QStringLiteral("server"));
        }
        return sim.start(arguments, error) && server.start(sim.device(), error, offer)
               && testsupport::writePortEntry(ports, com, address(transport).toUtf8() + '\n');
    }
    // The address the port map entry holds.
    QString address(Transport transport) const
    {
        switch (transport) {
        case Transport::RawTcp:
            return sim.device();
        case Transport::Rfc2217:
            return server.address();
        case Transport::Tls:
        case Transport::Rfc2217Tls:
            break;
        }
        return server.address() + QStringLiteral("?ca=") + certificates.pem(QStringLiteral("ca"));
    }

    testsupport::SignSimulator sim;
    testsupport::SerialServer server;
    testsupport::TestCertificates certificates;
};

class NetworkE2E : public ::testing::Test {
protected:
    void TearDown() override { window.reset(); }

    QString ports() const { return com1.xdg.path() + QStringLiteral("/signconfig/ports"); }
    // COM 1 is the simulated sign on a pseudo-terminal; it also puts the port map in place.
    void startComOne()
    {
        QString error;
        ASSERT_TRUE(com1.start({QStringLiteral("--config"), com1.sim.writeFile(QStringLiteral("start.conf"), StartConfig)}, &error))
            << error.toStdString();
    }
    void startNetwork(Transport transport, const QStringList &arguments = {})
    {
        QString error;
        ASSERT_TRUE(network.start(transport, ports(), 2, arguments, &error)) << error.toStdString();
    }
    void openWindowOn(int com)
    {
        window = testsupport::ComOneSign::mainWindow(services);
        window->ComportsList->setCurrentIndex(com - 1);
    }

    bool idle() const { return testsupport::mainWindowIdle(*window); }
    void download() { ASSERT_TRUE(testsupport::runToIdle(*window, window->DownloadAll, 5000)); }
    void upload(QPushButton *button)
    {
        ASSERT_TRUE(testsupport::runToIdle(*window, button, 30000, services.messages.value(0).text));
    }
    // Download, a forced upload of all that was read, edits, an upload, and a download again.
    void readEditWriteAndReadBack()
    {
        download();
        EXPECT_EQ(window->usercmd1->text(), QStringLiteral("A\u00FFB"));
        upload(window->ForceUpload);
        window->TimeoutP1->setText(QStringLiteral("42"));
        window->Capcode0[5]->clear();
        window->Capcode0[6]->setText(QStringLiteral("5550001"));
        window->usercmd1->setText(QStringLiteral("Z\u00FF\u00FFZ\u00AA"));
        window->AutoID->setChecked(!window->AutoID->isChecked());
        upload(window->UploadAll);
        download();
        EXPECT_EQ(window->usercmd1->text(), QStringLiteral("Z\u00FF\u00FFZ\u00AA"));
    }

    testsupport::ComOneSign com1;
    NetworkSign network;
    testsupport::FakeUiServices services;
    std::unique_ptr<ui::KestrovanMain> window;
};

class OverTheNetwork : public NetworkE2E, public ::testing::WithParamInterface<Transport> {};

TEST_P(OverTheNetwork, SignReceivesExactlyWhatItReceivesOverAPseudoTerminal)
{
    startComOne();
    startNetwork(GetParam());
    openWindowOn(1);
    readEditWriteAndReadBack();
    const QStringList overPty = com1.sim.commands();
    ASSERT_GE(overPty.size(), 20);

    openWindowOn(2);
    readEditWriteAndReadBack();
    EXPECT_EQ(network.sim.commands(), overPty);
    EXPECT_EQ(network.sim.state(), com1.sim.state());
    EXPECT_EQ(network.sim.state().value(QStringLiteral("usercmd")), QStringLiteral("Z\\xFF\\xFFZ\\xAA"));
    EXPECT_TRUE(services.messages.isEmpty()) << services.messages.value(0).text.toStdString();
}

TEST_P(OverTheNetwork, ServerGoneDuringAnUploadIsALostConnectionAndTheRestStaysPending)
{
    startComOne();
    // Raw TCP: the sign hangs up its connection on the 7th command. Through ser2net: the serial
    // server is killed after a few items, as when it loses its power.
    const bool raw = GetParam() == Transport::RawTcp;
    startNetwork(GetParam(), raw ? QStringList {QStringLiteral("--hangup-after"), QStringLiteral("7")} : QStringList {});
    const QString address = network.address(GetParam());
    openWindowOn(2);
    ui::KestrovanMain &w = *window;
    download();
    w.ForceUpload->click();
    ASSERT_TRUE(w.UploadTimer.isActive());
    if (!raw) {
        ASSERT_TRUE(waitUntil([&] { return network.sim.commands().size() >= 5; }, 10000));
        network.server.kill();
    }
    ASSERT_TRUE(waitUntil([&] { return !w.UploadTimer.isActive(); }, 20000));

    EXPECT_FALSE(w.signPort().isOpen());
    EXPECT_TRUE(w.UploadAll->isEnabled());
    EXPECT_EQ(w.UploadAll->text(), QStringLiteral("Upload to Sign"));
    EXPECT_TRUE(w.DownloadAll->isEnabled());
    ASSERT_EQ(services.messages.size(), 1);
    EXPECT_TRUE(services.messages[0].text.startsWith(
        QStringLiteral("The connection to the sign was lost: COM 2: %1 closed the connection.").arg(address)))
        << services.messages[0].text.toStdString();
    const config::ChangeFlags &flags = w.signConfig().flags;
    EXPECT_FALSE(flags.priorityChanged[0]);
    EXPECT_GE(flags.countSet(), 5);
    EXPECT_LT(flags.countSet(), 15);
    EXPECT_TRUE(flags.linkChanged[7]);

    // The window stays usable: the next attempt finds nobody there and says so. (The simulated
    // sign took its port map entry with it when it ended, so COM 2 is back to its device.)
    w.DownloadAll->click();
    EXPECT_TRUE(idle());
    const QString expected = GetParam() == Transport::RawTcp
                                 ? QStringLiteral("2-COM 2 (/dev/ttyS1) does not exist. Connect the sign's adapter, or choose "
                                                  "another COM number.")
                                 : QStringLiteral("2-COM 2: %1 refused the connection; check that the serial server runs "
                                                  "and listens on that port.").arg(address);
    EXPECT_EQ(w.ComportsList->itemText(1), expected) << w.ComportsList->itemText(1).toStdString();
}

TEST_P(OverTheNetwork, TestMessageWindowTalksThroughTheSameEntry)
{
    startComOne();
    startNetwork(GetParam());
    openWindowOn(2);
    ui::LEDTestMessage dialog(*window);
    dialog.show();
    dialog.SetTime->click();
    ASSERT_TRUE(waitUntil([&] { return dialog.Ack->text() == QStringLiteral("Upload Successfull"); }, 5000))
        << dialog.Ack->text().toStdString();
    ASSERT_TRUE(waitUntil([&] { return !dialog.signPort().isOpen() && dialog.SetTime->isEnabled(); }, 5000));
    EXPECT_LE(std::abs(network.sim.state().value(QStringLiteral("clockoffset")).toInt()), 2);
    EXPECT_TRUE(com1.sim.commands().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Servers, OverTheNetwork,
                         ::testing::Values(Transport::RawTcp, Transport::Rfc2217, Transport::Tls, Transport::Rfc2217Tls),
                         [](const auto &info) { return transportName(info.param); });

TEST_F(NetworkE2E, SerialServerHeldByAnotherProgramIsBusy)
{
    startComOne();
    startNetwork(Transport::Rfc2217);
    QTcpSocket other;
    other.connectToHost(QHostAddress::LocalHost, network.server.port());
    ASSERT_TRUE(other.waitForConnected(3000));
    // Its greeting shows that the server has taken this connection in.
    ASSERT_TRUE(other.waitForReadyRead(3000));
    openWindowOn(2);
    window->DownloadAll->click();
    EXPECT_TRUE(idle());
    EXPECT_EQ(window->ComportsList->itemText(1),
              QStringLiteral("2-COM 2: %1 is in use by another program (the server said \"Port already in use\").")
                  .arg(network.server.address()));
    EXPECT_TRUE(network.sim.commands().isEmpty());
}

// An entry on COM 3 that leads to no sign: what the operator is told when downloading and when
// uploading, and that nothing went anywhere.
struct DeadEnd {
    const char *name;
    QByteArray entry;     // "%1" stands for the port of the scripted server
    QByteArray greeting;  // what the scripted server says; "none" for no server at all
    bool noSuchPort;      // 8002: the upload says "Please Change Comport"
    const char *sentence;
};

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out += char(v);
    return out;
}

class DeadEndEntry : public NetworkE2E, public ::testing::WithParamInterface<DeadEnd> {};

TEST_P(DeadEndEntry, SaysWhyWithTheComNumberAndSendsNothing)
{
    const DeadEnd &d = GetParam();
    startComOne();
    std::optional<testsupport::ScriptedServer> server;
    quint16 port = testsupport::freePort();
    if (d.greeting != "none") {
        server.emplace(d.greeting);
        ASSERT_TRUE(server->isListening());
        port = server->port();
    }
    ASSERT_TRUE(testsupport::writePortEntry(ports(), 3, QString::fromLatin1(d.entry).arg(port).toLatin1()));
    const QString sentence = QString::fromLatin1(d.sentence).arg(port);
    // A download from the sign on COM 1 first, so that an upload has values to send.
    openWindowOn(1);
    ui::KestrovanMain &w = *window;
    download();
    const qsizetype before = com1.sim.commands().size();
    w.ComportsList->setCurrentIndex(2);

    w.DownloadAll->click();
    EXPECT_TRUE(idle());
    EXPECT_EQ(w.DownloadAll->text(), QStringLiteral("Download from Sign"));
    EXPECT_EQ(w.ComportsList->itemText(2), QStringLiteral("3-") + sentence);

    w.UploadAll->click();
    EXPECT_TRUE(idle());
    ASSERT_EQ(services.messages.size(), 1);
    EXPECT_EQ(services.messages[0].text,
              QStringLiteral("Cannot Open Port:3\r\n") + (d.noSuchPort ? QStringLiteral("Please Change Comport") : sentence));

    if (server) {
        EXPECT_FALSE(server->received().contains("DOWNLOAD_ALL"));
        EXPECT_FALSE(server->received().contains('\r'));
    }
    EXPECT_EQ(com1.sim.commands().size(), before);
    // The window is still whole: COM 1 downloads as ever.
    w.ComportsList->setCurrentIndex(0);
    download();
    EXPECT_EQ(com1.sim.commands().size(), before + 1);
    EXPECT_EQ(w.usercmd1->text(), QStringLiteral("A\u00FFB"));
}

INSTANTIATE_TEST_SUITE_P(
    Entries, DeadEndEntry,
    ::testing::Values(
        DeadEnd{"PortOutOfRange", "tcp://sign:99999\n", "none", true,
                "COM 3: \"tcp://sign:99999\" is not a network address (the port must be 1 to 65535)."},
        DeadEnd{"UnknownScheme", "telnet://sign:23", "none", true,
                "COM 3: \"telnet://sign:23\" is not a network address (it must begin with tcp://, rfc2217://, tls:// or "
                "rfc2217+tls://)."},
        DeadEnd{"ConnectionRefused", "tcp://127.0.0.1:%1", "none", false,
                "COM 3: tcp://127.0.0.1:%1 refused the connection; check that the serial server runs and listens on "
                "that port."},
        DeadEnd{"HostDoesNotResolve", "rfc2217://sign.invalid:4001", "none", true,
                "COM 3: rfc2217://sign.invalid:4001 cannot be reached: the host \"sign.invalid\" was not found."},
        DeadEnd{"ServerNeverAnswersTheSetUp", "rfc2217://127.0.0.1:%1", "", false,
                "COM 3: rfc2217://127.0.0.1:%1 did not answer the serial port set-up within 3 seconds."},
        DeadEnd{"ServerSpeaksGarbageTelnet", "rfc2217://127.0.0.1:%1",
                bytes({255, 1, 255, 240, 255, 250, 99, 'x', 'y', 255, 240, 255, 251, 200, 255, 255, 255, 250, 44, 101, 255, 251, 1,
                       255, 252, 0}),
                false,
                "COM 3: rfc2217://127.0.0.1:%1 will not pass the bytes unchanged (it refused telnet binary transmission)."}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SignSimOverTcp, SecondClientWaitsUntilTheFirstHasGone)
{
    testsupport::SignSimulator sim;
    QString error;
    ASSERT_TRUE(sim.start({QStringLiteral("--tcp"), QStringLiteral("0")}, &error)) << error.toStdString();
    ASSERT_TRUE(sim.device().startsWith(QStringLiteral("tcp://127.0.0.1:")));
    const quint16 port = sim.device().section(u':', -1).toUShort();
    QTcpSocket first;
    QTcpSocket second;
    first.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(first.waitForConnected(3000));
    second.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(second.waitForConnected(3000));
    second.write("<id=user>\r");
    second.flush();
    first.write("<id=auto>\r");
    ASSERT_TRUE(waitUntil([&] { return first.canReadLine(); }));
    EXPECT_EQ(first.readLine(), QByteArray("Auto ID\n"));
    EXPECT_EQ(second.bytesAvailable(), 0);
    EXPECT_EQ(sim.commands(), QStringList {QStringLiteral("<id=auto>")});

    first.disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return second.canReadLine(); }));
    EXPECT_EQ(second.readLine(), QByteArray("User ID\n"));
}

} // namespace
