// What the sign does with one received command (its CR already removed).
#pragma once

#include "signstate.h"

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace signsim {

struct Outcome {
    std::optional<std::string> reply;  // the answer line without its terminator
    bool changed = false;              // the stored state differs from before
    bool isDump = false;               // the reply is the configuration dump
    std::vector<std::string> notes;    // shown to the person watching
};

// Carries out the command on state. A command the sign does not understand, or one whose
// values it could not hold, is answered "error" and leaves state as it was. now is the
// computer's clock, against which the sign keeps its own.
Outcome handleCommand(SignState& state, std::string_view command, std::time_t now);

}  // namespace signsim
