// diff: the sign's configuration set against a .led file.
#include "cli/commands/commands.h"
#include "cli/commands/inputcommand.h"

#include <algorithm>

namespace cli::commands {

namespace {

class Diff final : public InputCommand {
public:
    using InputCommand::InputCommand;

private:
    void afterRead(const session::ReadConfiguration &read) override
    {
        const std::optional<config::LedFileRecord> meant = meantRecord(read);
        if (!meant)
            return;
        // The comparison Compare with Sign makes of the sign and a file.
        const QList<config::ConfigDifference> differences =
            config::differencesFromSign(read.dump, config::comparedFromLedFile(*meant));
        reportDifferences(differences);
        // What the sign did not send is listed as not read; the rest was compared.
        const auto differing = std::count_if(differences.cbegin(), differences.cend(),
                                             [](const config::ConfigDifference &d) { return d.onSign.has_value(); });
        if (refuseIncomplete(read.missing, QString(),
                             differing == 1 ? QStringLiteral(" 1 difference in the rest.")
                                            : QStringLiteral(" %1 differences in the rest.").arg(differing)))
            return;
        if (differences.isEmpty())
            finish(ExitCode::Done, QStringLiteral("no differences"));
        else
            finish(ExitCode::Differences, differences.size() == 1 ? QStringLiteral("1 difference")
                                                                  : QStringLiteral("%1 differences").arg(differences.size()));
    }
};

} // namespace

Made makeDiff(TaskPointer task, PortSpec port)
{
    return std::make_unique<Diff>(std::move(task), std::move(port));
}

} // namespace cli::commands
