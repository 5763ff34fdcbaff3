#include "cli/commands/inputcommand.h"

#include "config/catalogue.h"
#include "session/shownvalues.h"

namespace cli::commands {

std::optional<config::LedFileRecord> InputCommand::meantRecord(const session::ReadConfiguration &read)
{
    m_values = session::valuesAfterRead(read, session::startValues());
    const config::LedFileRecord seed = config::ledFileRecord(read.dump.model, comPosition(), m_values, m_config);
    if (task().file)
        return task().file->appliedOver(seed);
    const JsonInput::Applied applied = task().json->appliedOver(
        seed, read.dump.model, config::SelectOptionSet(read.dump.model, config::OptionWindow::Main));
    if (!applied.record)
        refuse(ExitCode::FileError, applied.error + u'.');
    return applied.record;
}

void InputCommand::reportDifferences(const QList<config::ConfigDifference> &differences)
{
    for (const config::ConfigDifference &d : differences)
        report().details << QStringLiteral("  ") + differenceText(d, QStringLiteral("on the sign"), task().sourceText());
    report().json.insert(QStringLiteral("differences"), differencesJson(differences));
}

} // namespace cli::commands
