// "Download from Sign" with a scripted port: the request, the closing tick, and what the dump
// puts into the controls and the baseline.
#include "dumps.h"
#include "mainwindowfixture.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

using testsupport::MainWindowHarness;


class MainWindowDownload : public ::testing::Test {
protected:
    // Runs a download whose answer is `line`, and lets the closing tick end it.
    void download(const QString &line)
    {
        w.DownloadAll_Click();
        ASSERT_TRUE(w.signPort().isOpen());
        h.mainPort().feedNow(line.toLatin1() + "\n");
        w.ComClose_Timer();
        ASSERT_FALSE(w.signPort().isOpen());
    }

    MainWindowHarness h;
    ui::KestrovanMain &w = *h.window;
};

TEST_F(MainWindowDownload, RequestsTheDumpAndWaitsForTheClosingTick)
{
    w.DownloadAll_Click();
    EXPECT_EQ(h.commandsSent(), QStringList{QStringLiteral("DOWNLOAD_ALL")});
    EXPECT_FALSE(w.DownloadAll->isEnabled());
    EXPECT_EQ(w.DownloadAll->text(), QStringLiteral("Reading..."));
    EXPECT_TRUE(w.ComClose.isActive());
    w.ComClose_Timer();
    EXPECT_FALSE(w.ComClose.isActive());
    EXPECT_FALSE(w.signPort().isOpen());
    EXPECT_EQ(w.DownloadAll->text(), QStringLiteral("Download from Sign"));
    EXPECT_TRUE(w.DownloadAll->isEnabled());
    EXPECT_TRUE(w.UploadAll->isEnabled());
    EXPECT_TRUE(w.UploadFactoryDef->isEnabled());
}

TEST_F(MainWindowDownload, FillsEveryControlAndLeavesNothingChanged)
{
    download(testdumps::sampleDump());
    EXPECT_EQ(w.LEDSignModel->text(), QStringLiteral("RW2290"));
    EXPECT_EQ(w.LEDSignModelNumber(), QStringLiteral("RW2290"));
    EXPECT_EQ(w.LEDSignBuildNumber(), QStringLiteral("41"));
    EXPECT_EQ(w.FCount->text(), QStringLiteral("41"));
    EXPECT_EQ(w.FCount->toolTip(), QStringLiteral("Firmware Count"));
    EXPECT_EQ(w.FCountLabel->toolTip(), QStringLiteral("Firmware Count"));

    const auto rows = w.priorityRows();
    const auto expected = testdumps::sampleRows();
    for (int n = 0; n < 5; ++n) {
        EXPECT_EQ(rows[n].font->currentIndex(), expected[n].font) << n;
        EXPECT_EQ(rows[n].style->currentIndex(), expected[n].style) << n;
        EXPECT_EQ(rows[n].color->currentIndex(), expected[n].color) << n;
        EXPECT_EQ(rows[n].speed->currentIndex(), expected[n].speed) << n;
        EXPECT_EQ(rows[n].alignment->currentIndex(), expected[n].alignment) << n;
        EXPECT_EQ(rows[n].pause->currentIndex(), expected[n].pause) << n;
        EXPECT_EQ(rows[n].beep->currentIndex(), expected[n].beep) << n;
        EXPECT_EQ(rows[n].timeout->text(), QString::number(expected[n].timeoutSeconds)) << n;
    }
    EXPECT_EQ(w.Capcode0[0]->text(), QStringLiteral("1000"));
    EXPECT_EQ(w.Pri0[0]->currentIndex(), 0);
    EXPECT_EQ(w.Capcode0[2]->text(), QStringLiteral("1234567,890"));
    EXPECT_EQ(w.Pri0[2]->currentIndex(), 3);
    for (int i = 3; i < 8; ++i) {
        EXPECT_TRUE(w.Capcode0[i]->text().isEmpty());
        EXPECT_EQ(w.Pri0[i]->currentIndex(), -1);
    }
    EXPECT_TRUE(w.AutoID->isChecked());
    EXPECT_EQ(w.TestLabel->text(), QStringLiteral("Auto ID True"));
    EXPECT_EQ(w.usercmd1->text(), QStringLiteral("RESET"));
    EXPECT_EQ(w.signConfig().baseline.links[2].capcode, QStringLiteral("1234567,890"));
    EXPECT_EQ(w.signConfig().baseline.links[2].priority, QStringLiteral("3"));

    EXPECT_EQ(w.getChangedRows(), 0);
    EXPECT_FALSE(w.signConfig().flags.any());
}

TEST_F(MainWindowDownload, EditsAfterADownloadAreFoundThroughTheControls)
{
    download(testdumps::sampleDump());
    w.ColorP3->setCurrentIndex(0);
    w.Capcode0[5]->setText(QStringLiteral("555"));
    w.Pri0[5]->setCurrentIndex(2);
    w.TimeoutP1->setText(QStringLiteral("010"));  // numerically the same as the sign's 10
    EXPECT_EQ(w.getChangedRows(), 3);
    const config::ChangeFlags &flags = w.signConfig().flags;
    EXPECT_EQ(flags.priorityChanged, (std::array<bool, 5>{false, false, false, true, false}));
    EXPECT_TRUE(flags.linkChanged[5]);
    EXPECT_EQ(flags.countSet(), 2);
}

TEST_F(MainWindowDownload, HeaderWithoutBuildNumberKeepsTheOldOne)
{
    download(testdumps::sampleDump());
    download(testdumps::rw2290Dump(testdumps::sampleRows(), {}, QStringLiteral("0"), QString(), QStringLiteral("RW2290")));
    EXPECT_EQ(w.FCount->text(), QStringLiteral("Not Available"));
    EXPECT_EQ(w.FCount->toolTip(), QStringLiteral("Firmware Count is available in version 3.9 and above"));
    EXPECT_EQ(w.LEDSignBuildNumber(), QStringLiteral("41"));
    EXPECT_FALSE(w.AutoID->isChecked());
    EXPECT_EQ(w.TestLabel->text(), QStringLiteral("Auto ID False"));
}

TEST_F(MainWindowDownload, ModelListsAreRebuiltBeforeTheCodesAreSelected)
{
    // A KT420 reports its fonts at their own positions: 7 is "Fat".
    download(QStringLiteral("KT420,7:7,1,4,0,0,2,21,30"));
    EXPECT_EQ(w.FontP0->count(), 25);
    EXPECT_EQ(w.FontP0->currentText(), QStringLiteral("Fat"));
    EXPECT_EQ(w.ColorP0->currentText(), QStringLiteral("Green"));
    EXPECT_FALSE(w.SpeedP0->isEnabled());
    EXPECT_FALSE(w.AlignmentP4->isEnabled());
    EXPECT_EQ(w.TimeoutP0->text(), QStringLiteral("6"));

    download(QStringLiteral("QB7,3:0,0,1,15,8,3,21,30"));
    EXPECT_EQ(w.FontP0->count(), 4);
    EXPECT_EQ(w.SpeedP0->currentText(), QStringLiteral("11 (Slowest)"));
    EXPECT_EQ(w.AlignmentP0->currentText(), QStringLiteral("Right Bottom"));
    EXPECT_TRUE(w.SpeedP0->isEnabled());
    EXPECT_EQ(w.Label12->text(), QStringLiteral("Timeout"));

    download(QStringLiteral("RW2290,41:64,65,65,48,49,48,20,5"));
    EXPECT_EQ(w.Label12->text(), QStringLiteral("Timeout"));
    EXPECT_EQ(w.FontP0->count(), 25);
}

TEST_F(MainWindowDownload, ShortDumpLeavesWhatItDoesNotCover)
{
    download(testdumps::sampleDump());
    // Two priority rows and nothing else.
    download(QStringLiteral("RW2290,41:65,66,67,49,50,48,21,50,64,65,65,48,49,48,20,5"));
    EXPECT_EQ(w.FontP0->currentIndex(), 1);
    EXPECT_EQ(w.TimeoutP0->text(), QStringLiteral("10"));
    EXPECT_EQ(w.FontP1->currentIndex(), 0);
    // Rows the dump does not reach are set back to the baseline, which holds the first download.
    EXPECT_EQ(w.FontP2->currentIndex(), testdumps::sampleRows()[2].font);
    EXPECT_EQ(w.Capcode0[2]->text(), QStringLiteral("1234567,890"));
    EXPECT_TRUE(w.AutoID->isChecked());
    EXPECT_EQ(w.usercmd1->text(), QStringLiteral("RESET"));
    EXPECT_EQ(w.getChangedRows(), 0);
}

struct CutAnswer {
    const char *name;
    int fields;  // data fields that came before the line feed
    const char *missing;
};

class MainWindowCutDownload : public MainWindowDownload, public ::testing::WithParamInterface<CutAnswer> {};

TEST_P(MainWindowCutDownload, AppliesWhatCameAndSaysWhatIsMissing)
{
    download(testdumps::sampleDump());
    // The sign has moved ID 0 and gone to user IDs since; its answer stops early.
    const QString changed = testdumps::rw2290Dump(
        testdumps::sampleRows(),
        {QStringLiteral("0,1001,0"), QStringLiteral("1,2000,1"), QStringLiteral("2,1234567,3"), QStringLiteral("2,890,3")},
        QStringLiteral("0"), QStringLiteral("REBOOT"));
    const qsizetype colon = changed.indexOf(u':');
    download(changed.left(colon + 1) + changed.mid(colon + 1).split(u',').mid(0, GetParam().fields).join(u','));

    EXPECT_EQ(w.Textout->text(), QStringLiteral("The sign's answer was incomplete: %1. What it did not send was left as it was.")
                                     .arg(QString::fromLatin1(GetParam().missing)));
    EXPECT_EQ(w.Capcode0[0]->text(), QStringLiteral("1001"));
    EXPECT_EQ(w.Capcode0[2]->text(), QStringLiteral("1234567,890"));
    EXPECT_TRUE(w.AutoID->isChecked());
    EXPECT_EQ(w.usercmd1->text(), QStringLiteral("RESET"));
    EXPECT_EQ(w.getChangedRows(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, MainWindowCutDownload,
    ::testing::Values(CutAnswer{"AfterTheLinkTriples", 88, "the ID mode and the user command are missing"},
                      CutAnswer{"AfterTheFirstTriple", 43,
                                "the link triples 2 to 16, the ID mode and the user command are missing"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(MainWindowDownload, EchoInTheHeaderAndAFontOutsideTheList)
{
    download(QStringLiteral("DOWNLOAD_ALLRW2290,12:63,65,65,48,49,48,20,5"));
    EXPECT_EQ(w.LEDSignModelNumber(), QStringLiteral("RW2290"));
    EXPECT_EQ(w.FCount->text(), QStringLiteral("12"));
    EXPECT_EQ(w.FontP0->currentIndex(), -1);
    EXPECT_EQ(w.signConfig().baseline.priorities[0].font, -1);
}

TEST_F(MainWindowDownload, EmptyHeaderKeepsThePanelAndGivesTheStandardLists)
{
    w.show();
    w.HidePriority_Click();
    download(QStringLiteral(":64,65,65,48,49,48,20,5"));
    EXPECT_TRUE(w.LEDSignModel->text().isEmpty());
    EXPECT_FALSE(w.ShowPriority->isHidden());
    EXPECT_EQ(w.StyleP0->count(), 28);
}

TEST_F(MainWindowDownload, DumpThatStillArrivesAtTheClosingTickIsNotCutOff)
{
    const QByteArray dump = testdumps::sampleDump().toLatin1();
    w.DownloadAll_Click();
    h.mainPort().feedNow(dump.left(100));
    w.ComClose_Timer();
    EXPECT_TRUE(w.signPort().isOpen());
    EXPECT_TRUE(w.ComClose.isActive());
    h.mainPort().feedNow(dump.mid(100) + "\n");
    EXPECT_EQ(w.usercmd1->text(), QStringLiteral("RESET"));
    w.ComClose_Timer();
    EXPECT_FALSE(w.signPort().isOpen());
    EXPECT_TRUE(w.DownloadAll->isEnabled());
}

TEST_F(MainWindowDownload, PortThatCannotBeOpenedIsNamedInTheList)
{
    w.ComportsList->setCurrentIndex(4);
    h.mainPort().failNextOpens({signlink::OpenError::NoSuchPort, QStringLiteral("/dev/ttyUSB0 does not exist.")});
    w.DownloadAll_Click();
    EXPECT_EQ(w.ComportsList->itemText(4), QStringLiteral("5-/dev/ttyUSB0 does not exist."));
    EXPECT_TRUE(h.mainPort().writes.isEmpty());
    EXPECT_FALSE(w.ComClose.isActive());
    EXPECT_TRUE(w.DownloadAll->isEnabled());
    EXPECT_TRUE(h.services.messages.isEmpty());
    h.mainPort().succeedOpens();
    w.DownloadAll_Click();
    EXPECT_EQ(h.mainPort().openedPorts, QList<int>{5});
}

TEST_F(MainWindowDownload, SetupDefaultMessageDuringADownloadGivesEveryButtonBack)
{
    w.DownloadAll_Click();
    w.SetupDefaultMsg_Click();
    EXPECT_FALSE(w.signPort().isOpen());
    EXPECT_FALSE(w.ComClose.isActive());
    EXPECT_TRUE(w.DownloadAll->isEnabled());
    EXPECT_TRUE(w.UploadAll->isEnabled());
    EXPECT_TRUE(w.UploadFactoryDef->isEnabled());
    EXPECT_EQ(w.DownloadAll->text(), QStringLiteral("Download from Sign"));
}

TEST_F(MainWindowDownload, UserCommandWithDoneIsTakenForAnAcknowledgement)
{
    w.DownloadAll_Click();
    const QString line = testdumps::rw2290Dump(testdumps::sampleRows(), {}, QStringLiteral("1"), QStringLiteral("done"));
    h.mainPort().feedNow(line.toLatin1() + "\n");
    EXPECT_TRUE(w.LEDSignModel->text().isEmpty());
    EXPECT_TRUE(w.Textout->text().startsWith(QStringLiteral("Uploaded ")));
    // The request ends without a configuration, and the status line says so.
    w.ComClose_Timer();
    EXPECT_EQ(w.Textout->text(), QStringLiteral("The sign on COM 1 answered, but did not send its configuration."));
}

} // namespace
