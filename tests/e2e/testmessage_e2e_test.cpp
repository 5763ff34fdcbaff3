// The test-message window against the simulated sign over a real pseudo-terminal: a message in
// two colours as the sign receives it, the clock and the default message read back, and the port
// held by the main window.
#include "comonesign.h"
#include "fakeuiservices.h"
#include "ptypair.h"
#include "qtprinters.h"
#include "signsimulator.h"

#include "link/serialsignport.h"
#include "ui/main/kestrovanmain.h"
#include "ui/common/listbox.h"
#include "ui/testmsg/ledtestmessage.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

namespace {

using testsupport::waitUntil;
using ui::LEDTestMessage;

template <typename List>
void pick(List *list, int index)
{
    list->setCurrentIndex(index);
    emit list->activated(index);
}

class TestMessageE2E : public ::testing::Test {
protected:
    void startWith(const QStringList &arguments)
    {
        QString error;
        ASSERT_TRUE(com1.start(arguments, &error)) << error.toStdString();
        main = testsupport::ComOneSign::mainWindow(services);
        window = std::make_unique<LEDTestMessage>(*main);
        window->show();
    }
    void TearDown() override
    {
        window.reset();
        main.reset();
    }
    bool idle() const
    {
        return !window->ComClose.isActive() && window->Upload->isEnabled() && window->Download->isEnabled()
               && !window->signPort().isOpen();
    }

    testsupport::ComOneSign com1;
    testsupport::SignSimulator &sim = com1.sim;
    QTemporaryDir &xdg = com1.xdg;
    testsupport::FakeUiServices services;
    std::unique_ptr<ui::KestrovanMain> main;
    std::unique_ptr<LEDTestMessage> window;
};

TEST_F(TestMessageE2E, TwoColourMessageReachesTheSignWithItsCodes)
{
    startWith({});
    LEDTestMessage &w = *window;
    pick(w.MsgID, 3);
    pick(w.fontList, 5);
    pick(w.StyleList, 2);
    pick(w.ColorList, 1);
    pick(w.AlignmentList, 2);
    pick(w.BeepList, 1);
    pick(w.PauseList, 3);
    pick(w.SpeedList, 2);
    w.Timeout->setText(QStringLiteral("10"));
    QTest::keyClicks(w.ColorTextBox, QStringLiteral("Hi there"));
    // The second word in green, the command's colour left at light red.
    QTest::mouseDClick(w.Label4, Qt::LeftButton);
    QTextCursor cursor = w.ColorTextBox->textCursor();
    cursor.setPosition(3);
    cursor.setPosition(8, QTextCursor::KeepAnchor);
    w.ColorTextBox->setTextCursor(cursor);
    pick(w.ColorList, 4);
    cursor.clearSelection();
    w.ColorTextBox->setTextCursor(cursor);
    pick(w.ColorList, 1);

    const QString expected = QStringLiteral("<id=3 f=5 s=2 c=1 a=2 b=1 p=3 sp=2 t=10>Hi $CEthere");
    ASSERT_EQ(w.Test->text(), expected + u'\r');
    w.Upload->click();
    ASSERT_FALSE(w.Upload->isEnabled()) << w.Ack->text().toStdString();
    ASSERT_TRUE(waitUntil([&] { return w.Ack->text() == QStringLiteral("Upload Successfull"); }, 3000));
    ASSERT_TRUE(waitUntil([&] { return idle(); }, 3000));
    EXPECT_EQ(sim.commands().value(0), expected);
    EXPECT_EQ(sim.state().value(QStringLiteral("testmsg")), expected);
}

// A plain sign, and one that echoes every command and ends its lines with CR LF.
class TestMessageLines : public TestMessageE2E, public ::testing::WithParamInterface<QStringList> {};

TEST_P(TestMessageLines, ClockThenDownloadFromPagerFillsTheListsAndTheMessage)
{
    const QString config = sim.writeFile(QStringLiteral("start.conf"),
                                         "model=RW2290\ndefmsg=Open\\xAANow \\xAD\ndefattrs=3,4,5,2,1,6\n");
    startWith(QStringList{QStringLiteral("--config"), config} + GetParam());
    LEDTestMessage &w = *window;

    w.SetTime->click();
    ASSERT_TRUE(waitUntil([&] { return w.Ack->text() == QStringLiteral("Upload Successfull"); }, 3000));
    ASSERT_TRUE(waitUntil([&] { return idle() && w.SetTime->isEnabled(); }, 3000));
    EXPECT_LE(std::abs(sim.state().value(QStringLiteral("clockoffset")).toInt()), 2);

    // The answer after the clock command is read as the sign sent it.
    w.Download->click();
    ASSERT_TRUE(waitUntil([&] { return !w.defaultMessage->toPlainText().isEmpty(); }, 3000));
    EXPECT_EQ(w.defaultMessage->toPlainText(), QStringLiteral("Open\nNow <hh:mm>"));
    EXPECT_EQ(w.fontList->currentIndex(), 3);
    EXPECT_EQ(w.StyleList->currentIndex(), 4);
    EXPECT_EQ(w.ColorList->currentIndex(), 5);
    EXPECT_EQ(w.SpeedList->currentIndex(), 2);
    EXPECT_EQ(w.AlignmentList->currentIndex(), 1);
    EXPECT_EQ(w.PauseList->currentIndex(), 6);
    // "Save changes to Priority" starts ticked: the values went into priority 0 as well.
    EXPECT_EQ(main->FontP0->currentIndex(), 3);
    EXPECT_EQ(main->PauseP0->currentIndex(), 6);
    ASSERT_TRUE(waitUntil([&] { return idle(); }, 3000));
    EXPECT_EQ(sim.commands().value(1), QStringLiteral("DOWNLOAD_DEFAULT_MSG"));
}

INSTANTIATE_TEST_SUITE_P(Signs, TestMessageLines,
                         ::testing::Values(QStringList{},
                                           QStringList{QStringLiteral("--echo"), QStringLiteral("--crlf")}));

TEST_F(TestMessageE2E, ConfigurationDumpSentUnaskedAfterAMessageChangesNothing)
{
    startWith({QStringLiteral("--dump-after"), QStringLiteral("1")});
    LEDTestMessage &w = *window;
    const int fontBefore = w.fontList->currentIndex();
    const int priorityFontBefore = main->FontP0->currentIndex();
    QTest::keyClicks(w.ColorTextBox, QStringLiteral("Hi"));
    w.Upload->click();
    ASSERT_TRUE(waitUntil([&] { return idle() && sim.sent().filter(QStringLiteral("RW2290,41:")).size() == 1; }, 3000));
    EXPECT_TRUE(w.defaultMessage->toPlainText().isEmpty()) << w.defaultMessage->toPlainText().toStdString();
    EXPECT_EQ(w.fontList->currentIndex(), fontBefore);
    EXPECT_EQ(main->FontP0->currentIndex(), priorityFontBefore);
}

TEST_F(TestMessageE2E, PortHeldByTheMainWindowIsReportedAndUsableOnceFree)
{
    startWith({});
    LEDTestMessage &w = *window;
    ASSERT_TRUE(main->openSignPort().ok());
    QTest::keyClicks(w.ColorTextBox, QStringLiteral("Hi"));
    w.Upload->click();
    EXPECT_TRUE(w.Ack->text().startsWith(QStringLiteral("Cannot Open Port:"))) << w.Ack->text().toStdString();
    EXPECT_TRUE(w.Upload->isEnabled());
    EXPECT_EQ(w.Upload->text(), QStringLiteral("Send Message to Sign"));

    main->closeSignPort();
    w.Upload->click();
    ASSERT_FALSE(w.Upload->isEnabled()) << w.Ack->text().toStdString();
    ASSERT_TRUE(waitUntil([&] { return idle(); }, 3000));
    EXPECT_TRUE(sim.commands().value(0).endsWith(QStringLiteral(">Hi")));
}

} // namespace
