// Faults struck at every place: files that fail part way, and a port that fails mid-action.
#include "dumps.h"
#include "failingfiles.h"
#include "mainwindowfixture.h"
#include "ptypair.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
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

class MainWindowFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        w.DownloadAll_Click();
        h.mainPort().feedNow(testdumps::sampleDump().toLatin1() + "\n");
        w.ComClose_Timer();
    }
    QTemporaryDir dir;
    MainWindowHarness h;
    ui::KestrovanMain &w = *h.window;
};

TEST_F(MainWindowFaults, SaveFailingAfterAnyNumberOfBytesLeavesTheOldFileWhole)
{
    const QString path = dir.filePath(QStringLiteral("sign.led"));
    h.services.nextFileNames.push_back(path);
    w.signSaveAs->trigger();
    const QByteArray old = readBytes(path);
    ASSERT_GT(old.size(), 300);

    w.TimeoutP0->setText(QStringLiteral("123"));
    const config::SignConfig before = w.signConfig();
    for (qint64 limit = 0; limit <= old.size(); ++limit) {
        w.setFileFactories([limit](const QString &p) { return std::make_unique<testsupport::FailingSaveFile>(p, limit); },
                           {});
        h.services.messages.clear();
        h.services.nextFileNames.push_back(path);
        w.signSaveAs->trigger();
        ASSERT_EQ(h.services.messages.size(), 1) << limit;
        EXPECT_EQ(h.services.messages[0].text, QStringLiteral("Error Saving File")) << limit;
        ASSERT_EQ(readBytes(path), old) << limit;
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("sign.led")});
    EXPECT_EQ(w.signConfig().baseline, before.baseline);
    EXPECT_EQ(w.TimeoutP0->text(), QStringLiteral("123"));

    // With a device that holds out, the same save goes through.
    w.setFileFactories({}, {});
    h.services.nextFileNames.push_back(path);
    w.signSaveAs->trigger();
    EXPECT_TRUE(readBytes(path).contains("Pri0:0,0,1,2,0,3,1,123\r\n"));
}

// write() takes the bytes into Qt's buffer; the full disk shows only when they reach it. The
// save must still fail, the old file stay whole, and no file be left where there was none.
class SaveFailingAtTheFlush : public MainWindowFaults, public ::testing::WithParamInterface<bool> {};

TEST_P(SaveFailingAtTheFlush, SaysSoAndLeavesTheFolderAsItWas)
{
    const bool replacing = GetParam();
    const QString path = dir.filePath(QStringLiteral("keep.led"));
    if (replacing) {
        h.services.nextFileNames.push_back(path);
        w.signSaveAs->trigger();
        ASSERT_TRUE(h.services.messages.isEmpty());
    }
    const QByteArray old = readBytes(path);
    const QStringList filesBefore = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);

    w.TimeoutP0->setText(QStringLiteral("123"));
    w.setFileFactories([](const QString &p) { return std::make_unique<testsupport::FailingAtFlushSaveFile>(p); },
                       {});
    h.services.nextFileNames.push_back(path);
    w.signSaveAs->trigger();
    ASSERT_EQ(h.services.messages.size(), 1);
    EXPECT_EQ(h.services.messages[0].text, QStringLiteral("Error Saving File"));
    EXPECT_EQ(QFile::exists(path), replacing);
    EXPECT_EQ(readBytes(path), old);
    // The temporary file went too.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), filesBefore);
}

INSTANTIATE_TEST_SUITE_P(Files, SaveFailingAtTheFlush, ::testing::Values(true, false),
                         [](const auto &info) { return std::string(info.param ? "OverAnOldFile" : "UnderANewName"); });

// A save file that notes, as the bytes go in, whether it would write straight into the old file
// when no temporary one can be made.
class WatchedSaveFile final : public QSaveFile {
public:
    WatchedSaveFile(const QString &path, bool &directWrite) : QSaveFile(path), m_directWrite(directWrite)
    {
        setDirectWriteFallback(true);
    }

protected:
    qint64 writeData(const char *data, qint64 length) override
    {
        m_directWrite = directWriteFallback();
        return QSaveFile::writeData(data, length);
    }

private:
    bool &m_directWrite;
};

TEST_F(MainWindowFaults, SaveNeverWritesStraightIntoTheOldFile)
{
    bool directWrite = true;
    w.setFileFactories([&](const QString &p) { return std::make_unique<WatchedSaveFile>(p, directWrite); }, {});
    h.services.nextFileNames.push_back(dir.filePath(QStringLiteral("sign.led")));
    w.signSaveAs->trigger();
    EXPECT_TRUE(h.services.messages.isEmpty());
    EXPECT_FALSE(directWrite);
}

TEST_F(MainWindowFaults, AppendingToAFullDeviceFails)
{
    const QString path = dir.filePath(QStringLiteral("log.txt"));
    EXPECT_TRUE(w.SaveTextToFile(path, QStringLiteral("one"), false));
    EXPECT_TRUE(w.SaveTextToFile(path, QStringLiteral("two"), false));
    EXPECT_EQ(readBytes(path), QByteArray("one\r\ntwo\r\n"));
    EXPECT_FALSE(w.SaveTextToFile(QStringLiteral("/dev/full"), QStringLiteral("one"), false));
}

TEST_F(MainWindowFaults, ReadFailingInTheMiddleKeepsTheWholeLinesBeforeItAndSaysSo)
{
    const QString path = dir.filePath(QStringLiteral("sign.led"));
    const QByteArray content = "Model:FROMFILE\r\nCom:4\r\nPri0:1,1,1,1,1,1,1,9\r\nAutoID:0\r\n\r\n";
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(content);
    out.close();

    for (qint64 limit = 0; limit < content.size(); ++limit) {
        MainWindowHarness fresh;
        ui::KestrovanMain &f = *fresh.window;
        f.setFileFactories({}, [limit](const QString &p) { return std::make_unique<testsupport::FailingReadFile>(p, limit); });
        EXPECT_FALSE(f.readConfigFile(path)) << limit;
        ASSERT_EQ(fresh.services.messages.size(), 1) << limit;
        EXPECT_TRUE(fresh.services.messages[0].text.startsWith(QStringLiteral("Error 62 opening file.\r\n"))) << limit;
        const QByteArray whole = content.left(content.left(limit).lastIndexOf('\n') + 1);
        EXPECT_EQ(f.LEDSignModel->text(), whole.contains("Model:") ? QStringLiteral("FROMFILE") : QString()) << limit;
        EXPECT_EQ(f.ComportsList->currentIndex(), whole.contains("Com:") ? 3 : 0) << limit;
        EXPECT_EQ(f.FontP0->currentIndex(), whole.contains("Pri0:") ? 1 : -1) << limit;
        EXPECT_TRUE(f.SetupDefaultMsg->toolTip().isEmpty()) << limit;
    }
}

TEST_F(MainWindowFaults, PortFailingDuringADownloadGivesTheButtonsBackAndKeepsTheConfiguration)
{
    const config::SignConfig before = w.signConfig();
    const config::ConfigValues shown = w.currentValues();
    w.DownloadAll_Click();
    h.mainPort().feedNow(testdumps::sampleDump().toLatin1().left(120));
    h.mainPort().failWhileOpen(QStringLiteral("Input/output error"));
    EXPECT_FALSE(w.ComClose.isActive());
    EXPECT_TRUE(w.DownloadAll->isEnabled());
    EXPECT_EQ(w.DownloadAll->text(), QStringLiteral("Download from Sign"));
    EXPECT_TRUE(w.UploadAll->isEnabled());
    EXPECT_TRUE(w.Textout->text().contains(QStringLiteral("connection to the sign was lost")));
    EXPECT_EQ(w.signConfig().baseline, before.baseline);
    EXPECT_EQ(w.currentValues(), shown);
    // The half line is dropped by the time-out, not glued to the next answer.
    for (int tick = 0; tick < 11; ++tick)
        w.DataTimeout_Timer();
    w.DownloadAll_Click();
    h.mainPort().feedNow(testdumps::sampleDump().toLatin1() + "\n");
    w.ComClose_Timer();
    EXPECT_EQ(w.usercmd1->text(), QStringLiteral("RESET"));
}

TEST_F(MainWindowFaults, PortFailingDuringTheIdModePauseLeavesTheWindowUsable)
{
    QTimer::singleShot(50, &w, [&] { h.mainPort().failWhileOpen(QStringLiteral("gone")); });
    w.AutoID_MouseDown();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !w.SleepTimer.isActive(); }));
    EXPECT_TRUE(w.AutoID->isEnabled());
    EXPECT_TRUE(w.DownloadAll->isEnabled());
    EXPECT_TRUE(w.UploadAll->isEnabled());
    EXPECT_FALSE(w.signPort().isOpen());
}

TEST_F(MainWindowFaults, PortFailingDuringFactoryDefaultsStopsTheReadBack)
{
    h.services.onDialog = [](QDialog &dialog) { dialog.findChild<QPushButton *>(QStringLiteral("Yes"))->click(); };
    w.UploadFactoryDef->click();
    ASSERT_TRUE(w.FactoryDef.isActive());
    h.mainPort().failWhileOpen(QStringLiteral("gone"));
    EXPECT_FALSE(w.FactoryDef.isActive());
    EXPECT_TRUE(w.UploadFactoryDef->isEnabled());
    EXPECT_TRUE(w.DownloadAll->isEnabled());
}

} // namespace
