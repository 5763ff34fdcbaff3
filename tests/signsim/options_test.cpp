// The simulator's options: line endings, header, faults, symbolic link, configuration files.
#include "signfixture.h"

#include <filesystem>
#include <fstream>

namespace signsimtest {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// What goes back on the line for one command, byte for byte, up to its first LF.
struct RawReply {
    const char* name;
    std::vector<std::string> args;
    std::string command;
    std::string begins, ends;
};

void PrintTo(const RawReply& r, std::ostream* out) { *out << r.name; }

class ReplyBytes : public SignTest, public ::testing::WithParamInterface<RawReply> { };

TEST_P(ReplyBytes, AreTheAnswerWithItsEchoNoiseAndTerminator)
{
    const RawReply& r = GetParam();
    ASSERT_TRUE(startSign(r.args));
    ASSERT_TRUE(line->send(r.command));
    const auto raw = line->readRaw();
    ASSERT_TRUE(raw);
    ASSERT_GE(raw->size(), r.begins.size() + r.ends.size()) << *raw;
    EXPECT_EQ(raw->substr(0, r.begins.size()), r.begins);
    EXPECT_EQ(raw->substr(raw->size() - r.ends.size()), r.ends);
}

const std::string kNoise("\x00\xFF\xFF", 3);

INSTANTIATE_TEST_SUITE_P(Options, ReplyBytes,
    ::testing::Values(RawReply{"LineFeedAlone", {}, "<id=auto>", "Auto ID\n", ""},
        RawReply{"Crlf", {"--crlf"}, "<id=auto>", "Auto ID\r\n", ""},
        RawReply{"CrlfDump", {"--crlf"}, "DOWNLOAD_ALL", "RW2290,41:", ",RESET\r\n"},
        RawReply{"Echo", {"--echo"}, "<id=auto>", "<id=auto>\rAuto ID\n", ""},
        RawReply{"EchoOfARefusal", {"--echo", "--crlf"}, "<bogus>", "<bogus>\rerror\r\n", ""},
        RawReply{"EchoOfADump", {"--echo"}, "DOWNLOAD_ALL", "DOWNLOAD_ALL\rRW2290,41:", ",RESET\n"},
        RawReply{"NoiseBeforeTheDump", {"--noise", "00ffFF"}, "DOWNLOAD_ALL", kNoise + "RW2290,41:",
            ",RESET\n"},
        RawReply{"NoiseOnlyBeforeTheDump", {"--noise=00FFFF"}, "<id=user>", "User ID\n", ""},
        RawReply{"EchoThenNoise", {"--echo", "--noise", "1B5B306D"}, "DOWNLOAD_ALL",
            "DOWNLOAD_ALL\r\x1B[0mRW2290,41:", ",RESET\n"},
        RawReply{"DumpText", {"--dump-text", "QB7,\\xE9:1,\\x0D2", "--noise", "00"}, "DOWNLOAD_ALL",
            std::string("\0QB7,\xE9:1,\r2\n", 12), ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct Header {
    std::vector<std::string> args;
    std::string header;
};

class DumpHeader : public SignTest, public ::testing::WithParamInterface<Header> { };

TEST_P(DumpHeader, CarriesModelAndBuild)
{
    ASSERT_TRUE(startSign(GetParam().args));
    const auto reply = line->ask("DOWNLOAD_ALL");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->substr(0, reply->find(':')), GetParam().header);
    EXPECT_EQ(splitDump(*reply).fields.size(), 90u);
}

INSTANTIATE_TEST_SUITE_P(Options, DumpHeader,
    ::testing::Values(Header{{}, "RW2290,41"}, Header{{"--no-build"}, "RW2290"},
        Header{{"--model", "QB7", "--build", "7"}, "QB7,7"},
        Header{{"--model=KT420", "--no-build"}, "KT420"}));

TEST_F(SignTest, HangupAfterClosesTheLineOnTheNthCommandWithoutAnswering)
{
    ASSERT_TRUE(startSign({"--hangup-after", "2", "--state", stateFile()}));
    EXPECT_EQ(line->ask("<id=user>"), "User ID");
    ASSERT_TRUE(line->send("<id=auto>"));
    EXPECT_EQ(line->readUntilHangup(), "");
    EXPECT_TRUE(sim.waitForLog("< <id=auto>"));
    EXPECT_TRUE(sim.waitForLog("hanging up"));
    EXPECT_EQ(sim.waitForExit(), 0);
    EXPECT_EQ(readStateFile(stateFile())["autoid"], "0") << "the last command is not carried out";
}

TEST_F(SignTest, HangupInDumpSendsHalfTheNthDumpThenClosesTheLine)
{
    // The first dump comes unasked after the first answer and is whole; the second is cut.
    ASSERT_TRUE(startSign({"--hangup-in-dump", "2", "--dump-after", "1", "--crlf"}));
    EXPECT_EQ(line->ask("<id=user>"), "User ID\r");
    const auto whole = line->readRaw();
    ASSERT_TRUE(whole);
    EXPECT_EQ(splitDump(*whole).fields.size(), 90u);
    ASSERT_TRUE(line->send("DOWNLOAD_ALL"));
    EXPECT_EQ(line->readUntilHangup(), whole->substr(0, whole->size() / 2));
    EXPECT_EQ(sim.waitForExit(), 0);
}

TEST_F(SignTest, SilentSignStoresButNeverAnswers)
{
    // The hang-up on the second command shows that nothing was sent for the first.
    ASSERT_TRUE(startSign({"--silent", "--hangup-after", "2", "--state", stateFile()}));
    ASSERT_TRUE(line->send("<id=user>"));
    EXPECT_TRUE(sim.waitForLog("< <id=user>"));
    ASSERT_TRUE(line->send("DOWNLOAD_ALL"));
    EXPECT_EQ(line->readUntilHangup(), "");
    EXPECT_EQ(sim.waitForExit(), 0);
    EXPECT_EQ(readStateFile(stateFile())["autoid"], "0");
}

TEST_F(SignTest, LogShowsCommandsAndRepliesWithOddBytesEscaped)
{
    ASSERT_TRUE(startSign());
    EXPECT_EQ(line->ask("<UC>a\x01\xAA"), "user cmd");
    EXPECT_TRUE(sim.waitForLog("< <UC>a\\x01\\xAA"));
    EXPECT_TRUE(sim.waitForLog("> user cmd"));
}

TEST_F(SignTest, LinkNamesTheDeviceUntilTheSignEnds)
{
    const std::string link = dir.path("config/signconfig/ports/COM1");
    fs::create_directories(fs::path(link).parent_path());
    fs::create_symlink("/nonexistent/old", link);  // left over from an earlier run
    ASSERT_TRUE(startSign({"--link", link}));
    EXPECT_EQ(fs::read_symlink(link), sim.device());
    Line viaLink(link);
    ASSERT_TRUE(viaLink.isOpen());
    EXPECT_EQ(viaLink.ask("<id=auto>"), "Auto ID");
    EXPECT_EQ(sim.stop(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST_F(SignTest, ConfigFileSetsTheStartingConfigurationAndStateFollowsCommands)
{
    const std::string config = dir.path("start.txt");
    writeFile(config,
        "# a QB7 with a busy priority 1\n"
        "model=QB7\n"
        "build=12\n"
        "pri1=3,23,16,10,8,9,2,99\n"
        "link0=\n"
        "link2=4:555,0666\n"
        "autoid=0\n"
        "usercmd=GO\\x5CNOW\n");
    ASSERT_TRUE(startSign({"--config", config, "--state", stateFile()}));
    const Dump d = download();
    ASSERT_EQ(d.fields.size(), 90u);
    EXPECT_EQ(d.header, "QB7,12");
    EXPECT_EQ(d.join(8, 8), "3,23,16,15,8,9,22,495");
    EXPECT_EQ(d.join(40, 9), "2,555,4,2,0666,4,0,0,5");
    EXPECT_EQ(d.fields[88], "0");
    EXPECT_EQ(d.fields[89], "GO\\NOW");

    auto state = readStateFile(stateFile());
    EXPECT_EQ(state["model"], "QB7");
    EXPECT_EQ(state["build"], "12");
    EXPECT_EQ(state["pri0"], "1,1,1,1,1,1,1,10") << "keys not given keep the factory values";
    EXPECT_EQ(state["pri1"], "3,23,16,10,8,9,2,99");
    EXPECT_EQ(state["link0"], "");
    EXPECT_EQ(state["link2"], "4:555,0666");
    EXPECT_EQ(state["usercmd"], "GO\\x5CNOW");

    EXPECT_EQ(line->ask("<link id=6 cap=31,32 pr=3>"), "linked 6");
    EXPECT_EQ(line->ask("<id=auto>"), "Auto ID");
    state = readStateFile(stateFile());
    EXPECT_EQ(state["link6"], "3:31,32");
    EXPECT_EQ(state["autoid"], "1");
}

TEST_F(SignTest, StateFileRecordsANoBuildSign)
{
    ASSERT_TRUE(startSign({"--no-build", "--model", "PN360", "--state", stateFile()}));
    auto state = readStateFile(stateFile());
    EXPECT_EQ(state["model"], "PN360");
    EXPECT_EQ(state["build"], "");
    EXPECT_EQ(line->ask("DOWNLOAD_ALL").value_or("").substr(0, 6), "PN360:");
}

class BadConfig : public ::testing::TestWithParam<std::string> { };

TEST_P(BadConfig, StopsTheSignBeforeItOffersALine)
{
    TempDir dir;
    const std::string config = dir.path("bad.txt");
    writeFile(config, GetParam());
    SimProcess sim;
    std::string error;
    EXPECT_FALSE(sim.start({"--config", config}, error));
    EXPECT_EQ(sim.waitForExit(), 2);
}

INSTANTIATE_TEST_SUITE_P(Files, BadConfig,
    ::testing::Values("colour=1\n", "autoid=2\n", "pri0=1,1,1\n",
        "model=QB7\npri0=10,1,1,1,1,1,1,10\n", "link1=1:1,2\nlink1=1:3\n", "link3=5:100\n",
        "usercmd=bad\\q\n", "model=A,B\n"));

TEST(SignStart, FailsWithoutABinaryOrWithBadOptions)
{
    ASSERT_FALSE(signsimBinary().empty()) << "SIGNSIM must name the simulator";
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--bogus"},
             {"--build", "x1"}, {"--hangup-after", "0"}, {"--config", "/nonexistent/file"}}) {
        SimProcess sim;
        std::string error;
        EXPECT_FALSE(sim.start(args, error)) << args.front();
    }
}

TEST_F(SignTest, PacedRepliesTakeTheirTimeOnTheLineAndInputIsReadMeanwhile)
{
    ASSERT_TRUE(startSign({"--pace"}));
    const auto started = Clock::now();
    // The second command arrives while the dump is still going out.
    ASSERT_TRUE(line->write("DOWNLOAD_ALL\r<id=user>\r"));
    const auto dump = line->readRaw();
    const auto took = Clock::now() - started;
    ASSERT_TRUE(dump);
    EXPECT_EQ(splitDump(*dump).fields.size(), 90u);
    // 10 bit times a byte at 9600 baud; the sign may be late, never early.
    EXPECT_GE(took, static_cast<long>(dump->size()) * std::chrono::microseconds(1041) * 9 / 10);
    EXPECT_EQ(line->readLine(), "User ID");
}

TEST_F(SignTest, DumpPauseKeepsSilentInTheMiddleOfTheDumpAndWhatFollowsWaits)
{
    ASSERT_TRUE(startSign({"--dump-pause", "300", "--echo"}));
    const auto started = Clock::now();
    ASSERT_TRUE(line->write("DOWNLOAD_ALL\r<id=user>\r"));
    const auto dump = line->readRaw();
    const auto took = Clock::now() - started;
    ASSERT_TRUE(dump);
    EXPECT_EQ(dump->substr(0, 13), "DOWNLOAD_ALL\r");
    EXPECT_EQ(splitDump(dump->substr(13)).fields.size(), 90u);
    EXPECT_GE(took, std::chrono::milliseconds(300));
    EXPECT_TRUE(sim.waitForLog("pausing 300 ms"));
    // The next command's echo and answer come after the whole dump, not in its middle.
    EXPECT_EQ(line->readLine(), "<id=user>\rUser ID");
}

TEST_F(SignTest, BabbleSendsNumberedLinesWhileThePortIsOpenAndAnswersStayWhole)
{
    ASSERT_TRUE(startSign({"--babble", "2"}));
    EXPECT_EQ(line->readLine(), "babble 1");
    EXPECT_EQ(line->readLine(), "babble 2");
    ASSERT_TRUE(line->send("<id=user>"));
    int next = 3;
    std::optional<std::string> got;
    while ((got = line->readLine()) && *got != "User ID") {
        ASSERT_EQ(*got, "babble " + std::to_string(next)) << "a line cut or lost before the answer";
        ++next;
    }
    EXPECT_EQ(got, "User ID");
    line.reset();
    EXPECT_TRUE(sim.waitForLog("times babbled"));
}

TEST_F(SignTest, BabbleTextGoesOutAsItIs)
{
    ASSERT_TRUE(startSign({"--babble", "1", "--babble-text", "\\xFF\\x00\\xAAok\\x0A"}));
    EXPECT_EQ(line->readRaw(), std::string("\xFF\x00\xAAok\n", 6));
    EXPECT_EQ(line->readRaw(), std::string("\xFF\x00\xAAok\n", 6));
}

}  // namespace
}  // namespace signsimtest
