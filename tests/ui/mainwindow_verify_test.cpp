// Knowing what the sign holds: the check after an upload, Compare with Sign, and the backup
// made before each upload, against a scripted port.
#include "dumps.h"
#include "failingfiles.h"
#include "mainwindowdriving.h"
#include "mainwindowfixture.h"

#include "ui/main/configdifferences.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <functional>
#include <optional>

namespace {

using testsupport::MainWindowHarness;
using testsupport::waitUntil;

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The sample configuration with priority 2's speed and link 6 as the edits below make them.
QByteArray editedDump(int speedP2, const QString &link6)
{
    std::array<testdumps::Row, 5> rows = testdumps::sampleRows();
    rows[2].speed = speedP2;
    return testdumps::rw2290Dump(rows,
                                 {QStringLiteral("0,1000,0"), QStringLiteral("1,2000,1"), QStringLiteral("2,1234567,3"),
                                  QStringLiteral("2,890,3"), QStringLiteral("6,%1,4").arg(link6)},
                                 QStringLiteral("1"), QStringLiteral("RESET"))
               .toLatin1()
           + "\n";
}

class MainWindowVerify : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(backups.isValid());
        w.configSession().backups().setPath(backups.path());
        w.UploadTimer.setInterval(3600 * 1000);
        w.configSession().ReadBackTimer.setInterval(3600 * 1000);
        w.DownloadAll_Click();
        h.mainPort().feedNow(testdumps::sampleDump().toLatin1() + "\n");
        w.ComClose_Timer();
        h.mainPort().writes.clear();
        // Priority 2's speed and link 6: one list item and one link.
        w.SpeedP2->setCurrentIndex(0);
        w.Capcode0[6]->setText(QStringLiteral("4711"));
        w.Pri0[6]->setCurrentIndex(4);
    }
    void TearDown() override
    {
        // The choice is kept for the next window; the other tests start with it off.
        if (w.signVerify->isChecked())
            w.signVerify->trigger();
    }
    void uploadWithVerify()
    {
        if (!w.signVerify->isChecked())
            w.signVerify->trigger();
        w.UploadAll_Click();
        int ticks = 0;
        while (w.UploadTimer.isActive() && ticks++ < 40)
            testsupport::uploadTick(w);
    }
    // What the differences dialog showed; it is gone once its answer is given.
    struct Shown {
        QString summary;
        QStringList headings, lines;
        bool uploadAgain = false;
    };
    void recordDialog(QDialog &dialog)
    {
        auto *differences = qobject_cast<ui::ConfigDifferences *>(&dialog);
        ASSERT_NE(differences, nullptr);
        Shown &s = shown.emplace();
        s.summary = differences->summary->text();
        for (int g = 0; g < differences->list->topLevelItemCount(); ++g)
            s.headings << differences->list->topLevelItem(g)->text(0);
        s.lines = differences->listedLines();
        s.uploadAgain = differences->uploadAgain != nullptr;
    }
    bool waitForDialog()
    {
        return waitUntil([&] { return !h.services.dialogsShown.isEmpty(); }, 2000) && shown;
    }

    QTemporaryDir backups;
    MainWindowHarness h;
    ui::KestrovanMain &w = *h.window;
    std::optional<Shown> shown;
};

TEST_F(MainWindowVerify, ReadBackThatMatchesSaysSoAndTheChoiceIsKept)
{
    uploadWithVerify();
    // The same port asks for the configuration at once; the window stays busy meanwhile.
    EXPECT_EQ(h.commandsSent().last(), QStringLiteral("DOWNLOAD_ALL"));
    EXPECT_TRUE(w.signPort().isOpen());
    EXPECT_EQ(w.UploadAll->text(), QStringLiteral("Verifying..."));
    EXPECT_FALSE(w.DownloadAll->isEnabled());
    EXPECT_FALSE(w.signCompare->isEnabled());

    const QString speedWas = w.SpeedP2->currentText();
    h.mainPort().feedNow(editedDump(0, QStringLiteral("4711")));
    EXPECT_EQ(w.Textout->text(), QStringLiteral("The sign holds what was uploaded"));
    EXPECT_TRUE(testsupport::mainWindowIdle(w));
    EXPECT_EQ(w.SpeedP2->currentText(), speedWas);
    EXPECT_FALSE(w.signConfig().flags.any());
    EXPECT_TRUE(h.services.dialogsShown.isEmpty());
    EXPECT_TRUE(h.services.messages.isEmpty());

    MainWindowHarness next;
    EXPECT_TRUE(next.window->signVerify->isChecked());
}

TEST_F(MainWindowVerify, ReadBackThatDiffersListsExactlyTheItemsAndUploadsThemAgain)
{
    uploadWithVerify();
    int flaggedMeanwhile = 0;
    h.services.onDialog = [&](QDialog &dialog) {
        recordDialog(dialog);
        // What the sign does not hold is marked for the next upload before anyone chooses.
        flaggedMeanwhile = w.signConfig().flags.countSet();
        h.mainPort().writes.clear();
        if (auto *again = dialog.findChild<QPushButton *>(QStringLiteral("uploadAgain")))
            again->click();
    };
    // The sign kept priority 2 as it was and stored another capcode for ID 6.
    h.mainPort().feedNow(editedDump(4, QStringLiteral("4712")));
    ASSERT_TRUE(waitForDialog());
    EXPECT_EQ(shown->lines, (QStringList{QStringLiteral("Priority 2 Speed: %1 on the sign, %2 here")
                                             .arg(w.SpeedP2->itemText(4), w.SpeedP2->itemText(0)),
                                         QStringLiteral("ID 6: capcode 4712 on the sign, 4711 here")}));
    EXPECT_EQ(shown->headings, (QStringList{QStringLiteral("Priority 2"), QStringLiteral("ID 6")}));
    EXPECT_TRUE(shown->uploadAgain);
    EXPECT_EQ(flaggedMeanwhile, 2);
    EXPECT_TRUE(w.Textout->text().startsWith(QStringLiteral("The sign does not hold what was uploaded: 2 differences.")));

    ASSERT_TRUE(w.UploadTimer.isActive());
    while (w.UploadTimer.isActive())
        testsupport::uploadTick(w);
    EXPECT_EQ(h.commandsSent(), (QStringList{QStringLiteral("<DF pr=2 f=6 c=3 s=2 a=2 sp=0 p=5 b=2 t=15>"),
                                             QStringLiteral("<link id=6 cap=0>"),
                                             QStringLiteral("<link id=6 cap=4711 pr=4>"),
                                             QStringLiteral("DOWNLOAD_ALL")}));
    h.mainPort().feedNow(editedDump(0, QStringLiteral("4711")));
    EXPECT_EQ(w.Textout->text(), QStringLiteral("The sign holds what was uploaded"));
}

struct ReadBackFault {
    const char *name;
    std::function<void(MainWindowHarness &)> happen;
    const char *says;
};

class MainWindowVerifyFault : public MainWindowVerify, public ::testing::WithParamInterface<ReadBackFault> {};

TEST_P(MainWindowVerifyFault, IsNotVerifiedWithTheReasonAndKeepsTheUpload)
{
    uploadWithVerify();
    GetParam().happen(h);
    if (w.configSession().activity() == session::ConfigSession::Activity::Verifying)
        w.configSession().readBackTick();

    EXPECT_FALSE(w.Textout->text().contains(QStringLiteral("holds what was uploaded")));
    ASSERT_EQ(h.services.messages.size(), 1);
    const QString message = h.services.messages[0].text;
    EXPECT_TRUE(message.startsWith(QStringLiteral("Every item of the upload was sent.\r\nThe upload was not verified: ")))
        << message.toStdString();
    EXPECT_TRUE(message.contains(QString::fromUtf8(GetParam().says))) << message.toStdString();
    EXPECT_TRUE(testsupport::mainWindowIdle(w));
    EXPECT_EQ(w.UploadAll->text(), QStringLiteral("Upload to Sign"));
    // What was sent stays sent; what the edits made stays in the controls.
    EXPECT_FALSE(w.signConfig().flags.any());
    EXPECT_EQ(w.Capcode0[6]->text(), QStringLiteral("4711"));
    EXPECT_EQ(w.SpeedP2->currentIndex(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, MainWindowVerifyFault,
    ::testing::Values(
        ReadBackFault{"NoAnswer", [](MainWindowHarness &) {}, "No answer from the sign on COM 1"},
        ReadBackFault{"AnswerWithoutConfiguration", [](MainWindowHarness &h) { h.mainPort().feedNow("error\n"); },
                      "answered, but did not send its configuration"},
        ReadBackFault{"CutShort",
                      [](MainWindowHarness &h) {
                          h.mainPort().feedNow("RW2290,41:64,65,66");
                          while (h.window->DataTimeout.isActive())
                              h.window->DataTimeout_Timer();
                      },
                      "was cut off"},
        ReadBackFault{"PortFails",
                      [](MainWindowHarness &h) { h.mainPort().failWhileOpen(QStringLiteral("Input/output error")); },
                      "The connection to the sign was lost: Input/output error"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(MainWindowVerify, IncompleteConfigurationIsNotVerifiedAndSaysWhatWasNotRead)
{
    uploadWithVerify();
    h.services.onDialog = [&](QDialog &dialog) { recordDialog(dialog); };
    // A whole line, but the sign's configuration stops after three values.
    h.mainPort().feedNow("RW2290,41:64,65,66\n");
    ASSERT_TRUE(waitForDialog());
    EXPECT_TRUE(shown->summary.startsWith(QStringLiteral("The upload was not verified: "))) << shown->summary.toStdString();
    EXPECT_TRUE(shown->lines.contains(
        QStringLiteral("Priority 0 Speed: not read from the sign, %1 here").arg(w.SpeedP0->currentText())));
    EXPECT_TRUE(shown->uploadAgain);
    EXPECT_FALSE(w.Textout->text().contains(QStringLiteral("holds what was uploaded")));
    // What the sign did not say is not marked as missing from it.
    EXPECT_FALSE(w.signConfig().flags.any());
}

// ---- Compare with Sign ----

TEST_F(MainWindowVerify, CompareReadsTheSignAndChangesNothing)
{
    w.usercmd1->setText(QStringLiteral("REBOOT"));
    const config::ConfigValues before = w.currentValues();
    const config::SignConfig record = w.signConfig();
    h.services.onDialog = [&](QDialog &dialog) { recordDialog(dialog); };
    w.signCompare->trigger();
    EXPECT_EQ(h.commandsSent(), QStringList{QStringLiteral("DOWNLOAD_ALL")});
    EXPECT_EQ(w.DownloadAll->text(), QStringLiteral("Reading..."));
    h.mainPort().feedNow(testdumps::sampleDump().toLatin1() + "\n");
    ASSERT_TRUE(waitForDialog());

    EXPECT_EQ(shown->lines,
              (QStringList{QStringLiteral("Priority 2 Speed: %1 on the sign, %2 here")
                               .arg(w.SpeedP2->itemText(4), w.SpeedP2->itemText(0)),
                           QStringLiteral("ID 6: capcode none on the sign, 4711 here"),
                           QStringLiteral("User command: \"RESET\" on the sign, \"REBOOT\" here")}));
    EXPECT_FALSE(shown->uploadAgain);
    EXPECT_EQ(w.currentValues(), before);
    EXPECT_EQ(w.signConfig().baseline, record.baseline);
    EXPECT_EQ(w.signConfig().flags, record.flags);
    EXPECT_EQ(h.commandsSent(), QStringList{QStringLiteral("DOWNLOAD_ALL")});
    EXPECT_TRUE(testsupport::mainWindowIdle(w));
}

class MainWindowCompareFile : public MainWindowVerify, public ::testing::WithParamInterface<int> {};

TEST_P(MainWindowCompareFile, ComparesTheOpenedFileOrTheWindowAsChosen)
{
    // A file of the edited window, opened; then one more edit in the window only.
    const QString file = backups.filePath(QStringLiteral("edited.led"));
    h.services.nextFileNames = {file, file};
    w.signSaveAs->trigger();
    w.signOpenFile->trigger();
    w.TimeoutP0->setText(QStringLiteral("99"));

    h.services.nextAnswers = {GetParam()};
    h.services.onDialog = [&](QDialog &dialog) { recordDialog(dialog); };
    w.signCompare->trigger();
    h.mainPort().feedNow(testdumps::sampleDump().toLatin1() + "\n");
    ASSERT_TRUE(waitForDialog());
    const QStringList lines = shown->lines;
    EXPECT_EQ(lines.contains(QStringLiteral("Priority 0 Timeout: 6 on the sign, 99 here")), GetParam() == 0);
    EXPECT_EQ(lines.size(), GetParam() == 0 ? 3 : 2);
}

INSTANTIATE_TEST_SUITE_P(Answers, MainWindowCompareFile, ::testing::Values(0, 1));

// ---- Backups ----

TEST_F(MainWindowVerify, BackupBeforeEachUploadHoldsWhatTheSignHeldThen)
{
    // What File > Save writes of the window just after the download, and after the first upload.
    const QString saved = backups.filePath(QStringLiteral("saved"));
    QDir().mkpath(saved);
    const auto save = [&](const char *name) {
        h.services.nextFileNames.push_back(saved + u'/' + QString::fromLatin1(name));
        w.signSaveAs->trigger();
        return readBytes(saved + u'/' + QString::fromLatin1(name));
    };
    const QByteArray edited = save("edited.led");
    w.SpeedP2->setCurrentIndex(4);
    w.Capcode0[6]->clear();
    w.Pri0[6]->setCurrentIndex(-1);
    const QByteArray downloaded = save("downloaded.led");

    w.SpeedP2->setCurrentIndex(0);
    w.Capcode0[6]->setText(QStringLiteral("4711"));
    w.Pri0[6]->setCurrentIndex(4);
    w.UploadAll_Click();
    while (w.UploadTimer.isActive())
        testsupport::uploadTick(w);
    w.TimeoutP1->setText(QStringLiteral("33"));
    w.UploadAll_Click();
    while (w.UploadTimer.isActive())
        testsupport::uploadTick(w);

    const QStringList made = w.configSession().backups().backups();
    ASSERT_EQ(made.size(), 2);
    EXPECT_EQ(readBytes(backups.filePath(made[1])), downloaded);
    EXPECT_EQ(readBytes(backups.filePath(made[0])), edited);
    EXPECT_TRUE(made[0].contains(QStringLiteral("_COM1_RW2290")));

    // File > Open Backup starts in that folder.
    h.services.nextFileNames.push_back(QString());
    w.signOpenBackup->trigger();
    EXPECT_EQ(h.services.openDialogFolders, QStringList{backups.path()});
}

TEST(MainWindowBackup, NothingReadYetIsSaidAndNoFileIsMade)
{
    QTemporaryDir backups;
    MainWindowHarness h;
    ui::KestrovanMain &w = *h.window;
    w.configSession().backups().setPath(backups.filePath(QStringLiteral("backups")));
    w.UploadTimer.setInterval(3600 * 1000);
    for (const ui::PriorityRowControls &row : w.priorityRows())
        row.timeout->setText(QStringLiteral("5"));
    w.ForceUpload_Click();
    ASSERT_TRUE(w.UploadTimer.isActive());
    EXPECT_TRUE(w.Textout->text().contains(QStringLiteral("nothing has been read from the sign yet")));
    EXPECT_FALSE(QFileInfo::exists(backups.filePath(QStringLiteral("backups"))));
    while (w.UploadTimer.isActive())
        testsupport::uploadTick(w);
    w.signOpenBackup->trigger();
    ASSERT_EQ(h.services.messages.size(), 1);
    EXPECT_TRUE(h.services.messages[0].text.startsWith(QStringLiteral("No backup has been made yet.")));
    EXPECT_TRUE(h.services.openDialogFolders.isEmpty());
}

class MainWindowBackupFailure : public MainWindowVerify, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        MainWindowVerify::SetUp();
        w.configSession().backups().setSaveFileFactory(
            [](const QString &path) { return std::make_unique<testsupport::FailingSaveFile>(path, 10); });
    }
};

TEST_P(MainWindowBackupFailure, IsSaidUntilTheUploadEndsAndInItsFinalStatus)
{
    const bool verify = GetParam();
    if (verify != w.signVerify->isChecked())
        w.signVerify->trigger();
    w.UploadAll_Click();
    const QString note = w.Textout->text();
    EXPECT_TRUE(note.startsWith(QStringLiteral("No backup was made before this upload: ")));
    EXPECT_TRUE(note.contains(QStringLiteral("No space left on device")));

    // The sign's answers do not replace it, nor does the clearing of the status line.
    testsupport::uploadTick(w);
    h.mainPort().feedNow("done\n");
    EXPECT_EQ(w.Textout->text(), note + QStringLiteral("\r\nUploaded 1 Successfull"));
    w.TextClear_Timer();
    EXPECT_EQ(w.Textout->text(), note);
    EXPECT_FALSE(w.Textout->isHidden());

    while (w.UploadTimer.isActive())
        testsupport::uploadTick(w);
    EXPECT_EQ(h.commandsSent().size(), verify ? 4 : 3);
    EXPECT_TRUE(QDir(backups.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    if (verify)
        h.mainPort().feedNow(editedDump(0, QStringLiteral("4711")));
    EXPECT_TRUE(testsupport::mainWindowIdle(w));
    EXPECT_EQ(w.Textout->text(), verify ? note + QStringLiteral("\r\nThe sign holds what was uploaded") : note);
    EXPECT_TRUE(w.TextClear.isActive());

    // Once the upload is over, the status line clears as ever.
    w.TextClear_Timer();
    EXPECT_TRUE(w.Textout->text().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Checks, MainWindowBackupFailure, ::testing::Bool(),
                         [](const auto &info) { return std::string(info.param ? "Verified" : "Unverified"); });

} // namespace
