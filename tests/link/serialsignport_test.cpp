#include "link/serialsignport.h"

#include "ptypair.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

using testsupport::PtyPair;
using testsupport::waitUntil;

// A port map folder with COM3 wired to a pseudo-terminal.
class SerialSignPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.isValid()) << pty.error().toStdString();
        ASSERT_TRUE(dir.isValid());
        folder = dir.path() + QStringLiteral("/ports");
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_TRUE(QFile::link(pty.slavePath(), folder + QStringLiteral("/COM3")));
    }

    PtyPair pty;
    QTemporaryDir dir;
    QString folder;
};

TEST_F(SerialSignPortTest, WritesExactBytesAndReadsOneCharacterAtATime)
{
    signlink::SerialSignPort port{signlink::PortMap(folder)};
    port.setCommPort(3);
    ASSERT_TRUE(port.open().ok());
    ASSERT_TRUE(port.output(QByteArray("DOWNLOAD_ALL\r")));
    QByteArray seen;
    ASSERT_TRUE(waitUntil([&] { seen += pty.readAvailable(); return seen.size() >= 13; }));
    EXPECT_EQ(seen, QByteArray("DOWNLOAD_ALL\r"));

    QSignalSpy received(&port, &signlink::SignPort::received);
    ASSERT_TRUE(pty.write("ok\n"));
    ASSERT_TRUE(waitUntil([&] { return port.inBufferCount() >= 3; }));
    EXPECT_GE(received.count(), 1);
    EXPECT_EQ(port.input(), 'o');
    EXPECT_EQ(port.input(), 'k');
    EXPECT_EQ(port.input(), '\n');
    EXPECT_EQ(port.inBufferCount(), 0);
}

TEST_F(SerialSignPortTest, SecondOpenerIsToldThePortIsBusy)
{
    signlink::SerialSignPort first{signlink::PortMap(folder)};
    first.setCommPort(3);
    ASSERT_TRUE(first.open().ok());

    signlink::SerialSignPort second{signlink::PortMap(folder)};
    second.setCommPort(3);
    const signlink::OpenResult result = second.open();
    EXPECT_EQ(result.error, signlink::OpenError::Busy);
    EXPECT_TRUE(result.description.contains(QStringLiteral("in use")) || result.description.contains(QStringLiteral("already open")))
        << result.description.toStdString();
    EXPECT_FALSE(second.isOpen());
}

TEST_F(SerialSignPortTest, MissingDeviceAndNumbersOutOfRangeAre8002)
{
    ASSERT_TRUE(QFile::link(dir.path() + QStringLiteral("/unplugged"), folder + QStringLiteral("/COM4")));
    signlink::SerialSignPort port{signlink::PortMap(folder)};
    for (int com : {4, 0, 13}) {
        port.setCommPort(com);
        const signlink::OpenResult result = port.open();
        EXPECT_EQ(result.code(), 8002) << "COM " << com;
        EXPECT_FALSE(result.description.isEmpty());
        EXPECT_FALSE(port.isOpen());
    }
}

TEST_F(SerialSignPortTest, HangUpClosesThePortAndSaysSoOnce)
{
    signlink::SerialSignPort port{signlink::PortMap(folder)};
    port.setCommPort(3);
    ASSERT_TRUE(port.open().ok());
    QSignalSpy lost(&port, &signlink::SignPort::connectionLost);
    pty.hangUp();
    ASSERT_TRUE(waitUntil([&] { return lost.count() > 0; }));
    EXPECT_FALSE(port.isOpen());
    // No storm of further reports once it is closed.
    QTest::qWait(50);
    EXPECT_EQ(lost.count(), 1);
    EXPECT_FALSE(port.output("x\r"));
}

TEST(CannotOpenPortMessage, NamesThePortAndTheReason)
{
    EXPECT_EQ(signlink::cannotOpenPortMessage(3, {signlink::OpenError::NoSuchPort, QStringLiteral("gone")}),
              QStringLiteral("Cannot Open Port:3\r\nPlease Change Comport"));
    EXPECT_EQ(signlink::cannotOpenPortMessage(12, {signlink::OpenError::Busy, QStringLiteral("held by another program")}),
              QStringLiteral("Cannot Open Port:12\r\nheld by another program"));
}

TEST(PermissionDeniedText, NamesTheDeviceGroupAndWhatToDo)
{
    const QString text = signlink::permissionDeniedText(QStringLiteral("/dev/null"));
    EXPECT_TRUE(text.contains(QStringLiteral("/dev/null")));
    EXPECT_TRUE(text.contains(QStringLiteral("\"root\""))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("log in again")));
}

} // namespace
