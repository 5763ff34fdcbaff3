#include "cli/commands/commands.h"

namespace cli {

std::unique_ptr<SignCommand> makeCommand(std::shared_ptr<const Task> task, PortSpec port)
{
    using namespace commands;
    switch (task->options.command) {
    case Command::Read: return makeRead(std::move(task), std::move(port));
    case Command::Write: return makeWrite(std::move(task), std::move(port));
    case Command::Diff: return makeDiff(std::move(task), std::move(port));
    case Command::SetClock: return makeSetClock(std::move(task), std::move(port));
    case Command::DefaultMessage: return makeDefaultMessage(std::move(task), std::move(port));
    case Command::Send: return makeSend(std::move(task), std::move(port));
    case Command::FactoryDefaults: return makeFactoryDefaults(std::move(task), std::move(port));
    case Command::Ports: break;
    }
    return nullptr;
}

} // namespace cli
