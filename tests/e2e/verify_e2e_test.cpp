// Verify After Upload against the simulated sign told to drop or alter one stored command: the
// check names exactly what the sign did not store, and "Upload Again" mends it.
#include "comonesign.h"
#include "fakeuiservices.h"
#include "ptypair.h"
#include "qtprinters.h"

#include "ui/main/configdifferences.h"
#include "ui/main/kestrovanmain.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

using testsupport::waitUntil;

struct Misbehaviour {
    const char *name;
    QStringList arguments;
    bool priority2Altered;  // the second command (priority 2) is stored with its colour moved on
    bool priority4Dropped;  // the third command (priority 4) is ignored
};

class VerifyE2E : public ::testing::TestWithParam<Misbehaviour> {
protected:
    void TearDown() override
    {
        if (window && window->signVerify->isChecked())
            window->signVerify->trigger();
        window.reset();
    }
    bool idle() const
    {
        const ui::KestrovanMain &w = *window;
        return w.DownloadAll->isEnabled() && w.UploadAll->isEnabled() && !w.signPort().isOpen();
    }

    testsupport::ComOneSign com1;
    testsupport::FakeUiServices services;
    QTemporaryDir backups;
    std::unique_ptr<ui::KestrovanMain> window;
};

TEST_P(VerifyE2E, NamesExactlyTheItemsTheSignDidNotStore)
{
    QString error;
    ASSERT_TRUE(com1.start(GetParam().arguments, &error)) << error.toStdString();
    window = testsupport::ComOneSign::mainWindow(services);
    ui::KestrovanMain &w = *window;
    w.configSession().backups().setPath(backups.path());
    w.DownloadAll->click();
    ASSERT_TRUE(waitUntil([&] { return idle() && !w.LEDSignModel->text().isEmpty(); }, 5000));
    if (!w.signVerify->isChecked())
        w.signVerify->trigger();

    // Three items, sent as configuration commands 1, 2 and 3: priorities 1, 2 and 4.
    const auto next = [](QComboBox *list) { return (list->currentIndex() + 1) % list->count(); };
    w.ColorP1->setCurrentIndex(next(w.ColorP1));
    w.FontP2->setCurrentIndex(next(w.FontP2));
    const int colour2 = w.ColorP2->currentIndex();
    const QString timeout4 = w.TimeoutP4->text();
    w.TimeoutP4->setText(QStringLiteral("42"));

    QStringList expected;
    if (GetParam().priority2Altered)
        expected << QStringLiteral("Priority 2 Color: %1 on the sign, %2 here")
                        .arg(w.ColorP2->itemText(next(w.ColorP2)), w.ColorP2->itemText(colour2));
    if (GetParam().priority4Dropped)
        expected << QStringLiteral("Priority 4 Timeout: %1 on the sign, 42 here").arg(timeout4);

    QStringList listed;
    services.onDialog = [&](QDialog &dialog) {
        auto *differences = qobject_cast<ui::ConfigDifferences *>(&dialog);
        ASSERT_NE(differences, nullptr);
        listed = differences->listedLines();
        differences->uploadAgain->click();
    };
    w.UploadAll->click();
    ASSERT_TRUE(waitUntil([&] { return !services.dialogsShown.isEmpty(); }, 20000));
    EXPECT_EQ(listed, expected);

    // Upload Again sends what the sign did not store, and this time the check finds it there.
    ASSERT_TRUE(waitUntil([&] { return idle() && w.Textout->text() == QStringLiteral("The sign holds what was uploaded"); },
                          20000))
        << w.Textout->text().toStdString();
    EXPECT_EQ(services.dialogsShown.size(), 1);
    EXPECT_TRUE(services.messages.isEmpty());
    const QStringList sent = com1.sim.commands();
    EXPECT_EQ(sent.count(QStringLiteral("DOWNLOAD_ALL")), 3);
    EXPECT_EQ(sent.size(), 3 + 3 + expected.size());
}

// A backup folder that cannot be made: the upload goes on and says so to its end.
class BackupE2E : public VerifyE2E {};

TEST_F(BackupE2E, ThatCannotBeMadeIsToldInTheFinalStatus)
{
    QString error;
    ASSERT_TRUE(com1.start({}, &error)) << error.toStdString();
    window = testsupport::ComOneSign::mainWindow(services);
    ui::KestrovanMain &w = *window;
    // A file where the folder's parent should be: no folder can be made there, not even by root.
    QFile blocker(backups.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    w.configSession().backups().setPath(blocker.fileName() + QStringLiteral("/backups"));
    w.DownloadAll->click();
    ASSERT_TRUE(waitUntil([&] { return idle() && !w.LEDSignModel->text().isEmpty(); }, 5000));

    w.TimeoutP4->setText(QStringLiteral("42"));
    w.TimeoutP1->setText(QStringLiteral("7"));
    w.UploadAll->click();
    ASSERT_TRUE(waitUntil([&] { return idle(); }, 10000));
    const QString status = w.Textout->text();
    EXPECT_TRUE(status.startsWith(QStringLiteral("No backup was made before this upload: the folder %1 could not be made")
                                      .arg(w.configSession().backups().path())))
        << status.toStdString();
    // The sign's last answer follows it.
    EXPECT_TRUE(status.endsWith(QStringLiteral("Successfull"))) << status.toStdString();
    EXPECT_FALSE(w.Textout->isHidden());
    EXPECT_EQ(com1.sim.state().value(QStringLiteral("pri4")).section(u',', 7), QStringLiteral("42"));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, VerifyE2E,
    ::testing::Values(Misbehaviour{"Dropped", {QStringLiteral("--drop-item"), QStringLiteral("3")}, false, true},
                      Misbehaviour{"Altered", {QStringLiteral("--corrupt-item"), QStringLiteral("2")}, true, false},
                      Misbehaviour{"Both",
                                   {QStringLiteral("--drop-item"), QStringLiteral("3"), QStringLiteral("--corrupt-item"),
                                    QStringLiteral("2")},
                                   true, true}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
