#include "protocol/clock.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

using namespace protocol;

struct ClockCase {
    const char *name;
    QDateTime now;
    QString command;
};

class ClockCommandTest : public ::testing::TestWithParam<ClockCase> {};

TEST_P(ClockCommandTest, CarriesTheReadingPaddedWithTheWeekday)
{
    EXPECT_EQ(setClockCommand(GetParam().now), GetParam().command);
}

QDateTime at(int y, int mo, int d, int h, int mi, int s) { return QDateTime(QDate(y, mo, d), QTime(h, mi, s)); }

INSTANTIATE_TEST_SUITE_P(Readings, ClockCommandTest, ::testing::Values(
    ClockCase{"Tuesday", at(2024, 3, 5, 9, 7, 3), u"<Time time=09:07:03 date=2024/03/05-2>SET TIME"_s},
    ClockCase{"MidnightNewYearSunday", at(2023, 1, 1, 0, 0, 0), u"<Time time=00:00:00 date=2023/01/01-0>SET TIME"_s},
    ClockCase{"SaturdayEvening", at(2024, 12, 28, 23, 59, 59), u"<Time time=23:59:59 date=2024/12/28-6>SET TIME"_s},
    ClockCase{"YearWithoutLeadingZeros", at(999, 10, 31, 12, 30, 0), u"<Time time=12:30:00 date=999/10/31-4>SET TIME"_s}));

TEST(ClockDisplayTest, ShowsDateAndTimeWithSeconds)
{
    const QDateTime now = at(2024, 3, 5, 21, 7, 3);
    for (const QLocale &locale : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::German, QLocale::Germany)}) {
        const QString text = clockDisplayText(now, locale);
        EXPECT_TRUE(text.startsWith(locale.toString(now.date(), QLocale::ShortFormat) + u' ')) << text.toStdString();
        EXPECT_TRUE(text.contains(u":07:03")) << text.toStdString();
        EXPECT_FALSE(text.endsWith(u' ')) << text.toStdString();
    }
}

} // namespace
