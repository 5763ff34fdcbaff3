// The main window as it stands right after start-up, before the operator does anything.
#include "mainwindowfixture.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace {

using testsupport::MainWindowHarness;

class MainWindowStartup : public ::testing::Test {
protected:
    MainWindowHarness h;
    ui::KestrovanMain &w = *h.window;
};

TEST_F(MainWindowStartup, TitleAndNothingTouchedYet)
{
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Sign Configuration Manager ver 4.8b"));
    EXPECT_EQ(h.mainPort().openAttempts, 0);
    EXPECT_TRUE(h.mainPort().writes.isEmpty());
    EXPECT_TRUE(h.services.openedUrls.isEmpty());
    EXPECT_TRUE(w.LEDSignModelNumber().isEmpty());
    EXPECT_TRUE(w.LEDSignBuildNumber().isEmpty());
    EXPECT_EQ(w.getSaveSettingsTick(), 1);
    EXPECT_TRUE(w.signConfig().configFileName.isEmpty());
    EXPECT_FALSE(w.signConfig().flags.any());
    EXPECT_EQ(w.signConfig().baseline, config::Baseline{});
    for (QTimer *timer : w.findChildren<QTimer *>())
        EXPECT_FALSE(timer->isActive()) << timer->objectName().toStdString();
}

TEST_F(MainWindowStartup, DisplayDefaultsHoldTheStandardListsWithNothingSelected)
{
    for (const ui::PriorityRowControls &row : w.priorityRows()) {
        const std::pair<QComboBox *, int> lists[] = {{row.font, 25},  {row.style, 28},    {row.color, 13},
                                                     {row.speed, 5},  {row.alignment, 3}, {row.pause, 10},
                                                     {row.beep, 3}};
        for (const auto &[list, count] : lists) {
            EXPECT_EQ(list->count(), count) << list->objectName().toStdString();
            EXPECT_EQ(list->currentIndex(), -1) << list->objectName().toStdString();
            EXPECT_TRUE(list->isEnabled());
        }
        EXPECT_TRUE(row.timeout->text().isEmpty());
    }
    EXPECT_EQ(w.FontP2->itemText(24), QStringLiteral("Shade 31"));
    EXPECT_EQ(w.ColorP4->itemText(12), QStringLiteral("Black"));
    EXPECT_EQ(w.StyleP0->itemText(6), QStringLiteral("Roll in"));
}

TEST_F(MainWindowStartup, LinkRowsAndPortList)
{
    for (int i = 0; i < config::LinkCount; ++i) {
        EXPECT_EQ(w.Pri0[i]->count(), 5);
        EXPECT_EQ(w.Pri0[i]->currentIndex(), -1);
        EXPECT_EQ(w.Pri0[i]->itemText(4), QStringLiteral("Priority 4"));
        EXPECT_TRUE(w.Capcode0[i]->text().isEmpty());
        auto *label = w.findChild<QLabel *>(QStringLiteral("LabelID%1").arg(i));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), QStringLiteral("ID   %1").arg(i));
    }
    ASSERT_EQ(w.ComportsList->count(), 12);
    EXPECT_EQ(w.ComportsList->currentText(), QStringLiteral("COM 1"));
    EXPECT_EQ(w.ComportsList->itemText(11), QStringLiteral("COM 12"));
    EXPECT_FALSE(w.AutoID->isChecked());
    EXPECT_FALSE(w.ForceOnID0->isChecked());
}

struct Caption {
    const char *control;
    const char *text;
};

class MainWindowCaption : public MainWindowStartup, public ::testing::WithParamInterface<Caption> {};

TEST_P(MainWindowCaption, IsExact)
{
    QObject *control = w.findChild<QObject *>(QString::fromLatin1(GetParam().control));
    ASSERT_NE(control, nullptr) << GetParam().control;
    EXPECT_EQ(control->property("text").toString(), QString::fromUtf8(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Controls, MainWindowCaption,
    ::testing::Values(Caption{"TestBtn", "Test"}, Caption{"ForceOnID0", "Force all messages to ID 0"},
                      Caption{"ForceUpload", "Force Upload"}, Caption{"SetupDefaultMsg", "Setup Default Message"},
                      Caption{"Label24", "User Defined Reset Command"}, Caption{"AutoID", "Auto sequence messages"},
                      Caption{"Label21", "Linked to Capcode"}, Caption{"Label22", "Linked to Priority"},
                      Caption{"Label0", "Priority 0"}, Caption{"Label4", "Priority 4"}, Caption{"Label5", "Font"},
                      Caption{"Label6", "Style"}, Caption{"Label7", "Color"}, Caption{"label8", "Speed"},
                      Caption{"Label9", "Align"}, Caption{"Label10", "Pause"}, Caption{"Label11", "Beep"},
                      Caption{"Label12", "Timeout (Secs)"}, Caption{"SendTestMsg", "Send Test Message"},
                      Caption{"UploadFactoryDef", "Upload Factory Defaults"}, Caption{"UploadAll", "Upload to Sign"},
                      Caption{"DownloadAll", "Download from Sign"}, Caption{"TestOut", "TestOut"},
                      Caption{"FCountLabel", "Build No : "}, Caption{"Label23", "Type  : "}, Caption{"C", "Comport"},
                      Caption{"signOpenFile", "&Open"}, Caption{"signSaveAs", "Save"},
                      Caption{"signExit", "E&xit"}, Caption{"signUpgrade", "&Upgrade"}, Caption{"signAbout", "&About"}),
    [](const auto &info) { return std::string(info.param.control); });

TEST_F(MainWindowStartup, MenusCarryTheirAccessKeys)
{
    EXPECT_EQ(w.signFile->title(), QStringLiteral("&File"));
    EXPECT_EQ(w.signTools->title(), QStringLiteral("&Tools"));
    EXPECT_EQ(w.signHelp->title(), QStringLiteral("&Help"));
    const QList<QAction *> file = w.signFile->actions();
    // Open, Open Backup | Save | Compare with Sign | Exit
    ASSERT_EQ(file.size(), 8);
    EXPECT_TRUE(file[2]->isSeparator());
    EXPECT_TRUE(file[4]->isSeparator());
    EXPECT_TRUE(file[6]->isSeparator());
    EXPECT_EQ(w.AutoID->toolTip(), QStringLiteral("Increment IDs Automatically for incoming messages"));
}

struct Accessible {
    const char *control;
    const char *name;
};

class MainWindowAccessibleName : public MainWindowStartup, public ::testing::WithParamInterface<Accessible> {};

TEST_P(MainWindowAccessibleName, IsSet)
{
    auto *control = w.findChild<QWidget *>(QString::fromLatin1(GetParam().control));
    ASSERT_NE(control, nullptr) << GetParam().control;
    EXPECT_EQ(control->accessibleName(), QString::fromUtf8(GetParam().name));
    if (qobject_cast<QComboBox *>(control)) {
        EXPECT_EQ(control->accessibleDescription(), QString::fromUtf8(GetParam().name));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Controls, MainWindowAccessibleName,
    ::testing::Values(Accessible{"FontP0", "Priority 0 Font"}, Accessible{"StyleP1", "Priority 1 Style"},
                      Accessible{"ColorP2", "Priority 2 Color"}, Accessible{"SpeedP3", "Priority 3 Speed"},
                      Accessible{"AlignmentP4", "Priority 4 Align"}, Accessible{"PauseP0", "Priority 0 Pause"},
                      Accessible{"BeepP4", "Priority 4 Beep"}, Accessible{"TimeoutP3", "Priority 3 Timeout"},
                      Accessible{"Capcode0[0]", "ID 0 Capcode"}, Accessible{"Capcode0[7]", "ID 7 Capcode"},
                      Accessible{"Pri0[3]", "ID 3 Priority"}, Accessible{"ComportsList", "Comport"},
                      Accessible{"usercmd1", "User Defined Reset Command"},
                      Accessible{"ProgressUploadAll", "Upload progress"},
                      Accessible{"ShowPriority", "Show priority settings"},
                      Accessible{"HidePriority", "Hide priority settings"}, Accessible{"Image1", "Maker's home page"}),
    [](const auto &info) {
        std::string name = info.param.control;
        for (char &c : name)
            if (c == '[' || c == ']')
                c = '_';
        return name;
    });

TEST_F(MainWindowStartup, ValueLabelsKeepTheirTextAsNameAndSayTheirRole)
{
    const std::pair<QLabel *, const char *> labels[] = {
        {w.Textout, "Status"}, {w.LEDSignModel, "Type"}, {w.FCount, "Build No"}, {w.TestLabel, "ID mode"}};
    for (const auto &[label, role] : labels) {
        EXPECT_TRUE(label->accessibleName().isEmpty()) << role;
        EXPECT_EQ(label->accessibleDescription(), QString::fromLatin1(role));
    }
}

TEST_F(MainWindowStartup, PriorityPanelIsOpenAndTogglesWithItsTwoButtons)
{
    w.show();
    EXPECT_FALSE(w.ShowPriority->isVisible());
    EXPECT_TRUE(w.HidePriority->isVisible());
    EXPECT_TRUE(w.FontP0->isVisible());

    w.HidePriority->click();
    EXPECT_TRUE(w.ShowPriority->isVisible());
    EXPECT_FALSE(w.HidePriority->isVisible());
    EXPECT_FALSE(w.FontP0->isVisible());
    const int hiddenHeight = w.height();

    w.ShowPriority->click();
    EXPECT_FALSE(w.ShowPriority->isVisible());
    EXPECT_TRUE(w.HidePriority->isVisible());
    EXPECT_TRUE(w.FontP0->isVisible());
    EXPECT_GT(w.height(), hiddenHeight);
}

} // namespace
