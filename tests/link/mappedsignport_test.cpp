// One port object for every kind of port map entry: the windows' factory makes it, and each
// opening goes to the device or the network server the entry names at that moment.
#include "link/mappedsignport.h"

#include "portentryfile.h"
#include "ptypair.h"

#include "qtprinters.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

namespace {

using testsupport::PtyPair;
using testsupport::waitUntil;
using testsupport::writePortEntry;

class MappedSignPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.isValid()) << pty.error().toStdString();
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_TRUE(QFile::link(pty.slavePath(), folder + QStringLiteral("/COM3")));
        ASSERT_TRUE(writePortEntry(folder, 4, QStringLiteral("tcp://127.0.0.1:%1\n").arg(server.serverPort()).toLatin1()));
        ASSERT_TRUE(writePortEntry(folder, 5, "tcp://sign:99999"));
    }

    PtyPair pty;
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/ports");
    QTcpServer server;
    signlink::MappedSignPort port {signlink::PortMap(folder)};
};

TEST_F(MappedSignPortTest, DeviceEntryOpensTheSerialDevice)
{
    port.setCommPort(3);
    ASSERT_TRUE(port.open().ok());
    ASSERT_TRUE(port.output("DOWNLOAD_ALL\r"));
    QByteArray seen;
    ASSERT_TRUE(waitUntil([&] { seen += pty.readAvailable(); return seen.size() >= 13; }));
    EXPECT_EQ(seen, QByteArray("DOWNLOAD_ALL\r"));
    QSignalSpy received(&port, &signlink::SignPort::received);
    ASSERT_TRUE(pty.write("done\n"));
    ASSERT_TRUE(received.wait(5000));
    EXPECT_EQ(port.input(), 'd');

    QSignalSpy lost(&port, &signlink::SignPort::connectionLost);
    pty.hangUp();
    ASSERT_TRUE(waitUntil([&] { return lost.count() == 1; }));
    EXPECT_FALSE(port.isOpen());
}

TEST_F(MappedSignPortTest, AddressEntryOpensTheNetworkServerAndPassesItsSignalsOn)
{
    port.setCommPort(4);
    ASSERT_TRUE(port.open().ok());
    ASSERT_TRUE(waitUntil([&] { return server.hasPendingConnections(); }));
    QTcpSocket *peer = server.nextPendingConnection();
    ASSERT_TRUE(port.output("<id=auto>\r"));
    ASSERT_TRUE(waitUntil([&] { return peer->bytesAvailable() >= 10; }));
    EXPECT_EQ(peer->readAll(), QByteArray("<id=auto>\r"));

    QSignalSpy received(&port, &signlink::SignPort::received);
    QSignalSpy lost(&port, &signlink::SignPort::connectionLost);
    peer->write("Auto ID\n");
    ASSERT_TRUE(received.wait(5000));
    EXPECT_EQ(port.inBufferCount(), 8);
    EXPECT_EQ(port.input(), 'A');
    peer->disconnectFromHost();
    ASSERT_TRUE(lost.wait(5000));
    EXPECT_TRUE(lost[0][0].toString().startsWith(QStringLiteral("COM 4: tcp://127.0.0.1:")));
    EXPECT_FALSE(port.isOpen());
}

TEST_F(MappedSignPortTest, BadEntryIsNoSuchPortWithTheReason)
{
    port.setCommPort(5);
    const signlink::OpenResult result = port.open();
    EXPECT_EQ(result.error, signlink::OpenError::NoSuchPort);
    EXPECT_EQ(result.description,
              QStringLiteral("COM 5: \"tcp://sign:99999\" is not a network address (the port must be 1 to 65535)."));
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.output("x\r"));
}

TEST_F(MappedSignPortTest, EntryIsReadAfreshOnEveryOpening)
{
    port.setCommPort(3);
    ASSERT_TRUE(port.open().ok());
    port.close();
    // The operator points COM 3 at the network server meanwhile.
    ASSERT_TRUE(writePortEntry(folder, 3, QStringLiteral("tcp://127.0.0.1:%1").arg(server.serverPort()).toLatin1()));
    ASSERT_TRUE(port.open().ok());
    ASSERT_TRUE(waitUntil([&] { return server.hasPendingConnections(); }));
    ASSERT_TRUE(port.output("RESET\r"));
    QTcpSocket *peer = server.nextPendingConnection();
    ASSERT_TRUE(waitUntil([&] { return peer->bytesAvailable() >= 6; }));
    EXPECT_EQ(pty.readAvailable(), QByteArray());
    port.close();
    // And back to the device, which is missing now: as before, "no such port".
    ASSERT_TRUE(QFile::remove(folder + QStringLiteral("/COM3")));
    ASSERT_TRUE(QFile::link(dir.path() + QStringLiteral("/unplugged"), folder + QStringLiteral("/COM3")));
    EXPECT_EQ(port.open().error, signlink::OpenError::NoSuchPort);
}

} // namespace
