// A .led file as the command line takes it: whole and sound, or refused with its line.
#include "cli/ledinput.h"

#include "config/ledfile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A file as File > Save writes it, with some values set.
QByteArray savedFile()
{
    config::LedFileRecord record;
    record.model = QStringLiteral("RW2290");
    record.comPort = 2;
    for (config::PriorityDefaults &p : record.priorities)
        p = {1, 1, 1, 1, 1, 1, 1, QStringLiteral("10")};
    record.links[3] = {QStringLiteral("5551234,5551235"), 2};
    record.DefMsg = QStringLiteral("Open");
    record.autoId = 1;
    return config::saveTextBytes(config::ledFileText(record)).bytes.value();
}

QByteArray replacedLine(const QByteArray &file, int line, const QByteArray &text)
{
    QList<QByteArray> lines = file.split('\n');
    lines[line - 1] = text + '\r';
    return lines.join('\n');
}

TEST(LedInput, ASavedFileReadsBackWhole)
{
    const cli::LedInputResult result = cli::parseLedBytes(QStringLiteral("site.led"), savedFile());
    ASSERT_FALSE(result.error) << result.error->text().toStdString();
    EXPECT_EQ(result.input->model, QStringLiteral("RW2290"));
    EXPECT_EQ(result.input->record.links[3], (config::LinkEntry{QStringLiteral("5551234,5551235"), 2}));
    EXPECT_EQ(result.input->record.comPort, 2);
    EXPECT_EQ(result.input->record.autoId, 1);
}

TEST(LedInput, AppliedOverASignKeepsWhatTheFileLeavesOpen)
{
    // A link line whose priority field is 5 or more sets the capcode and leaves the priority.
    const QByteArray file = replacedLine(savedFile(), 11, "LinkID3:777,9");
    const cli::LedInputResult result = cli::parseLedBytes(QStringLiteral("site.led"), file);
    ASSERT_FALSE(result.error) << result.error->text().toStdString();
    config::LedFileRecord seed;
    seed.links[3] = {QStringLiteral("1"), 4};
    EXPECT_EQ(result.input->appliedOver(seed).links[3], (config::LinkEntry{QStringLiteral("777"), 4}));
}

struct Broken {
    const char *name;
    int line;             // the line changed (0: the file cut before it)
    const char *text;     // its new text
    int reportedLine;
    const char *said;
};

// A capcode whose link command is longer than the sign takes.
const std::string LongCapcodeLine = "LinkID4:" + std::string(1100, '1') + ",1";

class BrokenFiles : public ::testing::TestWithParam<Broken> {};

TEST_P(BrokenFiles, AreRefusedWithTheirLine)
{
    const QByteArray good = savedFile();
    QByteArray file;
    if (GetParam().line == 0) {
        file = good.left(good.indexOf(GetParam().text));
    } else {
        file = replacedLine(good, GetParam().line, QByteArray(GetParam().text, int(qstrlen(GetParam().text)) + (GetParam().reportedLine < 0)));
    }
    const cli::LedInputResult result = cli::parseLedBytes(QStringLiteral("site.led"), file);
    ASSERT_TRUE(result.error);
    EXPECT_FALSE(result.input);
    if (GetParam().reportedLine > 0) {
        EXPECT_EQ(result.error->line, GetParam().reportedLine);
    }
    EXPECT_TRUE(result.error->text().startsWith(QStringLiteral("site.led:"))) << result.error->text().toStdString();
    EXPECT_TRUE(result.error->reason.contains(QString::fromUtf8(GetParam().said))) << result.error->reason.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BrokenFiles,
    ::testing::Values(Broken{"PositionOutsideItsList", 5, "Pri2:1,1,99,1,1,1,1,10", 5, "colour"},
                      Broken{"NotANumber", 18, "DefaultColor:abc", 18, "\"DefaultColor:\""},
                      Broken{"AutoIdNotZeroOrOne", 23, "AutoID:2", 23, "0 or 1"},
                      Broken{"NoSetting", 9, "garbage", 9, "not a setting"},
                      Broken{"PriorityRowCut", 4, "Pri1:1,1,1", 4, "not a setting"},
                      Broken{"Repeated", 10, "LinkID1:,-1", 10, "LinkID1: again (first on line 9)"},
                      Broken{"Incomplete", 0, "DefaultSpeed:", 0, "no DefaultSpeed: line"},
                      Broken{"NulByte", 16, "DefaultMsg:Op", -1, "NUL byte"},
                      // Values an upload would refuse are found before any sign is touched.
                      Broken{"TimeoutNotANumber", 5, "Pri2:5,1,3,3,1,5,2,x", 5, "timeout of priority 2 is \"x\""},
                      Broken{"TimeoutWithAFraction", 3, "Pri0:1,1,1,1,1,1,1,2.5", 3, "whole number"},
                      Broken{"TimeoutBeyondSixteenBits", 7, "Pri4:1,1,1,1,1,1,1,40000", 7, "-32768 to 32767"},
                      Broken{"CapcodeWithACarriageReturn", 11, "LinkID3:1\r<FD>,2", 11, "carriage return"},
                      Broken{"CapcodeTooLong", 12, LongCapcodeLine.c_str(), 12, "the sign takes at most"}),
    [](const ::testing::TestParamInfo<Broken> &info) { return std::string(info.param.name); });

TEST(LedInput, MissingFileAndFolderAreNamed)
{
    EXPECT_EQ(cli::loadLedFile(QStringLiteral("/nonexistent/site.led")).error->text(),
              QStringLiteral("/nonexistent/site.led: no such file"));
    EXPECT_TRUE(cli::loadLedFile(QStringLiteral("/tmp")).error->reason.contains(QStringLiteral("folder")));
}

} // namespace
