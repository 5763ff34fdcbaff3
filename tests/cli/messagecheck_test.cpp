// Whether default-message --set has anything to send: the text as the sign gets it, the font
// and the colour.
#include "cli/messagecheck.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Held {
    const char *name;
    const char *heldText;
    std::optional<qint16> heldFont, heldColor;
    const char *text;
    int font, color;
    bool holds;
};

class HeldMessage : public ::testing::TestWithParam<Held> {};

TEST_P(HeldMessage, IsSentOnlyWhenItDiffers)
{
    protocol::DefaultMessageDump held;
    held.model = QStringLiteral("RW2290");
    held.text = QString::fromUtf8(GetParam().heldText);
    held.font = GetParam().heldFont;
    held.color = GetParam().heldColor;
    held.style = held.alignment = held.speed = held.pause = 1;
    protocol::DefaultMessageCodes codes;
    codes.font = GetParam().font;
    codes.color = GetParam().color;
    codes.style = codes.align = codes.speed = codes.pause = 1;
    EXPECT_EQ(cli::holdsMessage(held, codes, QString::fromUtf8(GetParam().text)), GetParam().holds);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, HeldMessage,
    ::testing::Values(Held{"Same", "OPEN", 1, 3, "OPEN", 1, 3, true},
                      Held{"OtherText", "OPEN", 1, 3, "CLOSED", 1, 3, false},
                      Held{"TextInOtherCase", "OPEN", 1, 3, "Open", 1, 3, false},
                      Held{"OtherFont", "OPEN", 1, 3, "OPEN", 2, 3, false},
                      Held{"OtherColor", "OPEN", 1, 3, "OPEN", 1, 4, false},
                      Held{"FontNotReported", "OPEN", std::nullopt, 3, "OPEN", 1, 3, false},
                      // The sign's stored break and time field against the typed ones.
                      Held{"BreakAndTimeField", "STATION 4\r\n<hh:mm:ss>", 1, 3, "STATION 4\n$T0", 1, 3, true},
                      Held{"TokenAgainstItsCode", "Open\r\n<hh:mm>", 1, 3, "Open\n<hh:mm>", 1, 3, true},
                      Held{"OneBreakAtTheEndGoesNowhere", "OPEN", 1, 3, "OPEN\n", 1, 3, true},
                      Held{"NoMessageEitherSide", "", 1, 3, "", 5, 6, true},
                      Held{"MessageRemoved", "OPEN", 1, 3, "", 1, 3, false}),
    [](const ::testing::TestParamInfo<Held> &info) { return std::string(info.param.name); });

} // namespace
