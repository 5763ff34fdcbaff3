// "Upload to Sign" and "Force Upload" tick by tick with a scripted port.
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

namespace {

using testsupport::MainWindowHarness;

class MainWindowUpload : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The test ticks the sequence itself.
        w.UploadTimer.setInterval(3600 * 1000);
        w.DownloadAll_Click();
        h.mainPort().feedNow(testdumps::sampleDump().toLatin1() + "\n");
        w.ComClose_Timer();
        h.mainPort().writes.clear();
    }

    // Ticks until the upload has closed the port (at most `limit` ticks); returns the ticks.
    int tickToEnd(int limit = 40)
    {
        int ticks = 0;
        while (w.UploadTimer.isActive() && ticks < limit) {
            testsupport::uploadTick(w);
            ++ticks;
        }
        return ticks;
    }

    MainWindowHarness h;
    ui::KestrovanMain &w = *h.window;
};

TEST_F(MainWindowUpload, OnePriorityAndOneLink)
{
    w.SpeedP2->setCurrentIndex(0);
    w.Capcode0[6]->setText(QStringLiteral("4711"));
    w.Pri0[6]->setCurrentIndex(4);
    w.UploadAll_Click();
    EXPECT_EQ(w.ProgressUploadAll->maximum(), 41);
    EXPECT_EQ(w.ProgressUploadAll->value(), 0);
    EXPECT_FALSE(w.ProgressUploadAll->isHidden());
    EXPECT_EQ(w.UploadAll->text(), QStringLiteral("Writing..."));
    EXPECT_FALSE(w.UploadAll->isEnabled());
    EXPECT_FALSE(w.DownloadAll->isEnabled());
    // Nothing else may talk to the port meanwhile.
    EXPECT_FALSE(w.ForceUpload->isEnabled());

    testsupport::uploadTick(w);
    EXPECT_EQ(h.commandsSent(), QStringList{QStringLiteral("<DF pr=2 f=6 c=3 s=2 a=2 sp=0 p=5 b=2 t=15>")});
    EXPECT_EQ(w.ProgressUploadAll->value(), 20);
    testsupport::uploadTick(w);
    EXPECT_EQ(h.commandsSent().mid(1),
              (QStringList{QStringLiteral("<link id=6 cap=0>"), QStringLiteral("<link id=6 cap=4711 pr=4>")}));
    EXPECT_EQ(w.ProgressUploadAll->value(), 40);
    EXPECT_TRUE(w.signPort().isOpen());
    testsupport::uploadTick(w);
    EXPECT_EQ(h.mainPort().writes.size(), 3);
    EXPECT_FALSE(w.signPort().isOpen());
    EXPECT_FALSE(w.UploadTimer.isActive());
    EXPECT_TRUE(w.UploadAll->isEnabled());
    EXPECT_EQ(w.UploadAll->text(), QStringLiteral("Upload to Sign"));
    EXPECT_TRUE(w.ProgressUploadAll->isHidden());

    // The sign now holds it: a second upload finds nothing.
    h.mainPort().writes.clear();
    w.UploadAll_Click();
    EXPECT_EQ(w.Textout->text(), QStringLiteral("Nothing to Upload"));
    EXPECT_TRUE(w.signPort().isOpen());
    EXPECT_EQ(tickToEnd(), 1);
    EXPECT_TRUE(h.mainPort().writes.isEmpty());
}

TEST_F(MainWindowUpload, ForceUploadSendsEverythingInOrder)
{
    w.ForceUpload_Click();
    EXPECT_EQ(w.ProgressUploadAll->maximum(), 301);
    EXPECT_EQ(tickToEnd(), 16);
    const QStringList sent = h.commandsSent();
    const QStringList expected = {
        QStringLiteral("<DF pr=0 f=0 c=1 s=0 a=0 sp=2 p=3 b=1 t=6>"),
        QStringLiteral("<DF pr=1 f=5 c=2 s=1 a=1 sp=3 p=4 b=0 t=10>"),
        QStringLiteral("<DF pr=2 f=6 c=3 s=2 a=2 sp=4 p=5 b=2 t=15>"),
        QStringLiteral("<DF pr=3 f=7 c=4 s=3 a=0 sp=0 p=6 b=1 t=20>"),
        QStringLiteral("<DF pr=4 f=8 c=5 s=4 a=1 sp=1 p=7 b=0 t=25>"),
        QStringLiteral("<id=auto>"),
        QStringLiteral("<UC>RESET"),
        QStringLiteral("<link id=0 cap=0>"), QStringLiteral("<link id=0 cap=1000 pr=0>"),
        QStringLiteral("<link id=1 cap=0>"), QStringLiteral("<link id=1 cap=2000 pr=1>"),
        QStringLiteral("<link id=2 cap=0>"), QStringLiteral("<link id=2 cap=1234567,890 pr=3>"),
        QStringLiteral("<link id=3 cap=0>"), QStringLiteral("<link id=4 cap=0>"), QStringLiteral("<link id=5 cap=0>"),
        QStringLiteral("<link id=6 cap=0>"), QStringLiteral("<link id=7 cap=0>"),
    };
    EXPECT_EQ(sent, expected);
    EXPECT_FALSE(w.signConfig().flags.any());
}

struct LinkEdit {
    const char *name;
    const char *capcode;
    int priority;
    QStringList sent;
    const char *boxAfter;
    int priorityAfter;
};

class MainWindowLinkUpload : public MainWindowUpload, public ::testing::WithParamInterface<LinkEdit> {};

TEST_P(MainWindowLinkUpload, SendsTheRightCommands)
{
    w.Capcode0[1]->setText(QString::fromLatin1(GetParam().capcode));
    w.Pri0[1]->setCurrentIndex(GetParam().priority);
    w.UploadAll_Click();
    EXPECT_EQ(tickToEnd(), 2);
    EXPECT_EQ(h.commandsSent(), GetParam().sent);
    EXPECT_EQ(w.Capcode0[1]->text(), QString::fromLatin1(GetParam().boxAfter));
    EXPECT_EQ(w.Pri0[1]->currentIndex(), GetParam().priorityAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MainWindowLinkUpload,
    ::testing::Values(
        LinkEdit{"EmptiedBoxRemovesTheLink", "", 1, {QStringLiteral("<link id=1 cap=0>")}, "", -1},
        LinkEdit{"CapcodeZeroRemovesTheLink", "0", 1, {QStringLiteral("<link id=1 cap=0>")}, "", -1},
        LinkEdit{"NoPriorityGoesAsZero", "77", -1,
                 {QStringLiteral("<link id=1 cap=0>"), QStringLiteral("<link id=1 cap=77 pr=0>")}, "77", 0},
        LinkEdit{"SeveralCapcodesGoAsTyped", "100,200", 2,
                 {QStringLiteral("<link id=1 cap=0>"), QStringLiteral("<link id=1 cap=100,200 pr=2>")}, "100,200", 2}),
    [](const auto &info) { return std::string(info.param.name); });

class MainWindowBadTimeout : public MainWindowUpload, public ::testing::WithParamInterface<const char *> {};

TEST_P(MainWindowBadTimeout, RefusesTheUploadAndChangesNothing)
{
    w.TimeoutP3->setText(QString::fromLatin1(GetParam()));
    w.ColorP0->setCurrentIndex(5);
    const config::SignConfig before = w.signConfig();
    for (QPushButton *button : {w.UploadAll, w.ForceUpload}) {
        h.services.messages.clear();
        button->click();
        ASSERT_EQ(h.services.messages.size(), 1);
        EXPECT_TRUE(h.services.messages[0].text.contains(QStringLiteral("priority 3")));
        EXPECT_TRUE(h.services.messages[0].text.contains(QStringLiteral("\"%1\"").arg(QString::fromLatin1(GetParam()))));
        EXPECT_EQ(h.mainPort().openAttempts, 1);  // only the download's
        EXPECT_EQ(w.signConfig().baseline, before.baseline);
        EXPECT_EQ(w.signConfig().flags, before.flags);
        EXPECT_FALSE(w.UploadTimer.isActive());
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, MainWindowBadTimeout,
                         ::testing::Values("", "abc", "5.5", "32768", "-32769", " 5", "5 ", "1e3"));

TEST_F(MainWindowUpload, CharacterTheSignCannotTakeIsNamedAndNothingIsSent)
{
    w.usercmd1->setText(QStringLiteral("RESET \u2603"));
    w.UploadAll_Click();
    ASSERT_EQ(h.services.messages.size(), 1);
    EXPECT_TRUE(h.services.messages[0].text.contains(QStringLiteral("\u2603")));
    EXPECT_TRUE(h.mainPort().writes.isEmpty());
    EXPECT_FALSE(w.UploadTimer.isActive());
}

TEST_F(MainWindowUpload, PortThatCannotBeOpenedKeepsTheFlagsForTheNextUpload)
{
    w.ComportsList->setCurrentIndex(6);
    h.mainPort().failNextOpens({signlink::OpenError::NoSuchPort, QStringLiteral("gone")});
    w.ForceUpload_Click();
    ASSERT_EQ(h.services.messages.size(), 1);
    EXPECT_EQ(h.services.messages[0].text, QStringLiteral("Cannot Open Port:7\r\nPlease Change Comport"));
    EXPECT_EQ(w.signConfig().flags.countSet(), 15);
    EXPECT_FALSE(w.UploadTimer.isActive());
    EXPECT_TRUE(w.UploadAll->isEnabled());

    h.mainPort().succeedOpens();
    w.UploadAll_Click();
    EXPECT_EQ(tickToEnd(), 16);
}

TEST_F(MainWindowUpload, LostConnectionStopsAtOnceAndKeepsWhatWasNotSent)
{
    w.ForceUpload_Click();
    testsupport::uploadTick(w);
    testsupport::uploadTick(w);
    h.mainPort().failWhileOpen(QStringLiteral("Input/output error"));
    EXPECT_FALSE(w.UploadTimer.isActive());
    EXPECT_TRUE(w.UploadAll->isEnabled());
    EXPECT_EQ(w.UploadAll->text(), QStringLiteral("Upload to Sign"));
    EXPECT_TRUE(w.DownloadAll->isEnabled());
    EXPECT_TRUE(w.ProgressUploadAll->isHidden());
    ASSERT_EQ(h.services.messages.size(), 1);
    EXPECT_TRUE(h.services.messages[0].text.contains(QStringLiteral("connection to the sign was lost")));
    const config::ChangeFlags &flags = w.signConfig().flags;
    EXPECT_FALSE(flags.priorityChanged[0]);
    EXPECT_FALSE(flags.priorityChanged[1]);
    EXPECT_EQ(flags.countSet(), 13);

    h.mainPort().writes.clear();
    w.UploadAll_Click();
    EXPECT_EQ(tickToEnd(), 14);
    EXPECT_EQ(h.commandsSent().front(), QStringLiteral("<DF pr=2 f=6 c=3 s=2 a=2 sp=4 p=5 b=2 t=15>"));
}

TEST_F(MainWindowUpload, DoneAnswersReportTheItemsSentSoFar)
{
    w.ForceUpload_Click();
    testsupport::uploadTick(w);
    testsupport::uploadTick(w);
    h.mainPort().feedNow("done\n");
    EXPECT_EQ(w.Textout->text(), QStringLiteral("Uploaded 2 Successfull"));
}

} // namespace
