#pragma once

#include "cli/signcommand.h"

#include <QTextStream>

#include <memory>

// The commands of the command line, one a file; makeCommand() (signcommand.h) chooses among them.
namespace cli::commands {

using Made = std::unique_ptr<SignCommand>;
using TaskPointer = std::shared_ptr<const Task>;

Made makeRead(TaskPointer task, PortSpec port);
Made makeWrite(TaskPointer task, PortSpec port);
Made makeDiff(TaskPointer task, PortSpec port);
Made makeSetClock(TaskPointer task, PortSpec port);
Made makeDefaultMessage(TaskPointer task, PortSpec port);
Made makeSend(TaskPointer task, PortSpec port);
Made makeFactoryDefaults(TaskPointer task, PortSpec port);

// ports: the COM numbers the port map knows, one line (or JSON object) each; no sign is asked.
int listPorts(const Options &options, QTextStream &out);

} // namespace cli::commands
