// The configuration commands: priority rows, ID mode, user command, links, forced ID,
// factory defaults and the configuration request.
#include "bytes.h"
#include "dump.h"
#include "handlers.h"
#include "misbehaviour.h"
#include "tag.h"

namespace signsim {
namespace {

Outcome priorityRow(SignState& s, const Tag& tag)
{
    // Attribute order on the wire: f, c, s, a, sp, p, b, t.
    const auto v = tag.values({"pr", "f", "c", "s", "a", "sp", "p", "b", "t"});
    if (!v || !tag.rest.empty())
        return refused("expected <DF pr=N f= c= s= a= sp= p= b= t=>");
    const auto pr = parseIntIn((*v)[0], 0, kPriorities - 1);
    if (!pr)
        return refused("priority must be 0 to 4");
    constexpr Attr kWireOrder[] = {Attr::Font, Attr::Color, Attr::Style, Attr::Alignment,
        Attr::Speed, Attr::Pause, Attr::Beep};
    PriorityRow row;
    for (std::size_t i = 0; i < std::size(kWireOrder); ++i) {
        const auto pos = parseInt((*v)[i + 1]);
        if (!pos || !validPosition(s.model, kWireOrder[i], *pos))
            return refused(
                "'" + std::string((*v)[i + 1]) + "' is no list position of model " + s.model);
        row.attrs[static_cast<std::size_t>(kWireOrder[i])] = *pos;
    }
    const auto timeout = parseIntIn((*v)[8], 0, kMaxTimeout);
    if (!timeout)
        return refused("timeout must be 0 to " + std::to_string(kMaxTimeout) + " seconds");
    row.timeout = *timeout;
    s.rows[static_cast<std::size_t>(*pr)] = row;
    return answer("done");
}

std::vector<std::string> splitCapcodes(std::string_view text)
{
    std::vector<std::string> caps;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        caps.emplace_back(
            text.substr(start, comma == std::string_view::npos ? comma : comma - start));
        if (comma == std::string_view::npos)
            return caps;
        start = comma + 1;
    }
}

Outcome link(SignState& s, const Tag& tag)
{
    if (!tag.rest.empty())
        return refused("nothing may follow the link tag");
    const auto removal = tag.values({"id", "cap"});
    const auto linking = tag.values({"id", "cap", "pr"});
    if (!(removal && (*removal)[1] == "0") && !linking)
        return refused("expected <link id=I cap=0> or <link id=I cap=K pr=R>");
    const auto& v = removal ? *removal : *linking;
    const auto id = parseIntIn(v[0], 0, kLinkIds - 1);
    if (!id)
        return refused("link ID must be 0 to 7");
    Link& target = s.links[static_cast<std::size_t>(*id)];
    if (removal) {
        target = Link{};
        return answer("delinked");
    }
    const auto pr = parseIntIn(v[2], 0, kPriorities - 1);
    if (!pr)
        return refused("link priority must be 0 to 4");
    std::vector<std::string> caps = splitCapcodes(v[1]);
    for (const std::string& cap : caps)
        if (!validCapcode(cap))
            return refused("'" + cap + "' is no capcode (1 to " + std::to_string(kMaxCapcodeDigits)
                + " digits, not 0)");
    const int others = capcodeCount(s) - static_cast<int>(target.capcodes.size());
    if (others + static_cast<int>(caps.size()) > kMaxCapcodes)
        return refused("the sign holds at most " + std::to_string(kMaxCapcodes) + " capcodes");
    target = Link{*pr, std::move(caps)};
    return answer("linked " + std::to_string(*id));
}

bool bare(const Tag& tag, std::string_view name)
{
    return tag.name == name && tag.attrs.empty() && tag.rest.empty();
}

}  // namespace

std::optional<Outcome> handleConfigCommand(SignState& s, std::string_view command)
{
    if (command == "DOWNLOAD_ALL") {
        Outcome out = answer(configurationDump(s));
        out.isDump = true;
        return out;
    }
    const auto tag = parseTag(command);
    if (!tag)
        return std::nullopt;
    // The commands that change what the dump reports; the kind is shared with the faults the
    // sign can be told to commit, so that they count exactly these.
    if (const auto kind = storedKind(*tag)) {
        switch (*kind) {
        case StoredKind::PriorityRow:
            return priorityRow(s, *tag);
        case StoredKind::Link:
            return link(s, *tag);
        case StoredKind::UserCommand:
            s.userCommand = std::string(tag->rest);
            return answer("user cmd");
        case StoredKind::IdMode:
            s.autoId = tag->attrs.front().second == "auto";
            return answer(s.autoId ? "Auto ID" : "User ID");
        }
    }
    if (tag->name == "FORCE") {
        const auto v = tag->values({"id"});
        if (!v || (*v)[0] != "0" || !tag->rest.empty())
            return refused("only <FORCE id=0> is known");
        s.forceId0 = true;
        return answer("ID Forced : 0");
    }
    if (bare(*tag, "FORCE_ID_OFF")) {
        s.forceId0 = false;
        return answer("Force ID OFF");
    }
    if (bare(*tag, "FD")) {
        restoreFactory(s);
        return answer("done");
    }
    return std::nullopt;
}

}  // namespace signsim
