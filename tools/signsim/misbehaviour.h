// The faults the sign can be told to commit, so that a tool's check of what the sign stored
// can be seen to work: one configuration command ignored, or one stored with another value.
#pragma once

#include "signstate.h"
#include "tag.h"

#include <optional>
#include <string>
#include <string_view>

namespace signsim {

// The commands that change what the sign stores and that the configuration dump reports.
enum class StoredKind { PriorityRow, IdMode, UserCommand, Link };

// The kind of a command by its form alone, whether or not its values are ones the sign takes.
std::optional<StoredKind> storedKind(const Tag& tag);
std::optional<StoredKind> storedKind(std::string_view command);

// After command has been carried out on before, giving state: makes state hold another value
// for it, the same one every time. Returns what it did, for the log; nullopt when there was
// nothing to alter (a removal of a link that was not there).
//   priority row: its colour moves to the next entry of the model's list, the last to the first
//   ID mode:      flipped
//   user command: "X" appended
//   link:         the last digit of its last capcode goes one up, a 9 down to 8
//   link removal: the link stays as it was
std::optional<std::string> corruptStored(
    const SignState& before, SignState& state, std::string_view command);

}  // namespace signsim
