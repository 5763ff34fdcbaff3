#include "commands.h"

#include "handlers.h"

namespace signsim {

Outcome answer(std::string reply)
{
    Outcome out;
    out.reply = std::move(reply);
    return out;
}

Outcome refused(std::string reason)
{
    Outcome out;
    out.reply = "error";
    out.notes.push_back("refused: " + std::move(reason));
    return out;
}

Outcome handleCommand(SignState& state, std::string_view command, std::time_t now)
{
    // Work on a copy so that a refused command cannot leave half its changes behind.
    SignState next = state;
    std::optional<Outcome> out = handleConfigCommand(next, command);
    if (!out)
        out = handleMessageCommand(next, command, now);
    if (!out)
        out = refused("unknown command");
    if (out->reply == "error")
        return *out;
    out->changed = next != state;
    state = std::move(next);
    return *out;
}

}  // namespace signsim
