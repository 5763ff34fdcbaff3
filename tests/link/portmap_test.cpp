#include "link/portmap.h"

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
