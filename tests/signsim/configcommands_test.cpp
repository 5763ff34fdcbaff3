// The configuration commands as the tool sends them, and the dump the sign reports back.
#include "signfixture.h"

namespace signsimtest {
namespace {

constexpr std::size_t kDumpFields = 90;

struct ValueForm {
    std::string model;
    std::string factoryRow0;  // priority 0 of the factory configuration, as dumped
    std::string changedRow2;  // priority 2 after the command below, as dumped
};

// f=3 c=1 s=2 a=1 sp=4 p=5 b=2 t=30: font 3, style 2, colour 1, speed 4, alignment 1,
// pause 5, beep 2 in dump order.
const std::string kRow2Command = "<DF pr=2 f=3 c=1 s=2 a=1 sp=4 p=5 b=2 t=30>";

class DumpValueForm : public SignTest, public ::testing::WithParamInterface<ValueForm> { };

TEST_P(DumpValueForm, PriorityCommandShowsInDumpInTheModelsValueForm)
{
    const ValueForm& form = GetParam();
    ASSERT_TRUE(startSign({"--model", form.model}));
    const Dump before = download();
    ASSERT_EQ(before.fields.size(), kDumpFields);
    EXPECT_EQ(before.header, form.model + ",41");
    EXPECT_EQ(before.join(0, 8), form.factoryRow0);

    EXPECT_EQ(line->ask(kRow2Command), "done");
    const Dump after = download();
    ASSERT_EQ(after.fields.size(), kDumpFields);
    EXPECT_EQ(after.join(16, 8), form.changedRow2);
    EXPECT_EQ(after.join(0, 16), before.join(0, 16)) << "other rows must stay";
    EXPECT_EQ(after.join(24, 66), before.join(24, 66));
}

INSTANTIATE_TEST_SUITE_P(Families, DumpValueForm,
    ::testing::Values(ValueForm{"RW2290", "65,66,66,49,50,49,21,50", "67,67,66,52,50,53,22,150"},
        ValueForm{"PN360", "65,66,66,49,50,49,21,50", "67,67,66,52,50,53,22,150"},
        ValueForm{"QB7", "1,1,1,6,1,1,21,50", "3,2,1,9,1,5,22,150"},
        ValueForm{"KT420", "1,1,1,1,1,1,21,50", "3,2,1,4,1,5,22,150"},
        ValueForm{"rw2290", "1,1,1,1,1,1,21,50", "3,2,1,4,1,5,22,150"}),
    [](const auto& info) { return info.param.model; });

TEST_F(SignTest, LinksAreDumpedOneTriplePerCapcodeInIdOrder)
{
    ASSERT_TRUE(startSign());
    EXPECT_EQ(line->ask("<link id=5 cap=42 pr=4>"), "linked 5");
    EXPECT_EQ(line->ask("<link id=3 cap=100,200 pr=1>"), "linked 3");
    Dump d = download();
    ASSERT_EQ(d.fields.size(), kDumpFields);
    EXPECT_EQ(d.join(40, 12), "0,1000000,0,3,100,1,3,200,1,5,42,4");
    for (std::size_t j = 4; j < 16; ++j)
        EXPECT_EQ(d.join(40 + 3 * j, 3), "0,0,5") << "slot " << j;
    EXPECT_EQ(d.fields[88], "1");
    EXPECT_EQ(d.fields[89], "RESET");

    EXPECT_EQ(line->ask("<link id=3 cap=0>"), "delinked");
    d = download();
    EXPECT_EQ(d.join(40, 9), "0,1000000,0,5,42,4,0,0,5");
}

TEST_F(SignTest, SixteenCapcodesFitAndASeventeenthIsRefused)
{
    ASSERT_TRUE(startSign());
    std::string fifteen;
    for (int i = 1; i <= 15; ++i)
        fifteen += (i > 1 ? "," : "") + std::to_string(2000 + i);
    EXPECT_EQ(line->ask("<link id=1 cap=" + fifteen + " pr=2>"), "linked 1");
    const Dump full = download();
    EXPECT_EQ(full.join(40 + 3 * 15, 3), "1,2015,2");

    EXPECT_EQ(line->ask("<link id=2 cap=77 pr=0>"), "error");
    // Replacing ID 1's capcodes frees its slots first.
    EXPECT_EQ(line->ask("<link id=1 cap=9 pr=3>"), "linked 1");
    EXPECT_EQ(line->ask("<link id=2 cap=77 pr=0>"), "linked 2");
    EXPECT_EQ(download().join(40, 9), "0,1000000,0,1,9,3,2,77,0");
}

struct Answer {
    std::string command;
    std::string reply;
    std::string field88;
    std::string field89;
};

class AnswerWords : public SignTest, public ::testing::WithParamInterface<Answer> { };

TEST_P(AnswerWords, CommandGetsItsWordAndIsStored)
{
    ASSERT_TRUE(startSign());
    EXPECT_EQ(line->ask(GetParam().command), GetParam().reply);
    const Dump d = download();
    ASSERT_EQ(d.fields.size(), kDumpFields);
    EXPECT_EQ(d.fields[88], GetParam().field88);
    EXPECT_EQ(d.fields[89], GetParam().field89);
}

INSTANTIATE_TEST_SUITE_P(Commands, AnswerWords,
    ::testing::Values(Answer{"<id=user>", "User ID", "0", "RESET"},
        Answer{"<id=auto>", "Auto ID", "1", "RESET"},
        Answer{"<UC>REBOOT now", "user cmd", "1", "REBOOT now"},
        Answer{"<UC>", "user cmd", "1", ""}, Answer{"<FORCE id=0>", "ID Forced : 0", "1", "RESET"},
        Answer{"<FORCE_ID_OFF>", "Force ID OFF", "1", "RESET"}));

TEST_F(SignTest, ForcedIdIsKeptUntilSwitchedOff)
{
    ASSERT_TRUE(startSign({"--state", stateFile()}));
    EXPECT_EQ(readStateFile(stateFile())["forceid0"], "0");
    EXPECT_EQ(line->ask("<FORCE id=0>"), "ID Forced : 0");
    EXPECT_EQ(readStateFile(stateFile())["forceid0"], "1");
    EXPECT_EQ(line->ask("<FORCE_ID_OFF>"), "Force ID OFF");
    EXPECT_EQ(readStateFile(stateFile())["forceid0"], "0");
}

TEST_F(SignTest, FactoryDefaultsRestoreTheStartingConfiguration)
{
    ASSERT_TRUE(startSign({"--model", "QB7"}));
    const auto factory = line->ask("DOWNLOAD_ALL");
    ASSERT_TRUE(factory);
    EXPECT_EQ(line->ask("<DF pr=0 f=3 c=16 s=23 a=8 sp=10 p=9 b=0 t=9999>"), "done");
    EXPECT_EQ(line->ask("<link id=0 cap=0>"), "delinked");
    EXPECT_EQ(line->ask("<link id=7 cap=1,2,3 pr=4>"), "linked 7");
    EXPECT_EQ(line->ask("<id=user>"), "User ID");
    EXPECT_EQ(line->ask("<UC>X"), "user cmd");
    EXPECT_NE(line->ask("DOWNLOAD_ALL"), factory);

    EXPECT_EQ(line->ask("<FD>"), "done");
    EXPECT_EQ(line->ask("DOWNLOAD_ALL"), factory);
}

class MalformedCommand : public SignTest, public ::testing::WithParamInterface<std::string> { };

TEST_P(MalformedCommand, IsAnsweredErrorAndChangesNothing)
{
    ASSERT_TRUE(startSign({"--state", stateFile()}));
    const auto before = line->ask("DOWNLOAD_ALL");
    const auto stateBefore = readStateFile(stateFile());
    EXPECT_EQ(line->ask(GetParam()), "error");
    EXPECT_EQ(line->ask("DOWNLOAD_ALL"), before);
    EXPECT_EQ(readStateFile(stateFile()), stateBefore);
}

INSTANTIATE_TEST_SUITE_P(Commands, MalformedCommand,
    ::testing::Values("hello", "download_all", "DOWNLOAD_ALL ", "<id=auto", "<id=manual>",
        "<id=auto>x", "<FD>x", "<FD", "<FORCE id=1>", "<UC",
        "<DF pr=5 f=1 c=1 s=1 a=1 sp=1 p=1 b=1 t=10>",
        "<DF pr=0 f=x c=1 s=1 a=1 sp=1 p=1 b=1 t=10>",
        "<DF pr=0 c=1 f=1 s=1 a=1 sp=1 p=1 b=1 t=10>", "<DF pr=0 f=1 c=1 s=1 a=1 sp=1 p=1 b=1>",
        "<DF pr=0 f=1 c=1 s=1 a=1 sp=1 p=1 b=1 t=10>x",
        "<DF pr=0  f=1 c=1 s=1 a=1 sp=1 p=1 b=1 t=10>",
        "<DF pr=0 f=25 c=1 s=1 a=1 sp=1 p=1 b=1 t=10>",
        "<DF pr=0 f=-1 c=1 s=1 a=1 sp=1 p=1 b=1 t=10>",
        "<DF pr=0 f=1 c=1 s=1 a=3 sp=1 p=1 b=1 t=10>",
        "<DF pr=0 f=1 c=1 s=1 a=1 sp=1 p=1 b=3 t=10>",
        "<DF pr=0 f=1 c=1 s=1 a=1 sp=1 p=1 b=1 t=1.5>",
        "<DF pr=0 f=1 c=1 s=1 a=1 sp=1 p=1 b=1 t=10000>", "<link id=8 cap=1 pr=0>",
        "<link id=-1 cap=0>", "<link id=x cap=0>", "<link id=1 cap=12a pr=0>",
        "<link id=1 cap=1,,2 pr=0>", "<link id=1 cap=1, pr=0>", "<link id=1 cap=00 pr=1>",
        "<link id=1 cap=1 pr=5>", "<link id=1 cap=12345678901 pr=1>", "<link id=1 cap=1>",
        "<link id=1 pr=1 cap=1>", "<link id=0 cap=0>x"));

TEST_F(SignTest, StrayLineFeedsAreIgnored)
{
    ASSERT_TRUE(startSign({"--state", stateFile()}));
    ASSERT_TRUE(line->write("\n<id=user>\r\n<UC>a\nb\r"));
    EXPECT_EQ(line->readLine(), "User ID");
    EXPECT_EQ(line->readLine(), "user cmd");
    EXPECT_EQ(readStateFile(stateFile())["usercmd"], "ab");
}

TEST_F(SignTest, EmptyCommandsGetNoAnswer)
{
    ASSERT_TRUE(startSign());
    // The tool's hand-edited send adds a second CR after the command's own.
    ASSERT_TRUE(line->write("<id=user>\r\r\r<id=auto>\r"));
    EXPECT_EQ(line->readLine(), "User ID");
    EXPECT_EQ(line->readLine(), "Auto ID");
}

TEST_F(SignTest, OverlongCommandIsRefusedAndTheNextOneUnderstood)
{
    ASSERT_TRUE(startSign());
    EXPECT_EQ(line->ask("<UC>" + std::string(3000, 'A')), "error");
    EXPECT_EQ(line->ask("<id=user>"), "User ID");
    EXPECT_EQ(download().fields[89], "RESET");
}

}  // namespace
}  // namespace signsimtest
