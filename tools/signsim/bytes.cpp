#include "bytes.h"

#include <charconv>

namespace signsim {

std::string escapeBytes(std::string_view bytes, bool escapeBackslash)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x20 || b >= 0x7F || (escapeBackslash && ch == '\\')) {
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
        } else {
            out += ch;
        }
    }
    return out;
}

std::optional<std::string> unescapeBytes(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (i + 4 > text.size() || text[i + 1] != 'x')
            return std::nullopt;
        unsigned value = 0;
        const char* first = text.data() + i + 2;
        const auto [ptr, ec] = std::from_chars(first, first + 2, value, 16);
        if (ec != std::errc{} || ptr != first + 2)
            return std::nullopt;
        out += static_cast<char>(value);
        i += 3;
    }
    return out;
}

std::optional<int> parseInt(std::string_view text)
{
    const bool negative = !text.empty() && text.front() == '-';
    const std::string_view digits = negative ? text.substr(1) : text;
    if (digits.empty() || !isAllDigits(digits))
        return std::nullopt;
    int value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<int> parseIntIn(std::string_view text, int min, int max)
{
    const auto value = parseInt(text);
    if (!value || *value < min || *value > max)
        return std::nullopt;
    return value;
}

bool isAllDigits(std::string_view text)
{
    for (const char ch : text)
        if (ch < '0' || ch > '9')
            return false;
    return true;
}

std::optional<std::string> parseHexBytes(std::string_view text)
{
    if (text.empty() || text.size() % 2 != 0)
        return std::nullopt;
    std::string out;
    out.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        unsigned value = 0;
        const char* first = text.data() + i;
        const auto [ptr, ec] = std::from_chars(first, first + 2, value, 16);
        if (ec != std::errc{} || ptr != first + 2)
            return std::nullopt;
        out += static_cast<char>(value);
    }
    return out;
}

}  // namespace signsim
