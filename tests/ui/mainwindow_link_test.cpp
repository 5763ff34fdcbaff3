// The main window's sign link through a scripted port: opening, writing, reply lines, the line
// time-out, the pause routine and the status line.
#include "mainwindowfixture.h"
#include "ptypair.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QDialog>
#include <QToolButton>

namespace {

using testsupport::MainWindowHarness;
using testsupport::waitUntil;

class MainWindowLink : public ::testing::Test {
protected:
    void open()
    {
        ASSERT_TRUE(w.openSignPort().ok());
    }
    bool statusShows(const QString &text) const { return !w.Textout->isHidden() && w.Textout->text() == text; }

    MainWindowHarness h;
    ui::KestrovanMain &w = *h.window;
};

TEST_F(MainWindowLink, OpensTheSelectedComNumber)
{
    w.ComportsList->setCurrentIndex(11);
    open();
    ASSERT_EQ(h.mainPort().openedPorts, QList<int>{12});
    EXPECT_EQ(w.selectedPortNumber(), 12);
}

TEST_F(MainWindowLink, WritesOneCommandWithASingleCarriageReturn)
{
    open();
    ASSERT_TRUE(w.writeCommand(QStringLiteral("<id=auto>")));
    ASSERT_TRUE(w.writeCommand(QString::fromLatin1("<UC>\xe9t\xe9")));
    ASSERT_EQ(h.mainPort().writes.size(), 2);
    EXPECT_EQ(h.mainPort().writes[0], QByteArray("<id=auto>\r"));
    EXPECT_EQ(h.mainPort().writes[1], QByteArray("<UC>\xe9t\xe9\r"));
}

TEST_F(MainWindowLink, RefusesTextTheSignCannotTakeInsteadOfGarblingIt)
{
    open();
    EXPECT_FALSE(w.writeCommand(QStringLiteral("<UC>\u20ac")));
    EXPECT_TRUE(h.mainPort().writes.isEmpty());
}

TEST_F(MainWindowLink, ShowsRepliesInOrderAndClearsFiveSecondsAfterTheFirst)
{
    open();
    h.mainPort().feed("linked 3\n");
    ASSERT_TRUE(waitUntil([&] { return statusShows(QStringLiteral("Linked ID : 3")); }));
    const int firstRemaining = w.TextClear.remainingTime();
    QTest::qWait(30);
    h.mainPort().feed("Auto ID\nlinked 5\n");
    ASSERT_TRUE(waitUntil([&] { return statusShows(QStringLiteral("Linked ID : 5")); }));
    EXPECT_TRUE(w.TextClear.isActive());
    EXPECT_LT(w.TextClear.remainingTime(), firstRemaining);

    w.TextClear_Timer();
    EXPECT_TRUE(w.Textout->isHidden());
    EXPECT_TRUE(w.Textout->text().isEmpty());
    EXPECT_FALSE(w.TextClear.isActive());
}

TEST_F(MainWindowLink, ReplyWithoutSecondWordShowsTheCaptionItHad)
{
    open();
    h.mainPort().feed("Force ID OFF\n");
    ASSERT_TRUE(waitUntil([&] { return statusShows(QStringLiteral("Force ID OFF")); }));
    w.TextClear_Timer();
    w.Textout->setText(QStringLiteral("kept"));
    h.mainPort().feed("default\n");
    ASSERT_TRUE(waitUntil([&] { return !w.Textout->isHidden(); }));
    EXPECT_EQ(w.Textout->text(), QStringLiteral("kept"));
}

TEST_F(MainWindowLink, CarriageReturnStaysInTheLine)
{
    open();
    // "Auto ID" followed by CR is not the whole-line answer and is ignored.
    h.mainPort().feed("Auto ID\r\nUser ID\n");
    ASSERT_TRUE(waitUntil([&] { return statusShows(QStringLiteral("Switched to User ID")); }));
    h.mainPort().feed("Auto ID\r\n");
    QTest::qWait(30);
    EXPECT_EQ(w.Textout->text(), QStringLiteral("Switched to User ID"));
}

TEST_F(MainWindowLink, UnfinishedLineIsDroppedAfterTheQuietTime)
{
    open();
    h.mainPort().feedNow("xx");
    ASSERT_TRUE(w.DataTimeout.isActive());
    ASSERT_TRUE(waitUntil([&] { return !w.DataTimeout.isActive(); }, 2000));
    h.mainPort().feed("Auto ID\n");
    ASSERT_TRUE(waitUntil([&] { return statusShows(QStringLiteral("Switched to Auto ID")); }));
}

TEST_F(MainWindowLink, ShortGapInsideALineKeepsIt)
{
    open();
    h.mainPort().feed("Use");
    QTest::qWait(30);  // three ticks of ten: far from the eleven that drop a line
    h.mainPort().feed("r ID\n");
    ASSERT_TRUE(waitUntil([&] { return statusShows(QStringLiteral("Switched to User ID")); }));
}

TEST_F(MainWindowLink, LineTimeoutCountsElevenTicks)
{
    open();
    h.mainPort().feedNow("abc");
    EXPECT_TRUE(w.DataTimeout.isActive());
    for (int tick = 0; tick < 10; ++tick)
        w.DataTimeout_Timer();
    EXPECT_TRUE(w.DataTimeout.isActive());
    w.DataTimeout_Timer();
    EXPECT_FALSE(w.DataTimeout.isActive());
    h.mainPort().feedNow("User ID\n");
    EXPECT_TRUE(statusShows(QStringLiteral("Switched to User ID")));
}

TEST_F(MainWindowLink, EndlessLineIsCappedAndTheNextLineStillArrives)
{
    open();
    h.mainPort().feedNow(QByteArray(1024 * 1024, 'x'));
    h.mainPort().feedNow("User ID\n");
    EXPECT_TRUE(w.Textout->isHidden());
    h.mainPort().feedNow("User ID\n");
    EXPECT_TRUE(statusShows(QStringLiteral("Switched to User ID")));
}

TEST_F(MainWindowLink, EveryByteIsALineWhenTheSignSendsOnlyLineFeeds)
{
    open();
    h.mainPort().feedNow(QByteArray(10000, '\n'));
    EXPECT_TRUE(w.Textout->isHidden());
    h.mainPort().feedNow(QByteArray("\x80\xff\xaa:\n", 5) + "Auto ID\n");
    EXPECT_TRUE(statusShows(QStringLiteral("Switched to Auto ID")));
}

struct OpenFailure {
    const char *name;
    signlink::OpenError error;
    const char *description;
    const char *secondLine;
};

class MainWindowOpenFailure : public MainWindowLink, public ::testing::WithParamInterface<OpenFailure> {};

TEST_P(MainWindowOpenFailure, IsToldWithThePortNumberAndTheReason)
{
    w.ComportsList->setCurrentIndex(2);
    h.mainPort().failNextOpens({GetParam().error, QString::fromLatin1(GetParam().description)});
    EXPECT_FALSE(w.openSignPortOrSay());
    ASSERT_EQ(h.services.messages.size(), 1);
    EXPECT_EQ(h.services.messages[0].text,
              QStringLiteral("Cannot Open Port:3\r\n") + QString::fromLatin1(GetParam().secondLine));
    EXPECT_TRUE(h.services.messages[0].title.isEmpty());
    EXPECT_FALSE(w.signPort().isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Errors, MainWindowOpenFailure,
    ::testing::Values(
        OpenFailure{"NoSuchPort", signlink::OpenError::NoSuchPort, "/dev/ttyS2 does not exist.", "Please Change Comport"},
        OpenFailure{"PermissionDenied", signlink::OpenError::PermissionDenied,
                    "Permission denied on /dev/ttyS2. Add your user to the group \"dialout\"",
                    "Permission denied on /dev/ttyS2. Add your user to the group \"dialout\""},
        OpenFailure{"Busy", signlink::OpenError::Busy, "/dev/ttyS2 is in use by another program.",
                    "/dev/ttyS2 is in use by another program."},
        OpenFailure{"Other", signlink::OpenError::Other, "/dev/ttyS2: Input/output error",
                    "/dev/ttyS2: Input/output error"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(MainWindowLink, LostConnectionIsSaidAndLeavesNoButtonDisabled)
{
    open();
    w.DownloadAll->setEnabled(false);
    w.UploadAll->setEnabled(false);
    h.mainPort().failWhileOpen(QStringLiteral("Input/output error"));
    EXPECT_FALSE(w.signPort().isOpen());
    EXPECT_FALSE(w.Textout->isHidden());
    EXPECT_TRUE(w.Textout->text().contains(QStringLiteral("connection to the sign was lost")));
    EXPECT_TRUE(w.DownloadAll->isEnabled());
    EXPECT_TRUE(w.UploadAll->isEnabled());
}

TEST_F(MainWindowLink, SetupDefaultMessageClosesThePortFirst)
{
    open();
    w.DownloadAll->setText(QStringLiteral("Reading..."));
    w.DownloadAll->setEnabled(false);
    w.SetupDefaultMsg_Click();
    EXPECT_FALSE(w.signPort().isOpen());
    EXPECT_EQ(w.DownloadAll->text(), QStringLiteral("Download from Sign"));
    EXPECT_TRUE(w.DownloadAll->isEnabled());
}

TEST_F(MainWindowLink, ButtonsOpenTheSecondaryWindowsModally)
{
    QStringList modal;
    h.services.onDialog = [&](QDialog &dialog) {
        if (dialog.isModal())
            modal.append(dialog.objectName());
        dialog.reject();
    };
    w.SetupDefaultMsg->click();
    w.SendTestMsg->click();
    EXPECT_EQ(h.services.dialogsShown,
              (QStringList{QStringLiteral("KestrovanDefaultMessage"), QStringLiteral("LEDTestMessage")}));
    EXPECT_EQ(modal, h.services.dialogsShown);
    // Each window had a connection of its own, released when it closed.
    ASSERT_EQ(h.ports.size(), 3);
}

TEST_F(MainWindowLink, LogoOpensTheMakersPageOrSaysWhyNot)
{
    w.Image1->click();
    ASSERT_EQ(h.services.openedUrls.size(), 1);
    EXPECT_EQ(h.services.openedUrls[0].host(), QStringLiteral("www.example.com"));
    h.services.urlsOpen = false;
    w.Image1->click();
    EXPECT_FALSE(w.Textout->isHidden());
    EXPECT_TRUE(w.Textout->text().contains(QStringLiteral("example.com")));
}

TEST_F(MainWindowLink, TypingInTheFirstTwoPauseBoxesMarksTheirRows)
{
    w.show();
    QTest::keyClicks(w.PauseP0->lineEdit(), QStringLiteral("4"));
    QTest::keyClicks(w.PauseP2->lineEdit(), QStringLiteral("4"));
    EXPECT_EQ(w.PauseP0->currentIndex(), 4);
    EXPECT_EQ(w.PauseP2->currentIndex(), 4);
    const auto &flags = w.signConfig().flags.priorityChanged;
    EXPECT_TRUE(flags[0]);
    EXPECT_FALSE(flags[1]);
    EXPECT_FALSE(flags[2]);
    // A pause chosen by the program (a download, a file) marks nothing.
    w.PauseP1->setCurrentIndex(3);
    EXPECT_FALSE(flags[1]);
    w.PauseP1->lineEdit()->selectAll();
    QTest::keyClicks(w.PauseP1->lineEdit(), QStringLiteral("7"));
    EXPECT_EQ(w.PauseP1->currentIndex(), 7);
    EXPECT_TRUE(flags[1]);
}

TEST_F(MainWindowLink, TestButtonNudgesTheStyleColumn)
{
    w.show();
    const int before = w.StyleP0->x();
    w.TestBtn->click();
    EXPECT_GT(w.StyleP0->x(), before);
    EXPECT_EQ(w.TestOut->text().toInt(), w.StyleP0->x() * 1440 / w.logicalDpiX());
}

} // namespace
