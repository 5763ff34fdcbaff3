// Byte-level text helpers. Every byte on the line is one character; bytes a person could not
// read (controls, DEL and everything above 126) are shown as \xNN.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace signsim {

// Shows controls, DEL and bytes 128-255 as \xNN. With escapeBackslash, "\" becomes \x5C too,
// so that the result can be read back without loss.
std::string escapeBytes(std::string_view bytes, bool escapeBackslash = false);
// Reverses escapeBytes(..., true); nullopt for a "\" not followed by xNN.
std::optional<std::string> unescapeBytes(std::string_view text);

// A whole decimal number, optionally negative; nothing else may follow. Leading zeros are
// taken as a person would read them ("05" is 5).
std::optional<int> parseInt(std::string_view text);
// Same, but only when the value lies within [min, max].
std::optional<int> parseIntIn(std::string_view text, int min, int max);

bool isAllDigits(std::string_view text);

// Bytes written as pairs of hexadecimal digits, either case ("00ffFF"); nullopt for an empty
// text, an odd count or anything that is not a hexadecimal digit.
std::optional<std::string> parseHexBytes(std::string_view text);

}  // namespace signsim
