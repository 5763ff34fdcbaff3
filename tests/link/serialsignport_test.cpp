#include "link/serialsignport.h"

#include "ptypair.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <tuple>
#include <vector>

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

    // Everything the tool sent, once `size` bytes have come.
    QByteArray receive(qsizetype size)
    {
        QByteArray seen;
        waitUntil([&] { seen += pty.readAvailable(); return seen.size() >= size; });
        return seen;
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
    EXPECT_EQ(receive(13), QByteArray("DOWNLOAD_ALL\r"));

    QSignalSpy received(&port, &signlink::SignPort::received);
    ASSERT_TRUE(pty.write("ok\n"));
    ASSERT_TRUE(waitUntil([&] { return port.inBufferCount() >= 3; }));
    EXPECT_GE(received.count(), 1);
    EXPECT_EQ(port.input(), 'o');
    EXPECT_EQ(port.input(), 'k');
    EXPECT_EQ(port.input(), '\n');
    EXPECT_EQ(port.inBufferCount(), 0);
}

class ClosingAfterAWrite : public SerialSignPortTest, public ::testing::WithParamInterface<qsizetype> {};

// Closing straight after the write, before the event loop has run, is the hardest case: none
// of it has left QSerialPort yet.
TEST_P(ClosingAfterAWrite, SendsAllOfItFirst)
{
    QByteArray command(GetParam(), 'x');
    command.back() = '\r';
    signlink::SerialSignPort port{signlink::PortMap(folder)};
    QSignalSpy unsent(&port, &signlink::SignPort::outputUnsent);
    port.setCommPort(3);
    ASSERT_TRUE(port.open().ok());
    ASSERT_TRUE(port.output(command));
    port.close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(receive(command.size()), command);
    EXPECT_EQ(unsent.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Lengths, ClosingAfterAWrite, ::testing::Values(1, 13, 1024));

TEST_F(SerialSignPortTest, DestroyingThePortAfterAWriteSendsAllOfItFirst)
{
    const QByteArray command = QByteArray(1023, 'y') + '\r';
    {
        signlink::SerialSignPort port{signlink::PortMap(folder)};
        port.setCommPort(3);
        ASSERT_TRUE(port.open().ok());
        ASSERT_TRUE(port.output(command));
    }
    EXPECT_EQ(receive(command.size()), command);
}

TEST_F(SerialSignPortTest, ALineThatDoesNotDrainIsClosedAnywayAndSaysHowMuchWasLost)
{
    signlink::SerialSignPort port{signlink::PortMap(folder)};
    QSignalSpy unsent(&port, &signlink::SignPort::outputUnsent);
    port.setCommPort(3);
    ASSERT_TRUE(port.open().ok());
    // Nobody reads the other end: write until the pseudo-terminal takes no more.
    const QByteArray command = QByteArray(1000, 'z') + '\r';
    int writes = 0;
    do {
        ASSERT_TRUE(port.output(command));
        ASSERT_LT(++writes, 1000);
    } while (waitUntil([&] { return port.pendingOutput() == 0; }, 200));
    const qint64 pending = port.pendingOutput();
    port.close();
    EXPECT_FALSE(port.isOpen());
    ASSERT_EQ(unsent.count(), 1);
    const QString text = unsent.at(0).at(0).toString();
    EXPECT_TRUE(text.contains(QStringLiteral(" %1 bytes were not sent").arg(pending))) << text.toStdString();
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
    EXPECT_EQ(result.description,
              QStringLiteral("COM 3 (%1) is in use by another program. Close it and try again.").arg(pty.slavePath()));
    EXPECT_FALSE(second.isOpen());
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

TEST(DrainTimeout, IsTheTimeOnTheLineAt9600BaudAndAMargin)
{
    // 960 bytes of 10 bits take one second at 9600 baud.
    EXPECT_EQ(signlink::SerialSignPort::drainTimeoutMs(960), 1000 + signlink::SerialSignPort::drainTimeoutMs(0));
    EXPECT_GT(signlink::SerialSignPort::drainTimeoutMs(0), 0);
    EXPECT_LT(signlink::SerialSignPort::drainTimeoutMs(0), 1000);
}

// ---- What a failed opening says ----

// Whether `text` reads as a whole sentence: a capital first, a full stop last.
bool isSentence(const QString &text)
{
    return !text.isEmpty() && text.front().isUpper() && text.endsWith(u'.');
}

struct OpenCase {
    const char *name;
    int com;
    // Makes the entry for COM `com` under `folder`; returns the device the message names.
    std::function<QString(const QString &dir, const QString &entry)> make;
    signlink::OpenError error;
    const char *says;
};

// Each case with the port known as COM n, and with a name of its own (the command line names a
// sign given by its device so): the sentence then names the device alone.
class OpenFailure : public ::testing::TestWithParam<std::tuple<OpenCase, bool>> {};

TEST_P(OpenFailure, IsASentenceNamingThePortTheDeviceAndWhatToDo)
{
    const auto &[failure, named] = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("ports"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString device = failure.make(dir.path(), folder + QStringLiteral("/COM%1").arg(failure.com));

    signlink::SerialSignPort port{signlink::PortMap(folder)};
    port.setCommPort(failure.com);
    if (named)
        port.setName(QStringLiteral("the sign's own name"));
    const signlink::OpenResult result = port.open();
    EXPECT_EQ(result.error, failure.error);
    EXPECT_FALSE(port.isOpen());
    const QString text = result.description;
    EXPECT_TRUE(text.contains(QString::fromLatin1(failure.says))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("ioctl"))) << text.toStdString();
    if (named && !device.isEmpty()) {
        EXPECT_TRUE(text.startsWith(device + u' ')) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("COM %1 (").arg(failure.com))) << text.toStdString();
        return;
    }
    EXPECT_TRUE(isSentence(text)) << text.toStdString();
    EXPECT_TRUE(text.startsWith(QStringLiteral("COM %1 ").arg(failure.com))) << text.toStdString();
    if (!device.isEmpty()) {
        EXPECT_TRUE(text.contains(QStringLiteral("(%1)").arg(device))) << text.toStdString();
    }
}

QString linkTo(const QString &target, const QString &entry)
{
    EXPECT_TRUE(QFile::link(target, entry));
    return target;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, OpenFailure,
    ::testing::Combine(::testing::Values(
        OpenCase{"RegularFile", 3,
                 [](const QString &, const QString &entry) {
                     QFile file(entry);
                     EXPECT_TRUE(file.open(QIODevice::WriteOnly));
                     return entry;
                 },
                 signlink::OpenError::Other, "is not a serial port. Point the port map entry"},
        OpenCase{"LinkToRegularFile", 3,
                 [](const QString &dir, const QString &entry) {
                     const QString target = dir + QStringLiteral("/sign.txt");
                     QFile file(target);
                     EXPECT_TRUE(file.open(QIODevice::WriteOnly));
                     return linkTo(target, entry);
                 },
                 signlink::OpenError::Other, "is not a serial port."},
        OpenCase{"DevNull", 3,
                 [](const QString &, const QString &entry) { return linkTo(QStringLiteral("/dev/null"), entry); },
                 signlink::OpenError::Other, "is not a serial port."},
        OpenCase{"Pipe", 7,
                 [](const QString &dir, const QString &entry) {
                     const QString target = dir + QStringLiteral("/fifo");
                     EXPECT_EQ(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
                     return linkTo(target, entry);
                 },
                 signlink::OpenError::Other, "is not a serial port."},
        OpenCase{"Directory", 12,
                 [](const QString &dir, const QString &entry) {
                     const QString target = dir + QStringLiteral("/folder");
                     EXPECT_TRUE(QDir().mkpath(target));
                     return linkTo(target, entry);
                 },
                 signlink::OpenError::Other, "is not a serial port."},
        OpenCase{"DanglingLink", 4,
                 [](const QString &dir, const QString &entry) {
                     return linkTo(dir + QStringLiteral("/unplugged"), entry);
                 },
                 signlink::OpenError::NoSuchPort, "does not exist. Connect the sign's adapter"},
        OpenCase{"BelowTheList", 0, [](const QString &, const QString &) { return QString(); },
                 signlink::OpenError::NoSuchPort, "does not exist. Choose one of COM 1 to COM 12."},
        OpenCase{"AboveTheList", 13, [](const QString &, const QString &) { return QString(); },
                 signlink::OpenError::NoSuchPort, "does not exist. Choose one of COM 1 to COM 12."}),
                       ::testing::Bool()),
    [](const auto &info) {
        return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "Named" : "");
    });

TEST(CannotOpenPortMessage, NamesThePortAndTheReason)
{
    EXPECT_EQ(signlink::cannotOpenPortMessage(3, {signlink::OpenError::NoSuchPort, QStringLiteral("gone")}),
              QStringLiteral("Cannot Open Port:3\r\nPlease Change Comport"));
    EXPECT_EQ(signlink::cannotOpenPortMessage(12, {signlink::OpenError::Busy, QStringLiteral("held by another program")}),
              QStringLiteral("Cannot Open Port:12\r\nheld by another program"));
}

// ---- Permission advice, on real files of each kind of group ----

std::vector<gid_t> processGroups()
{
    std::vector<gid_t> groups(std::size_t(std::max(::getgroups(0, nullptr), 0)));
    groups.resize(std::size_t(std::max(::getgroups(int(groups.size()), groups.data()), 0)));
    return groups;
}

bool inGroup(gid_t gid)
{
    const std::vector<gid_t> groups = processGroups();
    return ::getegid() == gid || std::find(groups.begin(), groups.end(), gid) != groups.end();
}

// A group other than root that this process is in. Run as root, it adds one for as long as it
// lives, and puts the process's groups back afterwards.
class JoinedGroup {
public:
    JoinedGroup() : m_saved(processGroups())
    {
        for (const gid_t g : m_saved) {
            if (g != 0)
                gid = g;
        }
        if (gid == 0 && ::getegid() != 0)
            gid = ::getegid();
        if (gid != 0)
            return;
        std::vector<gid_t> more = m_saved;
        more.push_back(gid = 4242);
        m_changed = ::setgroups(more.size(), more.data()) == 0;
        if (!m_changed)
            gid = 0;
    }
    ~JoinedGroup()
    {
        if (m_changed)
            ::setgroups(m_saved.size(), m_saved.data());
    }
    gid_t gid = 0;

private:
    std::vector<gid_t> m_saved;
    bool m_changed = false;
};

QString groupName(gid_t gid)
{
    const group *g = ::getgrgid(gid);
    return g ? QString::fromLocal8Bit(g->gr_name) : QString::number(gid);
}

enum class Owner { Root, OtherGroup, OwnGroup };

class PermissionAdvice : public ::testing::TestWithParam<Owner> {};

TEST_P(PermissionAdvice, TellsWhatThisUserCanDo)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString device = dir.filePath(QStringLiteral("ttyUSB0"));
    QFile file(device);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    JoinedGroup joined;
    gid_t gid = 0;
    switch (GetParam()) {
    case Owner::Root: gid = 0; break;
    case Owner::OwnGroup: gid = joined.gid; break;
    case Owner::OtherGroup:
        for (gid = 4343; inGroup(gid); ++gid) {
        }
        break;
    }
    ASSERT_TRUE(GetParam() != Owner::OwnGroup || gid != 0) << "no group of this process to test with";
    if (::chown(QFile::encodeName(device).constData(), gid_t(-1), gid) != 0)
        GTEST_SKIP() << "only root can hand a file to a group it is not in";

    const QString text = signlink::permissionDeniedText(device);
    EXPECT_TRUE(isSentence(text)) << text.toStdString();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Permission denied on %1").arg(device))) << text.toStdString();
    const QString name = groupName(gid);
    if (GetParam() == Owner::OtherGroup) {
        EXPECT_TRUE(text.contains(QStringLiteral("belongs to the group \"%1\"").arg(name))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("sudo usermod -aG %1 $USER").arg(name))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("log in again"))) << text.toStdString();
    } else {
        // Never advice to join root, or a group the user is in already.
        EXPECT_FALSE(text.contains(QStringLiteral("usermod"))) << text.toStdString();
        EXPECT_TRUE(text.endsWith(QStringLiteral("Ask your administrator to let you use it (check the device's "
                                                 "permissions).")))
            << text.toStdString();
    }
    if (GetParam() == Owner::Root) {
        EXPECT_EQ(text, QStringLiteral("Permission denied on %1, which belongs to root. Ask your administrator to "
                                       "let you use it (check the device's permissions).")
                            .arg(device));
    }
}

INSTANTIATE_TEST_SUITE_P(Groups, PermissionAdvice,
                         ::testing::Values(Owner::Root, Owner::OtherGroup, Owner::OwnGroup),
                         [](const auto &info) {
                             switch (info.param) {
                             case Owner::Root: return std::string("Root");
                             case Owner::OtherGroup: return std::string("OtherGroup");
                             case Owner::OwnGroup: return std::string("OwnGroup");
                             }
                             return std::string();
                         });

} // namespace
