#include "config/backups.h"

#include "../support/failingfiles.h"
#include "../support/qtprinters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace config;
using namespace Qt::Literals::StringLiterals;

namespace {

const QDateTime When(QDate(2024, 5, 1), QTime(14, 3, 22));

struct NameCase {
    const char *name;
    QString model;
    QString expected;
};

class BackupName : public ::testing::TestWithParam<NameCase> {};

TEST_P(BackupName, SortsByTimeAndKeepsOnlySafeCharacters)
{
    const QString name = backupFileName(When, 3, GetParam().model);
    EXPECT_EQ(name, GetParam().expected);
    EXPECT_TRUE(isBackupFileName(name));
}

INSTANTIATE_TEST_SUITE_P(
    Models, BackupName,
    ::testing::Values(NameCase{"Plain", u"RW2290"_s, u"2024-05-01_14-03-22_COM3_RW2290.led"_s},
                      NameCase{"PathAndBlanks", u"../a b\x01"_s, u"2024-05-01_14-03-22_COM3____a_b_.led"_s},
                      NameCase{"Empty", QString(), u"2024-05-01_14-03-22_COM3_unknown.led"_s},
                      NameCase{"Long", QString(40, u'Q'), u"2024-05-01_14-03-22_COM3_"_s + QString(32, u'Q') + u".led"_s}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(BackupFolderTest, DefaultFolderFollowsXdgDataHome)
{
    const QByteArray old = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", "/srv/data");
    EXPECT_EQ(defaultBackupFolder(), u"/srv/data/signconfig/backups"_s);
    for (const char *unusable : {"", "relative/data"}) {
        qputenv("XDG_DATA_HOME", unusable);
        EXPECT_EQ(defaultBackupFolder(), QDir::homePath() + u"/.local/share/signconfig/backups"_s);
    }
    qputenv("XDG_DATA_HOME", old);
}

class BackupFolderWrite : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString &name) const { return dir.filePath(name); }
    void touch(const QString &name)
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QTemporaryDir dir;
    BackupFolder folder{QString()};
};

TEST_F(BackupFolderWrite, KeepsTheNewestFiftyAndNothingElseIsTouched)
{
    folder.setPath(path(u"backups"_s));
    ASSERT_TRUE(QDir().mkpath(path(u"backups"_s)));
    for (int day = 1; day <= 50; ++day)
        touch(u"backups/"_s + backupFileName(QDateTime(QDate(2024, 1, 1), QTime(0, 0)).addSecs(day * 3600), 1, u"QB7"_s));
    touch(u"backups/mine.led"_s);

    const BackupFolder::Written written = folder.write("Model:QB7\r\n", When, 2, u"QB7"_s);
    ASSERT_TRUE(written.ok()) << written.failure->toStdString();
    EXPECT_EQ(written.filePath, path(u"backups/2024-05-01_14-03-22_COM2_QB7.led"_s));
    QFile made(written.filePath);
    ASSERT_TRUE(made.open(QIODevice::ReadOnly));
    EXPECT_EQ(made.readAll(), QByteArray("Model:QB7\r\n"));

    const QStringList kept = folder.backups();
    EXPECT_EQ(kept.size(), BackupFolder::Kept);
    EXPECT_EQ(kept.first(), u"2024-05-01_14-03-22_COM2_QB7.led"_s);
    EXPECT_FALSE(kept.contains(u"2024-01-01_01-00-00_COM1_QB7.led"_s));  // the oldest
    EXPECT_TRUE(kept.contains(u"2024-01-01_02-00-00_COM1_QB7.led"_s));
    EXPECT_TRUE(QFile::exists(path(u"backups/mine.led"_s)));

    // A second backup in the same second gets a name of its own, newer than the first.
    const BackupFolder::Written again = folder.write("x", When, 2, u"QB7"_s);
    EXPECT_EQ(again.filePath, path(u"backups/2024-05-01_14-03-22_COM2_QB7_2.led"_s));
    EXPECT_EQ(folder.backups().first(), u"2024-05-01_14-03-22_COM2_QB7_2.led"_s);
}

TEST_F(BackupFolderWrite, FailuresSayWhyAndLeaveNoFile)
{
    // A folder that cannot be made: a file stands where it would go.
    touch(u"blocked"_s);
    folder.setPath(path(u"blocked/backups"_s));
    BackupFolder::Written written = folder.write("x", When, 1, u"QB7"_s);
    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.failure->contains(path(u"blocked/backups"_s)));

    // A disk that fills up while the backup is written.
    folder.setPath(path(u"full"_s));
    folder.setSaveFileFactory(
        [](const QString &file) { return std::make_unique<testsupport::FailingSaveFile>(file, 4); });
    written = folder.write(QByteArray(64, 'x'), When, 1, u"QB7"_s);
    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.failure->contains(u"No space left on device"_s)) << written.failure->toStdString();
    EXPECT_TRUE(written.filePath.isEmpty());
    EXPECT_TRUE(QDir(path(u"full"_s)).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

} // namespace
