// The default-message window against the simulated sign over a real pseudo-terminal: a message
// written and read back, the time display on idle, and the sign's clock.
#include "comonesign.h"
#include "fakeuiservices.h"
#include "ptypair.h"
#include "qtprinters.h"
#include "signsimulator.h"

#include "link/serialsignport.h"
#include "ui/common/listbox.h"
#include "ui/defaultmsg/kestrovandefaultmessage.h"
#include "ui/main/kestrovanmain.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>
#include <ostream>

namespace {

using testsupport::waitUntil;
using ui::KestrovanDefaultMessage;

class DefaultMessageE2E : public ::testing::Test {
protected:
    // The simulated sign on COM 1 with `arguments`; the main window reads its configuration so
    // that it knows the model.
    void startWith(const QStringList &arguments)
    {
        QString error;
        ASSERT_TRUE(com1.start(arguments, &error)) << error.toStdString();
        main = testsupport::ComOneSign::mainWindow(services);
        main->DownloadAll->click();
        ASSERT_TRUE(waitUntil([&] { return !main->ComClose.isActive() && !main->signPort().isOpen(); }));
        ASSERT_FALSE(main->LEDSignModelNumber().isEmpty());
    }
    void TearDown() override
    {
        window.reset();
        main.reset();
    }

    // Opens the window and waits for its load.
    void openWindow()
    {
        window = std::make_unique<KestrovanDefaultMessage>(*main);
        window->show();
        ASSERT_TRUE(waitUntil([&] { return window->isLoaded() && idle(); }));
    }
    bool idle() const
    {
        const KestrovanDefaultMessage &w = *window;
        return !w.ComClose.isActive() && !w.SleepTimer.isActive() && w.Upload->isEnabled() && w.Download->isEnabled()
               && w.SetTime->isEnabled() && !window->signPort().isOpen();
    }
    void press(QPushButton *button)
    {
        button->click();
        ASSERT_TRUE(waitUntil([&] { return idle(); }));
    }
    QList<int> positions() const
    {
        const KestrovanDefaultMessage &w = *window;
        return {w.fontList->currentIndex(),    w.ColorList->currentIndex(), w.StyleList->currentIndex(),
                w.AlignmentList->currentIndex(), w.SpeedList->currentIndex(), w.PauseList->currentIndex()};
    }

    testsupport::ComOneSign com1;
    testsupport::SignSimulator &sim = com1.sim;
    QTemporaryDir &xdg = com1.xdg;
    testsupport::FakeUiServices services;
    std::unique_ptr<ui::KestrovanMain> main;
    std::unique_ptr<KestrovanDefaultMessage> window;
};

struct Sign {
    const char *name;
    const char *model;
    QStringList hostility = {};  // how the sign misbehaves on the line
};

void PrintTo(const Sign &sign, std::ostream *out) { *out << sign.name; }

class DefaultMessageModelE2E : public DefaultMessageE2E, public ::testing::WithParamInterface<Sign> {};

TEST_P(DefaultMessageModelE2E, AMessageWithABreakAndATimeFieldGoesToTheSignAndComesBack)
{
    const QString config = sim.writeFile(QStringLiteral("start.conf"),
                                         "defmsg=WELCOME\\xAAhome\ndefattrs=1,2,3,1,0,4\n");
    startWith(QStringList{QStringLiteral("--model"), QString::fromLatin1(GetParam().model), QStringLiteral("--config"),
                          config}
              + GetParam().hostility);
    openWindow();
    KestrovanDefaultMessage &w = *window;

    // What the sign holds is shown on opening.
    EXPECT_EQ(w.Ack->text(), QStringLiteral("Data downloaded successfully from LED Sign"));
    EXPECT_EQ(w.editorText(), QStringLiteral("WELCOME\r\nhome"));
    EXPECT_EQ(positions(), QList<int>({1, 3, 2, 0, 1, 4}));

    w.setEditorText(QStringLiteral("Open\r\nat <hh:mm>"));
    const QList<int> chosen{2, 4, 5, 1, 2, 3};
    const QList<ui::ListBox *> lists{w.fontList, w.ColorList, w.StyleList, w.AlignmentList, w.SpeedList, w.PauseList};
    for (int k = 0; k < lists.size(); ++k)
        lists[k]->setCurrentIndex(chosen[k]);
    press(w.Upload);
    EXPECT_EQ(w.Ack->text(), QStringLiteral("Default message uploaded successfully"));
    const QMap<QString, QString> state = sim.state();
    EXPECT_EQ(state.value(QStringLiteral("defmsg")), QStringLiteral("Open\\xAAat \\xAD"));
    EXPECT_EQ(state.value(QStringLiteral("defattrs")), QStringLiteral("2,5,4,2,1,3"));  // f, s, c, sp, a, p

    // Read back into a cleared window, and into a window opened afresh.
    w.setEditorText(QString());
    for (ui::ListBox *list : lists)
        list->setCurrentIndex(-1);
    press(w.Download);
    EXPECT_EQ(w.editorText(), QStringLiteral("Open\r\nat <hh:mm>"));
    EXPECT_EQ(positions(), chosen);

    w.Exit->click();
    EXPECT_EQ(main->signConfig().DefMsg, QStringLiteral("Open\r\nat <hh:mm>"));
    window.reset();
    main->DeleteConfigFileName();
    openWindow();
    EXPECT_EQ(window->editorText(), QStringLiteral("Open\r\nat <hh:mm>"));
    EXPECT_EQ(positions(), chosen);
}

INSTANTIATE_TEST_SUITE_P(Models, DefaultMessageModelE2E,
                         ::testing::Values(Sign{"RW2290", "RW2290"}, Sign{"PN360", "PN360"}, Sign{"KT420", "KT420"},
                                           // Each reply line then begins or ends with what is not the sign's.
                                           Sign{"EchoingRW2290", "RW2290", {QStringLiteral("--echo")}},
                                           Sign{"CrlfPN360", "PN360", {QStringLiteral("--crlf")}},
                                           Sign{"EchoingCrlfKT420", "KT420",
                                                {QStringLiteral("--echo"), QStringLiteral("--crlf")}}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(DefaultMessageE2E, AMessageThatSaysDoneIsReadAsTheMessage)
{
    const QString config = sim.writeFile(QStringLiteral("start.conf"), "defmsg=Job well done\ndefattrs=1,2,3,1,0,4\n");
    startWith({QStringLiteral("--model"), QStringLiteral("PN360"), QStringLiteral("--config"), config});
    openWindow();
    KestrovanDefaultMessage &w = *window;
    EXPECT_EQ(w.editorText(), QStringLiteral("Job well done"));
    EXPECT_EQ(w.Ack->text(), QStringLiteral("Data downloaded successfully from LED Sign"));
    EXPECT_EQ(positions(), QList<int>({1, 3, 2, 0, 1, 4}));

    // With no read waiting, the sign's "done" acknowledges the removal of its message.
    w.setEditorText(QString());
    press(w.Upload);
    EXPECT_EQ(w.Ack->text(), QStringLiteral("Upload Successfull"));
    EXPECT_TRUE(sim.state().value(QStringLiteral("defmsg")).isEmpty());
}

TEST_F(DefaultMessageE2E, ConfigurationDumpSentUnaskedAfterAnUploadLeavesTheWindowAlone)
{
    // The main window's download is the first command, the window's own read the second.
    startWith({QStringLiteral("--dump-after"), QStringLiteral("3")});
    openWindow();
    KestrovanDefaultMessage &w = *window;
    w.setEditorText(QStringLiteral("Open\r\nnow"));
    w.ColorList->setCurrentIndex(4);
    const QList<int> chosen = positions();
    press(w.Upload);
    ASSERT_TRUE(waitUntil([&] { return sim.sent().filter(QStringLiteral("RW2290,41:")).size() == 2 && idle(); }));
    EXPECT_EQ(w.editorText(), QStringLiteral("Open\r\nnow"));
    EXPECT_EQ(positions(), chosen);
    EXPECT_EQ(sim.state().value(QStringLiteral("defmsg")), QStringLiteral("Open\\xAAnow"));
    w.Exit->click();
    EXPECT_EQ(main->signConfig().DefMsg, QStringLiteral("Open\r\nnow"));
}

TEST_F(DefaultMessageE2E, TimeDisplayOnIdleSwitchesTheSignOnAndOff)
{
    startWith({QStringLiteral("--model"), QStringLiteral("KT420")});
    openWindow();
    KestrovanDefaultMessage &w = *window;
    ASSERT_EQ(sim.state().value(QStringLiteral("idle")), QStringLiteral("0"));

    w.setEditorText(QString());
    press(w.TimeOnIdle);
    EXPECT_EQ(sim.state().value(QStringLiteral("idle")), QStringLiteral("1"));
    EXPECT_EQ(w.TimeDisplayStatus->text(), QStringLiteral("is ON"));
    EXPECT_FALSE(w.fontList->isEnabled());

    // With the time showing, an upload of an empty message sends the time's display values.
    w.ColorList->setCurrentIndex(8);
    w.AlignmentList->setCurrentIndex(2);
    w.TimeFormat->setCurrentIndex(3);
    w.setEditorText(QString());
    press(w.Upload);
    EXPECT_TRUE(w.Test->text().endsWith(QStringLiteral(" , RESET")));
    const QStringList idleAttrs = sim.state().value(QStringLiteral("idleattrs")).split(u',');
    ASSERT_EQ(idleAttrs.size(), 7);
    EXPECT_EQ(idleAttrs[2], QStringLiteral("8"));  // colour
    EXPECT_EQ(idleAttrs[4], QStringLiteral("2"));  // alignment
    EXPECT_EQ(idleAttrs[6], QStringLiteral("3"));  // format
    EXPECT_EQ(sim.state().value(QStringLiteral("idle")), QStringLiteral("1"));
    EXPECT_TRUE(sim.state().value(QStringLiteral("defmsg")).isEmpty());

    press(w.TimeOnIdle);
    EXPECT_EQ(sim.state().value(QStringLiteral("idle")), QStringLiteral("0"));
    EXPECT_EQ(w.TimeDisplayStatus->text(), QStringLiteral("is OFF"));
    EXPECT_TRUE(w.fontList->isEnabled());
}

TEST_F(DefaultMessageE2E, SetTimeBringsTheSignsClockToTheComputers)
{
    const QString config = sim.writeFile(QStringLiteral("start.conf"), "clockoffset=-86000\n");
    startWith({QStringLiteral("--config"), config});
    openWindow();
    ASSERT_EQ(sim.state().value(QStringLiteral("clockoffset")), QStringLiteral("-86000"));

    press(window->SetTime);
    bool readable = false;
    const int offset = sim.state().value(QStringLiteral("clockoffset")).toInt(&readable);
    ASSERT_TRUE(readable);
    EXPECT_LE(std::abs(offset), 2);
    EXPECT_EQ(window->Ack->text(), QStringLiteral("Upload Successfull"));
}

TEST_F(DefaultMessageE2E, ASilentSignLeavesTheEditorTheHeldMessageAndTheSignAlone)
{
    QString error;
    ASSERT_TRUE(com1.start({QStringLiteral("--silent")}, &error)) << error.toStdString();
    main = testsupport::ComOneSign::mainWindow(services);
    main->SaveDefaultMsg(QStringLiteral("Held"), 1, 2, 3, 1, 2, 3);
    openWindow();
    KestrovanDefaultMessage &w = *window;
    EXPECT_EQ(w.Ack->text(),
              QStringLiteral("No answer from the sign on COM 1. Check the cable, the power and the COM number."));
    EXPECT_TRUE(w.editorText().isEmpty());

    // Nothing that the next upload could write over the sign's own message.
    w.Upload->click();
    EXPECT_TRUE(idle());
    w.Exit->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(main->signConfig().DefMsg, QStringLiteral("Held"));
    ASSERT_TRUE(waitUntil([&] { return !sim.commands().isEmpty(); }));
    EXPECT_EQ(sim.commands(), QStringList{QStringLiteral("DOWNLOAD_DEFAULT_MSG")});
}

} // namespace
