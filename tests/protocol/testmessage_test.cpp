#include "protocol/testmessage.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

using namespace Qt::Literals::StringLiterals;

namespace {

using namespace protocol;

EditorFont fontAt(int position) { return fontAttributes(position).value(); }
Rgb colorAt(int position) { return previewColor(position).value(); }

const Rgb unlisted{1, 2, 3};
const EditorFont codeless{u"Courier New"_s, 10, false, false};

// The editor's characters of `text`, all with the same attributes.
QList<ComposedChar> run(QStringView text, const EditorFont &font, Rgb color)
{
    QList<ComposedChar> chars;
    for (QChar c : text)
        chars.append({c, font, color});
    return chars;
}

// ---- Font codes ----

struct FontRuleCase {
    const char *name;
    EditorFont font;
    std::optional<int> position;
};

// The rows where the rules differ from the table, and the fonts without a code. The table's
// own entries are covered by EveryPositionReadsBackAsItself.
class FontRuleTest : public ::testing::TestWithParam<FontRuleCase> {};

TEST_P(FontRuleTest, GivesTheCodeOfItsRule)
{
    EXPECT_EQ(fontPositionFor(GetParam().font), GetParam().position);
}

const QString arial = u"Arial"_s, black = u"Arial Black"_s, times = u"Times New Roman"_s,
              antiqua = u"Book Antiqua"_s;

INSTANTIATE_TEST_SUITE_P(Rules, FontRuleTest, ::testing::Values(
    FontRuleCase{"Arial8BoldAccentIgnored", {arial, 8, true, true}, 0},
    FontRuleCase{"Arial9AccentIgnored", {arial, 9, false, true}, 1},
    FontRuleCase{"Arial10AccentIgnored", {arial, 10, false, true}, 5},
    FontRuleCase{"Arial10BoldAccentIgnored", {arial, 10, true, true}, 6},
    FontRuleCase{"Arial11Plain", {arial, 11, false, false}, 9},
    FontRuleCase{"Arial11BoldAccent", {arial, 11, true, true}, 9},
    FontRuleCase{"Arial16BoldBeatsAccent", {arial, 16, true, true}, 20},
    FontRuleCase{"Arial13", {arial, 13, false, false}, std::nullopt},
    FontRuleCase{"Arial10AndAHalf", {arial, 10.5, false, false}, std::nullopt},
    FontRuleCase{"Black10BoldIgnored", {black, 10, true, false}, 7},
    FontRuleCase{"Black11NotBold", {black, 11, false, false}, 8},
    FontRuleCase{"Black12AccentIgnored", {black, 12, false, true}, 17},
    FontRuleCase{"Black8", {black, 8, false, false}, std::nullopt},
    FontRuleCase{"Times11AccentOnly", {times, 11, false, true}, std::nullopt},
    FontRuleCase{"Times16Plain", {times, 16, false, false}, 24},
    FontRuleCase{"Times16Bold", {times, 16, true, false}, 24},
    FontRuleCase{"Times12", {times, 12, false, false}, std::nullopt},
    FontRuleCase{"Antiqua11", {antiqua, 11, false, true}, 11},
    FontRuleCase{"Antiqua16", {antiqua, 16, false, false}, std::nullopt},
    FontRuleCase{"TypefaceCaseCounts", {u"arial"_s, 10, false, false}, std::nullopt},
    FontRuleCase{"OtherTypeface", codeless, std::nullopt},
    FontRuleCase{"NoTypeface", {QString(), 10, false, false}, std::nullopt}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(FontTableTest, EveryPositionReadsBackAsItself)
{
    // What a font choice puts into the editor must encode as that same choice again.
    for (int position = 0; position < 25; ++position) {
        const auto font = fontAttributes(position);
        ASSERT_TRUE(font) << position;
        EXPECT_EQ(fontPositionFor(*font), position) << position;
    }
}

TEST(FontTableTest, EntriesAreDistinctAndMatchTheList)
{
    std::set<std::tuple<QString, double, bool, bool>> seen;
    for (int position = 0; position < 25; ++position) {
        const EditorFont f = fontAt(position);
        EXPECT_TRUE(seen.insert({f.typeface, f.pointSize, f.bold, f.accent}).second) << position;
    }
    EXPECT_EQ(fontAt(8), (EditorFont{black, 11, true, false}));
    EXPECT_EQ(fontAt(14), (EditorFont{times, 11, true, true}));
    EXPECT_EQ(fontAt(24), (EditorFont{times, 16, false, true}));
    EXPECT_FALSE(fontAttributes(-1));
    EXPECT_FALSE(fontAttributes(25));
}

// ---- Colours and alignment ----

struct ColorCase {
    int position;
    Rgb preview;
    int readBack;
};

class ColorTableTest : public ::testing::TestWithParam<ColorCase> {};

TEST_P(ColorTableTest, PreviewAndReadBack)
{
    EXPECT_EQ(previewColor(GetParam().position), GetParam().preview);
    EXPECT_EQ(colorPositionFor(GetParam().preview), GetParam().readBack);
}

INSTANTIATE_TEST_SUITE_P(Positions, ColorTableTest, ::testing::Values(
    ColorCase{0, {118, 129, 97}, 0}, ColorCase{1, {255, 0, 0}, 1}, ColorCase{2, {0, 255, 0}, 2},
    ColorCase{3, {128, 0, 0}, 3}, ColorCase{4, {0, 128, 0}, 4}, ColorCase{5, {240, 240, 0}, 5},
    ColorCase{6, {85, 43, 0}, 6}, ColorCase{7, {200, 200, 0}, 7}, ColorCase{8, {255, 138, 21}, 8},
    ColorCase{9, {128, 128, 128}, 9}, ColorCase{10, {128, 128, 128}, 9},
    ColorCase{11, {128, 128, 128}, 9}, ColorCase{12, {0, 0, 0}, 12}));

TEST(ColorTableTest, OutsideTheTable)
{
    EXPECT_FALSE(previewColor(-1));
    EXPECT_FALSE(previewColor(13));  // colours only some models have leave the editor alone
    EXPECT_FALSE(colorPositionFor(unlisted));
    EXPECT_FALSE(colorPositionFor({255, 255, 255}));
}

TEST(AlignmentTest, FirstThreePositionsOnly)
{
    EXPECT_EQ(editorAlignment(0), EditorAlignment::Left);
    EXPECT_EQ(editorAlignment(1), EditorAlignment::Right);
    EXPECT_EQ(editorAlignment(2), EditorAlignment::Center);
    EXPECT_FALSE(editorAlignment(3));
    EXPECT_FALSE(editorAlignment(-1));
}

// ---- Composing the text ----

struct ComposeCase {
    const char *name;
    QList<ComposedChar> chars;
    std::optional<Rgb> start;
    const char16_t *text;
};

class ComposeTest : public ::testing::TestWithParam<ComposeCase> {};

TEST_P(ComposeTest, GivesTheCodedText)
{
    EXPECT_EQ(composeText(GetParam().chars, GetParam().start), QString::fromUtf16(GetParam().text));
}

const Rgb red = colorAt(1), green = colorAt(4);

INSTANTIATE_TEST_SUITE_P(Steps, ComposeTest, ::testing::Values(
    ComposeCase{"Empty", {}, red, u""},
    ComposeCase{"FirstFontAlwaysCoded", run(u"Hi", fontAt(5), red), red, u"$FFHi"},
    ComposeCase{"FontChangeCoded", run(u"ab", fontAt(5), red) + run(u"cd", fontAt(20), red), red,
                u"$FFab$FUcd"},
    ComposeCase{"SpacesCarryNoFont",
                run(u"a", fontAt(5), red) + run(u" ", fontAt(19), red) + run(u"b", fontAt(5), red), red,
                u"$FFa b"},
    ComposeCase{"AccentFontsOnlyAtChanges",
                run(u"ab", fontAt(23), red) + run(u"cd", fontAt(9), red) + run(u"ef", fontAt(14), red)
                    + run(u"g", fontAt(24), red),
                red, u"$FXab$FJcd$FOef$FYg"},
    // Different attributes with one code: the code is written again.
    ComposeCase{"SameCodeOtherAttributes",
                run(u"a", {arial, 11, false, false}, red) + run(u"b", {arial, 11, true, false}, red), red,
                u"$FJa$FJb"},
    ComposeCase{"CodelessFontIsRemembered",
                run(u"a", fontAt(5), red) + run(u"b", codeless, red) + run(u"c", fontAt(5), red), red,
                u"$FFab$FFc"},
    ComposeCase{"LeadingSpace", run(u" Hi", fontAt(5), red), red, u" $FFHi"},
    ComposeCase{"ColourChangeBeforeWord",
                run(u"Hi ", fontAt(5), red) + run(u"There", fontAt(5), green), red, u"$FFHi $CEThere"},
    // The sign shows no colour for a space, so the change must still be written at the word.
    ComposeCase{"ColouredSpaceKeepsTheCode",
                run(u"Hi", fontAt(5), red) + run(u" There", fontAt(5), green), red, u"$FFHi $CEThere"},
    ComposeCase{"GreyIsAlwaysJ",
                run(u"a", fontAt(5), red) + run(u"b", fontAt(5), colorAt(10)) + run(u"c", fontAt(5), red)
                    + run(u"d", fontAt(5), colorAt(11)),
                red, u"$FFa$CJb$CBc$CJd"},
    ComposeCase{"GreyToGreyNoCode",
                run(u"a", fontAt(5), colorAt(9)) + run(u"b", fontAt(5), colorAt(11)), colorAt(9), u"$FFab"},
    ComposeCase{"CodelessColourIsRemembered",
                run(u"a", fontAt(5), red) + run(u"b", fontAt(5), unlisted) + run(u"c", fontAt(5), red), red,
                u"$FFab$CBc"},
    // The first word in another colour than the command's own: the sign needs the code.
    ComposeCase{"FirstWordOffTheListColour", run(u"Hi", fontAt(5), green), red, u"$FF$CEHi"},
    ComposeCase{"NoStartColourTakesTheFirst",
                run(u" ", fontAt(5), red) + run(u"Hi", fontAt(5), green) + run(u"!", fontAt(5), red),
                std::nullopt, u" $FFHi$CB!"},
    ComposeCase{"LineBreaks",
                run(u"a\nb", fontAt(5), red) + run(u"\u2029c\u2028d\re", fontAt(5), red), red,
                u"$FFa\nb\nc\nd\re"},
    ComposeCase{"LineBreakCountsAsACharacter",
                run(u"a", fontAt(5), red) + run(u"\u2029", fontAt(19), green) + run(u"b", fontAt(19), green),
                red, u"$FFa$FT$CE\nb"}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Command assembly and the sign's form ----

TEST(TestMessageCommandTest, AttributesInTheSignsOrder)
{
    const PriorityCodes lists{.font = 1, .style = 2, .color = 3, .speed = 4, .alignment = 5, .pause = 6, .beep = 7};
    EXPECT_EQ(testMessageCommand(7, lists, u"30"_s, u"x"_s), u"<id=7 f=1 s=2 c=3 a=5 b=7 p=6 sp=4 t=30>x");
    EXPECT_EQ(testMessageCommand(0, PriorityCodes{}, QString(), QString()),
              u"<id=0 f=-1 s=-1 c=-1 a=-1 b=-1 p=-1 sp=-1 t=>");
    EXPECT_EQ(testMessageCommand(1, PriorityCodes{}, u"%1 x"_s, u"%2"_s),
              u"<id=1 f=-1 s=-1 c=-1 a=-1 b=-1 p=-1 sp=-1 t=%1 x>%2");
}

struct WireCase {
    const char16_t *in;
    const char16_t *out;
};

class WireFormTest : public ::testing::TestWithParam<WireCase> {};

TEST_P(WireFormTest, TokensAndBreaks)
{
    EXPECT_EQ(encodeTimeTokensAndLineBreaks(QString::fromUtf16(GetParam().in)), QString::fromUtf16(GetParam().out));
}

INSTANTIATE_TEST_SUITE_P(Text, WireFormTest, ::testing::Values(
    WireCase{u"<hh:mm:ss>", u"$T0"}, WireCase{u"<hh:mm:ss A/PM>", u"$T1"}, WireCase{u"<hh:mm>", u"$T2"},
    WireCase{u"<hh:mm A/PM>", u"$T3"}, WireCase{u"<mm/dd/yyyy>", u"$T4"}, WireCase{u"<yyyy-mm-dd>", u"$T5"},
    WireCase{u"<dd.MM yyyy>", u"$T6"}, WireCase{u"<mm'dd'yy>", u"$T7"},
    WireCase{u"at <hh:mm><hh:mm> on <dd.MM yyyy>.", u"at $T2$T2 on $T6."},
    WireCase{u"<HH:MM> <hh:mm", u"<HH:MM> <hh:mm"},
    WireCase{u"A\r\nB\r\n", u"A$LB"},
    WireCase{u"A\n\n", u"A$L"},
    WireCase{u"$LA", u"$LA"},
    WireCase{u"A$L", u"A"},
    WireCase{u"\n", u""},
    WireCase{u"", u""}));

// ---- The whole encoder ----

PriorityCodes exampleLists()
{
    return {.font = 5, .style = 0, .color = 1, .speed = 2, .alignment = 2, .pause = 3, .beep = 0};
}

TEST(EncodeTestMessageTest, TheWorkedExample)
{
    const auto chars = run(u"Hi", fontAt(5), red) + run(u"There", fontAt(5), green);
    const EncodedTestMessage m = encodeTestMessage(chars, 0, exampleLists(), u"10"_s);
    EXPECT_EQ(m.command, u"<id=0 f=5 s=0 c=1 a=2 b=0 p=3 sp=2 t=10>Hi$CEThere");
    EXPECT_EQ(m.leadingFontPosition, 5);
    EXPECT_FALSE(m.unsendable);
}

TEST(EncodeTestMessageTest, PlainWordTravelsAlone)
{
    auto lists = exampleLists();
    lists.font = 14;
    const EncodedTestMessage m = encodeTestMessage(run(u"Hello", fontAt(14), red), 2, lists, u"5"_s);
    EXPECT_EQ(m.command, u"<id=2 f=14 s=0 c=1 a=2 b=0 p=3 sp=2 t=5>Hello");
}

TEST(EncodeTestMessageTest, LeadingFontGoesIntoTheCommand)
{
    // The editor's first font wins over the list's position, and the window is told to follow.
    const auto chars = run(u"Big", fontAt(22), red) + run(u"small", fontAt(0), red);
    const EncodedTestMessage m = encodeTestMessage(chars, 1, exampleLists(), u"10"_s);
    EXPECT_EQ(m.command, u"<id=1 f=22 s=0 c=1 a=2 b=0 p=3 sp=2 t=10>Big$FAsmall");
    EXPECT_EQ(m.leadingFontPosition, 22);
}

TEST(EncodeTestMessageTest, LeadingSpaceKeepsTheListsFont)
{
    const EncodedTestMessage m = encodeTestMessage(run(u" Hi", fontAt(7), red), 0, exampleLists(), u"10"_s);
    EXPECT_EQ(m.command, u"<id=0 f=5 s=0 c=1 a=2 b=0 p=3 sp=2 t=10> $FHHi");
    EXPECT_FALSE(m.leadingFontPosition);
}

TEST(EncodeTestMessageTest, CodelessFirstFontKeepsTheListsFont)
{
    const auto chars = run(u"ab", codeless, red) + run(u"c", fontAt(3), red);
    const EncodedTestMessage m = encodeTestMessage(chars, 0, exampleLists(), u"10"_s);
    EXPECT_EQ(m.command, u"<id=0 f=5 s=0 c=1 a=2 b=0 p=3 sp=2 t=10>ab$FDc");
    EXPECT_FALSE(m.leadingFontPosition);
}

TEST(EncodeTestMessageTest, FirstWordInAnotherColourThanTheList)
{
    // Multi-colour mode: the list shows the colour chosen last, not the first word's.
    const auto chars = run(u"Go ", fontAt(5), green) + run(u"now", fontAt(5), red);
    const EncodedTestMessage m = encodeTestMessage(chars, 0, exampleLists(), u"10"_s);
    EXPECT_EQ(m.command, u"<id=0 f=5 s=0 c=1 a=2 b=0 p=3 sp=2 t=10>$CEGo $CBnow");
}

TEST(EncodeTestMessageTest, ListColourWithoutPreviewStartsFromTheText)
{
    auto lists = exampleLists();
    lists.color = 14;
    const auto chars = run(u"ab", fontAt(5), green) + run(u"c", fontAt(5), red);
    EXPECT_EQ(encodeTestMessage(chars, 0, lists, u"10"_s).command,
              u"<id=0 f=5 s=0 c=14 a=2 b=0 p=3 sp=2 t=10>ab$CBc");
}

TEST(EncodeTestMessageTest, TimeTokensAndLineBreaks)
{
    const auto chars = run(u"Open\u2029<hh:mm A/PM>\u2029", fontAt(5), red);
    EXPECT_EQ(encodeTestMessage(chars, 0, exampleLists(), u"10"_s).command,
              u"<id=0 f=5 s=0 c=1 a=2 b=0 p=3 sp=2 t=10>Open$L$T3");
}

TEST(EncodeTestMessageTest, EmptyText)
{
    const EncodedTestMessage m = encodeTestMessage({}, 4, PriorityCodes{}, QString());
    EXPECT_EQ(m.command, u"<id=4 f=-1 s=-1 c=-1 a=-1 b=-1 p=-1 sp=-1 t=>");
    EXPECT_FALSE(m.leadingFontPosition);
    EXPECT_FALSE(m.unsendable);
}

TEST(EncodeTestMessageTest, TypedFontCodeAtTheStartCountsAsTheFirstFont)
{
    const EncodedTestMessage m = encodeTestMessage(run(u"$FBHi", codeless, red), 0, exampleLists(), u"1"_s);
    EXPECT_EQ(m.command, u"<id=0 f=1 s=0 c=1 a=2 b=0 p=3 sp=2 t=1>Hi");
    EXPECT_EQ(m.leadingFontPosition, 1);
    // "$FZ" names no font and stays in the text.
    EXPECT_EQ(encodeTestMessage(run(u"$FZ", codeless, red), 0, exampleLists(), u"1"_s).command,
              u"<id=0 f=5 s=0 c=1 a=2 b=0 p=3 sp=2 t=1>$FZ");
}

struct UnsendableCase {
    const char *name;
    QString text;
    QString timeout;
    std::optional<QString> first;
};

class UnsendableTextTest : public ::testing::TestWithParam<UnsendableCase> {};

TEST_P(UnsendableTextTest, NamesTheFirstCharacterTheSignCannotTake)
{
    const EncodedTestMessage m = encodeTestMessage(run(GetParam().text, fontAt(5), red), 0, exampleLists(),
                                                   GetParam().timeout);
    EXPECT_EQ(m.unsendable, GetParam().first);
    if (!GetParam().first) {
        EXPECT_FALSE(firstUnsendableChar(m.command));
    }
}

INSTANTIATE_TEST_SUITE_P(Characters, UnsendableTextTest, ::testing::Values(
    UnsendableCase{"Latin1", u"Caf\u00e9 \u00aa\u00ff"_s, u"10"_s, std::nullopt},
    UnsendableCase{"ParagraphBreaksAreSendable", u"a\u2029b\u2028"_s, u"10"_s, std::nullopt},
    UnsendableCase{"Euro", u"5 \u20ac or \u0141"_s, u"10"_s, u"\u20ac"_s},
    UnsendableCase{"OutsideTheBmpWhole", u"ok \U0001F600"_s, u"10"_s, u"\U0001F600"_s},
    UnsendableCase{"InTheTimeout", u"ok"_s, u"1\u2013"_s, u"\u2013"_s}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TestMessageReplyTest, EchoAndCrlfLineEndAreNoPartOfTheAnswer)
{
    const TestMessageReply clean = interpretTestMessageReply(u"KT420:65,66,67,49,50,48,0,0,Hi"_s);
    ASSERT_EQ(clean.kind, TestMessageReply::Kind::Dump);
    EXPECT_EQ(interpretTestMessageReply(u"DOWNLOAD_DEFAULT_MSG\rKT420:65,66,67,49,50,48,0,0,Hi\r"_s), clean);
    EXPECT_EQ(interpretTestMessageReply(u"<id=0 f=1 s=1 c=1 a=1 b=0 p=1 sp=1 t=5>a:b,c,d,e,f,g,h,i,j\rerror"_s).kind,
              TestMessageReply::Kind::Refused);
}

} // namespace
