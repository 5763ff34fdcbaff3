#include "protocol/defaultmessage.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

using namespace protocol;
using Kind = DefaultMessageReply::Kind;

const DefaultMessageCodes codes{2, 1, 0, 2, 3, 4};

QString stored(std::initializer_list<int> bytes)
{
    QString s;
    for (int b : bytes)
        s += QChar(b);
    return s;
}

// ---- Encoding for Upload ----

struct UploadCase {
    const char *name;
    QString editor;
    bool timeDisplayOn;
    std::optional<QString> command;
};

class UploadCommandTest : public ::testing::TestWithParam<UploadCase> {};

TEST_P(UploadCommandTest, IsWhatTheSignGets)
{
    EXPECT_EQ(defaultMessageUploadCommand(codes, GetParam().editor, GetParam().timeDisplayOn), GetParam().command);
}

const QString df = u"<DF f=2 c=1 s=0 a=2 sp=3 p=4>"_s;

INSTANTIATE_TEST_SUITE_P(Texts, UploadCommandTest, ::testing::Values(
    UploadCase{"Empty", QString(), false, u"<del id=def>"_s},
    UploadCase{"EmptyWithTimeDisplay", QString(), true, u"<del id=def>"_s},
    UploadCase{"TrailingBreakDropped", u"A\r\nB\r\n"_s, false, df + u"A$LB"_s},
    UploadCase{"OnlyOneTrailingBreakDropped", u"A\r\n\r\n"_s, false, df + u"A$L"_s},
    UploadCase{"WorkedExample", u"Open\r\n<hh:mm>"_s, false, df + u"Open$L$T2"_s},
    UploadCase{"LoneFeedIsABreak", u"A\nB"_s, false, df + u"A$LB"_s},
    UploadCase{"CarriageReturnRemoved", u"A\rB"_s, false, df + u"AB"_s},
    UploadCase{"TokensAreCaseSensitive", u"<HH:MM>"_s, false, df + u"<HH:MM>"_s},
    UploadCase{"TokenWithoutBrackets", u"hh:mm"_s, false, df + u"hh:mm"_s},
    UploadCase{"TextWhileTimeDisplayOn", u"A"_s, true, std::nullopt}));

class TokenTest : public ::testing::TestWithParam<int> {};

TEST_P(TokenTest, EncodesAndDecodesByFormatNumber)
{
    const int n = GetParam();
    const QString token = timeTokens().at(n);
    const QString wire = u"$T"_s + QString::number(n);
    EXPECT_EQ(encodeForSign(u"x"_s + token + u"y"_s), u"x"_s + wire + u"y"_s);
    EXPECT_EQ(decodeStoredMessage(stored({'x', 171 + n, 'y'})), u"x"_s + token + u"y"_s);
}

INSTANTIATE_TEST_SUITE_P(AllFormats, TokenTest, ::testing::Range(0, TimeTokenCount));

// ---- Decoding the stored form ----

TEST(DecodeTest, BreakByteBecomesCrLfAndNeighboursStay)
{
    EXPECT_EQ(decodeStoredMessage(stored({'A', 170, 'B', 169, 179})), u"A\r\nB"_s + QChar(169) + QChar(179));
}

TEST(DecodeTest, EditorFormPassesUnchanged)
{
    const QString edited = u"Open\r\n<hh:mm> <mm'dd'yy>"_s;
    EXPECT_EQ(decodeStoredMessage(edited), edited);
}

TEST(DecodeTest, EncodingTheDecodedTextGivesTheSignsCodes)
{
    const QString text = decodeStoredMessage(stored({'O', 'n', 170, 172, ' ', 178, 170}));
    EXPECT_EQ(encodeForSign(text), u"On$L$T1 $T7"_s);
}

// ---- The other commands ----

TEST(CommandTest, TimeOnIdleWithDisplayValues)
{
    EXPECT_EQ(timeOnIdleCommand(codes, 5), u"<TIME f=2 c=1 s=0 a=2 sp=3 p=4 fm=5>IDLE ON");
    EXPECT_EQ(timeOnIdleCommand(DefaultMessageCodes{}, -1), u"<TIME f=-1 c=-1 s=-1 a=-1 sp=-1 p=-1 fm=-1>IDLE ON");
}

TEST(CommandTest, FixedCommands)
{
    EXPECT_EQ(writeDefaultMessageCommand(codes, u"a\r\n"_s), df + u"a\r\n"_s);
    EXPECT_EQ((QStringList{resetCommand(), timeIdleOnCommand(), timeIdleOffCommand(), readDefaultMessageCommand()}),
              (QStringList{u"RESET"_s, u"<TIME>IDLE ON"_s, u"<TIME>IDLE OFF"_s, u"DOWNLOAD_DEFAULT_MSG"_s}));
}

// ---- Replies ----

struct ReplyCase {
    const char *name;
    QString line;
    bool timeDisplayOn;
    bool editorEmpty;
    Kind kind;
    QString status;
    bool on = false;
    bool awaitingDump = false;  // a read request waits for its answer
};

class ReplyTest : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyTest, IsClassified)
{
    const ReplyCase &c = GetParam();
    const DefaultMessageReply r = interpretDefaultMessageReply(c.line, c.timeDisplayOn, c.editorEmpty, c.awaitingDump);
    EXPECT_EQ(r.kind, c.kind);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.timeDisplayOn, c.on);
}

const QString hint = u"Remove message and Click \"Upload to Sign\" to display Time"_s;

INSTANTIATE_TEST_SUITE_P(Lines, ReplyTest, ::testing::Values(
    ReplyCase{"Empty", QString(), false, true, Kind::Nothing, {}},
    ReplyCase{"Done", u"done"_s, false, false, Kind::ShowStatus, u"Upload Successfull"_s},
    ReplyCase{"DoneAnyCaseAnywhere", u"x DONE"_s, true, true, Kind::ShowStatus, u"Upload Successfull"_s},
    ReplyCase{"DoneWhileTimeHiddenByText", u"Done"_s, true, false, Kind::ShowStatus, hint},
    ReplyCase{"Error", u"ERROR"_s, false, false, Kind::Refused, {}},
    ReplyCase{"TimeOn", u"TIME:IDLE:1"_s, false, false, Kind::TimeDisplay, {}, true},
    ReplyCase{"TimeOff", u"TIME:IDLE:0"_s, true, false, Kind::TimeDisplay, {}, false},
    ReplyCase{"TimeThirdFieldNotExactlyOne", u"TIME:IDLE:11"_s, false, false, Kind::TimeDisplay, {}, false},
    ReplyCase{"TimeWithoutThirdField", u"TIME:1"_s, false, false, Kind::TimeDisplay, {}, false},
    ReplyCase{"TimeIsCaseSensitive", u"time:IDLE:1"_s, false, false, Kind::Dump, {}},
    ReplyCase{"Default", u"default stored"_s, false, false, Kind::ShowStatus,
              u"Default message uploaded successfully"_s},
    ReplyCase{"DumpTextWithDone", u"QB7:1,2,3,4,5,6,0,0,done today"_s, false, true, Kind::ShowStatus,
              u"Upload Successfull"_s},
    ReplyCase{"Other", u"QB7:1,2,3,4,5,6,0,0,Hi"_s, false, false, Kind::Dump, {}},
    // The answer to a read has the whole form of a dump: its message may say "done".
    ReplyCase{"DumpTextWithDoneAnsweringARead", u"PN360:1,1,1,1,1,1,0,0,well done"_s, false, true, Kind::Dump, {}, false,
              true},
    ReplyCase{"EchoedDumpWithDoneAnsweringARead", u"DOWNLOAD_DEFAULT_MSG\rQB7:1,2,3,4,5,6,0,0,Done\r"_s, false, true,
              Kind::Dump, {}, false, true},
    ReplyCase{"DoneWhileAReadWaits", u"done"_s, false, false, Kind::ShowStatus, u"Upload Successfull"_s, false, true},
    ReplyCase{"DoneInAShortDumpWhileAReadWaits", u"QB7:1,2,3,4,5,6,0,done"_s, false, false, Kind::ShowStatus,
              u"Upload Successfull"_s, false, true},
    ReplyCase{"DoneWithWordsForNumbersWhileAReadWaits", u"QB7:1,2,x,4,5,6,0,0,done"_s, false, false, Kind::ShowStatus,
              u"Upload Successfull"_s, false, true},
    ReplyCase{"DoneWithoutAModelWhileAReadWaits", u":1,2,3,4,5,6,0,0,done"_s, false, false, Kind::ShowStatus,
              u"Upload Successfull"_s, false, true},
    // Behind an echoed command and its CR, or before a CR LF line end, the answer is the same.
    ReplyCase{"EchoedTime", u"<TIME>IDLE ON\rTIME:IDLE:1"_s, false, false, Kind::TimeDisplay, {}, true},
    ReplyCase{"TimeCrlf", u"TIME:IDLE:1\r"_s, false, false, Kind::TimeDisplay, {}, true},
    ReplyCase{"EchoedDefault", u"<DF f=1 c=1 s=1 a=1 sp=1 p=1>Sale: 1,2,3,4,5,6,7,8\rdefault stored\r"_s, false,
              false, Kind::ShowStatus, u"Default message uploaded successfully"_s},
    ReplyCase{"EchoedError", u"<DF f=1 c=1 s=1 a=1 sp=1 p=1>a:b,c,d,e,f,g,h,i\rerror"_s, false, false,
              Kind::Refused, {}},
    ReplyCase{"CrAlone", u"\r"_s, false, false, Kind::Nothing, {}},
    ReplyCase{"NoiseBeforeTime", u"\u00ff\u0000TIME:IDLE:1"_s, false, false, Kind::TimeDisplay, {}, true}));

TEST(ReplyDumpTest, EchoAndCrlfLineEndAreNoPartOfIt)
{
    const DefaultMessageDump clean = interpretDefaultMessageReply(u"RW2290:65,66,67,49,50,48,0,0,Hi"_s, false, false).dump;
    ASSERT_EQ(clean, (DefaultMessageDump{u"RW2290"_s, 1, 1, 2, 1, 1, 0, u"Hi"_s}));
    EXPECT_EQ(interpretDefaultMessageReply(u"DOWNLOAD_DEFAULT_MSG\rRW2290:65,66,67,49,50,48,0,0,Hi\r"_s, false, false).dump,
              clean);
    // Noise in front goes too; stored-form codes at the end of the text stay.
    const DefaultMessageDump timeAtTheEnd =
        interpretDefaultMessageReply(u"\u00ff\u00feRW2290:65,66,67,49,50,48,0,0,Hi\u00ad"_s, false, false).dump;
    EXPECT_EQ(timeAtTheEnd.model, u"RW2290"_s);
    EXPECT_EQ(timeAtTheEnd.text, u"Hi<hh:mm>"_s);
}

TEST(ReplyDumpTest, AMessageSayingDoneComesBackWholeAsTheAnswerToARead)
{
    const DefaultMessageReply r = interpretDefaultMessageReply(u"PN360:1,2,3,4,5,6,0,0,well done"_s, true, false, true);
    EXPECT_EQ(r.dump, (DefaultMessageDump{u"PN360"_s, 1, 2, 3, 4, 5, 6, u"well done"_s}));
}

TEST(DumpTest, Rw2290PositionsAreOffset)
{
    const DefaultMessageDump d = readDefaultMessageDump(u"RW2290:65,66,67,49,50,48,0,0,Hi"_s + QChar(170) + u"x"_s);
    EXPECT_EQ(d, (DefaultMessageDump{u"RW2290"_s, 1, 1, 2, 1, 1, 0, u"Hi\r\nx"_s}));
}

TEST(DumpTest, OtherModelsGiveTheNumbersThemselves)
{
    for (const QString &model : {u"KT420"_s, u"rw2290"_s, u"RW2290 "_s}) {
        const DefaultMessageDump d = readDefaultMessageDump(model + u":65,66,67,49,50,48,0,0,"_s);
        EXPECT_EQ(d, (DefaultMessageDump{model, 65, 66, 67, 49, 50, 48, QString()})) << model.toStdString();
    }
}

TEST(DumpTest, TextHoldingCommasAndColonsComesBackWhole)
{
    const QString line = u"QB7:0,0,0,0,0,0,1,2,Open 9-5, Mon: Fri"_s + QChar(173);
    EXPECT_EQ(readDefaultMessageDump(line).text, u"Open 9-5, Mon: Fri<hh:mm>"_s);
}

TEST(DumpTest, EachPartIsReadOnItsOwn)
{
    DefaultMessageDump d = readDefaultMessageDump(u"QB7:3,x,40000,7"_s);
    EXPECT_EQ(d, (DefaultMessageDump{u"QB7"_s, 3, 0, std::nullopt, 7, std::nullopt, std::nullopt, std::nullopt}));

    d = readDefaultMessageDump(u"RW2290:-32768,65"_s);  // -32768 - 64 leaves 16 bits
    EXPECT_EQ(d.font, std::nullopt);
    EXPECT_EQ(d.style, 0);

    d = readDefaultMessageDump(u"error\r"_s);
    EXPECT_EQ(d, (DefaultMessageDump{u"error\r"_s, {}, {}, {}, {}, {}, {}, {}}));
}

} // namespace
