#include "firmware/firmware.h"

#include <gtest/gtest.h>

namespace {

struct CountCase {
    const char *count;
    bool reminds;
};

class FirmwareReminder : public ::testing::TestWithParam<CountCase> {};

TEST_P(FirmwareReminder, OnlyForACountBelowThree)
{
    EXPECT_EQ(firmware::needsReminder(QString::fromLatin1(GetParam().count)), GetParam().reminds) << GetParam().count;
}

INSTANTIATE_TEST_SUITE_P(Counts, FirmwareReminder,
                         ::testing::Values(CountCase{"2", true}, CountCase{"2.9", true}, CountCase{"0", true},
                                           CountCase{"3", false}, CountCase{"3.5", false}, CountCase{"41", false},
                                           CountCase{"Not Available", false}, CountCase{"abc", false},
                                           CountCase{"", false}, CountCase{"2abc", false}));

TEST(FirmwareReminder, NamesTheImageAndTheMenu)
{
    EXPECT_EQ(firmware::reminderTitle(), QStringLiteral("Upgrade Firmware"));
    EXPECT_EQ(firmware::reminderText(),
              QStringLiteral("A newer rom file Tarvex 4.1.rom is available to Upload\r\n"
                             "Please click on Tools --> Upgrade on the top menu to Upload it"));
}

TEST(FlasherCandidates, OneSeparatorWhetherOrNotTheFolderEndsInOne)
{
    const QStringList expected = {QStringLiteral("/opt/signconfig/romwrite_p")};
    EXPECT_EQ(firmware::flasherCandidates(QStringLiteral("/opt/signconfig")), expected);
    EXPECT_EQ(firmware::flasherCandidates(QStringLiteral("/opt/signconfig/")), expected);
    EXPECT_EQ(firmware::flasherCandidates(QStringLiteral("/")).front(), QStringLiteral("/romwrite_p"));
}

} // namespace
