#include "protocol/configdump.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

using protocol::ConfigDump;
using protocol::DumpPriorityRow;
using protocol::readConfigDump;

using Row = std::vector<std::optional<qint16>>;

Row values(const DumpPriorityRow &r)
{
    return {r.font, r.style, r.color, r.speed, r.alignment, r.pause, r.beep, r.timeout};
}

// A complete dump of 90 fields: neutral priority rows, sixteen empty link slots, user ID.
QStringList completeFields()
{
    QStringList fields;
    for (int i = 0; i < 40; ++i)
        fields << u"0"_s;
    for (int j = 0; j < 16; ++j)
        fields << u"0"_s << u"0"_s << u"5"_s;
    fields << u"0"_s << QString();
    return fields;
}

void setTriple(QStringList &fields, int j, const QString &id, const QString &cap, const QString &pri)
{
    fields[40 + 3 * j] = id;
    fields[41 + 3 * j] = cap;
    fields[42 + 3 * j] = pri;
}

ConfigDump read(const QString &header, const QStringList &fields)
{
    return readConfigDump(header + u':' + fields.join(u','));
}

TEST(ConfigDumpTest, WorkedExample)
{
    QStringList fields = completeFields();
    const QStringList row0 = {u"64"_s, u"65"_s, u"66"_s, u"50"_s, u"49"_s, u"51"_s, u"21"_s, u"30"_s};
    for (int k = 0; k < 8; ++k)
        fields[k] = row0[k];
    setTriple(fields, 0, u"2"_s, u"1234567"_s, u"3"_s);
    setTriple(fields, 1, u"2"_s, u"890"_s, u"3"_s);
    fields[88] = u"1"_s;
    fields[89] = u"RESET"_s;

    const ConfigDump dump = read(u"RW2290,41"_s, fields);

    EXPECT_EQ(dump.model, u"RW2290");
    EXPECT_EQ(dump.build, u"41"_s);
    EXPECT_EQ(values(dump.priorities[0]), (Row{0, 0, 1, 2, 0, 3, 1, 6}));
    EXPECT_TRUE(dump.linksComplete);
    for (int id = 0; id < 8; ++id) {
        const auto &link = dump.links[static_cast<std::size_t>(id)];
        EXPECT_EQ(link.named, id == 2) << id;
        EXPECT_EQ(link.capcode, id == 2 ? u"1234567,890"_s : QString()) << id;
        EXPECT_EQ(link.priority, id == 2 ? std::optional<qint16>(3) : std::nullopt) << id;
        EXPECT_EQ(link.priorityText, id == 2 ? std::optional<QString>(u"3"_s) : std::nullopt) << id;
    }
    EXPECT_EQ(dump.autoId, true);
    EXPECT_EQ(dump.userCommand, u"RESET"_s);
}

struct FamilyCase {
    const char *model;
    std::array<int, 7> row;  // the sign's form of font 0, style 0, colour 1, speed 2, align 0, pause 3, beep 1
};

class ModelFamilyTest : public ::testing::TestWithParam<FamilyCase> {};

TEST_P(ModelFamilyTest, TurnsTheFamilysValuesIntoListPositions)
{
    QStringList fields = completeFields();
    for (int n = 0; n < 5; ++n) {
        for (int k = 0; k < 7; ++k)
            fields[8 * n + k] = QString::number(GetParam().row[static_cast<std::size_t>(k)]);
        fields[8 * n + 7] = QString::number(30 + 5 * n);  // tells the rows apart
    }
    const ConfigDump dump = read(QString::fromLatin1(GetParam().model) + u",7"_s, fields);
    for (int n = 0; n < 5; ++n) {
        EXPECT_EQ(values(dump.priorities[static_cast<std::size_t>(n)]),
                  (Row{0, 0, 1, 2, 0, 3, 1, static_cast<qint16>(6 + n)}))
            << "priority " << n;
    }
}

constexpr std::array<int, 7> kOffsetRow = {64, 65, 66, 50, 49, 51, 21};
constexpr std::array<int, 7> kQb7Row = {0, 0, 1, 7, 0, 3, 21};
constexpr std::array<int, 7> kPlainRow = {0, 0, 1, 2, 0, 3, 21};

INSTANTIATE_TEST_SUITE_P(Models, ModelFamilyTest, ::testing::Values(
    FamilyCase{"RW2290", kOffsetRow}, FamilyCase{"PN360", kOffsetRow}, FamilyCase{"QB7", kQb7Row},
    FamilyCase{"KT420", kPlainRow}, FamilyCase{"", kPlainRow},
    // The model names are compared with exact case.
    FamilyCase{"rw2290", kPlainRow}, FamilyCase{"qb7", kPlainRow}, FamilyCase{"XY1", kPlainRow}));

TEST(ConfigDumpTest, FontBelowTheOffsetGivesNothingSelected)
{
    QStringList fields = completeFields();
    fields[0] = u"63"_s;
    EXPECT_EQ(read(u"RW2290,41"_s, fields).priorities[0].font, -1);
}

struct TimeoutCase {
    const char *field;
    std::optional<qint16> timeout;
};

class TimeoutTest : public ::testing::TestWithParam<TimeoutCase> {};

TEST_P(TimeoutTest, FifthsOfTheFieldRoundedHalfToEven)
{
    QStringList fields = completeFields();
    fields[8 * 3 + 7] = QString::fromLatin1(GetParam().field);
    EXPECT_EQ(read(u"KT420"_s, fields).priorities[3].timeout, GetParam().timeout);
}

INSTANTIATE_TEST_SUITE_P(Fields, TimeoutTest, ::testing::Values(
    TimeoutCase{"32", 6}, TimeoutCase{"62.5", 12}, TimeoutCase{"87.5", 18}, TimeoutCase{"2.5", 0},
    TimeoutCase{"7.5", 2}, TimeoutCase{" 10s", 2}, TimeoutCase{"abc", 0}, TimeoutCase{"163837", 32767},
    TimeoutCase{"163838", std::nullopt}, TimeoutCase{"1e400", std::nullopt}));

TEST(ConfigDumpTest, SixteenBitOverflowEmptiesOnlyThatValue)
{
    QStringList fields = completeFields();
    fields[0] = u"40000"_s;   // font
    fields[6] = u"-32750"_s;  // beep, minus its offset of 20
    fields[5] = u"9"_s;
    const DumpPriorityRow row = read(u"KT420"_s, fields).priorities[0];
    EXPECT_EQ(row.font, std::nullopt);
    EXPECT_EQ(row.beep, std::nullopt);
    EXPECT_EQ(row.pause, 9);
    EXPECT_EQ(row.timeout, 0);
}

TEST(ConfigDumpTest, ShortDumpSetsOnlyWhatItCarries)
{
    QStringList fields = completeFields().mid(0, 20);
    fields[19] = u"4"_s;
    const ConfigDump dump = read(u"KT420"_s, fields);
    EXPECT_EQ(values(dump.priorities[1]), (Row{0, 0, 0, 0, 0, 0, -20, 0}));
    EXPECT_EQ(values(dump.priorities[2]),
              (Row{0, 0, 0, 4, std::nullopt, std::nullopt, std::nullopt, std::nullopt}));
    EXPECT_EQ(values(dump.priorities[4]), Row(8, std::nullopt));
    EXPECT_FALSE(dump.linksComplete);
    EXPECT_EQ(dump.autoId, std::nullopt);
    EXPECT_EQ(dump.userCommand, std::nullopt);
}

TEST(ConfigDumpTest, TheLastFieldsDecideLinksIdModeAndUserCommand)
{
    QStringList fields = completeFields();
    setTriple(fields, 14, u"6"_s, u"600"_s, u"1"_s);
    setTriple(fields, 15, u"7"_s, u"700"_s, u"2"_s);
    fields[88] = u"1"_s;

    const ConfigDump of89 = read(u"KT420"_s, fields.mid(0, 89));
    EXPECT_TRUE(of89.linksComplete);
    EXPECT_EQ(of89.autoId, true);
    EXPECT_EQ(of89.userCommand, std::nullopt);

    const ConfigDump of88 = read(u"KT420"_s, fields.mid(0, 88));
    EXPECT_TRUE(of88.linksComplete);
    EXPECT_TRUE(of88.links[7].named);
    EXPECT_EQ(of88.autoId, std::nullopt);

    // The last triple lacks its priority field and is skipped whole; the one before it counts.
    const ConfigDump of87 = read(u"KT420"_s, fields.mid(0, 87));
    EXPECT_FALSE(of87.linksComplete);
    EXPECT_TRUE(of87.links[6].named);
    EXPECT_FALSE(of87.links[7].named);
    EXPECT_EQ(of87.links[7].capcode, QString());
}

struct CutCase {
    int fields;  // the data fields the line still carries, ended as a whole line
    std::vector<protocol::MissingPart> missing;
    const char *text;
};

class CutDumpTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(CutDumpTest, NamesEverythingFromTheFirstFieldThatDidNotCome)
{
    using Kind = protocol::MissingPart::Kind;
    QStringList fields = completeFields();
    fields[89] = u"RESET"_s;
    const ConfigDump dump = read(u"RW2290,41"_s, fields.mid(0, GetParam().fields));
    const QList<protocol::MissingPart> missing = protocol::missingParts(dump);
    EXPECT_EQ(std::vector<protocol::MissingPart>(missing.cbegin(), missing.cend()), GetParam().missing);
    EXPECT_EQ(protocol::missingPartsText(missing), QString::fromLatin1(GetParam().text));
    // What the reader takes agrees: a part is missing exactly when its values stayed empty.
    EXPECT_EQ(missing.contains(protocol::MissingPart{Kind::IdMode, 0}), !dump.autoId.has_value());
    EXPECT_EQ(missing.contains(protocol::MissingPart{Kind::UserCommand, 0}), !dump.userCommand.has_value());
    EXPECT_EQ(std::any_of(missing.cbegin(), missing.cend(), [](const auto &p) { return p.kind == Kind::Links; }),
              !dump.linksComplete);
}

using PartKind = protocol::MissingPart::Kind;
INSTANTIATE_TEST_SUITE_P(Cuts, CutDumpTest, ::testing::Values(
    CutCase{90, {}, ""},
    CutCase{89, {{PartKind::UserCommand, 0}}, "the user command is missing"},
    // After the sixteen link triples.
    CutCase{88, {{PartKind::IdMode, 0}, {PartKind::UserCommand, 0}}, "the ID mode and the user command are missing"},
    CutCase{85, {{PartKind::Links, 15}, {PartKind::IdMode, 0}, {PartKind::UserCommand, 0}},
            "the last link triple, the ID mode and the user command are missing"},
    // After the first triple, and inside the second.
    CutCase{43, {{PartKind::Links, 1}, {PartKind::IdMode, 0}, {PartKind::UserCommand, 0}},
            "the link triples 2 to 16, the ID mode and the user command are missing"},
    CutCase{45, {{PartKind::Links, 1}, {PartKind::IdMode, 0}, {PartKind::UserCommand, 0}},
            "the link triples 2 to 16, the ID mode and the user command are missing"},
    CutCase{40, {{PartKind::Links, 0}, {PartKind::IdMode, 0}, {PartKind::UserCommand, 0}},
            "the links, the ID mode and the user command are missing"},
    CutCase{39, {{PartKind::Priority, 4}, {PartKind::Links, 0}, {PartKind::IdMode, 0}, {PartKind::UserCommand, 0}},
            "Priority 4, the links, the ID mode and the user command are missing"},
    CutCase{0, {{PartKind::Priority, 0}, {PartKind::Priority, 1}, {PartKind::Priority, 2}, {PartKind::Priority, 3},
                {PartKind::Priority, 4}, {PartKind::Links, 0}, {PartKind::IdMode, 0}, {PartKind::UserCommand, 0}},
            "Priorities 0 to 4, the links, the ID mode and the user command are missing"}));

TEST(ConfigDumpTest, FieldsBeyondTheLastAreNoPartOfTheCount)
{
    QStringList fields = completeFields();
    fields << u"extra"_s;
    EXPECT_TRUE(protocol::missingParts(read(u"KT420"_s, fields)).isEmpty());
    // A line whose data is cut by a second ":" carries only what came before it.
    EXPECT_EQ(protocol::missingParts(readConfigDump(u"KT420:"_s + fields.mid(0, 88).join(u',') + u":1,RESET"_s)).size(), 2);
}

TEST(ConfigDumpTest, TripleWithAMissingFieldIsSkipped)
{
    QStringList fields = completeFields().mid(0, 40);
    fields << u"3"_s << u"100"_s;
    const ConfigDump dump = read(u"KT420"_s, fields);
    EXPECT_FALSE(dump.links[3].named);
    EXPECT_EQ(dump.links[3].capcode, QString());
}

TEST(ConfigDumpTest, CapcodesOfOneIdAreJoinedInTripleOrder)
{
    QStringList fields = completeFields();
    setTriple(fields, 2, u"4"_s, u"100"_s, u"1"_s);
    setTriple(fields, 5, u"1"_s, u"555"_s, u"0"_s);
    setTriple(fields, 9, u"4"_s, u"200"_s, u"7"_s);
    const ConfigDump dump = read(u"KT420"_s, fields);
    EXPECT_EQ(dump.links[4].capcode, u"100,200");
    EXPECT_EQ(dump.links[1].capcode, u"555");
    // A later triple with priority 5 or more keeps the earlier priority.
    EXPECT_EQ(dump.links[4].priority, 1);
    EXPECT_EQ(dump.links[4].priorityText, u"1"_s);
}

TEST(ConfigDumpTest, OnlyTheExactCapcodeZeroIsAnEmptySlot)
{
    QStringList fields = completeFields();
    setTriple(fields, 0, u"1"_s, u"0"_s, u"2"_s);
    setTriple(fields, 1, u"2"_s, u"00"_s, u"2"_s);
    const ConfigDump dump = read(u"KT420"_s, fields);
    EXPECT_FALSE(dump.links[1].named);
    EXPECT_EQ(dump.links[1].priority, std::nullopt);
    EXPECT_TRUE(dump.links[2].named);
    EXPECT_EQ(dump.links[2].capcode, u"00");
    EXPECT_EQ(dump.links[2].priority, 2);
}

struct IdCase {
    const char *field;
    int row;  // -1: the triple is skipped
};

class LinkIdTest : public ::testing::TestWithParam<IdCase> {};

TEST_P(LinkIdTest, OnlyWholeNumbersFromZeroToSevenNameARow)
{
    QStringList fields = completeFields();
    setTriple(fields, 3, QString::fromLatin1(GetParam().field), u"4242"_s, u"1"_s);
    const ConfigDump dump = read(u"KT420"_s, fields);
    for (int id = 0; id < 8; ++id) {
        const auto &link = dump.links[static_cast<std::size_t>(id)];
        EXPECT_EQ(link.named, id == GetParam().row) << id;
        EXPECT_EQ(link.capcode, id == GetParam().row ? u"4242"_s : QString()) << id;
    }
}

INSTANTIATE_TEST_SUITE_P(Fields, LinkIdTest, ::testing::Values(
    IdCase{"0", 0}, IdCase{"7", 7}, IdCase{" 3", 3}, IdCase{"3x", 3}, IdCase{"5.0", 5},
    IdCase{"abc", 0},  // no leading number reads as 0
    IdCase{"8", -1}, IdCase{"-1", -1}, IdCase{"2.5", -1}, IdCase{"6.9", -1}, IdCase{"1e9", -1}));

struct PriorityCase {
    const char *field;
    std::optional<qint16> priority;
};

class LinkPriorityTest : public ::testing::TestWithParam<PriorityCase> {};

TEST_P(LinkPriorityTest, SetOnlyBelowFiveAndWithinSixteenBits)
{
    QStringList fields = completeFields();
    setTriple(fields, 0, u"5"_s, u"1"_s, u"0"_s);
    setTriple(fields, 1, u"5"_s, u"2"_s, QString::fromLatin1(GetParam().field));
    const ConfigDump dump = read(u"KT420"_s, fields);
    const auto &link = dump.links[5];
    EXPECT_EQ(link.capcode, u"1,2");
    if (GetParam().priority) {
        EXPECT_EQ(link.priority, GetParam().priority);
        EXPECT_EQ(link.priorityText, QString::fromLatin1(GetParam().field));
    } else {  // the first triple's priority stays
        EXPECT_EQ(link.priority, 0);
        EXPECT_EQ(link.priorityText, u"0"_s);
    }
}

INSTANTIATE_TEST_SUITE_P(Fields, LinkPriorityTest, ::testing::Values(
    PriorityCase{"3", 3}, PriorityCase{"4", 4}, PriorityCase{"4.5", 4}, PriorityCase{" 2 ", 2},
    PriorityCase{"-1", -1}, PriorityCase{"x", 0}, PriorityCase{"5", std::nullopt},
    PriorityCase{"12", std::nullopt}, PriorityCase{"-40000", std::nullopt}));

class IdModeTest : public ::testing::TestWithParam<std::pair<const char *, bool>> {};

TEST_P(IdModeTest, OnlyAnExactOneIsAutoId)
{
    QStringList fields = completeFields();
    fields[88] = QString::fromLatin1(GetParam().first);
    EXPECT_EQ(read(u"KT420"_s, fields).autoId, GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Fields, IdModeTest, ::testing::Values(
    std::pair{"1", true}, std::pair{"0", false}, std::pair{"2", false}, std::pair{"", false},
    std::pair{" 1", false}, std::pair{"1.0", false}));

struct HeaderCase {
    const char *header;
    const char *model;
    std::optional<QString> build;
};

class HeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderTest, SplitsModelAndBuildNumber)
{
    const ConfigDump dump = read(QString::fromLatin1(GetParam().header), completeFields());
    EXPECT_EQ(dump.model, QString::fromLatin1(GetParam().model));
    EXPECT_EQ(dump.build, GetParam().build);
}

INSTANTIATE_TEST_SUITE_P(Headers, HeaderTest, ::testing::Values(
    HeaderCase{"RW2290,41", "RW2290", u"41"_s}, HeaderCase{"RW2290", "RW2290", std::nullopt},
    HeaderCase{"DOWNLOAD_ALLQB7,12", "QB7", u"12"_s},
    HeaderCase{"QB7DOWNLOAD_ALL,DOWNLOAD_ALL12", "QB7", u"12"_s},
    // Whatever came in front of the sign's own header: a CR echo, noise bytes, other text.
    HeaderCase{"download_allQB7", "QB7", std::nullopt},
    HeaderCase{"\rRW2290,41", "RW2290", u"41"_s},
    HeaderCase{"DOWNLOAD_ALL\rRW2290,41", "RW2290", u"41"_s},
    HeaderCase{"\xff\xff\x01PN360,7", "PN360", u"7"_s},
    HeaderCase{"xyzKT420", "KT420", std::nullopt},
    HeaderCase{"\x1b[2JAB12,3", "[2JAB12", u"3"_s},
    HeaderCase{"RW2290,4\x01" "1", "RW2290", u"4\x01" "1"_s},
    HeaderCase{"PN360,41,9", "PN360", u"41"_s}, HeaderCase{"PN360,", "PN360", QString()},
    HeaderCase{"", "", std::nullopt}));

TEST(ConfigDumpTest, EchoedRequestDoesNotHideTheModelFamily)
{
    QStringList fields = completeFields();
    fields[3] = u"7"_s;
    EXPECT_EQ(read(u"DOWNLOAD_ALLQB7,12"_s, fields).priorities[0].speed, 2);
    // A NUL in front, as a line that picked up noise on the wire carries it.
    const QString noisy = QString::fromLatin1(QByteArray("\x00\xff\xffQB7,12", 8));
    EXPECT_EQ(read(noisy, fields).model, u"QB7"_s);
    EXPECT_EQ(read(noisy, fields).priorities[0].speed, 2);
}

TEST(ConfigDumpTest, UserCommandIsCutAtCommaAndColon)
{
    QStringList fields = completeFields();
    fields[89] = u"RE,SET"_s;
    EXPECT_EQ(read(u"KT420"_s, fields).userCommand, u"RE"_s);
    fields[89] = u"RE:SET"_s;
    EXPECT_EQ(read(u"KT420"_s, fields).userCommand, u"RE"_s);
}

TEST(ConfigDumpTest, CrOfACrLfLineEndIsNoPartOfTheLastField)
{
    QStringList fields = completeFields();
    fields[88] = u"1"_s;
    fields[89] = u"RESET\r"_s;
    EXPECT_EQ(read(u"KT420"_s, fields).userCommand, u"RESET"_s);
    EXPECT_EQ(read(u"KT420"_s, fields.mid(0, 88) << u"1\r"_s).autoId, true);
    // Only at the line's end: a CR inside the user command is the sign's own.
    fields[89] = u"A\rB\r\r"_s;
    EXPECT_EQ(read(u"KT420"_s, fields).userCommand, u"A\rB"_s);
}

TEST(ConfigDumpTest, LineWithoutDataSetsNothing)
{
    for (const QString &line : {u"RW2290,41:"_s, u"RW2290,41"_s, u"RW2290,41::64"_s}) {
        const ConfigDump dump = readConfigDump(line);
        EXPECT_EQ(dump.model, u"RW2290") << line.toStdString();
        EXPECT_EQ(values(dump.priorities[0]), Row(8, std::nullopt)) << line.toStdString();
        EXPECT_FALSE(dump.linksComplete);
        EXPECT_EQ(dump.autoId, std::nullopt);
    }
}

} // namespace
