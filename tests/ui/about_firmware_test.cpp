// The About window, the firmware reminder and Tools > Upgrade.
#include "dumps.h"
#include "mainwindowfixture.h"

#include "ui/about/ledsignhelp.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QTextCursor>
#include <QTextEdit>

namespace {

using testsupport::MainWindowHarness;

struct TitleCase {
    const char *title;
    const char *caption;
};

class AboutVersion : public ::testing::TestWithParam<TitleCase> {};

TEST_P(AboutVersion, ComesFromTheMainWindowTitle)
{
    ui::LEDSignHelp about(QString::fromLatin1(GetParam().title));
    EXPECT_EQ(about.SoftwareVersion->text(), QString::fromLatin1(GetParam().caption));
}

INSTANTIATE_TEST_SUITE_P(Titles, AboutVersion,
                         ::testing::Values(TitleCase{"Sign Configuration Manager ver 4.8b", "Version : 4.8b"},
                                           TitleCase{"Sign Configuration Manager VER 5.0", "Version : 5.0"},
                                           TitleCase{"Sign Configuration Manager", "Version"},
                                           TitleCase{"Manager ver 4.8b: beta", "Version : 4.8b"}));

TEST(About, OpensFromTheHelpMenuWithTheMakerAndTheRedSampleLine)
{
    MainWindowHarness h;
    QString version, email, sample;
    QColor sampleColor;
    h.services.onDialog = [&](QDialog &dialog) {
        auto &about = static_cast<ui::LEDSignHelp &>(dialog);
        EXPECT_EQ(about.windowTitle(), QStringLiteral("About"));
        EXPECT_EQ(about.Label6->text(), QStringLiteral("LED Sign Configuration Manager"));
        EXPECT_EQ(about.Label5->text(), QStringLiteral("Email"));
        EXPECT_EQ(about.Label2->text(), QStringLiteral("Website"));
        version = about.SoftwareVersion->text();
        email = about.Label4->text();
        sample = about.rtfbuffer->toPlainText();
        QTextCursor cursor(about.rtfbuffer->document());
        cursor.movePosition(QTextCursor::NextCharacter);
        sampleColor = cursor.charFormat().foreground().color();
    };
    h.window->signAbout->trigger();
    EXPECT_EQ(h.services.dialogsShown, QStringList{QStringLiteral("LEDSignHelp")});
    EXPECT_EQ(version, QStringLiteral("Version : 4.8b"));
    EXPECT_TRUE(email.endsWith(QStringLiteral("@example.com")));
    EXPECT_EQ(sample, QStringLiteral("Test message"));
    EXPECT_EQ(sampleColor, QColor(255, 0, 0));
}

class FirmwareCheck : public ::testing::Test {
protected:
    void download(const QString &build)
    {
        w.DownloadAll_Click();
        h.mainPort().feedNow(testdumps::rw2290Dump(testdumps::sampleRows(), {}, QStringLiteral("1"), QString(),
                                                   build.isEmpty() ? QStringLiteral("RW2290")
                                                                   : QStringLiteral("RW2290,") + build)
                                 .toLatin1()
                             + "\n");
        w.ComClose_Timer();
    }
    int reminders() const
    {
        int count = 0;
        for (const auto &message : h.services.messages)
            count += message.title == QStringLiteral("Upgrade Firmware");
        return count;
    }

    MainWindowHarness h;
    ui::KestrovanMain &w = *h.window;
};

TEST_F(FirmwareCheck, OldCountRemindsOncePerChangeOfTheCount)
{
    download(QStringLiteral("2"));
    EXPECT_EQ(reminders(), 1);
    EXPECT_TRUE(h.services.messages[0].text.contains(QStringLiteral("Tarvex 4.1.rom")));
    // The whole configuration is in the window by the time the reminder shows.
    EXPECT_EQ(w.FCount->text(), QStringLiteral("2"));
    download(QStringLiteral("2"));
    EXPECT_EQ(reminders(), 1);
    download(QString());
    EXPECT_EQ(reminders(), 1);
    download(QStringLiteral("2"));
    EXPECT_EQ(reminders(), 2);
    download(QStringLiteral("41"));
    EXPECT_EQ(reminders(), 2);
}

TEST(Upgrade, StartsTheFlasherFromTheProgramFolderOrSaysWhereItLooked)
{
    MainWindowHarness h;
    const QString flasher = QCoreApplication::applicationDirPath() + QStringLiteral("/romwrite_p");
    QFile::remove(flasher);
    h.window->signUpgrade->trigger();
    ASSERT_EQ(h.services.messages.size(), 1);
    EXPECT_TRUE(h.services.messages[0].text.contains(flasher));
    EXPECT_FALSE(h.services.messages[0].text.contains(QStringLiteral(".exe")));
    EXPECT_EQ(h.services.messages[0].icon, testsupport::FakeUiServices::Icon::Warning);
    EXPECT_TRUE(h.services.startedPrograms.isEmpty());

    QFile file(flasher);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    h.window->signUpgrade->trigger();
    EXPECT_EQ(h.services.startedPrograms, QStringList{flasher});
    h.services.programsStart = false;
    h.window->signUpgrade->trigger();
    EXPECT_EQ(h.services.messages.size(), 2);
    EXPECT_TRUE(h.services.messages[1].text.contains(QStringLiteral("could not be started")));
    QFile::remove(flasher);
}

} // namespace
