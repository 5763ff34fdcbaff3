#pragma once

#include <QString>

#include <array>

namespace config {

// The seven display attributes of a priority row, in the one order the tool walks them: the
// order of a row in the configuration dump and in the .led file. The commands put them on the
// wire in an order of their own (protocol/commands.cpp), which is the sign's business.
enum class Attribute { Font, Style, Color, Speed, Alignment, Pause, Beep };

inline constexpr std::array<Attribute, 7> AllAttributes{Attribute::Font,  Attribute::Style,     Attribute::Color,
                                                        Attribute::Speed, Attribute::Alignment, Attribute::Pause,
                                                        Attribute::Beep};

// The column caption of an attribute in the main window ("Font", "Style", "Color", "Speed",
// "Align", "Pause", "Beep"); the accessible names of the priority lists are built from it.
QString attributeCaption(Attribute attribute);

// The member of `row` that holds `attribute`, for any record with the seven members font,
// style, color, speed, alignment, pause and beep (values, baselines, option lists, controls).
template <typename Row>
constexpr auto &attributeOf(Row &row, Attribute attribute)
{
    switch (attribute) {
    case Attribute::Font: return row.font;
    case Attribute::Style: return row.style;
    case Attribute::Color: return row.color;
    case Attribute::Speed: return row.speed;
    case Attribute::Alignment: return row.alignment;
    case Attribute::Pause: return row.pause;
    case Attribute::Beep: return row.beep;
    }
    return row.font;
}

} // namespace config
