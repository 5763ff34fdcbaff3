// Everything the simulated sign stores, and its factory configuration.
//
// Factory configuration (valid for every model's lists, and unlike an all-zero one):
//   priority  font style colour speed align pause beep timeout(s)
//      0        1    1     1      1     1     1    1     10
//      1        2    2     2      2     2     2    1     20
//      2        3    3     3      3     1     3    2     30
//      3        1    4     4      4     2     4    1     40
//      4        2    5     5      1     1     5    2     50
//   link ID 0: capcode 1000000 at priority 0; IDs 1-7 unlinked
//   auto ID on, user command "RESET", forced ID 0 off
//   default message "WELCOME", font 1 style 1 colour 1 speed 1 alignment 1 pause 1
//   time on idle off, its values font 1 style 1 colour 1 speed 1 alignment 1 pause 1 format 0
// Restoring it keeps the model, the build number and the clock.
#pragma once

#include "models.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace signsim {

inline constexpr int kPriorities = 5;
inline constexpr int kLinkIds = 8;
inline constexpr int kMaxCapcodes = 16;
inline constexpr int kMaxTimeout = 9999;  // seconds
inline constexpr int kMaxCapcodeDigits = 10;
inline constexpr int kTimeFormats = 8;

struct PriorityRow {
    std::array<int, kAttrCount> attrs{};  // list positions, indexed by Attr
    int timeout = 0;                      // seconds
    bool operator==(const PriorityRow&) const = default;
};

struct Link {
    int priority = 0;
    std::vector<std::string> capcodes;  // as received; empty means not linked
    bool operator==(const Link&) const = default;
};

// Font, style, colour, speed, alignment, pause: the default-message attributes in dump order.
using MessageAttrs = std::array<int, 6>;

struct DefaultMessage {
    MessageAttrs attrs{};  // list positions, -1 for unset
    std::string text;      // stored form: 170 line break, 171 + n time field n
    bool operator==(const DefaultMessage&) const = default;
};

struct IdleTime {
    bool on = false;
    MessageAttrs attrs{};
    int format = 0;
    bool operator==(const IdleTime&) const = default;
};

struct SignState {
    std::string model;
    std::optional<std::string> build;  // nullopt: the header carries no build number
    std::array<PriorityRow, kPriorities> rows{};
    std::array<Link, kLinkIds> links{};
    bool autoId = true;
    std::string userCommand;
    bool forceId0 = false;
    DefaultMessage defaultMessage;
    IdleTime idle;
    long long clockOffset = 0;    // seconds the sign's clock runs ahead of the computer's
    std::string lastTestMessage;  // the last test message command as received
    bool operator==(const SignState&) const = default;
};

SignState factoryState(std::string model, std::optional<std::string> build);
// Puts every setting back to the factory configuration; model, build and clock stay.
void restoreFactory(SignState& state);

int capcodeCount(const SignState& state);

// A list position the model has an entry for; allowUnset also lets -1 through.
bool validPosition(std::string_view model, Attr attr, int position, bool allowUnset = false);
// 1 to kMaxCapcodeDigits digits, not all zeros (0 marks an empty slot).
bool validCapcode(std::string_view capcode);
// The default-message and time-on-idle attributes (-1 allowed: models without lists send it).
bool validMessageAttrs(std::string_view model, const MessageAttrs& attrs);

// Empty when the whole state is one the sign could hold; otherwise what is wrong.
std::string validateState(const SignState& state);

}  // namespace signsim
