// The two halves of the command set, used by handleCommand. Each returns nullopt for a command
// that is not one of its own.
#pragma once

#include "commands.h"

namespace signsim {

Outcome answer(std::string reply);
Outcome refused(std::string reason);

std::optional<Outcome> handleConfigCommand(SignState& state, std::string_view command);
std::optional<Outcome> handleMessageCommand(
    SignState& state, std::string_view command, std::time_t now);

}  // namespace signsim
