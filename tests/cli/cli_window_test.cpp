// What signconfig-cli writes is what the main window writes: the same sign read by both, saved
// by both, byte for byte, for every model family.
#include "cliprocess.h"
#include "comonesign.h"
#include "fakeuiservices.h"
#include "mainwindowdriving.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {

struct Family {
    const char *model;
    const char *config;  // the simulator's starting configuration
};

class CliMatchesWindow : public ::testing::TestWithParam<Family> {};

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_P(CliMatchesWindow, ReadSavesTheFileTheWindowSaves)
{
    testsupport::ComOneSign com1;
    QString error;
    const QString config = com1.sim.writeFile(QStringLiteral("start.conf"), QByteArray(GetParam().config));
    ASSERT_TRUE(com1.start({QStringLiteral("--model"), QString::fromLatin1(GetParam().model), QStringLiteral("--config"), config},
                           &error))
        << error.toStdString();
    testsupport::FakeUiServices services;
    const std::unique_ptr<ui::KestrovanMain> window = testsupport::ComOneSign::mainWindow(services);
    ASSERT_TRUE(testsupport::runToIdle(*window, window->DownloadAll, 5000));
    const QString windowFile = com1.xdg.filePath(QStringLiteral("window.led"));
    services.nextFileNames.push_back(windowFile);
    window->signSaveAs_Click();

    // COM1 through the same port map folder (XDG_CONFIG_HOME is set while com1 lives).
    const QString cliFile = com1.xdg.filePath(QStringLiteral("cli.led"));
    const clitest::CliRun run = clitest::runCli({QStringLiteral("read"), QStringLiteral("-p"), QStringLiteral("COM1"),
                                                 QStringLiteral("-o"), cliFile});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    const QByteArray saved = bytesOf(windowFile);
    ASSERT_FALSE(saved.isEmpty());
    EXPECT_EQ(bytesOf(cliFile), saved);
}

INSTANTIATE_TEST_SUITE_P(
    Families, CliMatchesWindow,
    ::testing::Values(
        Family{"RW2290", "pri0=1,2,3,1,2,3,1,15\nlink2=3:5550001,5550002\nautoid=0\nusercmd=REBOOT\n"},
        Family{"QB7", "pri4=0,1,2,3,0,1,2,90\nlink7=1:123\n"},
        Family{"KT420", "pri1=2,2,2,2,1,2,1,5\n"},
        Family{"Standard9", "link0=\n"}),
    [](const ::testing::TestParamInfo<Family> &info) { return std::string(info.param.model); });

} // namespace
