#pragma once

#include "cli/signcommand.h"
#include "config/configdiff.h"
#include "config/ledfile.h"

#include <optional>

namespace cli::commands {

// write and diff: the .led file (or the JSON input) set against the configuration read.
class InputCommand : public SignCommand {
public:
    using SignCommand::SignCommand;

protected:
    // The input's values over the sign's as read: what write sends and diff compares. Nothing
    // (and finished) when the input names an entry the sign's lists lack.
    std::optional<config::LedFileRecord> meantRecord(const session::ReadConfiguration &read);
    // `differences` of the sign from the input, as lines under the result and in the JSON.
    void reportDifferences(const QList<config::ConfigDifference> &differences);
};

} // namespace cli::commands
