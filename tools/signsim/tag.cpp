#include "tag.h"

namespace signsim {

std::optional<std::vector<std::string_view>> Tag::values(
    std::initializer_list<std::string_view> keys) const
{
    if (keys.size() != attrs.size())
        return std::nullopt;
    std::vector<std::string_view> out;
    auto attr = attrs.begin();
    for (const std::string_view key : keys) {
        if (attr->first != key)
            return std::nullopt;
        out.push_back(attr->second);
        ++attr;
    }
    return out;
}

std::optional<Tag> parseTag(std::string_view command)
{
    if (command.size() < 2 || command.front() != '<')
        return std::nullopt;
    const std::size_t close = command.find('>');
    if (close == std::string_view::npos)
        return std::nullopt;
    Tag tag;
    tag.rest = command.substr(close + 1);
    std::string_view inside = command.substr(1, close - 1);
    bool first = true;
    while (true) {
        const std::size_t space = inside.find(' ');
        const std::string_view token = inside.substr(0, space);
        if (token.empty() || token.find('<') != std::string_view::npos)
            return std::nullopt;
        const std::size_t eq = token.find('=');
        if (eq == std::string_view::npos) {
            if (!first)
                return std::nullopt;
            tag.name = token;
        } else {
            if (eq == 0 || eq + 1 == token.size())
                return std::nullopt;
            tag.attrs.emplace_back(token.substr(0, eq), token.substr(eq + 1));
        }
        first = false;
        if (space == std::string_view::npos)
            return tag;
        inside.remove_prefix(space + 1);
    }
}

}  // namespace signsim
