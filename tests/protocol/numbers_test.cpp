#include "protocol/numbers.h"

#include <QString>

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <optional>

namespace {

using protocol::leadingNumber;
using protocol::readInt16;
using protocol::strictInt16;
using protocol::toInt16;

struct LeadingCase {
    const char *text;
    double expected;
};

class LeadingNumberTest : public ::testing::TestWithParam<LeadingCase> {};

TEST_P(LeadingNumberTest, ReadsTheLeadingNumericPart)
{
    EXPECT_DOUBLE_EQ(leadingNumber(QString::fromLatin1(GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, LeadingNumberTest, ::testing::Values(
    LeadingCase{"42", 42}, LeadingCase{" \t12abc", 12}, LeadingCase{"-3.5", -3.5},
    LeadingCase{"+7", 7}, LeadingCase{".5", 0.5}, LeadingCase{"5.", 5}, LeadingCase{"1.2.3", 1.2},
    LeadingCase{"12,5", 12}, LeadingCase{"1e3", 1000}, LeadingCase{"2E-1x", 0.2},
    LeadingCase{"12e", 12}, LeadingCase{"12e+", 12}, LeadingCase{"007", 7},
    // No leading number at all reads as 0.
    LeadingCase{"", 0}, LeadingCase{"abc", 0}, LeadingCase{"-", 0}, LeadingCase{".", 0},
    LeadingCase{"- 5", 0}, LeadingCase{"\n5", 0}, LeadingCase{"e5", 0}));

TEST(LeadingNumberTest, HugeExponentIsInfiniteAndTinyOneIsZero)
{
    EXPECT_EQ(leadingNumber(u"1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(leadingNumber(u"-1e400"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(leadingNumber(u"1e-400"), 0.0);
}

struct RoundCase {
    double value;
    std::optional<qint16> expected;
};

class ToInt16Test : public ::testing::TestWithParam<RoundCase> {};

TEST_P(ToInt16Test, RoundsHalvesToEvenWithinSixteenBits)
{
    EXPECT_EQ(toInt16(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, ToInt16Test, ::testing::Values(
    RoundCase{2.5, 2}, RoundCase{3.5, 4}, RoundCase{-2.5, -2}, RoundCase{0.5, 0}, RoundCase{1.5, 2},
    RoundCase{6.4, 6}, RoundCase{12.5, 12}, RoundCase{17.5, 18}, RoundCase{2.51, 3},
    RoundCase{-0.4, 0}, RoundCase{32767, 32767}, RoundCase{32767.4, 32767},
    RoundCase{-32768, -32768}, RoundCase{-32768.5, -32768},
    // Out of range after rounding, or not a number at all.
    RoundCase{32767.5, std::nullopt}, RoundCase{32768, std::nullopt},
    RoundCase{-32768.6, std::nullopt}, RoundCase{1e300, std::nullopt},
    RoundCase{std::numeric_limits<double>::infinity(), std::nullopt},
    RoundCase{std::numeric_limits<double>::quiet_NaN(), std::nullopt}));

TEST(ToInt16Test, IgnoresAndKeepsTheCallersRoundingMode)
{
    const int oldMode = std::fegetround();
    ASSERT_EQ(std::fesetround(FE_DOWNWARD), 0);
    const std::optional<qint16> up = toInt16(2.7);
    const std::optional<qint16> half = toInt16(3.5);
    const int modeAfter = std::fegetround();
    std::fesetround(oldMode);
    EXPECT_EQ(up, 3);
    EXPECT_EQ(half, 4);
    EXPECT_EQ(modeAfter, FE_DOWNWARD);
}

TEST(ReadInt16Test, ReadsTextThenRounds)
{
    EXPECT_EQ(readInt16(u"62.5 s"), 62);
    EXPECT_EQ(readInt16(u"x"), 0);
    EXPECT_EQ(readInt16(u"40000"), std::nullopt);
    EXPECT_EQ(readInt16(u"1e400"), std::nullopt);
}

struct StrictCase {
    const char *text;
    std::optional<qint16> expected;
};

class StrictInt16Test : public ::testing::TestWithParam<StrictCase> {};

TEST_P(StrictInt16Test, AcceptsOnlyAPlainWholeNumber)
{
    EXPECT_EQ(strictInt16(QString::fromLatin1(GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, StrictInt16Test, ::testing::Values(
    StrictCase{"05", 5}, StrictCase{"0", 0}, StrictCase{"-0", 0}, StrictCase{"-12", -12},
    StrictCase{"32767", 32767}, StrictCase{"-32768", -32768},
    StrictCase{"", std::nullopt}, StrictCase{" 5", std::nullopt}, StrictCase{"5 ", std::nullopt},
    StrictCase{"5x", std::nullopt}, StrictCase{"+5", std::nullopt}, StrictCase{"-", std::nullopt},
    StrictCase{"1.0", std::nullopt}, StrictCase{"1e2", std::nullopt},
    StrictCase{"32768", std::nullopt}, StrictCase{"-32769", std::nullopt},
    StrictCase{"99999999999999999999999", std::nullopt}));

} // namespace
