// The faults the sign commits on request: one configuration command ignored, one stored with
// another value, each of which must show in the next dump as a tool checking its upload would
// see it; and a dump sent unasked.
#include "signfixture.h"

#include <algorithm>

namespace signsimtest {
namespace {

struct Fault {
    const char* name;
    std::vector<std::string> args;
    std::string command;     // sent as the second configuration command
    std::string reply;       // its answer; empty: none
    std::size_t first, count;
    std::string dumped;      // fields [first, first + count) of the next dump
};

void PrintTo(const Fault& f, std::ostream* out) { *out << f.name; }

class SignFault : public SignTest, public ::testing::WithParamInterface<Fault> { };

TEST_P(SignFault, ShowsInTheNextDump)
{
    const Fault& f = GetParam();
    ASSERT_TRUE(startSign(f.args));
    // Neither the dump request nor the forced-ID commands count as configuration commands.
    EXPECT_EQ(download().fields.size(), 90u);
    EXPECT_EQ(line->ask("<FORCE id=0>"), "ID Forced : 0");
    EXPECT_EQ(line->ask("<id=user>"), "User ID");
    ASSERT_TRUE(line->send(f.command));
    if (!f.reply.empty()) {
        EXPECT_EQ(line->readLine(), f.reply);
    }
    // A dropped command's answer would come before this one.
    EXPECT_EQ(line->ask("<FORCE_ID_OFF>"), "Force ID OFF");
    const Dump d = download();
    ASSERT_EQ(d.fields.size(), 90u);
    EXPECT_EQ(d.join(f.first, f.count), f.dumped);
}

const std::vector<std::string> kDrop2{"--drop-item", "2"};
const std::vector<std::string> kCorrupt2{"--corrupt-item=2"};
const std::string kRow2 = "<DF pr=2 f=3 c=1 s=2 a=1 sp=4 p=5 b=2 t=30>";

INSTANTIATE_TEST_SUITE_P(Drop, SignFault,
    ::testing::Values(Fault{"PriorityRow", kDrop2, kRow2, "", 16, 8, "67,68,68,51,50,51,22,150"},
        Fault{"IdMode", kDrop2, "<id=auto>", "", 88, 1, "0"},
        Fault{"UserCommand", kDrop2, "<UC>NEW", "", 89, 1, "RESET"},
        Fault{"Removal", kDrop2, "<link id=0 cap=0>", "", 40, 3, "0,1000000,0"},
        Fault{"Link", kDrop2, "<link id=4 cap=44 pr=3>", "", 43, 3, "0,0,5"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(Corrupt, SignFault,
    ::testing::Values(Fault{"PriorityRowColour", kCorrupt2, kRow2, "done", 16, 8,
                          "67,67,67,52,50,53,22,150"},
        Fault{"LastColourToFirst", {"--model", "QB7", "--corrupt-item", "2"},
            "<DF pr=0 f=3 c=16 s=23 a=8 sp=10 p=9 b=0 t=99>", "done", 0, 8, "3,23,0,15,8,9,20,495"},
        Fault{"IdMode", kCorrupt2, "<id=auto>", "Auto ID", 88, 1, "0"},
        Fault{"UserCommand", kCorrupt2, "<UC>NEW", "user cmd", 89, 1, "NEWX"},
        Fault{"Removal", kCorrupt2, "<link id=0 cap=0>", "delinked", 40, 3, "0,1000000,0"},
        Fault{"LastCapcode", kCorrupt2, "<link id=4 cap=44,19 pr=3>", "linked 4", 43, 6,
            "4,44,3,4,18,3"},
        Fault{"CapcodeDigitUp", kCorrupt2, "<link id=4 cap=40 pr=3>", "linked 4", 43, 3, "4,41,3"},
        // A refused command stays refused: there is nothing stored to alter.
        Fault{"Refused", kCorrupt2, "<link id=4 cap=0x pr=3>", "error", 43, 3, "0,0,5"}),
    [](const auto& info) { return std::string(info.param.name); });

const std::vector<std::string> kRefuseFrom2{"--refuse-from", "2"};

INSTANTIATE_TEST_SUITE_P(Refuse, SignFault,
    ::testing::Values(Fault{"PriorityRow", kRefuseFrom2, kRow2, "error", 16, 8, "67,68,68,51,50,51,22,150"},
        Fault{"UserCommand", kRefuseFrom2, "<UC>NEW", "error", 89, 1, "RESET"},
        Fault{"Link", kRefuseFrom2, "<link id=4 cap=44 pr=3>", "error", 43, 3, "0,0,5"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SignTest, CommandsCountOverTheWholeRunRefusedOnesIncluded)
{
    ASSERT_TRUE(startSign({"--drop-item", "3"}));
    EXPECT_EQ(line->ask("<link id=9 cap=1 pr=0>"), "error");
    line = std::make_unique<Line>(sim.device());  // the next connection
    ASSERT_TRUE(line->isOpen());
    EXPECT_EQ(line->ask("<UC>ONE"), "user cmd");
    ASSERT_TRUE(line->send("<UC>TWO"));
    EXPECT_TRUE(sim.waitForLog("configuration command 3 dropped"));
    EXPECT_EQ(line->ask("<UC>THREE"), "user cmd");
    EXPECT_EQ(download().fields.at(89), "THREE");
    ASSERT_TRUE(line->send("<UC>FOUR"));
    EXPECT_EQ(line->ask("<FORCE_ID_OFF>"), "user cmd") << "only the third is dropped";
}

// A configuration dump the sign sends unasked, among the answers it comes between.
struct Unasked {
    const char* name;
    std::vector<std::string> args;
    std::vector<std::string> commands;
    std::vector<std::string> lines;  // a dump shows as "dump HEADER AUTOID,USERCMD"
};

void PrintTo(const Unasked& u, std::ostream* out) { *out << u.name; }

class UnaskedDump : public SignTest, public ::testing::WithParamInterface<Unasked> { };

TEST_P(UnaskedDump, FollowsTheNthCommandOnceAndHoldsWhatItDid)
{
    const Unasked& u = GetParam();
    ASSERT_TRUE(startSign(u.args));
    for (const std::string& command : u.commands)
        ASSERT_TRUE(line->send(command));
    std::vector<std::string> got;
    while (got.size() < u.lines.size()) {
        const auto next = line->readLine();
        if (!next)
            break;
        const Dump d = splitDump(*next);
        got.push_back(d.fields.size() == 90 ? "dump " + d.header + " " + d.join(88, 2) : *next);
    }
    EXPECT_EQ(got, u.lines);
    const bool echo = std::find(u.args.begin(), u.args.end(), "--echo") != u.args.end();
    EXPECT_EQ(line->ask("<FORCE id=0>"), echo ? "<FORCE id=0>\rID Forced : 0" : "ID Forced : 0")
        << "nothing more came before the next answer";
}

const std::string kNoise("\x00\xFF\xFF", 3);

INSTANTIATE_TEST_SUITE_P(Options, UnaskedDump,
    ::testing::Values(Unasked{"AfterTheNthAnswer", {"--dump-after", "2"}, {"<id=user>", "<UC>NEW", "<id=auto>"},
                          {"User ID", "user cmd", "dump RW2290,41 0,NEW", "Auto ID"}},
        Unasked{"AfterADroppedCommand", {"--dump-after=2", "--drop-item", "2"},
            {"<id=user>", "<UC>NEW", "<id=auto>"}, {"User ID", "dump RW2290,41 0,RESET", "Auto ID"}},
        Unasked{"AfterARequestedOne", {"--dump-after", "1", "--no-build"}, {"DOWNLOAD_ALL", "<id=user>"},
            {"dump RW2290 1,RESET", "dump RW2290 1,RESET", "User ID"}},
        Unasked{"WithEchoAndNoise", {"--echo", "--dump-after", "1", "--noise", "00FFFF"}, {"<UC>X"},
            {"<UC>X\ruser cmd", "dump " + kNoise + "RW2290,41 1,X"}}),
    [](const auto& info) { return std::string(info.param.name); });

class BadFaultOption : public ::testing::TestWithParam<std::vector<std::string>> { };

TEST_P(BadFaultOption, IsAUsageError)
{
    SimProcess sim;
    std::string error;
    EXPECT_FALSE(sim.start(GetParam(), error));
    EXPECT_EQ(sim.waitForExit(), 2);
}

INSTANTIATE_TEST_SUITE_P(Options, BadFaultOption,
    ::testing::Values(std::vector<std::string>{"--drop-item", "0"},
        std::vector<std::string>{"--drop-item", "-1"}, std::vector<std::string>{"--drop-item"},
        std::vector<std::string>{"--corrupt-item=x"},
        std::vector<std::string>{"--corrupt-item", "2x"},
        std::vector<std::string>{"--drop-item", "3", "--corrupt-item", "3"},
        std::vector<std::string>{"--dump-after", "0"}, std::vector<std::string>{"--noise", "0"},
        std::vector<std::string>{"--noise", "0g"}, std::vector<std::string>{"--noise="},
        std::vector<std::string>{"--noise", "0x00"}, std::vector<std::string>{"--echo=1"},
        std::vector<std::string>{"--dump-pause", "0"}, std::vector<std::string>{"--dump-pause=600001"},
        std::vector<std::string>{"--hangup-in-dump", "0"}, std::vector<std::string>{"--dump-text", "a\\x0Ab"},
        std::vector<std::string>{"--dump-text", "a\\q"}, std::vector<std::string>{"--refuse-from", "0"},
        std::vector<std::string>{"--babble", "0"}, std::vector<std::string>{"--babble=60001"},
        std::vector<std::string>{"--babble-text", "x"}, std::vector<std::string>{"--babble", "5", "--babble-text="}));

}  // namespace
}  // namespace signsimtest
