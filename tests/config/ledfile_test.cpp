#include "config/ledfile.h"

#include "config/catalogue.h"
#include "protocol/defaultmessage.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

using namespace config;
using F = led::SetDefValue::Field;

const QChar AA = StoredLineBreak;

// A record with a different value in every field.
LedFileRecord fullRecord()
{
    LedFileRecord r;
    r.model = u"RW2290"_s;
    r.comPort = 3;
    for (int n = 0; n < PriorityCount; ++n) {
        const qint16 k = qint16(n);
        r.priorities[n] = {k, qint16(k + 1), qint16(k + 2), qint16(k + 3), qint16(k % 3), qint16(k + 4),
                           qint16(k % 2), QString::number(10 * n + 5)};
    }
    r.priorities[4].font = -1;
    for (int i = 0; i < LinkCount; ++i)
        r.links[i] = {QString::number(1000 + i), qint16(i % 5)};
    r.links[2] = {QString(), -1};
    r.DefMsg = u"Now <hh:mm>\r\nOpen: 9-5"_s;
    r.DefFont = 1, r.DefColor = 2, r.DefStyle = 3, r.DefAlign = 4, r.DefSpeed = 5, r.DefPause = 6;
    r.autoId = 1;
    return r;
}

LedListSizes mainWindowSizes()
{
    LedListSizes s;
    s.font = 20, s.style = 10, s.color = 13, s.speed = 8, s.alignment = 3, s.pause = 10, s.beep = 3;
    s.comPorts = 12;
    s.linkPriorities = 5;
    return s;
}

LedFileRecord readBack(const QByteArray &bytes, LedFileRecord start = {})
{
    const LedReadResult result = readLedFile(ledFileLines(bytes), mainWindowSizes());
    EXPECT_FALSE(result.error.has_value()) << (result.error ? result.error->message().toStdString() : "");
    for (const LedFileAction &a : result.actions)
        applyLedAction(a, start);
    return start;
}

QByteArray saved(const LedFileRecord &r) { return saveTextBytes(ledFileText(r)).bytes.value(); }

// ---- Writing ----

TEST(LedFileWriteTest, WritesTheTwentyThreeKeyedLinesInOrder)
{
    LedFileRecord r = fullRecord();
    r.priorities[2] = {3, 0, 1, 4, 2, 5, 1, u"30"_s};
    const QStringList lines = ledFileText(r).split(u"\r\n"_s);

    ASSERT_EQ(lines.size(), 24);  // 23 lines, each ended by CR LF
    EXPECT_EQ(lines[23], QString());
    EXPECT_EQ(lines[0], u"Model:RW2290");
    EXPECT_EQ(lines[1], u"Com:4");
    EXPECT_EQ(lines[2], u"Pri0:0,1,2,3,0,4,0,5");
    EXPECT_EQ(lines[4], u"Pri2:3,0,1,4,2,5,1,30");
    EXPECT_EQ(lines[6], u"Pri4:-1,5,6,7,1,8,0,45");
    EXPECT_EQ(lines[7], u"LinkID0:1000,0");
    EXPECT_EQ(lines[9], u"LinkID2:,-1");
    EXPECT_EQ(lines[14], u"LinkID7:1007,2");
    EXPECT_EQ(lines[15], u"DefaultMsg:Now <hh:mm>"_s + AA + u"Open: 9-5"_s);
    EXPECT_EQ(lines.mid(16, 7), (QStringList{u"DefaultFont:1"_s, u"DefaultColor:2"_s, u"DefaultStyle:3"_s,
                                             u"DefaultAlignment:4"_s, u"DefaultSpeed:5"_s, u"DefaultPause:6"_s,
                                             u"AutoID:1"_s}));
}

TEST(LedFileWriteTest, NoComPortSelectedIsWrittenAsZero)
{
    LedFileRecord r;
    EXPECT_TRUE(ledFileText(r).startsWith(u"Model:\r\nCom:0\r\n"));
}

TEST(LedFileWriteTest, EveryLineBreakOfTheMessageStaysOnItsLine)
{
    LedFileRecord r;
    r.DefMsg = u"A\r\nB\nC\r\n"_s;
    EXPECT_TRUE(ledFileText(r).contains(u"\r\nDefaultMsg:A"_s + AA + u'B' + AA + u'C' + AA + u"\r\nDefaultFont:"_s));
}

TEST(LedFileWriteTest, SavedFileEndsWithAnEmptyLineAndKeepsByteAA)
{
    const QByteArray bytes = saved(fullRecord());
    EXPECT_TRUE(bytes.endsWith("AutoID:1\r\n\r\n"));
    EXPECT_TRUE(bytes.contains("DefaultMsg:Now <hh:mm>\xAAOpen: 9-5\r\n"));
}

TEST(LedFileWriteTest, ACharacterBeyondLatin1IsNamedAndNothingIsWritten)
{
    const SaveBytes out = saveTextBytes(u"Model:X\r\nDefaultMsg:caf\u00e9 \u20ac 1\r\n"_s);
    EXPECT_FALSE(out.bytes.has_value());
    EXPECT_EQ(out.unstorable, u"\u20ac"_s);
}

struct StorableCase {
    const char *name;
    QString DefMsg;
    QString model;
    std::optional<QString> why;
};

class LedFileStorableTest : public ::testing::TestWithParam<StorableCase> {};

TEST_P(LedFileStorableTest, RefusesWhatWouldNotReadBackAsItWas)
{
    LedFileRecord r = fullRecord();
    r.DefMsg = GetParam().DefMsg;
    r.model = GetParam().model;
    EXPECT_EQ(whyUnstorable(r), GetParam().why);
}

QString fieldRefusal(char16_t c)
{
    return u"The default message cannot hold the character \"%1\" (code %2) in a .led file: it would read back "
           u"as a date or time field."_s.arg(QChar(c)).arg(int(c));
}

INSTANTIATE_TEST_SUITE_P(Texts, LedFileStorableTest, ::testing::Values(
    StorableCase{"Plain", u"Temp 20 C"_s, u"RW2290"_s, std::nullopt},
    // The stored line break, as a message opened from a file holds it.
    StorableCase{"StoredLineBreak", u"Open"_s + AA + u"9-5"_s, u"RW2290"_s, std::nullopt},
    StorableCase{"Degree", u"Temp 20\u00b0C"_s, u"RW2290"_s, fieldRefusal(0xB0)},
    StorableCase{"FirstField", u"\u00ab quoted"_s, u"RW2290"_s, fieldRefusal(0xAB)},
    StorableCase{"SoftHyphen", u"ab\u00adcd"_s, u"RW2290"_s, fieldRefusal(0xAD)},
    StorableCase{"LastField", u"x\u00b2"_s, u"RW2290"_s, fieldRefusal(0xB2)},
    StorableCase{"PastTheFields", u"\u00b3 \u00a9 \u00ff"_s, u"RW2290"_s, std::nullopt},
    // Only the default message is read as the sign's stored form.
    StorableCase{"FieldByteElsewhere", u"x"_s, u"RW\u00b0"_s, std::nullopt},
    StorableCase{"BeyondLatin1", u"x"_s, u"RW\u20ac"_s,
                 u"The character \"\u20ac\" cannot be stored in a .led file."_s}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Reading one line ----

struct LineCase {
    const char *name;
    QString line;
    QList<LedFileAction> actions;
    int error = 0;  // error number, 0 for none
};

class LedLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(LedLineTest, GivesItsActionsAndError)
{
    const LedReadResult r = readLedLine(GetParam().line, mainWindowSizes());
    EXPECT_EQ(r.actions, GetParam().actions);
    EXPECT_EQ(r.error ? r.error->number : 0, GetParam().error);
    if (r.error) {
        EXPECT_FALSE(r.error->description.isEmpty());
    }
}

using namespace led;
const PriorityDefaults pri2{3, 0, 1, 4, 2, 5, 1, u"30"_s};

INSTANTIATE_TEST_SUITE_P(Keys, LedLineTest, ::testing::Values(
    LineCase{"Model", u"Model:KT420"_s, {SetModel{u"KT420"_s}}},
    LineCase{"ModelAnyCase", u"MODEL:QB7"_s, {SetModel{u"QB7"_s}}},
    LineCase{"ModelUpToNextColon", u"Model:A:B"_s, {SetModel{u"A"_s}}},
    LineCase{"Com", u"Com:3"_s, {SetComPort{2}}},
    LineCase{"ComEmptyIsNothingSelected", u"Com:"_s, {SetComPort{-1}}},
    LineCase{"ComKeyInsideTheLine", u"  com:12"_s, {SetComPort{11}}},
    LineCase{"Priority", u"Pri2:3,0,1,4,2,5,1,30"_s, {SetPriority{2, pri2}}},
    LineCase{"PriorityFieldWithoutNumberIsZero", u"Pri0:x,1,2,3,0,4,2,"_s,
             {SetPriority{0, {0, 1, 2, 3, 0, 4, 2, QString()}}}},
    LineCase{"PriorityNothingSelected", u"Pri4:-1,-1,-1,-1,-1,-1,-1,0"_s,
             {SetPriority{4, {-1, -1, -1, -1, -1, -1, -1, u"0"_s}}}},
    LineCase{"PriorityTimeoutWithCommaLeavesRow", u"Pri1:1,2,3,4,0,5,1,1,5"_s, {}},
    LineCase{"PrioritySevenFieldsLeaveRow", u"Pri3:1,2,3,4,0,5,1"_s, {}},
    LineCase{"Link", u"LinkID0:1234567,3"_s, {SetLink{0, u"1234567"_s, 3}}},
    LineCase{"LinkEmptyNothingSelected", u"LinkID2:,-1"_s, {SetLink{2, QString(), -1}}},
    LineCase{"LinkPriorityFiveOrMoreKept", u"LinkID4:555,7"_s, {SetLink{4, u"555"_s, std::nullopt}}},
    LineCase{"LinkPriorityWithoutNumberIsZero", u"LinkID1:9,abc"_s, {SetLink{1, u"9"_s, 0}}},
    LineCase{"LinkSeveralCapcodesKept", u"linkid5:11,22,3"_s, {SetLink{5, u"11,22"_s, 3}}},
    LineCase{"LinkOneFieldCleared", u"LinkID7:77"_s, {ClearLink{7}}},
    LineCase{"DefaultMsgKeepsColonsAndAA", u"DefaultMsg:At <hh:mm>:"_s + QChar(0xAA) + u"x:y"_s,
             {SetDefMsg{u"At <hh:mm>:"_s + QChar(0xAA) + u"x:y"_s}}},
    LineCase{"DefaultMsgOwnsItsLine", u"DefaultMsg:shop.com: open, Model:X"_s,
             {SetDefMsg{u"shop.com: open, Model:X"_s}}},
    LineCase{"DefaultFont", u"DefaultFont:3"_s, {SetDefValue{F::Font, 3}}},
    LineCase{"DefaultColor", u"DefaultColor:12abc"_s, {SetDefValue{F::Color, 12}}},
    LineCase{"DefaultStyle", u"defaultstyle: 2.5"_s, {SetDefValue{F::Style, 2}}},
    LineCase{"DefaultAlignment", u"DefaultAlignment:-1"_s, {SetDefValue{F::Align, -1}}},
    LineCase{"DefaultSpeed", u"DefaultSpeed:4"_s, {SetDefValue{F::Speed, 4}}},
    LineCase{"DefaultPause", u"DefaultPause:9"_s, {SetDefValue{F::Pause, 9}}},
    LineCase{"AutoIdOn", u"AutoID:1"_s, {SetAutoId{1}}},
    LineCase{"AutoIdOff", u"autoid:0"_s, {SetAutoId{0}}},
    LineCase{"KeysInTableOrder", u"x com:5 model:"_s, {SetModel{u"5 model"_s}, SetComPort{4}}},
    LineCase{"NoKey", u"hello"_s, {}},
    LineCase{"EmptyLine", QString(), {}}));

INSTANTIATE_TEST_SUITE_P(Errors, LedLineTest, ::testing::Values(
    LineCase{"ComOutsideList", u"Com:13"_s, {}, 380},
    LineCase{"ComOverflow", u"Com:40000"_s, {}, 6},
    LineCase{"PriorityFontOutsideList", u"Pri3:20,0,0,0,0,0,0,5"_s, {}, 380},
    LineCase{"PriorityBeepBelowNothing", u"Pri4:0,0,0,0,0,0,-2,5"_s, {}, 380},
    LineCase{"PriorityOverflow", u"Pri0:0,0,0,0,0,1e6,0,5"_s, {}, 6},
    LineCase{"LinkPriorityBelowNothing", u"LinkID0:9,-3"_s, {}, 380},
    LineCase{"LinkPriorityRoundsToFive", u"LinkID0:9,4.6"_s, {}, 380},
    LineCase{"LinkPriorityOverflow", u"LinkID0:9,-99999"_s, {}, 6},
    LineCase{"DefaultNotANumber", u"DefaultPause:abc"_s, {}, 13},
    LineCase{"DefaultEmpty", u"DefaultSpeed:"_s, {}, 13},
    LineCase{"DefaultOverflow", u"DefaultStyle:32768"_s, {}, 6},
    LineCase{"AutoIdNotANumber", u"AutoID:yes"_s, {}, 13},
    LineCase{"AutoIdNotACheckValue", u"AutoID:2"_s, {}, 380},
    LineCase{"EarlierKeyOfTheLineStays", u"xModel:Q AutoID:"_s, {SetModel{u"Q AutoID"_s}}, 13}));

TEST(LedLineTest, WithoutListSizesOnlyBelowNothingIsRefused)
{
    EXPECT_EQ(readLedLine(u"Pri0:99,0,0,0,0,0,0,5"_s, {}).actions.size(), 1);
    EXPECT_EQ(readLedLine(u"Com:99"_s, {}).actions, (QList<LedFileAction>{SetComPort{98}}));
    EXPECT_EQ(readLedLine(u"Com:-1"_s, {}).error->number, 380);
}

TEST(LedLineTest, ErrorMessageNamesNumberAndDescription)
{
    const LedFileError e = readLedLine(u"DefaultFont:abc"_s, {}).error.value();
    EXPECT_EQ(e.message(), u"Error 13 opening file.\r\n"_s + e.description);
    EXPECT_TRUE(e.description.contains(u"DefaultFont:"));
    EXPECT_EQ(fileNotFoundError(u"/x/a.led"_s).message(), u"Error 53 opening file.\r\nFile not found: /x/a.led");
    EXPECT_EQ(fileNotAccessibleError(u"/x/a.led"_s, u"Permission denied"_s).number, 75);
    EXPECT_EQ(readPastEndError(u"/x/a.led"_s).number, 62);
}

// ---- Whole files ----

TEST(LedFileReadTest, LinesSplitAtLineFeedWithOneCarriageReturnRemoved)
{
    EXPECT_EQ(ledFileLines("a\r\nb\n\r\nc\rd\r\r\n\xAA"),
              (QStringList{u"a"_s, u"b"_s, QString(), u"c\rd\r"_s, QString(QChar(0xAA))}));
    EXPECT_EQ(ledFileLines("x\r\n\r\n"), (QStringList{u"x"_s, QString()}));
    EXPECT_TRUE(ledFileLines({}).isEmpty());
}

TEST(LedFileReadTest, ReadingStopsAtTheFirstError)
{
    const LedReadResult r = readLedFile({u"Com:3"_s, u"DefaultFont:abc"_s, u"Model:X"_s}, mainWindowSizes());
    EXPECT_EQ(r.actions, (QList<LedFileAction>{SetComPort{2}}));
    ASSERT_TRUE(r.error.has_value());
    EXPECT_EQ(r.error->number, 13);
}

TEST(LedFileReadTest, SaveThenOpenRestoresEveryValue)
{
    LedFileRecord expected = fullRecord();
    expected.DefMsg = u"Now <hh:mm>"_s + AA + u"Open: 9-5"_s;  // breaks stay in stored form
    EXPECT_EQ(readBack(saved(fullRecord())), expected);
}

TEST(LedFileReadTest, SeveralCapcodesReadBackAndACommaInTheTimeoutLeavesTheRow)
{
    LedFileRecord r = fullRecord();
    r.links[6].capcode = u"111,222"_s;
    r.priorities[3].timeout = u"1,5"_s;

    LedFileRecord start = fullRecord();
    start.priorities[3] = {9, 9, 9, 9, 9, 9, 9, u"99"_s};
    const LedFileRecord back = readBack(saved(r), start);
    EXPECT_EQ(back.links[6], r.links[6]);
    EXPECT_EQ(back.priorities[3], start.priorities[3]);
    EXPECT_EQ(back.links[5], r.links[5]);
}

TEST(LedFileReadTest, AFileWithOnlyTheComLineChangesNothingElse)
{
    LedFileRecord expected = fullRecord();
    expected.comPort = 2;
    EXPECT_EQ(readBack("Com:3", fullRecord()), expected);
}

TEST(LedFileReadTest, AMessageHoldingKeysLeavesTheOtherValues)
{
    LedFileRecord r = fullRecord();
    r.DefMsg = u"www.shop.com: open, autoid:0 model:x"_s;
    EXPECT_EQ(readBack(saved(r)), r);
}

// ---- The default message as handed to other windows ----

TEST(DefaultMsgTextTest, ToolTipAndJoinedText)
{
    SignConfig c;
    c.configFileName = u"/home/a/b.led"_s;
    c.DefMsg = u"Hi <hh:mm>"_s;
    c.DefFont = 1, c.DefColor = 2, c.DefStyle = 3, c.DefAlign = 4, c.DefSpeed = 5, c.DefPause = -1;
    EXPECT_EQ(defaultMsgToolTip(c), u"Message:Hi <hh:mm>, Font:1, Color:2, Style:3, Align:4, Speed:5, Pause:-1");
    EXPECT_EQ(defaultMsgText(c), u"/home/a/b.led,Hi <hh:mm>,1,2,3,4,5,-1");
}

// The editor tokens and the time format list must name the same formats in the same order:
// the file keeps tokens in editor form, and the sign gets them by position.
TEST(DefaultMsgTextTest, TimeTokensAreTheTimeFormatEntriesInBrackets)
{
    QStringList bracketed;
    for (const QString &entry : timeFormatEntries())
        bracketed << protocol::timeTokenFor(entry);
    EXPECT_EQ(bracketed, protocol::timeTokens());
}

} // namespace
