#include "misbehaviour.h"

#include "bytes.h"

namespace signsim {

std::optional<StoredKind> storedKind(const Tag& tag)
{
    if (tag.name == "DF" && !tag.attrs.empty() && tag.attrs.front().first == "pr")
        return StoredKind::PriorityRow;
    if (tag.name == "link")
        return StoredKind::Link;
    if (tag.name == "UC" && tag.attrs.empty())
        return StoredKind::UserCommand;
    if (tag.name.empty() && tag.attrs.size() == 1 && tag.attrs.front().first == "id"
        && tag.rest.empty()) {
        const std::string_view mode = tag.attrs.front().second;
        if (mode == "auto" || mode == "user")
            return StoredKind::IdMode;
    }
    return std::nullopt;
}

std::optional<StoredKind> storedKind(std::string_view command)
{
    const auto tag = parseTag(command);
    return tag ? storedKind(*tag) : std::nullopt;
}

std::optional<std::string> corruptStored(
    const SignState& before, SignState& state, std::string_view command)
{
    const auto tag = parseTag(command);
    const auto kind = tag ? storedKind(*tag) : std::nullopt;
    if (!kind)
        return std::nullopt;
    switch (*kind) {
    case StoredKind::PriorityRow: {
        // The command was taken, so its priority is one of the five.
        const auto pr = parseInt(tag->attrs.front().second);
        if (!pr)
            return std::nullopt;
        PriorityRow& row = state.rows[static_cast<std::size_t>(*pr)];
        int& colour = row.attrs[static_cast<std::size_t>(Attr::Color)];
        const int was = colour;
        colour = (colour + 1) % optionListsFor(state.model).count(Attr::Color);
        return "priority " + std::to_string(*pr) + " colour " + std::to_string(colour)
            + " instead of " + std::to_string(was);
    }
    case StoredKind::IdMode:
        state.autoId = !state.autoId;
        return std::string(state.autoId ? "auto ID" : "user ID") + " instead";
    case StoredKind::UserCommand:
        state.userCommand += 'X';
        return "user command \"" + escapeBytes(state.userCommand) + "\"";
    case StoredKind::Link: {
        const auto id = parseInt(tag->attrs.front().second);
        if (!id)
            return std::nullopt;
        const auto slot = static_cast<std::size_t>(*id);
        Link& link = state.links[slot];
        if (link.capcodes.empty()) {
            if (before.links[slot] == link)
                return std::nullopt;
            link = before.links[slot];
            return "link " + std::to_string(*id) + " kept";
        }
        // Capcodes are digits only; going up from 0 to 8 and down from 9 never gives all zeros.
        std::string& capcode = link.capcodes.back();
        char& digit = capcode.back();
        digit = digit == '9' ? '8' : static_cast<char>(digit + 1);
        return "link " + std::to_string(*id) + " capcode " + capcode;
    }
    }
    return std::nullopt;
}

}  // namespace signsim
