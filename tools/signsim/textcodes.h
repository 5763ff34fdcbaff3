// The in-text codes of message text: "$L" line break, "$T0".."$T7" time fields, and in test
// messages "$F"/"$C" plus a letter for a font or colour change.
#pragma once

#include "models.h"

#include <string>
#include <string_view>

namespace signsim {

inline constexpr unsigned char kStoredLineBreak = 170;
inline constexpr unsigned char kStoredTimeField0 = 171;

// Wire text to the form the sign stores and reports: "$L" becomes byte 170 and "$Tn" byte
// 171 + n. Any other "$" is an ordinary character.
std::string wireToStored(std::string_view text);

// Stored text for a person: line breaks and time fields by name, other odd bytes as \xNN.
std::string describeStored(std::string_view stored);

// Test-message text for a person: font and colour changes by the model's names, time fields
// and line breaks by name.
std::string describeWireText(std::string_view text, const OptionLists& lists);

}  // namespace signsim
