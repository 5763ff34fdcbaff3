#include "signstate.h"

#include "bytes.h"

#include <utility>

namespace signsim {
namespace {

// The dump attribute order of MessageAttrs.
constexpr std::array<Attr, 6> kMessageAttrOrder{
    Attr::Font, Attr::Style, Attr::Color, Attr::Speed, Attr::Alignment, Attr::Pause};

void applyFactory(SignState& s)
{
    // font, style, colour, speed, alignment, pause, beep; small positions so that every
    // model's lists hold them.
    s.rows = {PriorityRow{{1, 1, 1, 1, 1, 1, 1}, 10}, PriorityRow{{2, 2, 2, 2, 2, 2, 1}, 20},
        PriorityRow{{3, 3, 3, 3, 1, 3, 2}, 30}, PriorityRow{{1, 4, 4, 4, 2, 4, 1}, 40},
        PriorityRow{{2, 5, 5, 1, 1, 5, 2}, 50}};
    s.links = {};
    s.links[0] = Link{0, {"1000000"}};
    s.autoId = true;
    s.userCommand = "RESET";
    s.forceId0 = false;
    s.defaultMessage = DefaultMessage{{1, 1, 1, 1, 1, 1}, "WELCOME"};
    s.idle = IdleTime{false, {1, 1, 1, 1, 1, 1}, 0};
    s.lastTestMessage.clear();
}

bool validHeaderText(std::string_view text)
{
    for (const char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        if (ch == ',' || ch == ':' || b < 0x20 || b == 0x7F)
            return false;
    }
    return true;
}

}  // namespace

SignState factoryState(std::string model, std::optional<std::string> build)
{
    SignState s;
    s.model = std::move(model);
    s.build = std::move(build);
    applyFactory(s);
    return s;
}

void restoreFactory(SignState& state)
{
    applyFactory(state);
}

int capcodeCount(const SignState& state)
{
    int n = 0;
    for (const Link& link : state.links)
        n += static_cast<int>(link.capcodes.size());
    return n;
}

bool validPosition(std::string_view model, Attr attr, int position, bool allowUnset)
{
    if (allowUnset && position == -1)
        return true;
    return position >= 0 && position < optionListsFor(model).count(attr);
}

bool validCapcode(std::string_view capcode)
{
    if (capcode.empty() || capcode.size() > static_cast<std::size_t>(kMaxCapcodeDigits)
        || !isAllDigits(capcode))
        return false;
    return capcode.find_first_not_of('0') != std::string_view::npos;
}

bool validMessageAttrs(std::string_view model, const MessageAttrs& attrs)
{
    for (std::size_t i = 0; i < attrs.size(); ++i)
        if (!validPosition(model, kMessageAttrOrder[i], attrs[i], true))
            return false;
    return true;
}

std::string validateState(const SignState& s)
{
    if (!validHeaderText(s.model))
        return "the model may not contain ',', ':' or control characters";
    if (s.build && (s.build->empty() || !isAllDigits(*s.build)))
        return "the build number must be digits";
    for (int p = 0; p < kPriorities; ++p) {
        const PriorityRow& row = s.rows[static_cast<std::size_t>(p)];
        for (std::size_t a = 0; a < kAttrCount; ++a)
            if (!validPosition(s.model, static_cast<Attr>(a), row.attrs[a]))
                return "priority " + std::to_string(p) + ": a list position that model " + s.model
                    + " has no entry for";
        if (row.timeout < 0 || row.timeout > kMaxTimeout)
            return "priority " + std::to_string(p) + ": timeout outside 0 to "
                + std::to_string(kMaxTimeout);
    }
    for (int id = 0; id < kLinkIds; ++id) {
        const Link& link = s.links[static_cast<std::size_t>(id)];
        if (link.priority < 0 || link.priority >= kPriorities)
            return "link " + std::to_string(id) + ": priority outside 0 to 4";
        for (const std::string& cap : link.capcodes)
            if (!validCapcode(cap))
                return "link " + std::to_string(id) + ": bad capcode '" + cap + "'";
    }
    if (capcodeCount(s) > kMaxCapcodes)
        return "more than " + std::to_string(kMaxCapcodes) + " capcodes";
    if (s.userCommand.find_first_of("\r\n") != std::string::npos)
        return "the user command may not hold CR or LF";
    if (!validMessageAttrs(s.model, s.defaultMessage.attrs))
        return "default message: a list position that model " + s.model + " has no entry for";
    if (s.defaultMessage.text.find_first_of("\r\n") != std::string::npos)
        return "the default message may not hold CR or LF";
    if (!validMessageAttrs(s.model, s.idle.attrs) || s.idle.format < -1
        || s.idle.format >= kTimeFormats)
        return "time on idle: a list position that model " + s.model + " has no entry for";
    return {};
}

}  // namespace signsim
