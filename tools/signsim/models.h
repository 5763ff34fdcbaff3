// The option lists each sign model understands, and the form in which a model reports its
// stored values. The simulated sign checks every received list position against these lists,
// so a position the model has no entry for is refused instead of stored.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace signsim {

// The seven display attributes in the order the configuration dump reports them.
enum class Attr : std::size_t { Font, Style, Color, Speed, Alignment, Pause, Beep };
inline constexpr std::size_t kAttrCount = 7;

// The option lists of one model family; entry i of a list has the code i.
struct OptionLists {
    std::span<const std::string_view> font, style, color, speed, alignment, pause, beep;

    std::span<const std::string_view> list(Attr a) const;
    int count(Attr a) const { return static_cast<int>(list(a).size()); }
    // The entry's label, or "#N" for a position outside the list (-1 reads "unset").
    std::string label(Attr a, int position) const;
};

const OptionLists& optionListsFor(std::string_view model);

// Added to a list position to give the value a configuration dump carries for that attribute.
std::array<int, kAttrCount> dumpOffsets(std::string_view model);
// Same for the default-message dump (font, style, colour, speed, alignment, pause; no beep).
std::array<int, 6> defaultMessageOffsets(std::string_view model);

// The eight date/time formats, by format number.
std::string_view timeFormatName(int n);

}  // namespace signsim
