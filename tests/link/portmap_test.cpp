#include "link/portmap.h"

#include "portentryfile.h"

#include "qtprinters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

struct DefaultCase {
    int com;
    const char *device;
};

class DefaultTable : public ::testing::TestWithParam<DefaultCase> {};

TEST_P(DefaultTable, MapsComNumbersToLinuxDevices)
{
    const signlink::PortMap map(QStringLiteral("/nonexistent/signconfig/ports"));
    EXPECT_EQ(map.devicePath(GetParam().com), QString::fromLatin1(GetParam().device));
}

INSTANTIATE_TEST_SUITE_P(Ports, DefaultTable,
                         ::testing::Values(DefaultCase{1, "/dev/ttyS0"}, DefaultCase{4, "/dev/ttyS3"},
                                           DefaultCase{5, "/dev/ttyUSB0"}, DefaultCase{8, "/dev/ttyUSB3"},
                                           DefaultCase{9, "/dev/ttyACM0"}, DefaultCase{12, "/dev/ttyACM3"},
                                           DefaultCase{0, ""}, DefaultCase{13, ""}, DefaultCase{-1, ""}),
                         [](const auto &info) {
                             return "COM" + std::string(info.param.com < 0 ? "Minus" : "") + std::to_string(std::abs(info.param.com));
                         });

TEST(PortMap, EntryInTheFolderWinsAndADanglingLinkStillCounts)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path() + QStringLiteral("/ports");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), folder + QStringLiteral("/COM2")));
    ASSERT_TRUE(QFile::link(dir.path() + QStringLiteral("/gone"), folder + QStringLiteral("/COM7")));

    const signlink::PortMap map(folder);
    EXPECT_EQ(map.devicePath(2), folder + QStringLiteral("/COM2"));
    EXPECT_EQ(map.devicePath(7), folder + QStringLiteral("/COM7"));
    EXPECT_EQ(map.devicePath(3), QStringLiteral("/dev/ttyS2"));
    // COM1 and COM12 are different names: no prefix confusion.
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), folder + QStringLiteral("/COM1")));
    EXPECT_EQ(map.devicePath(12), QStringLiteral("/dev/ttyACM3"));
}

using Kind = signlink::PortEntry::Kind;

// Every kind of entry, side by side in one folder, and what each COM number opens.
struct EntryCase {
    const char *name;
    int com;
    signlink::PortEntry::Kind kind;
    const char *device;   // Device: the path opened, "<folder>" standing for the map folder
    const char *address;  // Network: as written back
    const char *problem;  // Invalid
};

class EntryKinds : public ::testing::TestWithParam<EntryCase> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        const QString f = folder;
        ASSERT_TRUE(testsupport::writePortEntry(f, 1, "rfc2217://sign-server:4001\n"));
        ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), f + QStringLiteral("/COM2")));
        ASSERT_TRUE(testsupport::writePortEntry(f, 3, ""));
        ASSERT_TRUE(QFile::link(dir.path() + QStringLiteral("/unplugged"), f + QStringLiteral("/COM7")));
        // A link always names a device, even one that points at an address file.
        ASSERT_TRUE(QFile::link(f + QStringLiteral("/COM1"), f + QStringLiteral("/COM8")));
        ASSERT_TRUE(QDir().mkpath(f + QStringLiteral("/COM9")));
        ASSERT_TRUE(testsupport::writePortEntry(f, 10, "tcp://[::1]:99999"));
    }
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/ports");
};

TEST_P(EntryKinds, OpensWhatTheOperatorChose)
{
    const EntryCase &c = GetParam();
    const signlink::PortEntry entry = signlink::PortMap(folder).entry(c.com);
    const auto inFolder = [this](const char *text) { return QString::fromLatin1(text).replace(QStringLiteral("<folder>"), folder); };
    ASSERT_EQ(entry.kind, c.kind) << entry.problem.toStdString();
    EXPECT_EQ(entry.device, inFolder(c.device));
    if (c.kind == Kind::Network) {
        EXPECT_EQ(entry.address.text(), QString::fromLatin1(c.address));
    }
    EXPECT_EQ(entry.problem, inFolder(c.problem));
}

INSTANTIATE_TEST_SUITE_P(
    Folder, EntryKinds,
    ::testing::Values(
        EntryCase{"AddressFile", 1, Kind::Network, "", "rfc2217://sign-server:4001", ""},
        EntryCase{"LinkToDevice", 2, Kind::Device, "<folder>/COM2", "", ""},
        EntryCase{"EmptyFile", 3, Kind::Invalid, "", "",
                  "COM 3: the port map entry <folder>/COM3 is empty (it must hold one line: tcp://HOST:PORT, "
                  "rfc2217://HOST:PORT, tls://HOST:PORT or rfc2217+tls://HOST:PORT)."},
        EntryCase{"NoEntryTakesTheDefault", 4, Kind::Device, "/dev/ttyS3", "", ""},
        EntryCase{"DanglingLinkStillCounts", 7, Kind::Device, "<folder>/COM7", "", ""},
        EntryCase{"LinkToAnAddressFile", 8, Kind::Device, "<folder>/COM8", "", ""},
        EntryCase{"FolderIsOpenedAsBefore", 9, Kind::Device, "<folder>/COM9", "", ""},
        EntryCase{"BadAddress", 10, Kind::Invalid, "", "",
                  "COM 10: \"tcp://[::1]:99999\" is not a network address (the port must be 1 to 65535)."},
        EntryCase{"NoEntryOnComTwelve", 12, Kind::Device, "/dev/ttyACM3", "", ""},
        EntryCase{"OutsideTheList", 13, Kind::Device, "", "", ""},
        EntryCase{"Zero", 0, Kind::Device, "", "", ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PortMap, FolderComesFromXdgConfigHomeOrHome)
{
    const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("XDG_CONFIG_HOME", "/tmp/xdg-test");
    EXPECT_EQ(signlink::PortMap().mapFolder(), QStringLiteral("/tmp/xdg-test/signconfig/ports"));
    qunsetenv("XDG_CONFIG_HOME");
    qputenv("HOME", "/tmp/home-test");
    EXPECT_EQ(signlink::PortMap().mapFolder(), QStringLiteral("/tmp/home-test/.config/signconfig/ports"));
    qputenv("XDG_CONFIG_HOME", "relative/path");
    EXPECT_EQ(signlink::PortMap().mapFolder(), QStringLiteral("/tmp/home-test/.config/signconfig/ports"));
    qputenv("HOME", oldHome);
    if (oldXdg.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldXdg);
}

} // namespace
