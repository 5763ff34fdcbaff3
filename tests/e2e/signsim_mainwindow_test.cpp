// The main window against the simulated sign over a real pseudo-terminal, one model family at a
// time: download, uploads, factory defaults, and a cable pulled in the middle of an upload; then
// a hostile sign that echoes, sends noise before its dump or sends its dump unasked.
#include "comonesign.h"
#include "fakeuiservices.h"
#include "ptypair.h"
#include "qtprinters.h"
#include "signsimulator.h"

#include "link/serialsignport.h"
#include "ui/main/kestrovanmain.h"
#include "ui/main/warning.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QAction>
#include <QLineEdit>
#include <QPushButton>

namespace {

using testsupport::waitUntil;

struct Family {
    const char *name;
    const char *model;
    const char *config;  // the simulator's starting configuration (list positions, seconds)
    QStringList hostility = {};  // how the sign misbehaves on the line
};

// What the window shows, in the simulator's state-file form, for the keys both know.
QMap<QString, QString> shownConfiguration(const ui::KestrovanMain &w)
{
    QMap<QString, QString> shown;
    const auto rows = w.priorityRows();
    for (int n = 0; n < 5; ++n) {
        const ui::PriorityRowControls &r = rows[n];
        QStringList fields;
        for (QComboBox *list : {r.font, r.style, r.color, r.speed, r.alignment, r.pause, r.beep})
            fields << QString::number(list->currentIndex());
        fields << r.timeout->text();
        shown.insert(QStringLiteral("pri%1").arg(n), fields.join(u','));
    }
    for (int i = 0; i < 8; ++i) {
        const QString capcode = w.Capcode0[i]->text();
        shown.insert(QStringLiteral("link%1").arg(i),
                     capcode.isEmpty() ? QString() : QStringLiteral("%1:%2").arg(w.Pri0[i]->currentIndex()).arg(capcode));
    }
    shown.insert(QStringLiteral("autoid"), w.AutoID->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    shown.insert(QStringLiteral("usercmd"), w.usercmd1->text());
    return shown;
}

QMap<QString, QString> comparable(const QMap<QString, QString> &state)
{
    QMap<QString, QString> kept;
    for (auto it = state.begin(); it != state.end(); ++it) {
        if (it.key().startsWith(QStringLiteral("pri")) || it.key().startsWith(QStringLiteral("link"))
            || it.key() == QStringLiteral("autoid") || it.key() == QStringLiteral("usercmd"))
            kept.insert(it.key(), it.value());
    }
    return kept;
}

class SignSimE2E : public ::testing::Test {
protected:
    void startWith(const QStringList &arguments)
    {
        QString error;
        ASSERT_TRUE(com1.start(arguments, &error)) << error.toStdString();
        window = testsupport::ComOneSign::mainWindow(services);
    }
    void TearDown() override
    {
        window.reset();
    }

    bool idle() const
    {
        const ui::KestrovanMain &w = *window;
        return !w.ComClose.isActive() && !w.UploadTimer.isActive() && !w.FactoryDef.isActive()
               && w.DownloadAll->isEnabled() && w.UploadAll->isEnabled() && !w.signPort().isOpen();
    }
    void download()
    {
        window->DownloadAll->click();
        ASSERT_FALSE(window->DownloadAll->isEnabled()) << window->ComportsList->currentText().toStdString();
        ASSERT_TRUE(waitUntil([&] { return idle(); }, 5000));
    }
    void upload(QPushButton *button)
    {
        button->click();
        ASSERT_TRUE(window->UploadTimer.isActive());
        ASSERT_TRUE(waitUntil([&] { return idle(); }, 30000));
    }

    testsupport::ComOneSign com1;
    testsupport::SignSimulator &sim = com1.sim;
    QTemporaryDir &xdg = com1.xdg;
    testsupport::FakeUiServices services;
    std::unique_ptr<ui::KestrovanMain> window;
};

class SignSimFamily : public SignSimE2E, public ::testing::WithParamInterface<Family> {};

TEST_P(SignSimFamily, DownloadEditUploadAndFactoryDefaults)
{
    const QString config = sim.writeFile(QStringLiteral("start.conf"), QByteArray(GetParam().config));
    startWith(QStringList{QStringLiteral("--model"), QString::fromLatin1(GetParam().model), QStringLiteral("--config"),
                          config}
              + GetParam().hostility);
    ui::KestrovanMain &w = *window;

    // Download fills every control as the sign holds it, and the baseline with it.
    download();
    EXPECT_EQ(w.LEDSignModel->text(), QString::fromLatin1(GetParam().model));
    EXPECT_EQ(w.FCount->text(), QStringLiteral("41"));
    EXPECT_EQ(shownConfiguration(w), comparable(sim.state()));

    // A second upload without edits sends nothing.
    const qsizetype before = sim.commands().size();
    upload(w.UploadAll);
    EXPECT_EQ(w.Textout->text(), QStringLiteral("Nothing to Upload"));
    EXPECT_EQ(sim.commands().size(), before);

    // Edits and Upload leave the sign holding exactly the edited configuration.
    w.FontP1->setCurrentIndex(w.FontP0->currentIndex());
    w.TimeoutP1->setText(QStringLiteral("42"));
    w.Capcode0[5]->clear();
    w.Capcode0[6]->setText(QStringLiteral("5550001"));
    w.Pri0[6]->setCurrentIndex(2);
    w.usercmd1->setText(QStringLiteral("REBOOT"));
    w.AutoID->setChecked(!w.AutoID->isChecked());
    const QMap<QString, QString> edited = shownConfiguration(w);
    upload(w.UploadAll);
    EXPECT_EQ(comparable(sim.state()), edited);
    EXPECT_EQ(shownConfiguration(w), edited);

    // Factory defaults: the sign restores its own, and the window reads them back.
    services.onDialog = [](QDialog &dialog) { static_cast<ui::Warning &>(dialog).Yes->click(); };
    w.UploadFactoryDef->click();
    ASSERT_TRUE(w.FactoryDef.isActive());
    ASSERT_TRUE(waitUntil([&] { return idle() && sim.commands().contains(QStringLiteral("DOWNLOAD_ALL")); }, 5000));
    ASSERT_TRUE(waitUntil([&] { return idle() && w.usercmd1->text() == QStringLiteral("RESET"); }, 5000));
    const QMap<QString, QString> factory = comparable(sim.state());
    EXPECT_EQ(factory.value(QStringLiteral("link0")), QStringLiteral("0:1000000"));
    EXPECT_EQ(shownConfiguration(w), factory);
}

INSTANTIATE_TEST_SUITE_P(
    Models, SignSimFamily,
    ::testing::Values(
        Family{"RW2290", "RW2290",
               "pri0=4,6,2,1,2,5,2,12\npri1=0,0,0,0,0,0,0,0\npri2=24,27,12,4,2,9,2,99\npri3=9,14,7,3,1,1,1,7\n"
               "pri4=14,3,9,2,0,8,0,3\nlink0=1:1234567\nlink2=3:100,200\nlink5=4:77\nautoid=0\nusercmd=BOOT\n"},
        Family{"PN360", "PN360",
               "pri0=1,2,3,4,0,1,2,5\npri1=2,2,2,2,2,2,2,2\npri2=3,3,3,3,1,3,0,3\npri3=4,4,4,4,2,4,1,4\n"
               "pri4=5,5,5,0,0,5,2,5\nlink1=0:42\nlink5=2:9000\nlink7=4:1,2,3\nautoid=1\nusercmd=GO\n"},
        Family{"QB7", "QB7",
               "pri0=3,23,16,10,8,9,2,12\npri1=0,11,7,5,4,0,0,0\npri2=1,2,13,0,3,3,1,60\npri3=2,5,15,7,6,4,2,30\n"
               "pri4=0,0,0,0,0,0,0,1\nlink3=2:31337\nlink5=1:5\nautoid=0\nusercmd=\n"},
        Family{"KT420", "KT420",
               "pri0=7,17,8,2,1,5,1,12\npri1=6,0,3,0,0,0,0,5\npri2=19,22,4,4,2,9,2,45\npri3=21,11,8,1,1,1,1,10\n"
               "pri4=6,3,3,3,0,2,0,8\nlink4=3:123\nlink5=0:456,789\nautoid=1\nusercmd=X\n"},
        Family{"OtherModel", "ZX9",
               "pri0=4,6,2,1,2,5,2,12\npri1=0,0,0,0,0,0,0,0\npri2=24,27,12,4,2,9,2,99\npri3=9,14,7,3,1,1,1,7\n"
               "pri4=14,3,9,2,0,8,0,3\nlink0=1:1234567\nlink5=4:77\nautoid=0\nusercmd=BOOT\n"},
        // A sign that echoes each command with its CR in front of the answer, and one that sends
        // noise in front of its dump: each reply line then begins with what is not the sign's.
        Family{"EchoingRW2290", "RW2290",
               "pri0=4,6,2,1,2,5,2,12\npri2=24,27,12,4,2,9,2,99\nlink2=3:100,200\nlink5=4:77\nautoid=0\n"
               "usercmd=BOOT\n",
               {QStringLiteral("--echo")}},
        Family{"NoisyQB7", "QB7", "pri0=3,23,16,10,8,9,2,12\nlink3=2:31337\nlink5=1:5\nautoid=0\nusercmd=\n",
               {QStringLiteral("--noise"), QStringLiteral("00FFFF")}},
        Family{"EchoingNoisyCrlfKT420", "KT420", "pri1=6,0,3,0,0,0,0,5\nlink4=3:123\nlink5=0:456,789\n",
               {QStringLiteral("--echo"), QStringLiteral("--noise"), QStringLiteral("1B5B306D00"),
                QStringLiteral("--crlf")}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(SignSimE2E, CablePulledDuringForceUploadLeavesTheRestPending)
{
    // The sign takes the download and five upload items, then the line goes dead.
    startWith({QStringLiteral("--hangup-after"), QStringLiteral("7")});
    ui::KestrovanMain &w = *window;
    download();
    w.ForceUpload->click();
    ASSERT_TRUE(waitUntil([&] { return !w.UploadTimer.isActive(); }, 20000));
    ASSERT_TRUE(waitUntil([&] { return !sim.isRunning(); }, 5000));

    EXPECT_FALSE(w.signPort().isOpen());
    EXPECT_TRUE(w.UploadAll->isEnabled());
    EXPECT_EQ(w.UploadAll->text(), QStringLiteral("Upload to Sign"));
    EXPECT_TRUE(w.DownloadAll->isEnabled());
    ASSERT_EQ(services.messages.size(), 1);
    EXPECT_TRUE(services.messages[0].text.contains(QStringLiteral("connection to the sign was lost")));
    const config::ChangeFlags &flags = w.signConfig().flags;
    EXPECT_FALSE(flags.priorityChanged[0]);
    EXPECT_GE(flags.countSet(), 8);
    EXPECT_LT(flags.countSet(), 15);
    EXPECT_TRUE(flags.linkChanged[7]);
}

TEST_F(SignSimE2E, SavedConfigurationOpenedAfterARestartIsForcedOntoTheSign)
{
    const QString config = sim.writeFile(
        QStringLiteral("start.conf"),
        "pri0=4,6,2,1,2,5,2,12\npri3=9,14,7,3,1,1,1,7\nlink2=3:100,200\nlink5=4:77\nautoid=0\nusercmd=BOOT\n");
    startWith({QStringLiteral("--config"), config});
    download();
    const QMap<QString, QString> saved = comparable(sim.state());
    const QString file = xdg.filePath(QStringLiteral("sign.led"));
    services.nextFileNames.push_back(file);
    window->signSaveAs->trigger();
    ASSERT_TRUE(services.messages.isEmpty());

    // The sign is changed behind the tool's back, then the tool starts afresh.
    services.onDialog = [](QDialog &dialog) { static_cast<ui::Warning &>(dialog).Yes->click(); };
    window->UploadFactoryDef->click();
    ASSERT_TRUE(waitUntil([&] { return idle() && window->usercmd1->text() == QStringLiteral("RESET"); }, 5000));
    ASSERT_NE(comparable(sim.state()), saved);
    window = std::make_unique<ui::KestrovanMain>([] { return std::make_unique<signlink::SerialSignPort>(); },
                                                 services);

    services.nextFileNames.push_back(file);
    window->signOpenFile->trigger();
    ASSERT_EQ(services.messages.size(), 1);
    EXPECT_EQ(services.messages[0].title, QStringLiteral("Suggestion"));
    // The user command is not kept in files; the rest is.
    window->usercmd1->setText(QStringLiteral("BOOT"));
    upload(window->ForceUpload);
    EXPECT_EQ(comparable(sim.state()), saved);
}

// The sign sends its dump unasked after the Nth command: the download is the first, the upload
// sends Priority 2 (2), the removal of ID 6's link (3) and its new link (4).
class UnaskedDump : public SignSimE2E, public ::testing::WithParamInterface<int> {};

TEST_P(UnaskedDump, DuringAnUploadLosesNoEdit)
{
    startWith({QStringLiteral("--dump-after"), QString::number(GetParam())});
    ui::KestrovanMain &w = *window;
    download();
    w.SpeedP2->setCurrentIndex(w.SpeedP2->currentIndex() == 0 ? 1 : 0);
    w.Capcode0[6]->setText(QStringLiteral("5550001"));
    w.Pri0[6]->setCurrentIndex(2);
    const QMap<QString, QString> edited = shownConfiguration(w);
    upload(w.UploadAll);

    const QStringList commands = sim.commands();
    ASSERT_EQ(commands.size(), 4) << commands.join(u'|').toStdString();
    EXPECT_TRUE(commands[1].startsWith(QStringLiteral("<DF pr=2 "))) << commands[1].toStdString();
    EXPECT_EQ(commands.mid(2),
              (QStringList{QStringLiteral("<link id=6 cap=0>"), QStringLiteral("<link id=6 cap=5550001 pr=2>")}));
    // The sign did send its dump during the upload: once asked, once not.
    EXPECT_EQ(sim.sent().filter(QStringLiteral("RW2290,41:")).size(), 2);
    EXPECT_EQ(comparable(sim.state()), edited);
    EXPECT_EQ(shownConfiguration(w), edited);
    EXPECT_EQ(w.signConfig().flags.countSet(), 0);
    upload(w.UploadAll);
    EXPECT_EQ(w.Textout->text(), QStringLiteral("Nothing to Upload"));
    EXPECT_EQ(sim.commands().size(), 4);
}

INSTANTIATE_TEST_SUITE_P(AfterCommand, UnaskedDump, ::testing::Values(2, 3, 4));

TEST_F(SignSimE2E, DumpSentUnaskedAfterASwitchLeavesTheEditsPending)
{
    // The second command is the forced-ID switch; the sign's dump follows its answer.
    startWith({QStringLiteral("--dump-after"), QStringLiteral("2")});
    ui::KestrovanMain &w = *window;
    download();
    w.SpeedP3->setCurrentIndex(w.SpeedP3->currentIndex() == 0 ? 1 : 0);
    w.Capcode0[4]->setText(QStringLiteral("4444"));
    w.Pri0[4]->setCurrentIndex(1);
    const QMap<QString, QString> edited = shownConfiguration(w);
    w.ForceOnID0->click();
    ASSERT_TRUE(waitUntil([&] { return idle() && sim.sent().filter(QStringLiteral("RW2290,41:")).size() == 2; }, 5000));
    ASSERT_TRUE(waitUntil([&] { return sim.state().value(QStringLiteral("forceid0")) == QStringLiteral("1"); }, 5000));
    EXPECT_EQ(shownConfiguration(w), edited);
    upload(w.UploadAll);
    EXPECT_EQ(comparable(sim.state()), edited);
}

TEST_F(SignSimE2E, UserCommandWithBytesAbove127GoesBothWaysUnchanged)
{
    const QString config = sim.writeFile(QStringLiteral("start.conf"), "usercmd=Caf\\xE9\\xAA\\xFF!\n");
    startWith({QStringLiteral("--config"), config});
    ui::KestrovanMain &w = *window;
    download();
    EXPECT_EQ(w.usercmd1->text(), QStringLiteral("Caf\u00e9\u00aa\u00ff!"));
    upload(w.UploadAll);
    EXPECT_EQ(w.Textout->text(), QStringLiteral("Nothing to Upload"));
    w.usercmd1->setText(w.usercmd1->text() + QStringLiteral("\u00b0"));
    upload(w.UploadAll);
    EXPECT_EQ(sim.commands().mid(1), QStringList{QStringLiteral("<UC>Caf\\xE9\\xAA\\xFF!\\xB0")});
    EXPECT_EQ(sim.state().value(QStringLiteral("usercmd")), QStringLiteral("Caf\\xE9\\xAA\\xFF!\\xB0"));
}

// A dump that stops, for a while or for good, half-way: what the window shows stays as it was,
// and the operator is told.
struct BrokenDump {
    const char *name;
    QStringList hostility;
    const char *told;
};

void PrintTo(const BrokenDump &b, std::ostream *out) { *out << b.name; }

class BrokenDumpE2E : public SignSimE2E, public ::testing::WithParamInterface<BrokenDump> {};

TEST_P(BrokenDumpE2E, LeavesTheWindowAsItWasAndIsTold)
{
    startWith(GetParam().hostility);
    ui::KestrovanMain &w = *window;
    const QMap<QString, QString> before = shownConfiguration(w);
    const QString modelBefore = w.LEDSignModel->text();
    w.DownloadAll->click();
    ASSERT_TRUE(waitUntil([&] { return idle(); }, 10000));
    EXPECT_EQ(shownConfiguration(w), before);
    EXPECT_EQ(w.LEDSignModel->text(), modelBefore);
    EXPECT_EQ(w.signConfig().flags.countSet(), 0);
    QStringList said{w.Textout->text()};
    for (const auto &message : services.messages)
        said << message.text;
    EXPECT_TRUE(said.join(u'|').contains(QString::fromLatin1(GetParam().told))) << said.join(u'|').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Signs, BrokenDumpE2E,
    // The half that stopped is dropped by the line time-out, the rest comes after the port closed.
    ::testing::Values(BrokenDump{"LongPause", {QStringLiteral("--dump-pause"), QStringLiteral("1500")},
                                 "The answer of the sign on COM 1 was cut off"},
                      BrokenDump{"HangupInTheMiddle", {QStringLiteral("--hangup-in-dump"), QStringLiteral("1")},
                                 "connection to the sign was lost"}),
    [](const auto &info) { return std::string(info.param.name); });

// Dumps no sign of the catalogue should send: whatever the window makes of them, an Upload
// right after sends nothing.
struct OddDump {
    const char *name;
    const char *fields;  // after "RW2290,41:", bytes as \xNN
};

void PrintTo(const OddDump &d, std::ostream *out) { *out << d.name; }

class OddDumpE2E : public SignSimE2E, public ::testing::WithParamInterface<OddDump> {};

TEST_P(OddDumpE2E, IsReadAndAnUploadWithoutEditsSendsNothing)
{
    startWith({QStringLiteral("--dump-text"), QStringLiteral("RW2290,41:") + QString::fromLatin1(GetParam().fields)});
    ui::KestrovanMain &w = *window;
    download();
    EXPECT_EQ(w.LEDSignModel->text(), QStringLiteral("RW2290"));
    upload(w.UploadAll);
    EXPECT_EQ(sim.commands(), QStringList{QStringLiteral("DOWNLOAD_ALL")});
    EXPECT_EQ(w.Textout->text().toStdString(), "Nothing to Upload");
}

#define ROWS_1_TO_4 "66,67,67,50,51,50,21,100,67,68,68,51,50,51,22,150,65,69,69,52,51,52,21,200,66,70,70,49,50,53,22,250,"
#define PRIORITIES "65,66,66,49,50,49,21,50," ROWS_1_TO_4
#define EMPTY_SLOTS_14 "0,0,5,0,0,5,0,0,5,0,0,5,0,0,5,0,0,5,0,0,5,0,0,5,0,0,5,0,0,5,0,0,5,0,0,5,0,0,5,0,0,5,"

INSTANTIATE_TEST_SUITE_P(
    Dumps, OddDumpE2E,
    ::testing::Values(OddDump{"OneIdTwice", PRIORITIES "3,100,1,3,200,2," EMPTY_SLOTS_14 "1,RESET"},
                      OddDump{"IdsOutOfRange", PRIORITIES "9,555,1,-1,666,2," EMPTY_SLOTS_14 "1,RESET"},
                      OddDump{"LinkPriorityOutOfRange", PRIORITIES "4,777,7,5,888,-3," EMPTY_SLOTS_14 "1,RESET"},
                      OddDump{"ValuesOutOfRange", "200,-66,66,49,50,49,99,50," ROWS_1_TO_4 EMPTY_SLOTS_14
                                                  "0,0,5,0,0,5,1,RESET"},
                      OddDump{"TimeoutsOutOfRange", "65,66,66,49,50,49,21,-50,66,67,67,50,51,50,21,9999999,"
                                                    "67,68,68,51,50,51,22,x,65,69,69,52,51,52,21,,"
                                                    "66,70,70,49,50,53,22,1e9," EMPTY_SLOTS_14 "0,0,5,0,0,5,1,RESET"},
                      OddDump{"ExtraFields", PRIORITIES EMPTY_SLOTS_14 "0,0,5,0,0,5,1,RESET,7,8,9"},
                      OddDump{"Short", PRIORITIES "2,42,1,0,0,5"},
                      OddDump{"HighBytesInFields", "65\\xFF,66,66\\x80,49,50,49,21,50," ROWS_1_TO_4
                                                   "1,\\xE9\\xE9,2," EMPTY_SLOTS_14 "0,0,5,1,\\xFFRESET"}),
    [](const auto &info) { return std::string(info.param.name); });

// A capcode of eleven digits is one the sign refuses: whatever the line puts around its
// "error", the item is named and stays marked, and the rest goes.
class RefusingSign : public SignSimE2E, public ::testing::WithParamInterface<QStringList> {};

TEST_P(RefusingSign, RefusedItemIsToldAndStaysPending)
{
    startWith(GetParam());
    ui::KestrovanMain &w = *window;
    download();
    w.Capcode0[6]->setText(QStringLiteral("12345678901"));
    w.usercmd1->setText(QStringLiteral("REBOOT"));
    upload(w.UploadAll);
    EXPECT_EQ(sim.state().value(QStringLiteral("usercmd")), QStringLiteral("REBOOT"));
    EXPECT_EQ(sim.state().value(QStringLiteral("link6")), QString());
    EXPECT_EQ(w.Textout->text().toStdString(),
              "The sign refused 1 item: ID 6. They stay marked and go with the next upload.");
    EXPECT_TRUE(w.signConfig().flags.linkChanged[6]);
    EXPECT_FALSE(w.signConfig().flags.userCmdChanged);
    EXPECT_EQ(w.Capcode0[6]->text(), QStringLiteral("12345678901"));
}

INSTANTIATE_TEST_SUITE_P(Lines, RefusingSign,
                         ::testing::Values(QStringList{}, QStringList{QStringLiteral("--crlf")},
                                           QStringList{QStringLiteral("--echo")},
                                           QStringList{QStringLiteral("--echo"), QStringLiteral("--crlf")}));

TEST_F(SignSimE2E, SignRefusingEveryItemLeavesEveryEditPendingAndNamed)
{
    startWith({QStringLiteral("--refuse-from"), QStringLiteral("1"), QStringLiteral("--echo")});
    ui::KestrovanMain &w = *window;
    download();
    const QMap<QString, QString> held = comparable(sim.state());
    w.TimeoutP1->setText(QStringLiteral("77"));
    w.usercmd1->setText(QStringLiteral("REBOOT"));
    w.Capcode0[2]->setText(QStringLiteral("2222"));
    w.Pri0[2]->setCurrentIndex(3);
    const QMap<QString, QString> edited = shownConfiguration(w);
    upload(w.UploadAll);
    EXPECT_EQ(comparable(sim.state()), held);
    EXPECT_EQ(shownConfiguration(w), edited);
    EXPECT_EQ(w.Textout->text().toStdString(),
              "The sign refused 3 items: Priority 1, the user command, ID 2. They stay marked and go with the next upload.");
    EXPECT_EQ(w.signConfig().flags.countSet(), 3);
}

} // namespace
