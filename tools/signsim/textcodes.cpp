#include "textcodes.h"

#include "bytes.h"

namespace signsim {
namespace {

int timeFieldDigit(std::string_view text, std::size_t i)
{
    if (i + 2 < text.size() && text[i] == '$' && text[i + 1] == 'T' && text[i + 2] >= '0'
        && text[i + 2] <= '7')
        return text[i + 2] - '0';
    return -1;
}

bool isLineBreak(std::string_view text, std::size_t i)
{
    return i + 1 < text.size() && text[i] == '$' && text[i + 1] == 'L';
}

std::string timeFieldName(int n)
{
    return "[time " + std::string(timeFormatName(n)) + "]";
}

}  // namespace

std::string wireToStored(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isLineBreak(text, i)) {
            out += static_cast<char>(kStoredLineBreak);
            ++i;
        } else if (const int n = timeFieldDigit(text, i); n >= 0) {
            out += static_cast<char>(kStoredTimeField0 + n);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string describeStored(std::string_view stored)
{
    std::string out;
    for (const char ch : stored) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == kStoredLineBreak)
            out += "[line break]";
        else if (b >= kStoredTimeField0 && b < kStoredTimeField0 + 8)
            out += timeFieldName(b - kStoredTimeField0);
        else
            out += escapeBytes(std::string_view(&ch, 1));
    }
    return out;
}

std::string describeWireText(std::string_view text, const OptionLists& lists)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool code = text[i] == '$' && i + 2 < text.size();
        const char kind = code ? text[i + 1] : '\0';
        const int letter = code ? text[i + 2] - 'A' : -1;
        if (isLineBreak(text, i)) {
            out += "[line break]";
            ++i;
        } else if (const int n = timeFieldDigit(text, i); n >= 0) {
            out += timeFieldName(n);
            i += 2;
        } else if (kind == 'F' && letter >= 0 && letter < lists.count(Attr::Font)) {
            out += "[font " + lists.label(Attr::Font, letter) + "]";
            i += 2;
        } else if (kind == 'C' && letter >= 0 && letter < lists.count(Attr::Color)) {
            out += "[colour " + lists.label(Attr::Color, letter) + "]";
            i += 2;
        } else {
            out += escapeBytes(text.substr(i, 1));
        }
    }
    return out;
}

}  // namespace signsim
