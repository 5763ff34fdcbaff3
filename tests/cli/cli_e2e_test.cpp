// signconfig-cli as a process against simulated signs on pseudo-terminals: every command, many
// signs at once, a silent one among them, and the input a script can get wrong.
#include "cliprocess.h"
#include "ptypair.h"
#include "qtprinters.h"
#include "signsimulator.h"
#include "testcertificates.h"
#include "tlsterminator.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace {

using clitest::CliRun;
using clitest::runCli;
using clitest::runCliWith;
using testsupport::SignSimulator;
using testsupport::waitUntil;

class CliE2E : public ::testing::Test {
protected:
    SignSimulator &startSign(const QStringList &arguments = {})
    {
        auto sim = std::make_unique<SignSimulator>();
        QString error;
        EXPECT_TRUE(sim->start(arguments, &error)) << error.toStdString();
        signs.push_back(std::move(sim));
        return *signs.back();
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    QByteArray fileBytes(const QString &name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeBytes(const QString &name, const QByteArray &bytes) const
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    // The sign's commands once `downloads` configuration requests have reached it: whatever a
    // run sent before its last request is printed by then too.
    static QStringList commandsAfter(SignSimulator &sim, int downloads)
    {
        waitUntil([&] { return sim.commands().count(QStringLiteral("DOWNLOAD_ALL")) >= downloads; });
        return sim.commands();
    }
    // Reads the sign into `name` and checks that it worked.
    void readInto(SignSimulator &sim, const QString &name)
    {
        const CliRun run = runCli({QStringLiteral("read"), QStringLiteral("-p"), sim.device(), QStringLiteral("-o"), path(name)});
        ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    }

    QTemporaryDir dir;
    std::vector<std::unique_ptr<SignSimulator>> signs;
};

QJsonObject jsonLine(const QString &line)
{
    return QJsonDocument::fromJson(line.toUtf8()).object();
}

QByteArray withLine(QByteArray file, const QByteArray &key, const QByteArray &line)
{
    QList<QByteArray> lines = file.split('\n');
    for (QByteArray &l : lines)
        if (l.startsWith(key))
            l = line + '\r';
    return lines.join('\n');
}

TEST_F(CliE2E, ReadThenWriteOfTheSameFileSendsNothing)
{
    SignSimulator &sim = startSign();
    readInto(sim, QStringLiteral("sign.led"));
    const CliRun run = runCli({QStringLiteral("write"), path(QStringLiteral("sign.led")), QStringLiteral("--port"), sim.device()});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("nothing to send"))) << run.out.toStdString();
    EXPECT_EQ(commandsAfter(sim, 2), QStringList(2, QStringLiteral("DOWNLOAD_ALL")));
}

TEST_F(CliE2E, WriteSendsWhatDiffersAndVerifies)
{
    SignSimulator &sim = startSign();
    readInto(sim, QStringLiteral("sign.led"));
    QByteArray edited = withLine(fileBytes(QStringLiteral("sign.led")), "Pri2:", "Pri2:3,3,5,3,1,3,2,30");
    edited = withLine(edited, "LinkID3:", "LinkID3:5551234,2");
    writeBytes(QStringLiteral("edited.led"), edited);

    const QStringList diffArgs{QStringLiteral("diff"), path(QStringLiteral("edited.led")), QStringLiteral("-p"), sim.device()};
    const CliRun before = runCli(diffArgs);
    EXPECT_EQ(before.exitCode, 1);
    EXPECT_EQ(before.lines().size(), 3) << before.out.toStdString();
    EXPECT_TRUE(before.out.contains(QStringLiteral("Priority 2 Color: Red on the sign, Yellow in")));

    const CliRun run = runCli({QStringLiteral("write"), path(QStringLiteral("edited.led")), QStringLiteral("-p"), sim.device(),
                               QStringLiteral("--verify"), QStringLiteral("--json")});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    const QJsonObject result = jsonLine(run.lines().value(0));
    EXPECT_EQ(result.value(QStringLiteral("result")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(result.value(QStringLiteral("sent")).toVariant().toStringList(),
              (QStringList{QStringLiteral("Priority 2"), QStringLiteral("ID 3")}));
    EXPECT_EQ(sim.state().value(QStringLiteral("pri2")), QStringLiteral("3,3,5,3,1,3,2,30"));
    EXPECT_EQ(sim.state().value(QStringLiteral("link3")), QStringLiteral("2:5551234"));
    // Only the two items went: nothing else was touched.
    EXPECT_EQ(clitest::changingCommands(commandsAfter(sim, 4)),
              (QStringList{QStringLiteral("<DF pr=2 f=3 c=5 s=3 a=1 sp=3 p=3 b=2 t=30>"), QStringLiteral("<link id=3 cap=0>"),
                           QStringLiteral("<link id=3 cap=5551234 pr=2>")}));
    EXPECT_EQ(runCli(diffArgs).exitCode, 0);
    // The backup made before the upload is in the test run's own data folder.
    EXPECT_FALSE(QDir(clitest::dataHome() + QStringLiteral("/signconfig/backups")).isEmpty());
}

// The same change from a .led file and from JSON on standard input: --check sends nothing and
// says what would go and what the sign would hold; the write sends those items alone, keeps a
// backup of what was read, and says what the sign holds; a second check finds nothing.
struct ChangeSource {
    const char *name;
    bool json;
};

class CliWriteSources : public CliE2E, public ::testing::WithParamInterface<ChangeSource> {};

TEST_P(CliWriteSources, CheckThenWriteWithABackup)
{
    SignSimulator &sim = startSign();
    readInto(sim, QStringLiteral("before.led"));
    QByteArray edited = withLine(fileBytes(QStringLiteral("before.led")), "Pri2:", "Pri2:3,3,5,3,1,3,2,30");
    writeBytes(QStringLiteral("edited.led"), withLine(edited, "LinkID3:", "LinkID3:5551234,2"));
    const QByteArray input = R"({"priorities": [{"priority": 2, "font": 3, "style": {"position": 3}, "color": "yellow",
                                 "speed": 3, "alignment": 1, "pause": 3, "beep": 2, "timeout": "30"}],
                                 "links": [{"id": 3, "capcodes": ["5551234"], "priority": 2}], "autoId": true})";
    const auto write = [&](const QStringList &more) {
        const QStringList source = GetParam().json ? QStringList{QStringLiteral("--json-input")}
                                                   : QStringList{path(QStringLiteral("edited.led"))};
        return runCliWith(GetParam().json ? input : QByteArray(),
                          QStringList{QStringLiteral("write")} + source
                              + QStringList{QStringLiteral("-p"), sim.device(), QStringLiteral("--json")} + more);
    };
    const QStringList items{QStringLiteral("Priority 2"), QStringLiteral("ID 3")};

    const CliRun check = write({QStringLiteral("--check"), QStringLiteral("--verify"), QStringLiteral("--backup"),
                                path(QStringLiteral("unused.led"))});
    EXPECT_EQ(check.exitCode, 1) << check.out.toStdString() << check.err.toStdString();
    const QJsonObject checked = jsonLine(check.lines().value(0));
    EXPECT_TRUE(checked.value(QStringLiteral("check")).toBool());
    EXPECT_EQ(checked.value(QStringLiteral("toSend")).toVariant().toStringList(), items);
    EXPECT_EQ(checked.value(QStringLiteral("sent")).toArray(), QJsonArray());
    EXPECT_EQ(checked.value(QStringLiteral("message")).toString(), QStringLiteral("would send Priority 2, ID 3"));
    EXPECT_EQ(commandsAfter(sim, 2), QStringList(2, QStringLiteral("DOWNLOAD_ALL")));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("unused.led"))));

    const CliRun run = write({QStringLiteral("--backup"), path(QStringLiteral("backup-{port}.led"))});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    const QJsonObject result = jsonLine(run.lines().value(0));
    EXPECT_EQ(result.value(QStringLiteral("sent")).toVariant().toStringList(), items);
    EXPECT_EQ(result.value(QStringLiteral("toSend")).toVariant().toStringList(), items);
    EXPECT_EQ(clitest::changingCommands(commandsAfter(sim, 3)),
              (QStringList{QStringLiteral("<DF pr=2 f=3 c=5 s=3 a=1 sp=3 p=3 b=2 t=30>"), QStringLiteral("<link id=3 cap=0>"),
                           QStringLiteral("<link id=3 cap=5551234 pr=2>")}));
    // The backup is what read -o saved before; what the sign holds is what a read gives now,
    // and what the check said it would hold.
    const QString backup = result.value(QStringLiteral("backup")).toString();
    EXPECT_EQ(backup, path(QStringLiteral("backup-%1.led").arg(QFileInfo(sim.device()).fileName())));
    QFile backupFile(backup);
    ASSERT_TRUE(backupFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(backupFile.readAll(), fileBytes(QStringLiteral("before.led")));
    const CliRun read = runCli({QStringLiteral("read"), QStringLiteral("-p"), sim.device(), QStringLiteral("--json")});
    const QJsonObject now = jsonLine(read.lines().value(0)).value(QStringLiteral("configuration")).toObject();
    EXPECT_EQ(result.value(QStringLiteral("configuration")).toObject(), now);
    EXPECT_EQ(checked.value(QStringLiteral("configuration")).toObject(), now);
    EXPECT_NE(result.value(QStringLiteral("before")).toObject(), now);
    EXPECT_EQ(checked.value(QStringLiteral("before")).toObject(), result.value(QStringLiteral("before")).toObject());

    const CliRun again = write({QStringLiteral("--check")});
    EXPECT_EQ(again.exitCode, 0) << again.out.toStdString();
    EXPECT_EQ(jsonLine(again.lines().value(0)).value(QStringLiteral("toSend")).toArray(), QJsonArray());
    EXPECT_EQ(clitest::changingCommands(commandsAfter(sim, 5)).size(), 3);
}

INSTANTIATE_TEST_SUITE_P(Sources, CliWriteSources,
                         ::testing::Values(ChangeSource{"LedFile", false}, ChangeSource{"JsonInput", true}),
                         [](const ::testing::TestParamInfo<ChangeSource> &info) { return std::string(info.param.name); });

TEST_F(CliE2E, JsonInputRemovesALinkAndLeavesTheRest)
{
    SignSimulator &sim = startSign();
    readInto(sim, QStringLiteral("before.led"));
    const QStringList write{QStringLiteral("write"), QStringLiteral("--json-input"), QStringLiteral("-p"), sim.device(),
                            QStringLiteral("--verify")};
    const CliRun linked = runCliWith(R"({"links": [{"id": 6, "capcodes": ["5556666", "5556667"], "priority": 1}]})", write);
    EXPECT_EQ(linked.exitCode, 0) << linked.out.toStdString() << linked.err.toStdString();
    EXPECT_EQ(sim.state().value(QStringLiteral("link6")), QStringLiteral("1:5556666,5556667"));
    const CliRun removed = runCliWith(R"({"links": [{"id": 6, "capcodes": []}]})", write);
    EXPECT_EQ(removed.exitCode, 0) << removed.out.toStdString() << removed.err.toStdString();
    EXPECT_TRUE(removed.out.contains(QStringLiteral("sent ID 6; verified"))) << removed.out.toStdString();
    // Back to what it was: a file saved now is the one saved before.
    readInto(sim, QStringLiteral("after.led"));
    EXPECT_EQ(fileBytes(QStringLiteral("after.led")), fileBytes(QStringLiteral("before.led")));
}

TEST_F(CliE2E, DefaultMessageIsSentOnlyWhenItDiffers)
{
    SignSimulator &sim = startSign();
    const auto message = [&](const QString &text, const QStringList &more = {}) {
        const CliRun run = runCli(QStringList{QStringLiteral("default-message"), QStringLiteral("-p"), sim.device(),
                                              QStringLiteral("--set"), text, QStringLiteral("--color"),
                                              QStringLiteral("Red"), QStringLiteral("--json")}
                                  + more);
        return std::make_pair(run.exitCode, jsonLine(run.lines().value(0)));
    };
    const auto writes = [&] { return sim.commands().filter(QStringLiteral("<DF f=")).size(); };
    const auto [setCode, set] = message(QStringLiteral("STATION 4"));
    EXPECT_EQ(setCode, 0);
    EXPECT_TRUE(set.value(QStringLiteral("changed")).toBool());
    EXPECT_EQ(set.value(QStringLiteral("defaultMessage")).toObject().value(QStringLiteral("text")).toString(),
              QStringLiteral("STATION 4"));
    waitUntil([&] { return writes() == 1; });

    struct Call {
        const char *text;
        bool check;
        int exitCode;
        bool changed;
    };
    for (const Call call : {Call{"STATION 4", false, 0, false}, Call{"STATION 4", true, 0, false},
                            Call{"STATION 5", true, 1, true}}) {
        const auto [code, answer] = message(QString::fromUtf8(call.text), call.check ? QStringList{QStringLiteral("--check")}
                                                                                    : QStringList{});
        EXPECT_EQ(code, call.exitCode) << call.text;
        EXPECT_EQ(answer.value(QStringLiteral("changed")).toBool(), call.changed) << call.text;
        EXPECT_EQ(answer.value(QStringLiteral("before")).toObject().value(QStringLiteral("text")).toString(),
                  QStringLiteral("STATION 4"));
    }
    // Each call read the message; only the first wrote one.
    const auto reads = [&] { return sim.commands().count(QStringLiteral("DOWNLOAD_DEFAULT_MSG")); };
    waitUntil([&] { return reads() >= 4; });
    EXPECT_EQ(reads(), 4);
    EXPECT_EQ(writes(), 1);
}

TEST_F(CliE2E, ForcedWriteWithVerifyNamesTheItemTheSignDropped)
{
    // Item 3 of a forced write is priority 2; the file changes its colour, so its loss shows.
    SignSimulator &sim = startSign({QStringLiteral("--drop-item"), QStringLiteral("3")});
    readInto(sim, QStringLiteral("sign.led"));
    writeBytes(QStringLiteral("edited.led"), withLine(fileBytes(QStringLiteral("sign.led")), "Pri2:", "Pri2:3,3,5,3,1,3,2,30"));
    const CliRun run = runCli({QStringLiteral("write"), path(QStringLiteral("edited.led")), QStringLiteral("-p"), sim.device(),
                               QStringLiteral("--force"), QStringLiteral("--verify")});
    EXPECT_EQ(run.exitCode, 1) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("verify failed: Priority 2 Color"))) << run.out.toStdString();
    EXPECT_EQ(run.lines().size(), 2) << run.out.toStdString();
}

TEST_F(CliE2E, ThreeSignsAtOnceOneSilent)
{
    SignSimulator &first = startSign();
    SignSimulator &silent = startSign({QStringLiteral("--silent")});
    SignSimulator &third = startSign({QStringLiteral("--model"), QStringLiteral("QB7")});
    const CliRun run = runCli({QStringLiteral("read"), QStringLiteral("-p"), first.device(), QStringLiteral("-p"), silent.device(),
                               QStringLiteral("-p"), third.device(), QStringLiteral("-o"), path(QStringLiteral("site-{port}.led")),
                               QStringLiteral("--json")});
    EXPECT_EQ(run.exitCode, 4);
    const QStringList lines = run.lines();
    ASSERT_EQ(lines.size(), 3) << run.out.toStdString();
    const QJsonObject a = jsonLine(lines[0]), b = jsonLine(lines[1]), c = jsonLine(lines[2]);
    EXPECT_EQ(a.value(QStringLiteral("port")).toString(), first.device());
    EXPECT_EQ(a.value(QStringLiteral("result")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(b.value(QStringLiteral("port")).toString(), silent.device());
    EXPECT_EQ(b.value(QStringLiteral("result")).toString(), QStringLiteral("no-answer"));
    EXPECT_EQ(b.value(QStringLiteral("exitCode")).toInt(), 4);
    // A sign given by its device is named so, not by the COM number it was opened as.
    EXPECT_TRUE(b.value(QStringLiteral("message")).toString().startsWith(QStringLiteral("No answer from the sign on %1.").arg(silent.device())))
        << b.value(QStringLiteral("message")).toString().toStdString();
    EXPECT_EQ(c.value(QStringLiteral("result")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(c.value(QStringLiteral("configuration")).toObject().value(QStringLiteral("model")).toString(), QStringLiteral("QB7"));
    // Each answering sign has its file; the silent one none.
    for (const QJsonObject &done : {a, c})
        EXPECT_TRUE(QFile::exists(done.value(QStringLiteral("file")).toString()));
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("site-*.led")}).size(), 2);
}

TEST_F(CliE2E, DiffOfTwoFiles)
{
    SignSimulator &sim = startSign();
    readInto(sim, QStringLiteral("a.led"));
    writeBytes(QStringLiteral("b.led"), withLine(fileBytes(QStringLiteral("a.led")), "AutoID:", "AutoID:0"));
    const CliRun same = runCli({QStringLiteral("diff"), path(QStringLiteral("a.led")), path(QStringLiteral("a.led"))});
    EXPECT_EQ(same.exitCode, 0);
    const CliRun run = runCli({QStringLiteral("diff"), path(QStringLiteral("a.led")), path(QStringLiteral("b.led"))});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.contains(QStringLiteral("ID mode: User in ") + path(QStringLiteral("b.led")))) << run.out.toStdString();
}

TEST_F(CliE2E, FactoryDefaultsNeedYesAndReadBack)
{
    SignSimulator &sim = startSign();
    readInto(sim, QStringLiteral("sign.led"));
    writeBytes(QStringLiteral("edited.led"), withLine(fileBytes(QStringLiteral("sign.led")), "Pri0:", "Pri0:2,2,2,2,2,2,1,10"));
    ASSERT_EQ(runCli({QStringLiteral("write"), path(QStringLiteral("edited.led")), QStringLiteral("-p"), sim.device()}).exitCode, 0);
    ASSERT_EQ(sim.state().value(QStringLiteral("pri0")), QStringLiteral("2,2,2,2,2,2,1,10"));

    const CliRun refused = runCli({QStringLiteral("factory-defaults"), QStringLiteral("-p"), sim.device()});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("--yes")));
    EXPECT_FALSE(clitest::changingCommands(commandsAfter(sim, 2)).contains(QStringLiteral("<FD>")));

    const CliRun run = runCli({QStringLiteral("factory-defaults"), QStringLiteral("-p"), sim.device(), QStringLiteral("--yes")});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    EXPECT_NE(sim.state().value(QStringLiteral("pri0")), QStringLiteral("2,2,2,2,2,2,1,10"));
    EXPECT_EQ(runCli({QStringLiteral("diff"), path(QStringLiteral("sign.led")), QStringLiteral("-p"), sim.device()}).exitCode, 0);
}

TEST_F(CliE2E, SetClock)
{
    SignSimulator &sim = startSign();
    const CliRun run = runCli({QStringLiteral("set-clock"), QStringLiteral("-p"), sim.device()});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_LE(std::abs(sim.state().value(QStringLiteral("clockoffset")).toLongLong()), 2);
}

TEST_F(CliE2E, DefaultMessageSetAndRead)
{
    SignSimulator &sim = startSign();
    const CliRun set = runCli({QStringLiteral("default-message"), QStringLiteral("-p"), sim.device(), QStringLiteral("--set"),
                               QStringLiteral("Open"), QStringLiteral("--set"), QStringLiteral("<hh:mm>"),
                               QStringLiteral("--color"), QStringLiteral("1")});
    EXPECT_EQ(set.exitCode, 0) << set.out.toStdString() << set.err.toStdString();
    EXPECT_EQ(sim.state().value(QStringLiteral("defmsg")), QStringLiteral("Open\\xAA\\xAD"));
    const CliRun read = runCli({QStringLiteral("default-message"), QStringLiteral("-p"), sim.device(), QStringLiteral("--json")});
    EXPECT_EQ(read.exitCode, 0);
    const QJsonObject message = jsonLine(read.lines().value(0)).value(QStringLiteral("defaultMessage")).toObject();
    EXPECT_EQ(message.value(QStringLiteral("text")).toString(), QStringLiteral("Open$L$T2"));
    EXPECT_EQ(message.value(QStringLiteral("color")).toInt(), 1);
}

TEST_F(CliE2E, DefaultMessageThatSaysDoneIsRead)
{
    writeBytes(QStringLiteral("start.conf"), "defmsg=Job well done\n");
    SignSimulator &sim = startSign({QStringLiteral("--model"), QStringLiteral("PN360"), QStringLiteral("--config"),
                                    path(QStringLiteral("start.conf"))});
    const CliRun read = runCli({QStringLiteral("default-message"), QStringLiteral("-p"), sim.device(), QStringLiteral("--json")});
    EXPECT_EQ(read.exitCode, 0) << read.out.toStdString();
    const QJsonObject message = jsonLine(read.lines().value(0)).value(QStringLiteral("defaultMessage")).toObject();
    EXPECT_EQ(message.value(QStringLiteral("text")).toString(), QStringLiteral("Job well done"));
}

TEST_F(CliE2E, WriteWithoutABackupSaysWhy)
{
    SignSimulator &sim = startSign();
    readInto(sim, QStringLiteral("sign.led"));
    // $XDG_DATA_HOME/signconfig is a file: the backup folder cannot be made.
    writeBytes(QStringLiteral("signconfig"), "not a folder");
    QProcessEnvironment environment = clitest::cliEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dir.path());
    const QString why = QStringLiteral("No backup was made before this upload: the folder %1 could not be made")
                            .arg(path(QStringLiteral("signconfig/backups")));

    // One item each way: the edit, then back to what the sign held.
    writeBytes(QStringLiteral("edited.led"), withLine(fileBytes(QStringLiteral("sign.led")), "Pri2:", "Pri2:3,3,5,3,1,3,2,30"));
    const CliRun text = runCli({QStringLiteral("write"), path(QStringLiteral("edited.led")), QStringLiteral("-p"), sim.device()},
                               environment);
    EXPECT_EQ(text.exitCode, 0) << text.out.toStdString() << text.err.toStdString();
    ASSERT_EQ(text.lines().size(), 2) << text.out.toStdString();
    EXPECT_TRUE(text.lines()[0].endsWith(QStringLiteral("sent Priority 2"))) << text.out.toStdString();
    EXPECT_TRUE(text.lines()[1].startsWith(QStringLiteral("  ") + why)) << text.out.toStdString();

    const CliRun json = runCli({QStringLiteral("write"), path(QStringLiteral("sign.led")), QStringLiteral("-p"), sim.device(),
                                QStringLiteral("--json")},
                               environment);
    EXPECT_EQ(json.exitCode, 0) << json.out.toStdString();
    EXPECT_TRUE(jsonLine(json.lines().value(0)).value(QStringLiteral("noBackup")).toString().startsWith(why))
        << json.out.toStdString();
}

TEST_F(CliE2E, SendTestMessage)
{
    SignSimulator &sim = startSign();
    const CliRun run = runCli({QStringLiteral("send"), QStringLiteral("-p"), sim.device(), QStringLiteral("Hello"),
                               QStringLiteral("--color"), QStringLiteral("Green")});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    const QString sent = sim.state().value(QStringLiteral("testmsg"));
    EXPECT_TRUE(sent.startsWith(QStringLiteral("<id=0 "))) << sent.toStdString();
    EXPECT_TRUE(sent.endsWith(QStringLiteral("Hello"))) << sent.toStdString();
    const CliRun wrong = runCli({QStringLiteral("send"), QStringLiteral("-p"), sim.device(), QStringLiteral("Hello"),
                                 QStringLiteral("--color"), QStringLiteral("Ultraviolet")});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_EQ(sim.state().value(QStringLiteral("testmsg")), sent);
}

TEST_F(CliE2E, ConnectionLostInTheMiddleOfAWriteSaysWhatWent)
{
    // The fourth command (after the request and two items) never arrives.
    SignSimulator &sim = startSign({QStringLiteral("--hangup-after"), QStringLiteral("4")});
    SignSimulator reference;
    QString error;
    ASSERT_TRUE(reference.start({}, &error)) << error.toStdString();
    const CliRun read = runCli({QStringLiteral("read"), QStringLiteral("-p"), reference.device(), QStringLiteral("-o"), path(QStringLiteral("sign.led"))});
    ASSERT_EQ(read.exitCode, 0);
    const CliRun run = runCli({QStringLiteral("write"), path(QStringLiteral("sign.led")), QStringLiteral("-p"), sim.device(),
                               QStringLiteral("--force")});
    EXPECT_EQ(run.exitCode, 3) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Sent: Priority 0, Priority 1"))) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Not sent: Priority 3"))) << run.out.toStdString();
}

// ---- Bad input: usage, files, ports ----

struct BadCall {
    const char *name;
    QStringList arguments;  // "{sign}" and "{other}" are simulators' devices, "{dir}" the test's folder
    int exitCode;
    const char *said;       // on standard error, or for a port on standard output
    int reads = 0;          // configuration requests {sign} gets before the call fails
    const char *input = ""; // standard input
};

class CliBadInput : public CliE2E, public ::testing::WithParamInterface<BadCall> {};

TEST_P(CliBadInput, FailsWithItsCodeAndSendsNothing)
{
    SignSimulator &sim = startSign();
    readInto(sim, QStringLiteral("good.led"));
    const QByteArray good = fileBytes(QStringLiteral("good.led"));
    writeBytes(QStringLiteral("binary.led"), QByteArray("Model:RW2290\r\nCom:1\r\nPri0:1,1\0,1,1,1,1,1,10\r\n", 40));
    writeBytes(QStringLiteral("badline.led"), withLine(good, "Pri3:", "Pri3:1,99,4,4,2,4,1,40"));
    writeBytes(QStringLiteral("junk.led"), withLine(good, "LinkID5:", "whatever this is"));
    writeBytes(QStringLiteral("short.led"), good.left(good.indexOf("LinkID6:")));
    writeBytes(QStringLiteral("othermodel.led"), withLine(good, "Model:", "Model:QB7"));
    writeBytes(QStringLiteral("different.led"), withLine(good, "Pri2:", "Pri2:3,3,5,3,1,3,2,30"));
    writeBytes(QStringLiteral("badtimeout.led"), withLine(good, "Pri2:", "Pri2:5,1,3,3,1,5,2,x"));
    writeBytes(QStringLiteral("crcapcode.led"), withLine(good, "LinkID3:", "LinkID3:1\r<FD>,2"));
    const int before = int(commandsAfter(sim, 1).size());
    SignSimulator *other = GetParam().arguments.join(u' ').contains(QStringLiteral("{other}")) ? &startSign() : nullptr;

    QStringList arguments;
    for (QString argument : GetParam().arguments) {
        argument.replace(QStringLiteral("{sign}"), sim.device()).replace(QStringLiteral("{dir}"), dir.path());
        arguments << (other ? argument.replace(QStringLiteral("{other}"), other->device()) : argument);
    }
    const CliRun run = runCliWith(GetParam().input, arguments);
    EXPECT_EQ(run.exitCode, GetParam().exitCode) << run.out.toStdString() << run.err.toStdString();
    QString said = QString::fromUtf8(GetParam().said);
    said.replace(QStringLiteral("{dir}"), dir.path());
    EXPECT_TRUE((run.err + run.out).contains(said)) << run.err.toStdString() << run.out.toStdString();
    // Nothing but the configuration requests of the call reached a sign: a read made now is the
    // next command each one gets.
    const auto received = [&](SignSimulator &sign, int skipped, int reads) {
        EXPECT_EQ(runCli({QStringLiteral("read"), QStringLiteral("-p"), sign.device()}).exitCode, 0);
        return commandsAfter(sign, skipped + reads + 1).mid(skipped);
    };
    EXPECT_EQ(received(sim, before, GetParam().reads), QStringList(GetParam().reads + 1, QStringLiteral("DOWNLOAD_ALL")));
    if (other) {
        EXPECT_EQ(received(*other, 0, 0), QStringList{QStringLiteral("DOWNLOAD_ALL")});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Calls, CliBadInput,
    ::testing::Values(
        BadCall{"UnknownCommand", {QStringLiteral("fetch"), QStringLiteral("-p"), QStringLiteral("{sign}")}, 2, "Unknown command \"fetch\""},
        BadCall{"UnknownOption", {QStringLiteral("read"), QStringLiteral("-p"), QStringLiteral("{sign}"), QStringLiteral("--fast")}, 2, "Unknown option 'fast'"},
        BadCall{"OptionOfAnotherCommand", {QStringLiteral("read"), QStringLiteral("-p"), QStringLiteral("{sign}"), QStringLiteral("--force")}, 2, "--force is not an option of read"},
        BadCall{"NoPort", {QStringLiteral("read")}, 2, "read needs --port"},
        BadCall{"PortOutOfRange", {QStringLiteral("read"), QStringLiteral("-p"), QStringLiteral("COM13")}, 2, "give COM1 to COM12"},
        BadCall{"MissingFile", {QStringLiteral("write"), QStringLiteral("{dir}/none.led"), QStringLiteral("-p"), QStringLiteral("{sign}")}, 5, "{dir}/none.led: no such file"},
        BadCall{"BinaryFile", {QStringLiteral("write"), QStringLiteral("{dir}/binary.led"), QStringLiteral("-p"), QStringLiteral("{sign}")}, 5, "{dir}/binary.led:3: holds a NUL byte"},
        BadCall{"PositionOutsideItsList", {QStringLiteral("write"), QStringLiteral("{dir}/badline.led"), QStringLiteral("-p"), QStringLiteral("{sign}")}, 5, "{dir}/badline.led:6: \"Pri3:\" style"},
        BadCall{"LineThatIsNoSetting", {QStringLiteral("diff"), QStringLiteral("{dir}/junk.led"), QStringLiteral("-p"), QStringLiteral("{sign}")}, 5, "{dir}/junk.led:13: not a setting"},
        BadCall{"IncompleteFile", {QStringLiteral("write"), QStringLiteral("{dir}/short.led"), QStringLiteral("-p"), QStringLiteral("{sign}")}, 5, "no LinkID6: line"},
        BadCall{"FolderForAFile", {QStringLiteral("write"), QStringLiteral("{dir}"), QStringLiteral("-p"), QStringLiteral("{sign}")}, 5, "is a folder"},
        BadCall{"FileOfAnotherModel", {QStringLiteral("write"), QStringLiteral("{dir}/othermodel.led"), QStringLiteral("-p"), QStringLiteral("{sign}")}, 5, "is for model QB7, but the sign is a RW2290", 1},
        // Values an upload would refuse: found before any port opens, whatever the command.
        BadCall{"TimeoutNotAWholeNumber", {QStringLiteral("write"), QStringLiteral("{dir}/badtimeout.led"), QStringLiteral("-p"), QStringLiteral("{sign}"), QStringLiteral("-p"), QStringLiteral("{other}")}, 5, "{dir}/badtimeout.led:5: The timeout of priority 2 is \"x\"."},
        BadCall{"TimeoutInADiff", {QStringLiteral("diff"), QStringLiteral("{dir}/badtimeout.led"), QStringLiteral("-p"), QStringLiteral("{sign}")}, 5, "{dir}/badtimeout.led:5: The timeout"},
        BadCall{"TimeoutInTheSecondFileOfADiff", {QStringLiteral("diff"), QStringLiteral("{dir}/good.led"), QStringLiteral("{dir}/badtimeout.led")}, 5, "{dir}/badtimeout.led:5: The timeout"},
        BadCall{"CapcodeWithACarriageReturn", {QStringLiteral("write"), QStringLiteral("{dir}/crcapcode.led"), QStringLiteral("-p"), QStringLiteral("{sign}"), QStringLiteral("-p"), QStringLiteral("{other}"), QStringLiteral("--force")}, 5, "{dir}/crcapcode.led:11: The capcode of ID 3 holds a carriage return"},
        BadCall{"MissingDevice", {QStringLiteral("read"), QStringLiteral("-p"), QStringLiteral("{dir}/ttyNone")}, 3, "{dir}/ttyNone does not exist"},
        BadCall{"NotASerialPort", {QStringLiteral("read"), QStringLiteral("-p"), QStringLiteral("{dir}/good.led")}, 3, "is not a serial port"},
        BadCall{"UnwritableOutput", {QStringLiteral("read"), QStringLiteral("-p"), QStringLiteral("{sign}"), QStringLiteral("-o"), QStringLiteral("{dir}/no/such/folder/x.led")}, 5, "not written", 1},
        // A backup that cannot be written stops the write: nothing goes unsaved.
        BadCall{"UnwritableBackup", {QStringLiteral("write"), QStringLiteral("{dir}/different.led"), QStringLiteral("-p"), QStringLiteral("{sign}"), QStringLiteral("--backup"), QStringLiteral("{dir}/no/such/folder/x.led")}, 5, "{dir}/no/such/folder/x.led not written", 1},
        // JSON input is checked before any port opens, whichever sign it is for.
        BadCall{"JsonTimeoutNoNumber", {QStringLiteral("write"), QStringLiteral("--json-input"), QStringLiteral("-p"), QStringLiteral("{sign}"), QStringLiteral("-p"), QStringLiteral("{other}")}, 5, "signconfig-cli: priorities[0].timeout: \"x\" is no whole number", 0, R"({"priorities": [{"priority": 1, "timeout": "x"}]})"},
        BadCall{"JsonUnknownKey", {QStringLiteral("write"), QStringLiteral("--json-input"), QStringLiteral("-p"), QStringLiteral("{sign}"), QStringLiteral("--check")}, 5, "links[0].capcode: unknown key", 0, R"({"links": [{"id": 2, "capcode": "1234567"}]})"},
        BadCall{"JsonNothingGiven", {QStringLiteral("write"), QStringLiteral("--json-input"), QStringLiteral("-p"), QStringLiteral("{sign}")}, 5, "standard input: empty", 0},
        // A label is looked up in the sign's lists once it is read, and nothing follows.
        BadCall{"JsonLabelTheModelLacks", {QStringLiteral("write"), QStringLiteral("--json-input"), QStringLiteral("-p"), QStringLiteral("{sign}"), QStringLiteral("--backup"), QStringLiteral("{dir}/b.led")}, 5, "priorities[0].font: no \"Huge\" on a RW2290; choose one of 0 Small", 1, R"({"priorities": [{"priority": 1, "font": "Huge"}]})"}),
    [](const ::testing::TestParamInfo<BadCall> &info) { return std::string(info.param.name); });

// ---- A sign whose answer stops early but still ends like a whole line ----

// An RW2290's whole dump: every priority at position 1 with 10 s, ID 0 in the first triple and
// ID 5 in the second, auto IDs, user command RESET. `fields` of its 90 data fields come.
QString cutDump(int fields)
{
    QStringList data;
    for (int n = 0; n < 5; ++n)
        data << QStringLiteral("65,66,66,49,50,49,21,50").split(u',');
    data << QStringLiteral("0") << QStringLiteral("1000") << QStringLiteral("0");
    data << QStringLiteral("5") << QStringLiteral("5550005") << QStringLiteral("2");
    for (int j = 2; j < 16; ++j)
        data << QStringLiteral("0") << QStringLiteral("0") << QStringLiteral("5");
    data << QStringLiteral("1") << QStringLiteral("RESET");
    return QStringLiteral("RW2290,41:") + data.mid(0, fields).join(u',');
}

struct CutAnswer {
    const char *name;
    int fields;
    const char *missing;
    QStringList missingItems;  // the JSON's "missing" items
};

class CliCutAnswer : public CliE2E, public ::testing::WithParamInterface<CutAnswer> {
protected:
    SignSimulator &startCutSign() { return startSign({QStringLiteral("--dump-text"), cutDump(GetParam().fields)}); }
    QString incomplete() const
    {
        return QStringLiteral("The sign's answer was incomplete: %1.").arg(QString::fromLatin1(GetParam().missing));
    }
};

TEST_P(CliCutAnswer, ReadSaysWhatIsMissingAndLeavesTheFileAsItWas)
{
    SignSimulator &sim = startCutSign();
    writeBytes(QStringLiteral("sign.led"), "kept\r\n");
    const CliRun run = runCli({QStringLiteral("read"), QStringLiteral("-p"), sim.device(), QStringLiteral("-o"), path(QStringLiteral("sign.led"))});
    EXPECT_EQ(run.exitCode, 4) << run.out.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("%1: %2 %3 was not written.\n").arg(sim.device(), incomplete(), path(QStringLiteral("sign.led"))));
    EXPECT_EQ(fileBytes(QStringLiteral("sign.led")), QByteArray("kept\r\n"));

    const CliRun json = runCli({QStringLiteral("read"), QStringLiteral("-p"), sim.device(), QStringLiteral("--json")});
    EXPECT_EQ(json.exitCode, 4);
    const QJsonObject result = jsonLine(json.lines().value(0));
    EXPECT_EQ(result.value(QStringLiteral("result")).toString(), QStringLiteral("no-answer"));
    EXPECT_EQ(result.value(QStringLiteral("message")).toString(), incomplete());
    EXPECT_FALSE(result.contains(QStringLiteral("configuration")));
    QStringList items;
    for (const QJsonValue &part : result.value(QStringLiteral("missing")).toArray())
        items << part.toObject().value(QStringLiteral("item")).toString();
    EXPECT_EQ(items, GetParam().missingItems);
}

TEST_P(CliCutAnswer, WriteAndDiffTakeNoValueTheSignDidNotSend)
{
    SignSimulator &whole = startSign();
    readInto(whole, QStringLiteral("sign.led"));
    SignSimulator &sim = startCutSign();
    const QString file = path(QStringLiteral("sign.led"));

    const CliRun write = runCli({QStringLiteral("write"), file, QStringLiteral("-p"), sim.device()});
    EXPECT_EQ(write.exitCode, 4) << write.out.toStdString();
    EXPECT_TRUE(write.out.contains(incomplete() + QStringLiteral(" Nothing was sent"))) << write.out.toStdString();
    const CliRun diff = runCli({QStringLiteral("diff"), file, QStringLiteral("-p"), sim.device()});
    EXPECT_EQ(diff.exitCode, 4) << diff.out.toStdString();
    EXPECT_TRUE(diff.out.contains(QStringLiteral("ID mode: not read on the sign"))) << diff.out.toStdString();
    EXPECT_EQ(commandsAfter(sim, 2), QStringList(2, QStringLiteral("DOWNLOAD_ALL")));

    // Forced, every item of the file goes; the user command, which neither the file nor the
    // answer holds, does not.
    const CliRun forced = runCli({QStringLiteral("write"), file, QStringLiteral("-p"), sim.device(), QStringLiteral("--force")});
    EXPECT_EQ(forced.exitCode, 0) << forced.out.toStdString();
    const QStringList sent = clitest::changingCommands(commandsAfter(sim, 3));
    EXPECT_EQ(sent.filter(QStringLiteral("<DF pr=")).size(), 5) << sent.join(u' ').toStdString();
    EXPECT_EQ(sent.filter(QStringLiteral("<id=")).size(), 1) << sent.join(u' ').toStdString();
    EXPECT_TRUE(sent.filter(QStringLiteral("<UC>")).isEmpty()) << sent.join(u' ').toStdString();

    // Checked afterwards, the answer read back is cut the same way: nothing is confirmed.
    const CliRun checked = runCli({QStringLiteral("write"), file, QStringLiteral("-p"), sim.device(), QStringLiteral("--force"),
                                   QStringLiteral("--verify")});
    EXPECT_EQ(checked.exitCode, 4) << checked.out.toStdString();
    EXPECT_TRUE(checked.out.contains(QStringLiteral("; not verified. ") + incomplete())) << checked.out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, CliCutAnswer,
    ::testing::Values(CutAnswer{"AfterTheLinkTriples", 88, "the ID mode and the user command are missing",
                                {QStringLiteral("idMode"), QStringLiteral("userCommand")}},
                      CutAnswer{"AfterTheFirstTriple", 43, "the link triples 2 to 16, the ID mode and the user command are missing",
                                {QStringLiteral("link"), QStringLiteral("idMode"), QStringLiteral("userCommand")}}),
    [](const ::testing::TestParamInfo<CutAnswer> &info) { return std::string(info.param.name); });

TEST_F(CliE2E, PortsListsTheMapEntryOfTheSimulatedSign)
{
    SignSimulator &sim = startSign();
    const QString folder = dir.filePath(QStringLiteral("signconfig/ports"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::link(sim.device(), folder + QStringLiteral("/COM3")));
    QProcessEnvironment environment = clitest::cliEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());

    const CliRun run = runCli({QStringLiteral("ports"), QStringLiteral("--json")}, environment);
    EXPECT_EQ(run.exitCode, 0);
    const QStringList lines = run.lines();
    ASSERT_EQ(lines.size(), 12);
    const QJsonObject com3 = jsonLine(lines[2]);
    EXPECT_EQ(com3.value(QStringLiteral("port")).toString(), QStringLiteral("COM3"));
    EXPECT_TRUE(com3.value(QStringLiteral("mapped")).toBool());
    EXPECT_TRUE(com3.value(QStringLiteral("exists")).toBool());
    EXPECT_EQ(com3.value(QStringLiteral("device")).toString(), sim.device());

    // Network entries say whether their traffic is encrypted, and note it when it travels
    // readable to another machine.
    const QList<std::pair<int, QByteArray>> network = {{4, "tcp://sign.example:4001\n"},
                                                      {5, "tls://sign.example:4443?fingerprint=SHA256:" + QByteArray(64, 'a') + '\n'},
                                                      {6, "rfc2217://127.0.0.1:2217\n"}};
    for (const auto &[com, address] : network) {
        QFile file(folder + QStringLiteral("/COM%1").arg(com));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(address);
    }
    const QStringList json = runCli({QStringLiteral("ports"), QStringLiteral("--json")}, environment).lines();
    ASSERT_EQ(json.size(), 12);
    const QString note = QStringLiteral("not encrypted: others on the network can read and send what goes to the sign "
                                        "(tls:// or rfc2217+tls:// keeps it private)");
    EXPECT_FALSE(jsonLine(json[3]).value(QStringLiteral("encrypted")).toBool());
    EXPECT_EQ(jsonLine(json[3]).value(QStringLiteral("note")).toString(), note);
    EXPECT_TRUE(jsonLine(json[4]).value(QStringLiteral("encrypted")).toBool());
    EXPECT_TRUE(jsonLine(json[4]).value(QStringLiteral("note")).isNull());
    EXPECT_TRUE(jsonLine(json[5]).value(QStringLiteral("note")).isNull());
    EXPECT_FALSE(jsonLine(json[2]).contains(QStringLiteral("encrypted")));
    const QStringList text = runCli({QStringLiteral("ports")}, environment).lines();
    ASSERT_EQ(text.size(), 12);
    EXPECT_EQ(text[3], QStringLiteral("COM4\ttcp://sign.example:4001\tnetwork\t") + note);
    EXPECT_EQ(text[4], QStringLiteral("COM5\ttls://sign.example:4443?fingerprint=SHA256:") + QByteArray(32, '\xaa').toHex(':').toUpper()
                           + QStringLiteral("\tnetwork"));
    EXPECT_EQ(text[5], QStringLiteral("COM6\trfc2217://127.0.0.1:2217\tnetwork"));

    // The same entry serves "COM3" and "3" as the window's port list would.
    for (const QString &name : {QStringLiteral("COM3"), QStringLiteral("3")}) {
        const CliRun read = runCli({QStringLiteral("read"), QStringLiteral("-p"), name}, environment);
        EXPECT_EQ(read.exitCode, 0) << read.out.toStdString();
        EXPECT_TRUE(read.out.startsWith(QStringLiteral("COM3: RW2290, build 41"))) << read.out.toStdString();
    }
}

TEST_F(CliE2E, ReadsThroughTlsAndRefusesAServerThatDoesNotProveItself)
{
    testsupport::TestCertificates certificates;
    QString error;
    ASSERT_TRUE(certificates.make(&error)) << error.toStdString();
    SignSimulator &sim = startSign({QStringLiteral("--tcp"), QStringLiteral("0")});
    testsupport::TlsTerminator front;
    ASSERT_TRUE(front.start(sim.device().section(u':', -1).toUShort(),
                            {certificates.pem(QStringLiteral("selfsigned")), certificates.key(QStringLiteral("selfsigned")), {}, 0},
                            &error))
        << error.toStdString();
    const QString address = QStringLiteral("tls://127.0.0.1:%1?fingerprint=").arg(front.port());

    const CliRun read = runCli({QStringLiteral("read"), QStringLiteral("-p"),
                                address + certificates.fingerprint(QStringLiteral("selfsigned"))});
    EXPECT_EQ(read.exitCode, 0) << read.out.toStdString() << read.err.toStdString();
    EXPECT_TRUE(read.out.contains(QStringLiteral(": RW2290, build 41"))) << read.out.toStdString();

    const CliRun refused = runCli({QStringLiteral("read"), QStringLiteral("-p"),
                                   address + certificates.fingerprint(QStringLiteral("other"))});
    EXPECT_EQ(refused.exitCode, 3);
    EXPECT_TRUE(refused.out.contains(QStringLiteral("its certificate is not the one pinned"))) << refused.out.toStdString();
    EXPECT_TRUE(refused.out.contains(QStringLiteral("The server's certificate has the fingerprint ")
                                     + certificates.fingerprint(QStringLiteral("selfsigned"))));
    // The one read that got through is all the sign heard.
    EXPECT_EQ(commandsAfter(sim, 1), QStringList {QStringLiteral("DOWNLOAD_ALL")});
}

} // namespace
