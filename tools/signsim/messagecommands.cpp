// The message commands: default message, time on idle, restart, the clock and test messages.
#include "bytes.h"
#include "dump.h"
#include "handlers.h"
#include "tag.h"
#include "textcodes.h"

namespace signsim {
namespace {

// Reads the six message attributes sent in the order f, c, s, a, sp, p (values[first] on)
// into dump order: font, style, colour, speed, alignment, pause.
std::optional<MessageAttrs> messageAttrs(
    const std::vector<std::string_view>& values, std::size_t first, std::string_view model)
{
    constexpr std::size_t kSlotOf[] = {0, 2, 1, 4, 3, 5};  // f c s a sp p -> dump slot
    MessageAttrs attrs{};
    for (std::size_t i = 0; i < std::size(kSlotOf); ++i) {
        const auto v = parseInt(values[first + i]);
        if (!v)
            return std::nullopt;
        attrs[kSlotOf[i]] = *v;
    }
    if (!validMessageAttrs(model, attrs))
        return std::nullopt;
    return attrs;
}

Outcome defaultMessage(SignState& s, const Tag& tag)
{
    const auto v = tag.values({"f", "c", "s", "a", "sp", "p"});
    if (!v)
        return refused("expected <DF f= c= s= a= sp= p=>TEXT");
    const auto attrs = messageAttrs(*v, 0, s.model);
    if (!attrs)
        return refused("a value that is no list position of model " + s.model);
    s.defaultMessage = DefaultMessage{*attrs, wireToStored(tag.rest)};
    Outcome out = answer("default stored");
    out.notes.push_back("default message: " + describeStored(s.defaultMessage.text));
    return out;
}

Outcome timeOnIdle(SignState& s, const Tag& tag)
{
    if (tag.rest != "IDLE ON" && tag.rest != "IDLE OFF")
        return refused("expected IDLE ON or IDLE OFF after the TIME tag");
    if (!tag.attrs.empty()) {
        const auto v = tag.values({"f", "c", "s", "a", "sp", "p", "fm"});
        if (!v)
            return refused("expected <TIME f= c= s= a= sp= p= fm=>");
        const auto attrs = messageAttrs(*v, 0, s.model);
        const auto format = parseIntIn((*v)[6], -1, kTimeFormats - 1);
        if (!attrs || !format)
            return refused("a value that is no list position of model " + s.model);
        s.idle.attrs = *attrs;
        s.idle.format = *format;
    }
    s.idle.on = tag.rest == "IDLE ON";
    return answer(s.idle.on ? "TIME:IDLE:1" : "TIME:IDLE:0");
}

// Two digits exactly.
std::optional<int> twoDigits(std::string_view text, int min, int max)
{
    return text.size() == 2 ? parseIntIn(text, min, max) : std::nullopt;
}

Outcome setClock(SignState& s, const Tag& tag, std::time_t now)
{
    const auto v = tag.values({"time", "date"});
    if (!v || tag.rest != "SET TIME")
        return refused("expected <Time time=HH:MM:SS date=YYYY/MM/DD-W>SET TIME");
    const std::string_view time = (*v)[0];
    const std::string_view date = (*v)[1];
    const std::size_t slash1 = date.find('/');
    const std::size_t slash2 = date.find('/', slash1 == std::string_view::npos ? 0 : slash1 + 1);
    if (time.size() != 8 || time[2] != ':' || time[5] != ':' || slash1 == std::string_view::npos
        || slash2 != slash1 + 3 || date.size() != slash2 + 5 || date[slash2 + 3] != '-')
        return refused("expected time=HH:MM:SS date=YYYY/MM/DD-W");
    const auto hour = twoDigits(time.substr(0, 2), 0, 23);
    const auto minute = twoDigits(time.substr(3, 2), 0, 59);
    const auto second = twoDigits(time.substr(6, 2), 0, 59);
    const std::string_view yearText = date.substr(0, slash1);
    const auto year = yearText.size() <= 4 ? parseIntIn(yearText, 1, 9999) : std::nullopt;
    const auto month = twoDigits(date.substr(slash1 + 1, 2), 1, 12);
    const auto day = twoDigits(date.substr(slash2 + 1, 2), 1, 31);
    const std::string_view weekdayText = date.substr(slash2 + 4);
    const auto weekday = weekdayText.size() == 1 ? parseIntIn(weekdayText, 0, 6) : std::nullopt;
    if (!hour || !minute || !second || !year || !month || !day || !weekday)
        return refused("a clock value out of range");
    const int dayOfWeek = weekday.value_or(-1);

    // Both clocks as wall-clock seconds, so that the offset does not depend on the time zone.
    std::tm sign{};
    sign.tm_year = *year - 1900;
    sign.tm_mon = *month - 1;
    sign.tm_mday = *day;
    sign.tm_hour = *hour;
    sign.tm_min = *minute;
    sign.tm_sec = *second;
    const std::time_t signSeconds = ::timegm(&sign);
    if (sign.tm_mday != *day)  // timegm moved 31 April on to 1 May
        return refused("no such date");
    std::tm local{};
    ::localtime_r(&now, &local);
    s.clockOffset = static_cast<long long>(signSeconds) - static_cast<long long>(::timegm(&local));

    char shown[64];
    std::strftime(shown, sizeof shown, "%Y-%m-%d %H:%M:%S %A", &sign);
    Outcome out = answer("done");
    out.notes.push_back(std::string("clock set to ") + shown + ", " + std::to_string(s.clockOffset)
        + " s from the computer's clock");
    if (sign.tm_wday != dayOfWeek)
        out.notes.push_back("the weekday " + std::to_string(dayOfWeek)
            + " does not match that date (" + std::to_string(sign.tm_wday) + ")");
    return out;
}

Outcome testMessage(SignState& s, const Tag& tag, std::string_view command)
{
    const auto v = tag.values({"id", "f", "s", "c", "a", "b", "p", "sp", "t"});
    if (!v)
        return refused("expected <id=I f= s= c= a= b= p= sp= t=>TEXT");
    const auto id = parseIntIn((*v)[0], 0, kLinkIds - 1);
    if (!id)
        return refused("message ID must be 0 to 7");
    constexpr Attr kWireOrder[] = {Attr::Font, Attr::Style, Attr::Color, Attr::Alignment,
        Attr::Beep, Attr::Pause, Attr::Speed};
    constexpr const char* kNames[]
        = {"font", "style", "colour", "alignment", "beep", "pause", "speed"};
    const OptionLists& lists = optionListsFor(s.model);
    std::string shown = "message for ID " + std::to_string(*id) + ":";
    for (std::size_t i = 0; i < std::size(kWireOrder); ++i) {
        const auto pos = parseInt((*v)[i + 1]);
        if (!pos || !validPosition(s.model, kWireOrder[i], *pos, true))
            return refused(
                "'" + std::string((*v)[i + 1]) + "' is no list position of model " + s.model);
        shown += std::string(" ") + kNames[i] + "=" + lists.label(kWireOrder[i], *pos);
    }
    const auto timeout = parseIntIn((*v)[8], 0, kMaxTimeout);
    if (!timeout)
        return refused("timeout must be 0 to " + std::to_string(kMaxTimeout) + " seconds");
    shown += " timeout=" + std::to_string(*timeout) + "s";
    s.lastTestMessage = std::string(command);
    Outcome out = answer("done");
    out.notes.push_back(shown);
    out.notes.push_back("text: " + describeWireText(tag.rest, lists));
    return out;
}

bool isTestMessage(const Tag& tag)
{
    return tag.name.empty() && !tag.attrs.empty() && tag.attrs.front().first == "id"
        && parseInt(tag.attrs.front().second).has_value();
}

}  // namespace

std::optional<Outcome> handleMessageCommand(SignState& s, std::string_view command, std::time_t now)
{
    if (command == "DOWNLOAD_DEFAULT_MSG")
        return answer(defaultMessageDump(s));
    if (command == "RESET") {
        Outcome out = answer("done");
        out.notes.push_back("restarting");
        return out;
    }
    const auto tag = parseTag(command);
    if (!tag)
        return std::nullopt;
    if (tag->name == "DF")
        return defaultMessage(s, *tag);
    if (tag->name == "del") {
        const auto v = tag->values({"id"});
        if (!v || (*v)[0] != "def" || !tag->rest.empty())
            return refused("only <del id=def> is known");
        s.defaultMessage.text.clear();
        return answer("done");
    }
    if (tag->name == "TIME")
        return timeOnIdle(s, *tag);
    if (tag->name == "Time")
        return setClock(s, *tag, now);
    if (isTestMessage(*tag))
        return testMessage(s, *tag, command);
    return std::nullopt;
}

}  // namespace signsim
