// Default message, time on idle, clock and test messages.
#include "signfixture.h"

#include <cstdlib>
#include <ctime>

namespace signsimtest {
namespace {

struct DefaultDump {
    std::string model;
    std::string factory;  // the default-message dump of the factory configuration
    std::string stored;   // after kStoreCommand
};

// f=1 c=2 s=3 a=1 sp=2 p=4: font 1, style 3, colour 2, speed 2, alignment 1, pause 4.
const std::string kStoreCommand = "<DF f=1 c=2 s=3 a=1 sp=2 p=4>Open$L$T2 $5$T8";

class DefaultMessageDump : public SignTest, public ::testing::WithParamInterface<DefaultDump> { };

TEST_P(DefaultMessageDump, ReportsTheStoredFormWithTheModelsOffsets)
{
    ASSERT_TRUE(startSign({"--model", GetParam().model, "--state", stateFile()}));
    EXPECT_EQ(line->ask("DOWNLOAD_DEFAULT_MSG"), GetParam().factory);

    const auto reply = line->ask(kStoreCommand);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->rfind("default", 0), 0u) << *reply;
    EXPECT_EQ(line->ask("DOWNLOAD_DEFAULT_MSG"), GetParam().stored);
    EXPECT_EQ(readStateFile(stateFile())["defmsg"], "Open\\xAA\\xAD $5$T8");
    EXPECT_EQ(readStateFile(stateFile())["defattrs"], "1,3,2,2,1,4");

    EXPECT_EQ(line->ask("<del id=def>"), "done");
    const auto emptied = line->ask("DOWNLOAD_DEFAULT_MSG");
    ASSERT_TRUE(emptied);
    EXPECT_EQ(emptied->back(), ',') << "no text after the last field separator";
}

INSTANTIATE_TEST_SUITE_P(Models, DefaultMessageDump,
    ::testing::Values(DefaultDump{"RW2290", "RW2290:65,66,66,49,50,49,0,0,WELCOME",
                          "RW2290:65,68,67,50,50,52,0,0,Open\xAA\xAD $5$T8"},
        DefaultDump{
            "PN360", "PN360:1,1,1,1,1,1,0,0,WELCOME", "PN360:1,3,2,2,1,4,0,0,Open\xAA\xAD $5$T8"},
        DefaultDump{
            "KT420", "KT420:1,1,1,1,1,1,0,0,WELCOME", "KT420:1,3,2,2,1,4,0,0,Open\xAA\xAD $5$T8"}),
    [](const auto& info) { return info.param.model; });

TEST_F(SignTest, DefaultMessageWithoutListsKeepsUnsetValues)
{
    // Models without default-message lists send -1 for every value.
    ASSERT_TRUE(startSign({"--model", "QB7"}));
    EXPECT_EQ(line->ask("<DF f=-1 c=-1 s=-1 a=-1 sp=-1 p=-1>$T0$T7x"), "default stored");
    EXPECT_EQ(line->ask("DOWNLOAD_DEFAULT_MSG"), "QB7:-1,-1,-1,-1,-1,-1,0,0,\xAB\xB2x");
}

TEST_F(SignTest, FactoryDefaultsRestoreTheDefaultMessageAndIdleState)
{
    ASSERT_TRUE(startSign({"--state", stateFile()}));
    EXPECT_EQ(line->ask("<DF f=2 c=2 s=2 a=2 sp=2 p=2>Bye"), "default stored");
    EXPECT_EQ(line->ask("<TIME>IDLE ON"), "TIME:IDLE:1");
    EXPECT_EQ(line->ask("<FD>"), "done");
    EXPECT_EQ(line->ask("DOWNLOAD_DEFAULT_MSG"), "RW2290:65,66,66,49,50,49,0,0,WELCOME");
    EXPECT_EQ(readStateFile(stateFile())["idle"], "0");
}

struct IdleStep {
    std::string command;
    std::string reply;
    std::string idle;
    std::string idleAttrs;
};

class TimeOnIdle : public SignTest, public ::testing::WithParamInterface<IdleStep> { };

TEST_P(TimeOnIdle, EveryTimeCommandReportsTheIdleState)
{
    ASSERT_TRUE(startSign({"--state", stateFile()}));
    EXPECT_EQ(line->ask(GetParam().command), GetParam().reply);
    auto state = readStateFile(stateFile());
    EXPECT_EQ(state["idle"], GetParam().idle);
    EXPECT_EQ(state["idleattrs"], GetParam().idleAttrs);
}

INSTANTIATE_TEST_SUITE_P(Commands, TimeOnIdle,
    ::testing::Values(IdleStep{"<TIME>IDLE ON", "TIME:IDLE:1", "1", "1,1,1,1,1,1,0"},
        IdleStep{"<TIME>IDLE OFF", "TIME:IDLE:0", "0", "1,1,1,1,1,1,0"},
        // f c s a sp p fm -> font, style, colour, speed, alignment, pause, format
        IdleStep{
            "<TIME f=2 c=3 s=4 a=1 sp=2 p=5 fm=3>IDLE ON", "TIME:IDLE:1", "1", "2,4,3,2,1,5,3"},
        IdleStep{"<TIME>IDLE MAYBE", "error", "0", "1,1,1,1,1,1,0"},
        IdleStep{"<TIME f=2>IDLE ON", "error", "0", "1,1,1,1,1,1,0"},
        IdleStep{"<TIME f=2 c=3 s=4 a=1 sp=2 p=5 fm=8>IDLE ON", "error", "0", "1,1,1,1,1,1,0"},
        IdleStep{"RESET", "done", "0", "1,1,1,1,1,1,0"},
        IdleStep{"<del id=all>", "error", "0", "1,1,1,1,1,1,0"}));

long long wallSeconds(std::tm tm)
{
    return static_cast<long long>(::timegm(&tm));
}

TEST_F(SignTest, ClockCommandSetsTheSignsOwnClock)
{
    ASSERT_TRUE(startSign({"--state", stateFile()}));
    EXPECT_EQ(line->ask("<Time time=09:07:03 date=2024/03/05-2>SET TIME"), "done");
    EXPECT_TRUE(sim.waitForLog("clock set to 2024-03-05 09:07:03"));

    std::tm sign{};
    sign.tm_year = 124;
    sign.tm_mon = 2;
    sign.tm_mday = 5;
    sign.tm_hour = 9;
    sign.tm_min = 7;
    sign.tm_sec = 3;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    const long long expected = wallSeconds(sign) - wallSeconds(local);
    const long long offset = std::atoll(readStateFile(stateFile())["clockoffset"].c_str());
    // A few seconds for the time between the command and this reading of the clock.
    EXPECT_LE(std::llabs(offset - expected), 5);
}

class BadClock : public SignTest, public ::testing::WithParamInterface<std::string> { };

TEST_P(BadClock, IsRefused)
{
    ASSERT_TRUE(startSign({"--state", stateFile()}));
    EXPECT_EQ(line->ask(GetParam()), "error");
    EXPECT_EQ(readStateFile(stateFile())["clockoffset"], "0");
}

INSTANTIATE_TEST_SUITE_P(Commands, BadClock,
    ::testing::Values("<Time time=24:00:00 date=2024/03/05-2>SET TIME",
        "<Time time=9:07:03 date=2024/03/05-2>SET TIME",
        "<Time time=09:07:03 date=2023/02/29-3>SET TIME",
        "<Time time=09:07:03 date=2024/13/05-2>SET TIME",
        "<Time time=09:07:03 date=2024/03/05-7>SET TIME",
        "<Time time=09:07:03 date=2024/03/05>SET TIME", "<Time time=09:07:03 date=2024/03/05-2>",
        "<TIME time=09:07:03 date=2024/03/05-2>SET TIME"));

TEST_F(SignTest, TestMessageIsAcceptedAndShownDecoded)
{
    ASSERT_TRUE(startSign({"--state", stateFile()}));
    const std::string command = "<id=3 f=5 s=0 c=1 a=2 b=0 p=3 sp=2 t=10>Hi$CEThere$L$FT$T2";
    EXPECT_EQ(line->ask(command), "done");
    const auto shown = sim.waitForLog("message for ID 3");
    ASSERT_TRUE(shown);
    EXPECT_NE(shown->find("font=Seven Row Normal"), std::string::npos) << *shown;
    EXPECT_NE(shown->find("colour=Light Red"), std::string::npos) << *shown;
    EXPECT_TRUE(
        sim.waitForLog("Hi[colour Green]There[line break][font 15/16 Row Normal][time hh:mm]"));
    EXPECT_EQ(readStateFile(stateFile())["testmsg"], command);
}

class BadTestMessage : public SignTest, public ::testing::WithParamInterface<std::string> { };

TEST_P(BadTestMessage, IsRefused)
{
    ASSERT_TRUE(startSign({"--model", "KT420", "--state", stateFile()}));
    EXPECT_EQ(line->ask(GetParam()), "error");
    EXPECT_EQ(readStateFile(stateFile())["testmsg"], "");
}

INSTANTIATE_TEST_SUITE_P(Commands, BadTestMessage,
    ::testing::Values("<id=8 f=5 s=0 c=1 a=2 b=0 p=3 sp=2 t=10>Hi",
        "<id=0 f=5 s=23 c=1 a=2 b=0 p=3 sp=2 t=10>Hi", "<id=0 f=5 c=1 s=0 a=2 b=0 p=3 sp=2 t=10>Hi",
        "<id=0 f=5 s=0 c=1 a=2 b=0 p=3 sp=2 t=x>Hi", "<id=0 f=5 s=0 c=1 a=2 b=0 p=3 sp=2>Hi"));

}  // namespace
}  // namespace signsimtest
