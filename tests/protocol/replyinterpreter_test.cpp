#include "protocol/replyinterpreter.h"

#include <gtest/gtest.h>

#include <ostream>

namespace protocol {
// Readable failure messages.
void PrintTo(const ReplyAction &action, std::ostream *os)
{
    static const char *const names[] = {"Nothing", "ShowStatus", "ShowKeptStatus", "ConfigDump"};
    *os << names[static_cast<int>(action.kind)] << " \"" << action.status.toStdString() << '"';
}
} // namespace protocol

namespace {

using protocol::interpretReply;
using protocol::ReplyAction;
using Kind = ReplyAction::Kind;

struct ReplyCase {
    const char *line;
    int progress;
    ReplyAction expected;
};

void PrintTo(const ReplyCase &c, std::ostream *os) { *os << '"' << c.line << "\" at " << c.progress; }

ReplyAction status(const char *text) { return {Kind::ShowStatus, QString::fromLatin1(text)}; }
const ReplyAction nothing{};
const ReplyAction refused{ReplyAction::Kind::Refused, {}};
const ReplyAction kept{Kind::ShowKeptStatus, {}};
const ReplyAction dump{Kind::ConfigDump, {}};

class InterpretReplyTest : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(InterpretReplyTest, ActsOnTheFirstMatchingWord)
{
    EXPECT_EQ(interpretReply(QString::fromLatin1(GetParam().line), GetParam().progress),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Lines, InterpretReplyTest, ::testing::Values(
    ReplyCase{"", 60, nothing},
    // "done" in any case, anywhere, outranks every other word.
    ReplyCase{"done", 60, status("Uploaded 3 Successfull")},
    ReplyCase{"DONE", 50, status("Uploaded 2.5 Successfull")},
    ReplyCase{"item done\r", 41, status("Uploaded 2.05 Successfull")},
    ReplyCase{"Done", 0, status("Uploaded 0 Successfull")},
    ReplyCase{"default done", 20, status("Uploaded 1 Successfull")},
    ReplyCase{"ID Forced : done", 20, status("Uploaded 1 Successfull")},
    ReplyCase{"RW2290,41:64,65,RESETdone", 40, status("Uploaded 2 Successfull")},
    // "default" takes the second word; without one the label keeps its caption.
    ReplyCase{"default 4", 0, status("Default Uploaded : 4")},
    ReplyCase{"DEFAULT 1 2", 0, status("Default Uploaded : 1")},
    ReplyCase{"default  4", 0, status("Default Uploaded : ")},
    ReplyCase{"default linked 5", 0, status("Default Uploaded : linked")},
    ReplyCase{"default x:y", 0, status("Default Uploaded : x:y")},
    ReplyCase{"default", 0, kept},
    ReplyCase{"default\r", 0, kept},
    // "delinked" alone is silent; anything longer is a "linked" line.
    ReplyCase{"delinked", 0, nothing},
    ReplyCase{"DeLinked", 0, nothing},
    ReplyCase{"delinked\r", 0, kept},
    ReplyCase{"3 delinked", 0, status("Linked ID : delinked")},
    ReplyCase{"ID 3 delinked", 0, status("Linked ID : 3")},
    ReplyCase{"linked 5", 0, status("Linked ID : 5")},
    ReplyCase{"LINKED 2 x", 0, status("Linked ID : 2")},
    ReplyCase{"linked", 0, kept},
    ReplyCase{"linked ID Forced :", 0, status("Linked ID : ID")},
    // Whole-line words: any case, nothing around them.
    ReplyCase{"user cmd", 0, status("User Command Uploaded")},
    ReplyCase{"User Cmd", 0, status("User Command Uploaded")},
    ReplyCase{"user cmd ", 0, nothing},
    ReplyCase{"user cmd\r", 0, nothing},
    ReplyCase{"Auto ID", 0, status("Switched to Auto ID")},
    ReplyCase{"auto id", 0, status("Switched to Auto ID")},
    ReplyCase{"Auto ID\r", 0, nothing},
    ReplyCase{"User ID", 0, status("Switched to User ID")},
    ReplyCase{"USER ID", 0, status("Switched to User ID")},
    ReplyCase{" User ID", 0, nothing},
    // Forced-ID answers: exact case, shown as they came, ahead of the dump test.
    ReplyCase{"ID Forced : 0", 0, status("ID Forced : 0")},
    ReplyCase{"xID Forced :y", 0, status("xID Forced :y")},
    ReplyCase{"id forced : 0", 0, dump},
    ReplyCase{"Force ID OFF", 0, status("Force ID OFF")},
    ReplyCase{"Force ID OFF\r", 0, status("Force ID OFF\r")},
    ReplyCase{"force id off", 0, nothing},
    ReplyCase{"error", 0, refused},
    ReplyCase{"ERROR", 0, refused},
    ReplyCase{"error: 5", 0, dump},
    // A refusal behind an echoed command or before a CR LF line end is still one, whatever
    // words the echo holds.
    ReplyCase{"error\r", 0, refused},
    ReplyCase{"<link id=6 cap=12345678901 pr=0>\rerror", 0, refused},
    ReplyCase{"<UC>done:default\rERROR\r", 0, refused},
    ReplyCase{"error\rdone", 20, status("Uploaded 1 Successfull")},
    ReplyCase{"<UC>x\rerror 5", 0, nothing},
    ReplyCase{"\xff\xfe\x01" "error", 0, refused},
    ReplyCase{"<UC>x\r\x1b" "ERROR\r", 0, refused},
    // Everything else with a ":" is a dump; without one it is dropped.
    ReplyCase{"RW2290,41:64,65,66", 0, dump},
    ReplyCase{":", 0, dump},
    ReplyCase{"hello", 0, nothing},
    ReplyCase{"\r", 0, nothing}));

TEST(UploadedCountTextTest, CountsInSinglePrecision)
{
    EXPECT_EQ(protocol::uploadedCountText(3), u"0.15");
    // 6172839.45 in double precision, but 6172839.5 as a float, which rounds up at seven digits.
    EXPECT_EQ(protocol::uploadedCountText(123456789), u"6172840");
}

} // namespace
