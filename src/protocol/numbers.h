#pragma once

#include <QStringView>

#include <optional>

namespace protocol {

// The sign, the dump and the .led files all carry numbers as text, and the tool reads them the
// same way everywhere: the leading numeric part of the text counts, the rest is ignored.
//
// Leading blanks (spaces and tabs) are skipped; then an optional sign, digits, an optional
// decimal point with digits and an optional exponent ("e" or "E", optional sign, digits) are
// read as far as they form a number. A text without a leading number reads as 0.
double leadingNumber(QStringView text);

// Nearest whole number, halves to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2), as a 16-bit value.
// Empty when the result lies outside -32768..32767 or the value is not a number.
std::optional<qint16> toInt16(double value);

// leadingNumber() followed by toInt16().
std::optional<qint16> readInt16(QStringView text);

// A whole decimal number as an operator would type it in a number box: an optional "-",
// then one or more digits, nothing else (no blanks, no fraction), within -32768..32767.
std::optional<qint16> strictInt16(QStringView text);

} // namespace protocol
