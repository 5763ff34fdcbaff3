#include "models.h"

namespace signsim {
namespace {

using L = std::string_view;

constexpr std::array<L, 25> kStdFonts{"Small", "Small Normal 5 row", "Small Shade 5 row",
    "Small Wide 5 row", "Small Wide Shade 5 row", "Seven Row Normal", "Seven Row Shade",
    "Seven Row Wide", "Seven Row Wide Shade", "Seven Row Color Shade", "Seven Row Fancy",
    "Seven Row Shade Fancy", "Seven Row Wide Fancy", "Seven Row Wide Shade Fancy",
    "Seven Row Color Shade", "Ten Row Normal", "Ten Row Shade", "Ten Row Wide",
    "Ten Row Wide Shade", "15/16 Row Normal", "15/16 Row Shade", "15/16 Row Wide",
    "15/16 Row Wide Shade", "Shade 23", "Shade 31"};
constexpr std::array<L, 13> kStdColors{"Auto", "Light Red", "Light Green", "Red", "Green", "Yellow",
    "Brown", "Amber", "Orange", "Mix V1", "Mix V2", "Mix H", "Black"};
constexpr std::array<L, 28> kStdStyles{"auto", "flash", "hold", "interlock", "rolldown", "rollup",
    "Roll in", "rollout", "rollleft", "rollright", "rotate", "slide", "snow", "sparkle", "spray",
    "starburst", "switch", "twinkle", "wipedown", "wipeup", "wipein", "wipeout", "wipeleft",
    "wiperight", "cyclecolor", "clock", "hold+roll", "roll+hold"};
constexpr std::array<L, 5> kStdSpeeds{"Fastest", "Faster", "Normal", "Slow", "Slower"};
constexpr std::array<L, 3> kStdAlignments{"Left", "Right", "Center"};
constexpr std::array<L, 10> kPauses{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
constexpr std::array<L, 3> kBeeps{"OFF", "Normal", "Fast"};

// Placeholders keep the positions the model shares with the standard lists.
constexpr std::array<L, 25> kKtFonts{"----", "----", "----", "----", "----", "----", "Normal",
    "Fat", "----", "----", "----", "----", "----", "----", "----", "----", "----", "----", "----",
    "Tall", "----", "Large", "----", "----", "----"};
constexpr std::array<L, 13> kKtColors{
    "---", "---", "---", "Red", "Green", "---", "---", "---", "Orange", "---", "---", "---", "---"};
constexpr std::array<L, 23> kKtStyles{"Auto Function", "Flash 5 Times", "Appear", "Cover -> <-",
    "Scroll out Downward", "Scroll out Upward", "Close -> <-", "Close <- ->", "Shift LEFT",
    "Shift Right", "Reform from left / right", "Cover DOWN", "Boarder", "Combine", "Split OUT",
    "Fold out", "Search", "Cover DOWN", "Cover UP", "Cover FROM EDGES", "Cover FROM CENTER",
    "Cover LEFT", "Cover RIGHT"};

constexpr std::array<L, 4> kQbFonts{"8 pixel", "16 pixel", "24 pixel", "32 pixel"};
constexpr std::array<L, 24> kQbStyles{"Draw", "Draw", "Draw", "Draw", "Move up", "Move down",
    "Open from center(H)", "Open from center(V)", "Move to left", "Move to right", "Draw",
    "Scroll left", "Draw", "Draw", "Draw", "Draw", "Draw", "Draw", "Move down", "Shutter",
    "Shutter", "Shutter", "Shutter", "Draw"};
constexpr std::array<L, 17> kQbColors{"Red", "Red", "Green", "Red", "Green", "Orange", "Red",
    "White", "Orange", "Red", "Red", "Red", "Red", "Blue", "Purple", "Cyan", "White"};
constexpr std::array<L, 11> kQbSpeeds{
    "1 (Fastest)", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11 (Slowest)"};
constexpr std::array<L, 9> kQbAlignments{"Left", "Right", "Center", "Left Mid", "Middle",
    "Right Mid", "Left Bottom", "Center Bottom", "Right Bottom"};

const OptionLists kStandard{
    kStdFonts, kStdStyles, kStdColors, kStdSpeeds, kStdAlignments, kPauses, kBeeps};
const OptionLists kKt420{
    kKtFonts, kKtStyles, kKtColors, kStdSpeeds, kStdAlignments, kPauses, kBeeps};
const OptionLists kQb7{kQbFonts, kQbStyles, kQbColors, kQbSpeeds, kQbAlignments, kPauses, kBeeps};

constexpr std::array<L, 8> kTimeFormats{"hh:mm:ss", "hh:mm:ss A/PM", "hh:mm", "hh:mm A/PM",
    "mm/dd/yyyy", "yyyy-mm-dd", "dd.MM yyyy", "mm'dd'yy"};

}  // namespace

std::span<const std::string_view> OptionLists::list(Attr a) const
{
    switch (a) {
    case Attr::Font:
        return font;
    case Attr::Style:
        return style;
    case Attr::Color:
        return color;
    case Attr::Speed:
        return speed;
    case Attr::Alignment:
        return alignment;
    case Attr::Pause:
        return pause;
    case Attr::Beep:
        return beep;
    }
    return {};
}

std::string OptionLists::label(Attr a, int position) const
{
    const auto entries = list(a);
    if (position >= 0 && position < static_cast<int>(entries.size()))
        return std::string(entries[static_cast<std::size_t>(position)]);
    if (position == -1)
        return "unset";
    return "#" + std::to_string(position);
}

// Model names compare exactly: any other name, whatever its case, is a standard model.
const OptionLists& optionListsFor(std::string_view model)
{
    if (model == "KT420")
        return kKt420;
    if (model == "QB7")
        return kQb7;
    return kStandard;
}

std::array<int, kAttrCount> dumpOffsets(std::string_view model)
{
    if (model == "RW2290" || model == "PN360")
        return {64, 65, 65, 48, 49, 48, 20};
    if (model == "QB7")
        return {0, 0, 0, 5, 0, 0, 20};
    return {0, 0, 0, 0, 0, 0, 20};
}

std::array<int, 6> defaultMessageOffsets(std::string_view model)
{
    if (model == "RW2290")
        return {64, 65, 65, 48, 49, 48};
    return {0, 0, 0, 0, 0, 0};
}

std::string_view timeFormatName(int n)
{
    if (n < 0 || n >= static_cast<int>(kTimeFormats.size()))
        return {};
    return kTimeFormats[static_cast<std::size_t>(n)];
}

}  // namespace signsim
