// Splits a command in the sign's tag language: "<" NAME (" " KEY "=" VALUE)* ">" REST.
#pragma once

#include <initializer_list>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace signsim {

struct Tag {
    std::string_view name;  // empty when the tag opens with an attribute, as in "<id=auto>"
    std::vector<std::pair<std::string_view, std::string_view>> attrs;
    std::string_view rest;  // everything after the first ">"

    // The values, when the attribute keys are exactly keys, in that order.
    std::optional<std::vector<std::string_view>> values(
        std::initializer_list<std::string_view> keys) const;
};

// nullopt unless the command is one well-formed tag: single spaces between the parts, every
// attribute KEY=VALUE with both sides non-empty.
std::optional<Tag> parseTag(std::string_view command);

}  // namespace signsim
