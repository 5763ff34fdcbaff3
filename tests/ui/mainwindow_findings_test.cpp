// What a new user and a hostile sign found in the main window: failures that must be told,
// changes that must not be lost, and a port that nothing else may touch while a sequence runs.
#include "dumps.h"
#include "mainwindowdriving.h"
#include "mainwindowfixture.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

using testsupport::FakeUiServices;
using testsupport::MainWindowHarness;
// Positions of the answers of the close question.
constexpr int Upload = 0, Discard = 1, Cancel = 2;

class MainWindowFindings : public ::testing::Test {
protected:
    void SetUp() override { w.UploadTimer.setInterval(3600 * 1000); }

    // A download whose answer is `bytes` (as they arrive, line feeds included).
    void download(const QByteArray &bytes)
    {
        w.DownloadAll_Click();
        ASSERT_TRUE(w.signPort().isOpen());
        h.mainPort().feedNow(bytes);
        w.ComClose_Timer();
        h.mainPort().writes.clear();
    }
    void downloadSample() { download(testdumps::sampleDump().toLatin1() + "\n"); }

    int tickToEnd(int limit = 40)
    {
        int ticks = 0;
        while (w.UploadTimer.isActive() && ticks++ < limit)
            testsupport::uploadTick(w);
        return ticks;
    }

    MainWindowHarness h;
    ui::KestrovanMain &w = *h.window;
};

// ---- failures that are told ----

struct Answer {
    const char *name;
    QByteArray bytes;
    int com;
    const char *status;  // empty: the status line does not claim a silent sign
};

class DownloadAnswer : public MainWindowFindings, public ::testing::WithParamInterface<Answer> {};

TEST_P(DownloadAnswer, StatusSaysWhatCameBack)
{
    w.ComportsList->setCurrentIndex(GetParam().com - 1);
    w.DownloadAll_Click();
    h.mainPort().feedNow(GetParam().bytes);
    // An unfinished line is dropped by the line time-out first; the request then ends.
    for (int tick = 0; tick <= 10; ++tick)
        w.DataTimeout_Timer();
    w.ComClose_Timer();
    EXPECT_EQ(w.DownloadAll->text(), QStringLiteral("Download from Sign"));
    if (*GetParam().status)
        EXPECT_EQ(w.Textout->text(), QString::fromLatin1(GetParam().status));
    else
        EXPECT_FALSE(w.Textout->text().contains(QStringLiteral("COM"))) << w.Textout->text().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Answers, DownloadAnswer,
    ::testing::Values(
        Answer{"Silent", "", 1, "No answer from the sign on COM 1. Check the cable, the power and the COM number."},
        Answer{"SilentOnTwelve", "", 12,
               "No answer from the sign on COM 12. Check the cable, the power and the COM number."},
        Answer{"UnfinishedLine", "RW2290,41:64,65", 1,
               "The answer of the sign on COM 1 was cut off before its configuration was complete. "
               "Nothing was changed; try again."},
        Answer{"ErrorOnly", "error\n", 3, "The sign on COM 3 answered, but did not send its configuration."},
        Answer{"Dump", testdumps::sampleDump().toLatin1() + "\n", 1, ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(MainWindowFindings, ItemsTheSignRefusesAreNamedAndStayForTheNextUpload)
{
    downloadSample();
    w.ColorP2->setCurrentIndex(7);
    w.Capcode0[6]->setText(QStringLiteral("4711"));
    w.usercmd1->setText(QStringLiteral("REBOOT"));
    w.UploadAll_Click();
    testsupport::uploadTick(w);  // priority 2
    h.mainPort().feedNow("error\n");
    testsupport::uploadTick(w);  // user command
    h.mainPort().feedNow("done\n");
    testsupport::uploadTick(w);  // ID 6
    h.mainPort().feedNow("ERROR\n");
    testsupport::uploadTick(w);
    ASSERT_FALSE(w.UploadTimer.isActive());
    EXPECT_EQ(w.Textout->text(), QStringLiteral("The sign refused 2 items: Priority 2, ID 6. They stay marked and go "
                                                "with the next upload."));
    EXPECT_TRUE(w.Label2->font().bold());
    EXPECT_TRUE(w.LabelID6->font().bold());
    EXPECT_FALSE(w.Label24->font().bold());

    h.mainPort().writes.clear();
    w.UploadAll_Click();
    EXPECT_EQ(tickToEnd(), 3);
    EXPECT_EQ(h.commandsSent(), (QStringList{QStringLiteral("<DF pr=2 f=6 c=7 s=2 a=2 sp=4 p=5 b=2 t=15>"),
                                             QStringLiteral("<link id=6 cap=0>"),
                                             QStringLiteral("<link id=6 cap=4711 pr=0>")}));
    EXPECT_FALSE(w.Textout->text().contains(QStringLiteral("refused")));
}

TEST_F(MainWindowFindings, CommandLongerThanTheSignTakesIsRefusedBeforeAnythingGoes)
{
    downloadSample();
    w.Capcode0[3]->setText(QString(32767, u'7'));
    w.UploadAll_Click();
    ASSERT_EQ(h.services.messages.size(), 1);
    EXPECT_TRUE(h.services.messages[0].text.startsWith(QStringLiteral("The capcode of ID 3:")));
    EXPECT_TRUE(h.services.messages[0].text.contains(QStringLiteral("at most 1023")));
    EXPECT_FALSE(w.UploadTimer.isActive());
    EXPECT_TRUE(h.mainPort().writes.isEmpty());
}

struct OpenFailure {
    const char *name;
    signlink::OpenError error;
    const char *description;
};

class PortFailure : public MainWindowFindings, public ::testing::WithParamInterface<OpenFailure> {};

TEST_P(PortFailure, ItemKeepsItsShortTextAndTheReasonIsShownWhole)
{
    const QString reason = QString::fromLatin1(GetParam().description);
    w.ComportsList->setCurrentIndex(4);
    h.mainPort().failNextOpens({GetParam().error, reason});
    w.DownloadAll_Click();
    EXPECT_EQ(w.ComportsList->itemText(4), QStringLiteral("5-") + reason);
    EXPECT_EQ(w.ComportsList->itemData(4, Qt::ToolTipRole).toString(), reason);
    EXPECT_EQ(w.Textout->text(), QStringLiteral("COM 5 could not be opened: ") + reason);
    EXPECT_TRUE(w.DownloadAll->isEnabled());
    EXPECT_FALSE(w.ComClose.isActive());
}

INSTANTIATE_TEST_SUITE_P(
    Failures, PortFailure,
    ::testing::Values(OpenFailure{"Missing", signlink::OpenError::NoSuchPort, "/dev/ttyUSB0 does not exist."},
                      OpenFailure{"Busy", signlink::OpenError::Busy, "/dev/ttyUSB0 is in use by another program."},
                      OpenFailure{"Permission", signlink::OpenError::PermissionDenied,
                                  "Permission denied on /dev/ttyUSB0. Add your user to the group \"dialout\"."},
                      OpenFailure{"Other", signlink::OpenError::Other, "/dev/ttyUSB0: Input/output error"}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- what a hostile sign sends ----

class NoisyDump : public MainWindowFindings, public ::testing::WithParamInterface<QByteArray> {};

TEST_P(NoisyDump, ModelIsFoundAndTheNextUploadSendsNothing)
{
    download(GetParam() + testdumps::sampleDump().toLatin1() + "\n");
    EXPECT_EQ(w.LEDSignModel->text(), QStringLiteral("RW2290"));
    EXPECT_EQ(w.FontP1->currentIndex(), 5);
    EXPECT_EQ(w.Capcode0[2]->text(), QStringLiteral("1234567,890"));
    w.UploadAll_Click();
    EXPECT_EQ(tickToEnd(), 1);
    EXPECT_TRUE(h.mainPort().writes.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Fronts, NoisyDump,
                         ::testing::Values(QByteArray("DOWNLOAD_ALL\r"), QByteArray("\x00\xff\xff", 3),
                                           QByteArray("\r"), QByteArray("xyz")));

TEST_F(MainWindowFindings, ValuesNoListHoldsAreNotUploadedAsNothingSelected)
{
    downloadSample();
    // A sign whose header names no known model, answering in the RW2290 value form.
    const QString line = testdumps::rw2290Dump(testdumps::sampleRows(), {QStringLiteral("0,1000,0")},
                                               QStringLiteral("1"), QStringLiteral("RESET"),
                                               QStringLiteral("\x1b[0m"));
    download(line.toLatin1() + "\n");
    EXPECT_EQ(w.FontP1->currentIndex(), 5);  // the value from before stays
    EXPECT_TRUE(w.Textout->text().contains(QStringLiteral("Priority 0 Font 64"))) << w.Textout->text().toStdString();
    w.UploadAll_Click();
    tickToEnd();
    for (const QString &sent : h.commandsSent())
        EXPECT_FALSE(sent.contains(QStringLiteral("=-1"))) << sent.toStdString();
}

TEST_F(MainWindowFindings, DumpSentUnaskedDuringAnUploadKeepsTheItemsNotYetSent)
{
    downloadSample();
    w.SpeedP2->setCurrentIndex(0);
    w.Capcode0[6]->setText(QStringLiteral("4711"));
    w.UploadAll_Click();
    testsupport::uploadTick(w);
    h.mainPort().feedNow(testdumps::sampleDump().toLatin1() + "\n");
    EXPECT_EQ(w.Capcode0[6]->text(), QStringLiteral("4711"));
    EXPECT_TRUE(w.signConfig().flags.linkChanged[6]);
    tickToEnd();
    EXPECT_EQ(h.commandsSent().mid(1),
              (QStringList{QStringLiteral("<link id=6 cap=0>"), QStringLiteral("<link id=6 cap=4711 pr=0>")}));
}

TEST_F(MainWindowFindings, DumpSentUnaskedAfterASwitchKeepsTheEdits)
{
    downloadSample();
    w.SpeedP2->setCurrentIndex(0);
    w.Capcode0[6]->setText(QStringLiteral("4711"));
    // The sign follows its answer to the switch with its dump, while the switch holds the port.
    QTimer::singleShot(0, &w, [&] { h.mainPort().feed("ID Forced : 0\n" + testdumps::sampleDump().toLatin1() + "\n"); });
    w.ForceOnID0->click();
    ASSERT_TRUE(testsupport::waitUntil([&] { return w.ForceOnID0->isEnabled(); }));
    EXPECT_EQ(w.Textout->text(), QStringLiteral("The sign sent its configuration unasked; it was not applied."));
    EXPECT_EQ(w.SpeedP2->currentIndex(), 0);
    EXPECT_EQ(w.Capcode0[6]->text(), QStringLiteral("4711"));
    h.mainPort().writes.clear();
    w.UploadAll_Click();
    tickToEnd();
    const QStringList sent = h.commandsSent();
    ASSERT_EQ(sent.size(), 3) << sent.join(u'|').toStdString();
    EXPECT_TRUE(sent[0].startsWith(QStringLiteral("<DF pr=2 "))) << sent[0].toStdString();
    EXPECT_EQ(sent[2], QStringLiteral("<link id=6 cap=4711 pr=0>"));
}

// ---- nothing thrown away without a question ----

TEST_F(MainWindowFindings, ClosingWithoutChangesAsksNothing)
{
    downloadSample();
    w.show();
    EXPECT_TRUE(w.close());
    EXPECT_TRUE(h.services.questions.isEmpty());
}

TEST_F(MainWindowFindings, ClosingWithChangesAsksAndDoesWhatIsAnswered)
{
    downloadSample();
    w.show();
    w.TimeoutP4->setText(QStringLiteral("40"));

    h.services.nextAnswers = {Cancel};
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(h.services.questions.size(), 1);

    // Upload, then close once the sign holds it.
    h.services.nextAnswers = {Upload};
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.UploadTimer.isActive());
    tickToEnd();
    EXPECT_EQ(h.commandsSent(), QStringList{QStringLiteral("<DF pr=4 f=8 c=5 s=4 a=1 sp=1 p=7 b=0 t=40>")});
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 2000);
    EXPECT_EQ(h.services.questions.size(), 2);

    w.show();
    w.TimeoutP4->setText(QStringLiteral("45"));
    h.services.nextAnswers = {Discard};
    EXPECT_TRUE(w.close());
}

TEST_F(MainWindowFindings, ClosingWithAKeptDefaultMessageAsksAboutItToo)
{
    downloadSample();
    w.show();
    w.SaveDefaultMsg(QStringLiteral("Sale"), 1, 1, 1, 1, 1, 1);
    w.setDefaultMsgUnsent(true);
    EXPECT_TRUE(w.windowTitle().startsWith(u'*'));

    // The message alone: its own window uploads it.
    h.services.nextAnswers = {Upload};
    EXPECT_FALSE(w.close());
    ASSERT_EQ(h.services.questions.size(), 1);
    EXPECT_EQ(h.services.questions[0].captions, QStringList({"Setup &Default Message", "&Discard", "Cancel"}));
    EXPECT_TRUE(h.services.questions[0].text.contains(QStringLiteral("default message")));
    QTRY_COMPARE_WITH_TIMEOUT(h.services.dialogsShown, QStringList{QStringLiteral("KestrovanDefaultMessage")}, 2000);
    EXPECT_TRUE(w.isVisible());

    // With other changes: Upload sends those, then the message is asked about on its own.
    w.TimeoutP4->setText(QStringLiteral("40"));
    h.services.nextAnswers = {Upload, Discard};
    EXPECT_FALSE(w.close());
    EXPECT_EQ(h.services.questions[1].captions, QStringList({"&Upload to Sign", "&Discard", "Cancel"}));
    EXPECT_TRUE(h.services.questions[1].text.contains(QStringLiteral("default message")));
    tickToEnd();
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 2000);
    ASSERT_EQ(h.services.questions.size(), 3);
    EXPECT_EQ(h.services.questions[2].captions[0], QStringLiteral("Setup &Default Message"));
}

TEST_F(MainWindowFindings, ClosingWhileASequenceRunsWaitsForIt)
{
    downloadSample();
    w.show();
    w.ForceUpload_Click();
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.signPort().isOpen());
    EXPECT_TRUE(h.services.questions.isEmpty());
}

TEST_F(MainWindowFindings, PendingChangesAreMarkedUntilTheSignHoldsThem)
{
    const QString title = QStringLiteral("Sign Configuration Manager ver 4.8b");
    downloadSample();
    EXPECT_EQ(w.windowTitle(), title);
    w.ColorP3->setCurrentIndex(0);
    w.Capcode0[5]->setText(QStringLiteral("5550001"));
    EXPECT_TRUE(w.Label3->font().bold());
    EXPECT_FALSE(w.Label2->font().bold());
    EXPECT_TRUE(w.LabelID5->font().bold());
    EXPECT_FALSE(w.LabelID4->font().bold());
    EXPECT_EQ(w.windowTitle(), u'*' + title);
    EXPECT_FALSE(w.Label3->accessibleDescription().isEmpty());

    w.UploadAll_Click();
    tickToEnd();
    EXPECT_FALSE(w.Label3->font().bold());
    EXPECT_FALSE(w.LabelID5->font().bold());
    EXPECT_EQ(w.windowTitle(), title);

    w.ColorP3->setCurrentIndex(2);
    downloadSample();
    EXPECT_FALSE(w.Label3->font().bold());
    EXPECT_EQ(w.windowTitle(), title);
}

// ---- busy means busy ----

struct Sequence {
    const char *name;
    std::function<void(MainWindowFindings &, ui::KestrovanMain &)> start;
};

class BusyPort : public MainWindowFindings, public ::testing::WithParamInterface<Sequence> {};

TEST_P(BusyPort, EveryOtherWayToThePortWaits)
{
    downloadSample();
    bool checked = false;
    const auto expectAll = [this](bool enabled) {
        for (QWidget *control : std::initializer_list<QWidget *>{
                 w.DownloadAll, w.UploadAll, w.ForceUpload, w.UploadFactoryDef, w.SetupDefaultMsg, w.SendTestMsg,
                 w.AutoID, w.ForceOnID0})
            EXPECT_EQ(control->isEnabled(), enabled) << control->objectName().toStdString();
        EXPECT_EQ(w.signOpenFile->isEnabled(), enabled);
    };
    // The ID switches pause with events going on; the check runs inside that pause.
    QTimer probe;
    probe.setInterval(30);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!checked && w.portBusy()) {
            checked = true;
            expectAll(false);
        }
    });
    probe.start();
    GetParam().start(*this, w);
    if (!checked && w.portBusy()) {
        checked = true;
        expectAll(false);
    }
    EXPECT_TRUE(checked);
    QTRY_VERIFY_WITH_TIMEOUT(!w.portBusy(), 3000);
    expectAll(true);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, BusyPort,
    ::testing::Values(
        Sequence{"Download", [](MainWindowFindings &, ui::KestrovanMain &w) {
                     w.DownloadAll_Click();
                     w.ComClose.setInterval(50);
                 }},
        Sequence{"Upload", [](MainWindowFindings &, ui::KestrovanMain &w) {
                     w.UploadTimer.setInterval(20);
                     w.ForceUpload_Click();
                 }},
        Sequence{"FactoryDefaults", [](MainWindowFindings &, ui::KestrovanMain &w) {
                     w.ComClose.setInterval(50);
                     w.FactoryDefaultsConfirmed();
                 }},
        Sequence{"IdSwitch", [](MainWindowFindings &, ui::KestrovanMain &w) { QTest::mouseClick(w.AutoID, Qt::LeftButton); }},
        Sequence{"ForcedId", [](MainWindowFindings &, ui::KestrovanMain &w) { w.ForceOnID0->click(); }}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- conventions ----

TEST_F(MainWindowFindings, TitleShortcutsAndFirstFocus)
{
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Sign Configuration Manager ver 4.8b"));
    EXPECT_EQ(w.signOpenFile->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(w.signSaveAs->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(w.signExit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    w.show();
    w.activateWindow();
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), static_cast<QWidget *>(w.DownloadAll), 2000);
}

TEST_F(MainWindowFindings, LongModelIsElidedAndDoesNotWidenTheWindow)
{
    w.show();
    downloadSample();
    const int width = w.sizeHint().width();
    const QString model(300, u'M');
    const QString line = testdumps::rw2290Dump(testdumps::sampleRows(), {}, QStringLiteral("1"), QStringLiteral("R"),
                                               model + QStringLiteral(",41"));
    download(line.toLatin1() + "\n");
    EXPECT_EQ(w.LEDSignModel->text(), model);  // the whole text for whoever reads it
    EXPECT_LE(w.LEDSignModel->sizeHint().width(), width / 4);
    EXPECT_LE(w.sizeHint().width(), width);
}

} // namespace
