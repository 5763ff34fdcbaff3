// The command line as the program reads it: which calls run, which are usage errors, and how a
// port name becomes a COM number or a device.
#include "cli/cliargs.h"

#include <gtest/gtest.h>

namespace {

struct PortCase {
    const char *given;
    int comNumber;          // 0: not a COM number
    const char *direct;     // the device or address given directly; "" for none
    const char *fileName;   // PortSpec::fileNamePart
};

class PortNames : public ::testing::TestWithParam<PortCase> {};

TEST_P(PortNames, NameTheSameSignAsTheWindow)
{
    QString problem;
    const std::optional<cli::PortSpec> spec = cli::parsePortSpec(QString::fromUtf8(GetParam().given), &problem);
    if (GetParam().comNumber == 0 && *GetParam().direct == '\0') {
        EXPECT_FALSE(spec);
        EXPECT_TRUE(problem.startsWith(QStringLiteral("--port "))) << problem.toStdString();
        return;
    }
    ASSERT_TRUE(spec) << problem.toStdString();
    EXPECT_EQ(spec->fileNamePart(), QString::fromUtf8(GetParam().fileName));
    if (GetParam().comNumber > 0) {
        EXPECT_FALSE(spec->direct);
        EXPECT_EQ(spec->comNumber, GetParam().comNumber);
        EXPECT_EQ(spec->portMap().entry(GetParam().comNumber).device, signlink::PortMap().entry(GetParam().comNumber).device);
    } else {
        ASSERT_TRUE(spec->direct);
        EXPECT_EQ(spec->label(), QString::fromUtf8(GetParam().direct));
        // Whatever number the connection opens, the pinned map gives the device named.
        const signlink::PortEntry entry = spec->portMap().entry(spec->comNumber);
        EXPECT_EQ(entry.kind == signlink::PortEntry::Kind::Network ? entry.address.text() : entry.device,
                  QString::fromUtf8(GetParam().direct));
    }
}

INSTANTIATE_TEST_SUITE_P(Names, PortNames,
                         ::testing::Values(PortCase{"COM3", 3, "", "COM3"}, PortCase{"com12", 12, "", "COM12"},
                                           PortCase{"COM 5", 5, "", "COM5"}, PortCase{"7", 7, "", "COM7"},
                                           PortCase{"/dev/ttyUSB0", 0, "/dev/ttyUSB0", "ttyUSB0"},
                                           PortCase{"./pty", 0, "./pty", "pty"},
                                           PortCase{"tcp://sign.local:4001", 0, "tcp://sign.local:4001", "tcp-sign.local-4001"},
                                           PortCase{"COM0", 0, "", ""}, PortCase{"13", 0, "", ""},
                                           PortCase{"COMX", 0, "", ""}, PortCase{"tcp://host:0", 0, "", ""},
                                           PortCase{"", 0, "", ""}));

struct CallCase {
    QStringList arguments;
    cli::Parsed::Outcome outcome;
    const char *said;  // part of the usage error; "" when it runs
};

class Calls : public ::testing::TestWithParam<CallCase> {};

TEST_P(Calls, RunOrSayWhatIsWrong)
{
    const cli::Parsed parsed = cli::parseArguments(GetParam().arguments);
    EXPECT_EQ(parsed.outcome, GetParam().outcome) << parsed.text.toStdString();
    EXPECT_TRUE(parsed.text.contains(QString::fromUtf8(GetParam().said))) << parsed.text.toStdString();
}

const auto Run = cli::Parsed::Outcome::Run;
const auto Usage = cli::Parsed::Outcome::Usage;
QStringList args(const char *text) { return QString::fromUtf8(text).split(u' ', Qt::SkipEmptyParts); }

INSTANTIATE_TEST_SUITE_P(
    Lines, Calls,
    ::testing::Values(CallCase{args("ports"), Run, ""}, CallCase{args("ports --json"), Run, ""},
                      CallCase{args("read -p 1 -p COM2 -o site-{port}.led"), Run, ""},
                      CallCase{args("write a.led -p 1 --force --verify"), Run, ""},
                      CallCase{args("diff a.led b.led"), Run, ""}, CallCase{args("diff a.led -p 1"), Run, ""},
                      CallCase{args("send -p 1 Hello --font 2 --color Red"), Run, ""},
                      CallCase{args("default-message -p 1 --set A --set B"), Run, ""},
                      CallCase{args("factory-defaults -p 1 --yes"), Run, ""},
                      CallCase{args("--help"), cli::Parsed::Outcome::Help, "Exit status"},
                      CallCase{args(""), Usage, "No command"}, CallCase{args("restore -p 1"), Usage, "Unknown command"},
                      CallCase{args("read -p 1 --nope"), Usage, "nope"},
                      CallCase{args("ports -p 1"), Usage, "ports takes no --port"},
                      CallCase{args("read"), Usage, "read needs --port"},
                      CallCase{args("write -p 1"), Usage, "write needs a .led file or --json-input"},
                      CallCase{args("send -p 1"), Usage, "send needs the message text"},
                      CallCase{args("write a.led b.led -p 1"), Usage, "Unexpected argument \"b.led\""},
                      CallCase{args("diff a.led b.led -p 1"), Usage, "not both"},
                      CallCase{args("diff a.led"), Usage, "diff needs --port"},
                      CallCase{args("read -p 1 --verify"), Usage, "--verify is not an option of read"},
                      CallCase{args("send -p 1 Hi --set x"), Usage, "--set is not an option of send"},
                      CallCase{args("factory-defaults -p 1"), Usage, "--yes"},
                      CallCase{args("read -p 1 -p 2 -o one.led"), Usage, "{port}"},
                      CallCase{args("read -p 99"), Usage, "COM1 to COM12"},
                      CallCase{args("write --json-input -p 1 -p 2 --check --backup b-{port}.led"), Run, ""},
                      CallCase{args("write a.led -p 1 --backup b.led --verify"), Run, ""},
                      CallCase{args("default-message -p 1 --set A --check"), Run, ""},
                      CallCase{args("--help"), cli::Parsed::Outcome::Help, "--json-input takes one JSON object"},
                      CallCase{args("write a.led --json-input -p 1"), Usage, "not both"},
                      CallCase{args("write a.led -p 1 -p 2 --backup one.led"), Usage, "--backup must hold {port}"},
                      CallCase{args("read -p 1 --check"), Usage, "--check is not an option of read"},
                      CallCase{args("diff a.led -p 1 --json-input"), Usage, "--json-input is not an option of diff"},
                      CallCase{args("send -p 1 Hi --backup x.led"), Usage, "--backup is not an option of send"}));

} // namespace
