// The actions that change one sign setting at once: ID mode, forced ID 0, factory defaults.
#include "dumps.h"
#include "mainwindowdriving.h"
#include "mainwindowfixture.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "ui/main/warning.h"

namespace {

using testsupport::MainWindowHarness;

class MainWindowIdModes : public ::testing::Test {
protected:
    void SetUp() override { w.show(); }

    QStringList labels() const
    {
        QStringList texts;
        for (int i = 0; i < 8; ++i)
            texts << w.findChild<QLabel *>(QStringLiteral("LabelID%1").arg(i))->text();
        return texts;
    }

    MainWindowHarness h;
    ui::KestrovanMain &w = *h.window;
};

TEST_F(MainWindowIdModes, MousePressSwitchesTheModeAndTheReleaseDoesNotToggleAgain)
{
    QTest::mousePress(w.AutoID, Qt::LeftButton);
    EXPECT_TRUE(w.AutoID->isChecked());
    EXPECT_EQ(h.commandsSent(), QStringList{QStringLiteral("<id=auto>")});
    // The controls come back once the switch has let the port go.
    ASSERT_TRUE(testsupport::waitUntil([&] { return w.AutoID->isEnabled() && w.DownloadAll->isEnabled(); }));
    QTest::mouseRelease(w.AutoID, Qt::LeftButton);
    EXPECT_TRUE(w.AutoID->isChecked());

    QTest::mouseClick(w.AutoID, Qt::LeftButton);
    EXPECT_FALSE(w.AutoID->isChecked());
    EXPECT_EQ(h.commandsSent().last(), QStringLiteral("<id=user>"));
    EXPECT_EQ(h.mainPort().writes.size(), 2);
}

TEST_F(MainWindowIdModes, ControlsAreDisabledWhileThePortIsHeld)
{
    bool seenDisabled = false;
    QTimer::singleShot(50, &w, [&] {
        seenDisabled = !w.AutoID->isEnabled() && !w.DownloadAll->isEnabled() && !w.UploadAll->isEnabled()
                       && w.signPort().isOpen();
    });
    QTest::mousePress(w.AutoID, Qt::LeftButton);
    ASSERT_TRUE(testsupport::waitUntil([&] { return w.AutoID->isEnabled(); }));
    EXPECT_TRUE(seenDisabled);
}

TEST_F(MainWindowIdModes, KeyboardTogglesTheBoxAndSendsNothing)
{
    w.AutoID->setFocus();
    QTest::keyClick(w.AutoID, Qt::Key_Space);
    EXPECT_TRUE(w.AutoID->isChecked());
    EXPECT_EQ(h.mainPort().openAttempts, 0);
    // The next upload finds the difference.
    w.UploadTimer.setInterval(3600 * 1000);
    for (QLineEdit *timeout : {w.TimeoutP0, w.TimeoutP1, w.TimeoutP2, w.TimeoutP3, w.TimeoutP4})
        timeout->setText(QStringLiteral("0"));
    w.UploadAll_Click();
    EXPECT_TRUE(w.signConfig().flags.autoIdChanged);
}

TEST_F(MainWindowIdModes, PortThatCannotBeOpenedLeavesTheBoxAsItWas)
{
    w.ComportsList->setCurrentIndex(8);
    h.mainPort().failNextOpens({signlink::OpenError::NoSuchPort, QStringLiteral("gone")});
    QTest::mouseClick(w.AutoID, Qt::LeftButton);
    EXPECT_FALSE(w.AutoID->isChecked());
    ASSERT_EQ(h.services.messages.size(), 1);
    EXPECT_EQ(h.services.messages[0].text, QStringLiteral("Cannot Open Port:9\r\nPlease Change Comport"));
    EXPECT_TRUE(h.mainPort().writes.isEmpty());
}

TEST_F(MainWindowIdModes, ForcedIdZeroRelabelsTheLinkRows)
{
    w.ForceOnID0->click();
    EXPECT_TRUE(w.ForceOnID0->isChecked());
    EXPECT_EQ(labels(), QStringList(8, QStringLiteral("ID   0")));
    EXPECT_EQ(h.commandsSent(), QStringList{QStringLiteral("<FORCE id=0>")});
    // The box waits while the switch holds the port.
    EXPECT_FALSE(w.ForceOnID0->isEnabled());
    ASSERT_TRUE(testsupport::waitUntil([&] { return w.ForceOnID0->isEnabled(); }));

    w.ForceOnID0->click();
    EXPECT_EQ(labels(), (QStringList{QStringLiteral("ID   0"), QStringLiteral("ID   1"), QStringLiteral("ID   2"),
                                     QStringLiteral("ID   3"), QStringLiteral("ID   4"), QStringLiteral("ID   5"),
                                     QStringLiteral("ID   6"), QStringLiteral("ID   7")}));
    EXPECT_EQ(h.commandsSent().last(), QStringLiteral("<FORCE_ID_OFF>"));
}

TEST_F(MainWindowIdModes, ForcedIdWithAPortThatCannotBeOpenedKeepsTheBoxAndLabels)
{
    h.mainPort().failNextOpens({signlink::OpenError::Busy, QStringLiteral("held by another program")});
    w.ForceOnID0->click();
    EXPECT_TRUE(w.ForceOnID0->isChecked());
    EXPECT_EQ(labels().at(7), QStringLiteral("ID   7"));
    ASSERT_EQ(h.services.messages.size(), 1);
    EXPECT_EQ(h.services.messages[0].text, QStringLiteral("Cannot Open Port:1\r\nheld by another program"));
}

TEST_F(MainWindowIdModes, SwitchDuringAnUploadLeavesTheUploadItsPort)
{
    w.UploadTimer.setInterval(3600 * 1000);
    for (QLineEdit *timeout : {w.TimeoutP0, w.TimeoutP1, w.TimeoutP2, w.TimeoutP3, w.TimeoutP4})
        timeout->setText(QStringLiteral("0"));
    w.ForceUpload_Click();
    QTest::mouseClick(w.AutoID, Qt::LeftButton);
    EXPECT_TRUE(w.signPort().isOpen());
    EXPECT_FALSE(w.UploadAll->isEnabled());
    testsupport::uploadTick(w);
    EXPECT_EQ(h.commandsSent().last(), QStringLiteral("<DF pr=0 f=-1 c=-1 s=-1 a=-1 sp=-1 p=-1 b=-1 t=0>"));
}

class MainWindowFactoryDefaults : public MainWindowIdModes {
protected:
    void answer(QPushButton *ui::Warning::*button)
    {
        h.services.onDialog = [button](QDialog &dialog) {
            auto &warning = static_cast<ui::Warning &>(dialog);
            EXPECT_EQ(warning.windowTitle(), QStringLiteral("Setup Factory Defaults"));
            EXPECT_EQ(warning.Label1->text(), QStringLiteral("Loading Factory Defaults will delete all the settings "
                                                             "currently stored. Do you wish to continue ?"));
            (warning.*button)->click();
        };
    }
};

TEST_F(MainWindowFactoryDefaults, NoSendsNothing)
{
    answer(&ui::Warning::No);
    w.UploadFactoryDef->click();
    EXPECT_EQ(h.services.dialogsShown, QStringList{QStringLiteral("Warning")});
    EXPECT_EQ(h.mainPort().openAttempts, 0);
    EXPECT_FALSE(w.FactoryDef.isActive());
}

TEST_F(MainWindowFactoryDefaults, YesSendsTheResetAndReadsTheSignBackHalfASecondLater)
{
    answer(&ui::Warning::Yes);
    w.UploadFactoryDef->click();
    EXPECT_EQ(h.commandsSent(), QStringList{QStringLiteral("<FD>")});
    EXPECT_TRUE(w.FactoryDef.isActive());
    EXPECT_EQ(w.ProgressUploadAll->maximum(), 20);
    EXPECT_FALSE(w.UploadFactoryDef->isEnabled());
    EXPECT_FALSE(w.DownloadAll->isEnabled());
    EXPECT_FALSE(w.UploadAll->isEnabled());

    w.FactoryDef_Timer();
    EXPECT_FALSE(w.FactoryDef.isActive());
    EXPECT_EQ(h.commandsSent().last(), QStringLiteral("DOWNLOAD_ALL"));
    EXPECT_EQ(h.mainPort().closeCount, 1);
    EXPECT_TRUE(w.signPort().isOpen());
    h.mainPort().feedNow(testdumps::sampleDump().toLatin1() + "\n");
    w.ComClose_Timer();
    EXPECT_EQ(w.usercmd1->text(), QStringLiteral("RESET"));
    EXPECT_TRUE(w.UploadFactoryDef->isEnabled());
    EXPECT_TRUE(w.DownloadAll->isEnabled());
    EXPECT_TRUE(w.UploadAll->isEnabled());
}

TEST_F(MainWindowFactoryDefaults, YesWithAPortThatCannotBeOpenedSaysSoAndStartsNothing)
{
    answer(&ui::Warning::Yes);
    h.mainPort().failNextOpens({signlink::OpenError::NoSuchPort, QStringLiteral("gone")});
    w.UploadFactoryDef->click();
    ASSERT_EQ(h.services.messages.size(), 1);
    EXPECT_EQ(h.services.messages[0].text, QStringLiteral("Cannot Open Port:1\r\nPlease Change Comport"));
    EXPECT_TRUE(h.mainPort().writes.isEmpty());
    EXPECT_FALSE(w.FactoryDef.isActive());
    EXPECT_TRUE(w.UploadFactoryDef->isEnabled());
    EXPECT_TRUE(w.DownloadAll->isEnabled());
    EXPECT_TRUE(w.UploadAll->isEnabled());
}

} // namespace
