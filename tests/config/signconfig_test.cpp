#include "config/signconfig.h"

#include <gtest/gtest.h>

#include <functional>

using namespace config;

namespace {

// Values as a configuration download leaves them, every row and link different.
ConfigValues downloadedValues()
{
    ConfigValues v;
    for (int n = 0; n < PriorityCount; ++n) {
        const qint16 k = qint16(n);
        v.priorities[n] = {k, qint16(k + 1), qint16(k + 2), qint16(k % 5), qint16(k % 3),
                           qint16(k + 3), qint16(k % 3), QString::number(5 + n)};
    }
    for (int i = 0; i < LinkCount; ++i)
        v.links[i] = {i % 2 ? QString::number(1000 + i) : QString(), qint16(i % PriorityCount)};
    v.links[3].capcode = QStringLiteral("123");
    v.autoId = 1;
    v.userCommand = QStringLiteral("RESET1");
    return v;
}

// The baseline that download writes: the same values, timeouts as numbers, link priorities as text.
Baseline baselineOf(const ConfigValues &v)
{
    Baseline b;
    for (int n = 0; n < PriorityCount; ++n) {
        const PriorityDefaults &p = v.priorities[n];
        b.priorities[n] = {p.font, p.style, p.color, p.speed, p.alignment, p.pause, p.beep,
                           qint16(p.timeout.toInt())};
    }
    for (int i = 0; i < LinkCount; ++i)
        b.links[i] = {v.links[i].capcode, QString::number(v.links[i].priority)};
    b.autoId = v.autoId;
    b.userCommand = v.userCommand;
    return b;
}

struct EditCase {
    const char *name;
    std::function<void(ConfigValues &)> edit;
    std::function<void(ChangeFlags &)> expectedFlags;
    qint16 expectedCount;
};

class GetChangedRowsEdit : public testing::TestWithParam<EditCase> {};

TEST_P(GetChangedRowsEdit, FlagsAndCountsOnlyWhatDiffers)
{
    ConfigValues current = downloadedValues();
    Baseline baseline = baselineOf(current);
    ChangeFlags flags;
    GetParam().edit(current);

    ChangeFlags expected;
    GetParam().expectedFlags(expected);
    EXPECT_EQ(getChangedRows(current, baseline, flags), GetParam().expectedCount);
    EXPECT_EQ(flags, expected);

    // Everything found was copied into the baseline: a second look flags nothing new.
    const Baseline afterFirst = baseline;
    getChangedRows(current, baseline, flags);
    EXPECT_EQ(flags, expected);
    EXPECT_EQ(baseline, afterFirst);
}

const auto none = [](ChangeFlags &) {};

INSTANTIATE_TEST_SUITE_P(
    Cases, GetChangedRowsEdit,
    testing::Values(
        EditCase{"NothingEdited", [](ConfigValues &) {}, none, 0},
        EditCase{"ColourOfPriority3", [](ConfigValues &v) { v.priorities[3].color = 9; },
                 [](ChangeFlags &f) { f.priorityChanged[3] = true; }, 1},
        EditCase{"BeepOfPriority4", [](ConfigValues &v) { v.priorities[4].beep = 2; },
                 [](ChangeFlags &f) { f.priorityChanged[4] = true; }, 1},
        EditCase{"TwoFieldsOfOneRowCountOnce",
                 [](ConfigValues &v) { v.priorities[0].font = 9; v.priorities[0].pause = 9; },
                 [](ChangeFlags &f) { f.priorityChanged[0] = true; }, 1},
        EditCase{"TimeoutWithLeadingZeroIsEqual", [](ConfigValues &v) { v.priorities[0].timeout = "05"; },
                 none, 0},
        EditCase{"TimeoutChanged", [](ConfigValues &v) { v.priorities[2].timeout = "30"; },
                 [](ChangeFlags &f) { f.priorityChanged[2] = true; }, 1},
        EditCase{"CapcodeWithLeadingZeroDiffers", [](ConfigValues &v) { v.links[3].capcode = "0123"; },
                 [](ChangeFlags &f) { f.linkChanged[3] = true; }, 1},
        EditCase{"PriorityOfEmptyLinkIgnored", [](ConfigValues &v) { v.links[0].priority = 4; }, none, 0},
        EditCase{"EmptiedCapcode", [](ConfigValues &v) { v.links[1].capcode.clear(); },
                 [](ChangeFlags &f) { f.linkChanged[1] = true; }, 1},
        EditCase{"NothingSelectedInPriorityIgnored", [](ConfigValues &v) { v.links[5].priority = -1; },
                 none, 0},
        EditCase{"LinkPriorityChanged", [](ConfigValues &v) { v.links[5].priority = 2; },
                 [](ChangeFlags &f) { f.linkChanged[5] = true; }, 1},
        EditCase{"CapcodeAndPriorityCountTwice",
                 [](ConfigValues &v) { v.links[0] = {"77", 3}; },
                 [](ChangeFlags &f) { f.linkChanged[0] = true; }, 2},
        EditCase{"UserCommand", [](ConfigValues &v) { v.userCommand = "reset1"; },
                 [](ChangeFlags &f) { f.userCmdChanged = true; }, 1},
        EditCase{"IdMode", [](ConfigValues &v) { v.autoId = 0; },
                 [](ChangeFlags &f) { f.autoIdChanged = true; }, 1}),
    [](const testing::TestParamInfo<EditCase> &info) { return info.param.name; });

TEST(GetChangedRows, SecondCallCountsOnlyPendingPriorityAndUserCommandFlags)
{
    ConfigValues current = downloadedValues();
    Baseline baseline = baselineOf(current);
    ChangeFlags flags;
    current.priorities[3].color = 0;
    current.links[1].capcode = "999";
    current.autoId = 0;
    current.userCommand = "X";

    EXPECT_EQ(getChangedRows(current, baseline, flags), 4);
    EXPECT_EQ(getChangedRows(current, baseline, flags), 2);
    EXPECT_TRUE(flags.linkChanged[1]);
    EXPECT_TRUE(flags.autoIdChanged);
}

TEST(GetChangedRows, LeftOverLinkAndIdModeFlagsAreKeptButNotCounted)
{
    const ConfigValues current = downloadedValues();
    Baseline baseline = baselineOf(current);
    ChangeFlags flags;
    flags.setAll();
    EXPECT_EQ(getChangedRows(current, baseline, flags), PriorityCount + 1);
    EXPECT_EQ(flags.countSet(), 15);

    ChangeFlags linksOnly;
    linksOnly.linkChanged.fill(true);
    linksOnly.autoIdChanged = true;
    EXPECT_EQ(getChangedRows(current, baseline, linksOnly), 0);
}

TEST(GetChangedRows, CopiesNewValuesIntoBaseline)
{
    ConfigValues current = downloadedValues();
    Baseline baseline = baselineOf(current);
    ChangeFlags flags;
    current.priorities[1].timeout = "2.5";  // halves go to even
    current.links[7] = {"5,6", 0};
    baseline.links[7].priority.clear();     // an empty text reads as 0
    getChangedRows(current, baseline, flags);
    EXPECT_EQ(baseline.priorities[1].timeout, 2);
    EXPECT_EQ(baseline.links[7], (LinkBaseline{"5,6", ""}));

    current.links[7].priority = 3;
    getChangedRows(current, baseline, flags);
    EXPECT_EQ(baseline.links[7].priority, "3");
}

TEST(GetChangedRows, TimeoutBeyondSixteenBitsFlagsRowAndKeepsBaseline)
{
    ConfigValues current = downloadedValues();
    Baseline baseline = baselineOf(current);
    ChangeFlags flags;
    current.priorities[2].timeout = "40000";
    EXPECT_EQ(getChangedRows(current, baseline, flags), 1);
    EXPECT_TRUE(flags.priorityChanged[2]);
    EXPECT_EQ(baseline.priorities[2].timeout, 7);
}

TEST(ChangeFlags, SetAllFlagsEveryItem)
{
    ChangeFlags flags;
    EXPECT_FALSE(flags.any());
    flags.linkChanged[6] = true;
    EXPECT_EQ(flags.countSet(), 1);
    flags.setAll();
    EXPECT_EQ(flags.countSet(), PriorityCount + LinkCount + 2);
    EXPECT_TRUE(flags.autoIdChanged && flags.userCmdChanged);
}

// Each item number names one flag, the one an upload sends in that place.
struct ItemFlag {
    const char *name;
    int item;
    std::function<bool &(ChangeFlags &)> flag;
};

class ChangeFlagItem : public ::testing::TestWithParam<ItemFlag> {};

TEST_P(ChangeFlagItem, NamesItsFlagAndNoOther)
{
    ChangeFlags flags;
    flags.setItem(GetParam().item, true);
    EXPECT_TRUE(GetParam().flag(flags));
    EXPECT_TRUE(flags.item(GetParam().item));
    EXPECT_EQ(flags.items(), QList<int>{GetParam().item});

    ChangeFlags all;
    all.setAll();
    all.setItem(GetParam().item, false);
    EXPECT_FALSE(GetParam().flag(all));
    EXPECT_EQ(all.countSet(), UploadItemCount - 1);
}

INSTANTIATE_TEST_SUITE_P(
    Items, ChangeFlagItem,
    ::testing::Values(ItemFlag{"Priority0", 0, [](ChangeFlags &f) -> bool & { return f.priorityChanged[0]; }},
                      ItemFlag{"Priority4", 4, [](ChangeFlags &f) -> bool & { return f.priorityChanged[4]; }},
                      ItemFlag{"IdMode", IdModeItem, [](ChangeFlags &f) -> bool & { return f.autoIdChanged; }},
                      ItemFlag{"UserCommand", UserCommandItem, [](ChangeFlags &f) -> bool & { return f.userCmdChanged; }},
                      ItemFlag{"Link0", FirstLinkItem, [](ChangeFlags &f) -> bool & { return f.linkChanged[0]; }},
                      ItemFlag{"Link7", UploadItemCount - 1, [](ChangeFlags &f) -> bool & { return f.linkChanged[7]; }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ChangeFlags, ItemsComeInUploadOrderAndOutsideNumbersNameNothing)
{
    ChangeFlags flags;
    for (const int item : {FirstLinkItem + 3, UserCommandItem, 2, IdModeItem, -1, UploadItemCount})
        flags.setItem(item, true);
    EXPECT_EQ(flags.items(), (QList<int>{2, IdModeItem, UserCommandItem, FirstLinkItem + 3}));
    EXPECT_FALSE(flags.item(-1));
    EXPECT_FALSE(flags.item(UploadItemCount));

    ChangeFlags more;
    more.setItem(0, true);
    more.setItem(FirstLinkItem + 3, true);
    flags |= more;
    EXPECT_EQ(flags.items(), (QList<int>{0, 2, IdModeItem, UserCommandItem, FirstLinkItem + 3}));
    // Or-ing clears nothing.
    flags |= ChangeFlags{};
    EXPECT_EQ(flags.countSet(), 5);
}

} // namespace
