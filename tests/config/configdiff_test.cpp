#include "config/configdiff.h"

#include "../support/qtprinters.h"

#include <gtest/gtest.h>

#include <functional>

using namespace config;
using namespace Qt::Literals::StringLiterals;

namespace {

// Row n of the sign, in list positions: every value distinct, and each one a standard entry.
PriorityDefaults rowValues(int n)
{
    const auto p = [](int v) { return qint16(v); };
    return {p(n + 1), p(n + 2), p(n + 3), p(n % 5), p(n % 3), p(n + 4), p(n % 3), QString::number(10 * (n + 1))};
}

// What an RW2290 sign reports for the values above: offsets added, timeouts in fifths of a
// second; links 0, 3 (two capcodes) and 5; auto ID; "RESET".
QStringList dumpFields()
{
    QStringList fields;
    for (int n = 0; n < PriorityCount; ++n) {
        const PriorityDefaults r = rowValues(n);
        for (const int v : {r.font + 64, r.style + 65, r.color + 65, r.speed + 48, r.alignment + 49,
                            r.pause + 48, r.beep + 20, r.timeout.toInt() * 5})
            fields << QString::number(v);
    }
    fields << QStringLiteral("0,1000000,0,3,100,1,3,200,1,5,5550001,2").split(u',');
    for (int j = 4; j < 16; ++j)
        fields << QStringLiteral("0") << QStringLiteral("0") << QStringLiteral("5");
    fields << QStringLiteral("1") << QStringLiteral("RESET");
    return fields;
}

ComparedConfig signSide(const QStringList &fields)
{
    return comparedFromDump(protocol::readConfigDump(QStringLiteral("RW2290,41:") + fields.join(u',')));
}

// The window showing exactly what the sign above holds.
ConfigValues windowValues()
{
    ConfigValues v;
    for (int n = 0; n < PriorityCount; ++n)
        v.priorities[n] = rowValues(n);
    v.links[0] = {QStringLiteral("1000000"), 0};
    v.links[3] = {QStringLiteral("100,200"), 1};
    v.links[5] = {QStringLiteral("5550001"), 2};
    v.autoId = 1;
    v.userCommand = QStringLiteral("RESET");
    return v;
}

QStringList texts(const QList<ConfigDifference> &differences)
{
    QStringList out;
    for (const ConfigDifference &d : differences)
        out << d.text();
    return out;
}

QStringList compareWithSign(const QStringList &fields, const ConfigValues &here)
{
    return texts(compareConfigurations(signSide(fields), comparedFromValues(here), comparisonLists(u"RW2290"_s)));
}

TEST(ConfigDiffTest, TheWindowAfterADownloadEqualsTheSign)
{
    EXPECT_EQ(compareWithSign(dumpFields(), windowValues()), QStringList());
}

// ---- One edit on either side, and the lines it gives ----

struct DiffCase {
    const char *name;
    std::function<void(ConfigValues &)> editHere;
    std::function<void(QStringList &)> editDump;
    QStringList expected;
};

void PrintTo(const DiffCase &c, std::ostream *out) { *out << c.name; }

class ConfigDiffCase : public testing::TestWithParam<DiffCase> {};

TEST_P(ConfigDiffCase, ListsExactlyTheDifferencesInWords)
{
    ConfigValues here = windowValues();
    QStringList fields = dumpFields();
    if (GetParam().editHere)
        GetParam().editHere(here);
    if (GetParam().editDump)
        GetParam().editDump(fields);
    EXPECT_EQ(compareWithSign(fields, here), GetParam().expected);
}

const auto onP3 = [](Attribute attribute, qint16 position) {
    return [=](ConfigValues &v) { attributeOf(v.priorities[3], attribute) = position; };
};
const auto timeoutP0 = [](const char *text) {
    return [=](ConfigValues &v) { v.priorities[0].timeout = QString::fromLatin1(text); };
};
const auto capcode = [](int id, const char *text) {
    return [=](ConfigValues &v) { v.links[id].capcode = QString::fromLatin1(text); };
};
const auto linkPriority = [](int id, qint16 position) {
    return [=](ConfigValues &v) { v.links[id].priority = position; };
};
const auto dumpField = [](int field, const char *text) {
    return [=](QStringList &f) { f[field] = QString::fromLatin1(text); };
};
const std::function<void(QStringList &)> noDumpEdit;
const std::function<void(ConfigValues &)> noEdit;

INSTANTIATE_TEST_SUITE_P(
    Lists, ConfigDiffCase,
    testing::Values(
        DiffCase{"Font", onP3(Attribute::Font, 5), noDumpEdit,
                 {"Priority 3 Font: Small Wide Shade 5 row on the sign, Seven Row Normal here"}},
        DiffCase{"Style", onP3(Attribute::Style, 6), noDumpEdit,
                 {"Priority 3 Style: rollup on the sign, Roll in here"}},
        DiffCase{"Color", onP3(Attribute::Color, 4), noDumpEdit, {"Priority 3 Color: Brown on the sign, Green here"}},
        DiffCase{"Speed", onP3(Attribute::Speed, 0), noDumpEdit, {"Priority 3 Speed: Slow on the sign, Fastest here"}},
        DiffCase{"Align", onP3(Attribute::Alignment, 2), noDumpEdit,
                 {"Priority 3 Align: Left on the sign, Center here"}},
        DiffCase{"Pause", onP3(Attribute::Pause, 0), noDumpEdit, {"Priority 3 Pause: 7 on the sign, 0 here"}},
        DiffCase{"Beep", onP3(Attribute::Beep, 2), noDumpEdit, {"Priority 3 Beep: OFF on the sign, Fast here"}},
        DiffCase{"NothingSelected", onP3(Attribute::Font, -1), noDumpEdit,
                 {"Priority 3 Font: Small Wide Shade 5 row on the sign, none here"}},
        DiffCase{"OutOfListOnTheSign", noEdit, dumpField(0, "94"),
                 {"Priority 0 Font: 30 on the sign, Small Normal 5 row here"}},
        DiffCase{"BelowTheListOnTheSign", noEdit, dumpField(0, "63"),
                 {"Priority 0 Font: none on the sign, Small Normal 5 row here"}},
        DiffCase{"BothOutsideTheList", onP3(Attribute::Font, 30), dumpField(24, "93"),
                 {"Priority 3 Font: 29 on the sign, 30 here"}}),
    [](const auto &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Timeout, ConfigDiffCase,
    testing::Values(DiffCase{"LeadingZeroIsTheSameNumber", timeoutP0("010"), noDumpEdit, {}},
                    DiffCase{"OtherNumber", timeoutP0("11"), noDumpEdit,
                             {"Priority 0 Timeout: 10 on the sign, 11 here"}},
                    DiffCase{"NoNumber", timeoutP0("abc"), noDumpEdit,
                             {"Priority 0 Timeout: 10 on the sign, \"abc\" here"}},
                    DiffCase{"Empty", timeoutP0(""), noDumpEdit, {"Priority 0 Timeout: 10 on the sign, \"\" here"}},
                    DiffCase{"Fraction", timeoutP0("10.0"), noDumpEdit,
                             {"Priority 0 Timeout: 10 on the sign, \"10.0\" here"}},
                    DiffCase{"DumpRoundsToTheSameNumber", noEdit, dumpField(7, "52"), {}}),
    [](const auto &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Links, ConfigDiffCase,
    testing::Values(
        DiffCase{"Removed", capcode(5, ""), noDumpEdit, {"ID 5: capcode 5550001 on the sign, none here"}},
        DiffCase{"ZeroIsRemovedToo", capcode(5, "0"), noDumpEdit, {"ID 5: capcode 5550001 on the sign, none here"}},
        DiffCase{"ZeroAgainstNoLink", capcode(1, "0"), noDumpEdit, {}},
        DiffCase{"Added", capcode(1, "777"), noDumpEdit, {"ID 1: capcode none on the sign, 777 here"}},
        DiffCase{"TextNotNumber", capcode(5, "05550001"), noDumpEdit,
                 {"ID 5: capcode 5550001 on the sign, 05550001 here"}},
        DiffCase{"OneOfTwoJoined", capcode(3, "100"), noDumpEdit, {"ID 3: capcode 100,200 on the sign, 100 here"}},
        DiffCase{"Priority", linkPriority(5, 4), noDumpEdit, {"ID 5: Priority 2 on the sign, Priority 4 here"}},
        DiffCase{"PriorityNotSelected", linkPriority(5, -1), noDumpEdit, {}},
        DiffCase{"PriorityWithoutCapcode", linkPriority(6, 3), noDumpEdit, {}},
        DiffCase{"NoPriorityOnTheSign", noEdit, dumpField(51, "5"), {"ID 5: none on the sign, Priority 2 here"}},
        DiffCase{"CapcodeAndPriority",
                 [](ConfigValues &v) { v.links[0] = {QStringLiteral("1000001"), 4}; }, noDumpEdit,
                 {"ID 0: capcode 1000000 on the sign, 1000001 here", "ID 0: Priority 0 on the sign, Priority 4 here"}}),
    [](const auto &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Others, ConfigDiffCase,
    testing::Values(
        DiffCase{"IdMode", [](ConfigValues &v) { v.autoId = 0; }, noDumpEdit, {"ID mode: Auto on the sign, User here"}},
        DiffCase{"IdModeOnTheSign", noEdit, dumpField(88, "2"), {"ID mode: User on the sign, Auto here"}},
        DiffCase{"UserCommand", [](ConfigValues &v) { v.userCommand.clear(); }, noDumpEdit,
                 {"User command: \"RESET\" on the sign, \"\" here"}},
        DiffCase{"InTheirOrder",
                 [](ConfigValues &v) {
                     v.userCommand = QStringLiteral("reset");
                     v.links[5].capcode.clear();
                     v.priorities[4].beep = 2;
                     v.priorities[1].color = 0;
                 },
                 noDumpEdit,
                 {"Priority 1 Color: Green on the sign, Auto here", "Priority 4 Beep: Normal on the sign, Fast here",
                  "ID 5: capcode 5550001 on the sign, none here",
                  "User command: \"RESET\" on the sign, \"reset\" here"}}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- A dump that stops short ----

struct CutCase {
    int fields;             // how many data fields the dump keeps
    int notRead;            // lines the window's values give, all of them "not read"
    const char *firstLine;  // the first of them
};

class ConfigDiffCutDump : public testing::TestWithParam<CutCase> {};

TEST_P(ConfigDiffCutDump, SaysWhatWasNotReadAndNothingElse)
{
    const QList<ConfigDifference> differences =
        compareConfigurations(signSide(dumpFields().mid(0, GetParam().fields)), comparedFromValues(windowValues()),
                              comparisonLists(u"RW2290"_s));
    ASSERT_EQ(differences.size(), GetParam().notRead);
    EXPECT_EQ(differences.front().text(), QString::fromLatin1(GetParam().firstLine));
    for (const ConfigDifference &d : differences)
        EXPECT_FALSE(d.onSign) << d.text().toStdString();
}

// 8 lines a priority row; the links give a capcode line each and a priority line for the three
// that are linked; then the ID mode and the user command.
INSTANTIATE_TEST_SUITE_P(
    Lengths, ConfigDiffCutDump,
    testing::Values(CutCase{89, 1, "User command: not read from the sign, \"RESET\" here"},
                    CutCase{88, 2, "ID mode: not read from the sign, Auto here"},
                    CutCase{87, 13, "ID 0: capcode not read from the sign, 1000000 here"},
                    CutCase{36, 17, "Priority 4 Align: not read from the sign, Right here"},
                    CutCase{0, 53, "Priority 0 Font: not read from the sign, Small Normal 5 row here"}),
    [](const auto &info) { return "Fields" + std::to_string(info.param.fields); });

// ---- Other sides and lists ----

TEST(ConfigDiffTest, ALedFileSaysNothingAboutTheUserCommand)
{
    LedFileRecord file;
    const ConfigValues v = windowValues();
    file.priorities = v.priorities;
    file.links = v.links;
    file.autoId = 0;
    QStringList fields = dumpFields();
    fields[89] = QStringLiteral("OTHER");
    EXPECT_EQ(texts(compareConfigurations(signSide(fields), comparedFromLedFile(file), comparisonLists(u"RW2290"_s))),
              QStringList{"ID mode: Auto on the sign, User here"});
}

TEST(ConfigDiffTest, RepeatedLabelsAreToldApartByTheirPositions)
{
    ConfigValues sign = windowValues();
    ConfigValues here = sign;
    sign.priorities[0].color = 0;  // QB7: "Red" at 0, 1, 3, 6, ...
    here.priorities[0].color = 1;
    sign.priorities[1].color = 0;
    here.priorities[1].color = 2;
    EXPECT_EQ(texts(compareConfigurations(comparedFromValues(sign), comparedFromValues(here),
                                          comparisonLists(u"QB7"_s))),
              (QStringList{"Priority 0 Color: Red (0) on the sign, Red (1) here",
                           "Priority 1 Color: Red on the sign, Green here"}));
}

struct MessageCase {
    const char *name;
    ComparedDefaultMessage sign, here;
    QStringList expected;
};

void PrintTo(const MessageCase &c, std::ostream *out) { *out << c.name; }

class ConfigDiffMessage : public testing::TestWithParam<MessageCase> {};

TEST_P(ConfigDiffMessage, ComparesTheFormTheSignTakes)
{
    ComparedConfig sign = comparedFromValues(windowValues(), GetParam().sign);
    const ComparedConfig here = comparedFromValues(windowValues(), GetParam().here);
    EXPECT_EQ(texts(compareConfigurations(sign, here, comparisonLists(u"KT420"_s))), GetParam().expected);
    sign.defaultMessage.reset();  // as from a dump: nothing to compare it with
    EXPECT_EQ(texts(compareConfigurations(sign, here, comparisonLists(u"KT420"_s))), QStringList());
}

const ComparedDefaultMessage hello{u"HELLO\r\nWORLD"_s, 1, 4, 0, 0, 0, 1};

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigDiffMessage,
    testing::Values(
        MessageCase{"Same", hello, hello, {}},
        MessageCase{"StoredLineBreak", hello, {u"HELLO\u00AAWORLD"_s, 1, 4, 0, 0, 0, 1}, {}},
        MessageCase{"BreakAtTheEnd", hello, {u"HELLO\r\nWORLD\r\n"_s, 1, 4, 0, 0, 0, 1}, {}},
        MessageCase{"StoredTimeField", {u"AT <hh:mm>"_s, 1, 4, 0, 0, 0, 1}, {u"AT \u00ADx"_s, 1, 4, 0, 0, 0, 1},
                    {"Default message: \"AT $T2\" on the sign, \"AT $T2x\" here"}},
        MessageCase{"Text", hello, {u"HELLO"_s, 1, 4, 0, 0, 0, 1},
                    {"Default message: \"HELLO$LWORLD\" on the sign, \"HELLO\" here"}},
        // The default-message window's KT420 fonts are its four names, not the main window's.
        MessageCase{"Values", hello, {hello.text, 2, 8, 0, 0, 0, 9},
                    {"Default message Font: Fat on the sign, Tall here",
                     "Default message Color: Green on the sign, Orange here",
                     "Default message Pause: 1 on the sign, 9 here"}}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Back to the upload ----

TEST(ConfigDiffTest, FlagsForReflagsExactlyTheItemsThatDiffer)
{
    ConfigValues here = windowValues();
    here.priorities[3].color = 4;
    here.priorities[3].timeout = QStringLiteral("99");
    here.links[5].priority = 4;
    here.userCommand = QStringLiteral("X");
    QStringList fields = dumpFields().mid(0, 88);  // the ID mode is not read
    const QList<ConfigDifference> differences =
        compareConfigurations(signSide(fields), comparedFromValues(here), comparisonLists(u"RW2290"_s));

    // Grouped by item: two for priority 3, one for link 5, the ID mode, the user command.
    ASSERT_EQ(differences.size(), 5);
    EXPECT_EQ(differences[0].item, ConfigItem::Priority);
    EXPECT_EQ(differences[0].index, 3);
    EXPECT_EQ(differences[1].field, ConfigField::Timeout);
    EXPECT_EQ(differences[2].item, ConfigItem::Link);
    EXPECT_EQ(differences[2].index, 5);
    EXPECT_EQ(differences[2].field, ConfigField::LinkPriority);
    EXPECT_EQ(differences[3].item, ConfigItem::IdMode);

    ChangeFlags expected;
    expected.priorityChanged[3] = true;
    expected.linkChanged[5] = true;
    expected.autoIdChanged = true;
    expected.userCmdChanged = true;
    EXPECT_EQ(flagsFor(differences), expected);
    EXPECT_EQ(flagsFor({}), ChangeFlags());
}

} // namespace
