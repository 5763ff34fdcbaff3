// File > Save and File > Open with the main window's controls.
#include "dumps.h"
#include "mainwindowdriving.h"
#include "mainwindowfixture.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

using testsupport::MainWindowHarness;

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class MainWindowFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        w.DownloadAll_Click();
        h.mainPort().feedNow(testdumps::sampleDump().toLatin1() + "\n");
        w.ComClose_Timer();
    }
    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
    void save(const QString &name)
    {
        h.services.nextFileNames.push_back(name);
        w.signSaveAs->trigger();
    }
    void open(const QString &name)
    {
        h.services.nextFileNames.push_back(name);
        w.signOpenFile->trigger();
    }

    QTemporaryDir dir;
    MainWindowHarness h;
    ui::KestrovanMain &w = *h.window;
};

TEST_F(MainWindowFiles, SavesTheTwentyThreeLinesByteForByte)
{
    w.ComportsList->setCurrentIndex(2);
    w.SaveDefaultMsg(QStringLiteral("Open\r\n<hh:mm>"), 1, 2, 3, 2, 4, 5);
    save(path("sign"));
    EXPECT_TRUE(h.services.messages.isEmpty());
    const QByteArray expected =
        "Model:RW2290\r\nCom:3\r\n"
        "Pri0:0,0,1,2,0,3,1,6\r\nPri1:5,1,2,3,1,4,0,10\r\nPri2:6,2,3,4,2,5,2,15\r\n"
        "Pri3:7,3,4,0,0,6,1,20\r\nPri4:8,4,5,1,1,7,0,25\r\n"
        "LinkID0:1000,0\r\nLinkID1:2000,1\r\nLinkID2:1234567,890,3\r\nLinkID3:,-1\r\nLinkID4:,-1\r\n"
        "LinkID5:,-1\r\nLinkID6:,-1\r\nLinkID7:,-1\r\n"
        "DefaultMsg:Open\xaa<hh:mm>\r\nDefaultFont:1\r\nDefaultColor:2\r\nDefaultStyle:3\r\n"
        "DefaultAlignment:2\r\nDefaultSpeed:4\r\nDefaultPause:5\r\nAutoID:1\r\n\r\n";
    EXPECT_EQ(readBytes(path("sign.led")), expected);
}

TEST_F(MainWindowFiles, SaveThenOpenRestoresEveryControlTheFileHolds)
{
    w.SaveDefaultMsg(QStringLiteral("Line one\r\nLine two"), 1, 2, 3, 1, 2, 3);
    w.Capcode0[5]->setText(QStringLiteral("5555"));
    w.Pri0[5]->setCurrentIndex(4);
    w.TimeoutP4->setText(QStringLiteral("77"));
    const config::ConfigValues saved = w.currentValues();
    save(path("kept.led"));

    // A second window, as after a restart, opens the file.
    MainWindowHarness other;
    other.services.nextFileNames.push_back(path("kept.led"));
    other.window->signOpenFile->trigger();
    ui::KestrovanMain &o = *other.window;
    ASSERT_EQ(other.services.messages.size(), 1);
    EXPECT_EQ(other.services.messages[0].title, QStringLiteral("Suggestion"));
    EXPECT_EQ(other.services.messages[0].text,
              QStringLiteral("It is Better to use Force Upload after opening up a file\r\n"
                             "It will make sure that all the settings are written to the Sign"));
    EXPECT_EQ(o.LEDSignModel->text(), QStringLiteral("RW2290"));
    config::ConfigValues expected = saved;
    expected.userCommand.clear();  // not in the file
    EXPECT_EQ(o.currentValues(), expected);
    EXPECT_EQ(o.signConfig().configFileName, path("kept.led"));
    EXPECT_FALSE(o.IsDefMsgEmpty());
    EXPECT_EQ(o.signConfig().DefMsg, QStringLiteral("Line one\xaaLine two"));
    EXPECT_EQ(o.SetupDefaultMsg->toolTip(),
              QStringLiteral("Message:Line one\xaaLine two, Font:1, Color:2, Style:3, Align:1, Speed:2, Pause:3"));
    // The file changes the controls only.
    EXPECT_FALSE(o.signConfig().flags.any());
    EXPECT_EQ(o.signConfig().baseline, config::Baseline{});
}

TEST_F(MainWindowFiles, NameWithoutExtensionGetsDotLedAndCancelledDialogsDoNothing)
{
    save(path("plain"));
    EXPECT_TRUE(QFile::exists(path("plain.led")));
    save(path("other.txt"));
    EXPECT_TRUE(QFile::exists(path("other.txt")));
    save(QString());
    EXPECT_TRUE(h.services.messages.isEmpty());

    const config::ConfigValues before = w.currentValues();
    open(QString());
    EXPECT_EQ(w.currentValues(), before);
    ASSERT_EQ(h.services.messages.size(), 1);
    EXPECT_EQ(h.services.messages[0].title, QStringLiteral("Suggestion"));
}

TEST_F(MainWindowFiles, FailedSaveSaysSoAndLeavesTheOldFileWhole)
{
    const QByteArray old = "Model:OLD\r\n";
    writeBytes(path("old.led"), old);
    w.usercmd1->setText(QStringLiteral("x"));
    w.Capcode0[3]->setText(QStringLiteral("12\u20ac"));
    save(path("old.led"));
    ASSERT_EQ(h.services.messages.size(), 1);
    EXPECT_TRUE(h.services.messages[0].text.startsWith(QStringLiteral("Error Saving File")));
    EXPECT_TRUE(h.services.messages[0].text.contains(QStringLiteral("\u20ac")));
    EXPECT_EQ(readBytes(path("old.led")), old);

    w.Capcode0[3]->clear();
    h.services.messages.clear();
    save(dir.filePath(QStringLiteral("no-such-folder/x.led")));
    ASSERT_EQ(h.services.messages.size(), 1);
    EXPECT_EQ(h.services.messages[0].text, QStringLiteral("Error Saving File"));
}

class MainWindowFieldByte : public MainWindowFiles, public ::testing::WithParamInterface<char16_t> {};

// Saved, such a character would come back as a date or time field of the default message.
TEST_P(MainWindowFieldByte, InTheDefaultMessageRefusesTheSaveAndLeavesTheOldFileWhole)
{
    const QByteArray old = "Model:OLD\r\n";
    writeBytes(path("keep.led"), old);
    const QString character{QChar(GetParam())};
    w.SaveDefaultMsg(QStringLiteral("Temp 20") + character + QStringLiteral("C"), 0, 0, 0, 0, 0, 0);
    save(path("keep.led"));
    save(path("new.led"));
    ASSERT_EQ(h.services.messages.size(), 2);
    for (const auto &message : h.services.messages) {
        EXPECT_TRUE(message.text.startsWith(QStringLiteral("Error Saving File\r\n"))) << message.text.toStdString();
        EXPECT_TRUE(message.text.contains(QStringLiteral("\"%1\" (code %2)").arg(character).arg(int(GetParam()))));
    }
    EXPECT_EQ(readBytes(path("keep.led")), old);
    EXPECT_FALSE(QFile::exists(path("new.led")));
}

INSTANTIATE_TEST_SUITE_P(Characters, MainWindowFieldByte, ::testing::Range(char16_t(171), char16_t(179)),
                         [](const auto &info) { return std::to_string(int(info.param)); });

TEST_F(MainWindowFiles, AStoredLineBreakFromAnOpenedFileIsSavedAgain)
{
    writeBytes(path("opened.led"), "DefaultMsg:Open\xaa" "9-5\r\n");
    open(path("opened.led"));
    save(path("again.led"));
    ASSERT_EQ(h.services.messages.size(), 1);  // the "Suggestion" after opening
    EXPECT_TRUE(readBytes(path("again.led")).contains("\r\nDefaultMsg:Open\xaa" "9-5\r\n"));
}

TEST_F(MainWindowFiles, OpeningAFileWithOnlyAPortLineChangesNothingElse)
{
    writeBytes(path("com.led"), "Com:3\r\n");
    const config::ConfigValues before = w.currentValues();
    open(path("com.led"));
    EXPECT_EQ(w.ComportsList->currentText(), QStringLiteral("COM 3"));
    EXPECT_EQ(w.currentValues(), before);
    EXPECT_FALSE(w.Textout->text().contains(QStringLiteral("no configuration")));
}

TEST_F(MainWindowFiles, AFileWithoutAnyConfigurationKeySaysSoBesideTheSuggestion)
{
    writeBytes(path("photo.led"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) + "\r\nDear Sir\r\n");
    const config::ConfigValues before = w.currentValues();
    open(path("photo.led"));
    EXPECT_EQ(w.currentValues(), before);
    EXPECT_EQ(w.Textout->text(), QStringLiteral("photo.led holds no configuration; nothing was changed."));
    ASSERT_EQ(h.services.messages.size(), 1);
    EXPECT_EQ(h.services.messages[0].title, QStringLiteral("Suggestion"));
}

struct ReadError {
    const char *name;
    QByteArray content;
    int number;
};

class MainWindowReadError : public MainWindowFiles, public ::testing::WithParamInterface<ReadError> {};

TEST_P(MainWindowReadError, StopsAtTheFailingLineKeepingWhatCameBefore)
{
    writeBytes(path("bad.led"), "Model:EARLIER\r\n" + GetParam().content + "\r\nCom:5\r\n");
    const QString tipBefore = w.SetupDefaultMsg->toolTip();
    open(path("bad.led"));
    ASSERT_EQ(h.services.messages.size(), 2);
    EXPECT_TRUE(h.services.messages[0].text.startsWith(
        QStringLiteral("Error %1 opening file.\r\n").arg(GetParam().number)))
        << h.services.messages[0].text.toStdString();
    EXPECT_EQ(h.services.messages[1].title, QStringLiteral("Suggestion"));
    EXPECT_EQ(w.LEDSignModel->text(), QStringLiteral("EARLIER"));
    EXPECT_EQ(w.ComportsList->currentIndex(), 0);  // the line after the failure is not read
    EXPECT_EQ(w.SetupDefaultMsg->toolTip(), tipBefore);
    EXPECT_EQ(w.signConfig().configFileName, path("bad.led"));
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, MainWindowReadError,
    ::testing::Values(ReadError{"NotANumber", "DefaultFont:abc", 13}, ReadError{"Overflow", "AutoID:70000", 6},
                      ReadError{"CheckValue", "AutoID:2", 380}, ReadError{"ListPosition", "Pri0:99,0,0,0,0,0,0,5", 380},
                      ReadError{"PortOutsideList", "Com:13", 380}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(MainWindowFiles, MissingFileIsError53)
{
    open(path("missing.led"));
    ASSERT_EQ(h.services.messages.size(), 2);
    EXPECT_TRUE(h.services.messages[0].text.startsWith(QStringLiteral("Error 53 opening file.\r\n")));
    EXPECT_TRUE(h.services.messages[0].text.contains(path("missing.led")));
}

TEST_F(MainWindowFiles, UploadAfterOpeningSendsOnlyWhatDiffersFromTheSign)
{
    w.TimeoutP2->setText(QStringLiteral("99"));
    save(path("edited.led"));
    w.TimeoutP2->setText(QStringLiteral("15"));
    open(path("edited.led"));
    w.UploadTimer.setInterval(3600 * 1000);
    h.mainPort().writes.clear();
    w.UploadAll_Click();
    while (w.UploadTimer.isActive())
        testsupport::uploadTick(w);
    const QStringList sent = h.commandsSent();
    // The user command is not in the file and stays as the sign has it.
    EXPECT_EQ(sent, QStringList{QStringLiteral("<DF pr=2 f=6 c=3 s=2 a=2 sp=4 p=5 b=2 t=99>")});
}

} // namespace
