// read: the sign's configuration shown, or saved as a .led file.
#include "cli/commands/commands.h"

#include "cli/writeplan.h"
#include "config/catalogue.h"
#include "session/shownvalues.h"

namespace cli::commands {

namespace {

class Read final : public SignCommand {
public:
    using SignCommand::SignCommand;

private:
    void afterRead(const session::ReadConfiguration &read) override
    {
        const QString output = pathForSign(options().output, port());
        // Start values where the sign said nothing would be a configuration it never held.
        if (refuseIncomplete(read.missing, QString(),
                             output.isEmpty() ? QString() : QStringLiteral(" %1 was not written.").arg(output)))
            return;
        m_values = session::valuesAfterRead(read, session::startValues());
        const ConfigurationView view{read.dump.model, read.dump.build, m_values, read.unreadable};
        report().json.insert(QStringLiteral("configuration"), configurationJson(view));
        QString message =
            QStringLiteral("%1, build %2").arg(read.dump.model, read.dump.build.value_or(QStringLiteral("not given")));
        if (!read.unreadable.isEmpty())
            message += QStringLiteral("; not in the model's lists, left at their start values: %1")
                           .arg(read.unreadable.join(QStringLiteral(", ")));
        if (output.isEmpty()) {
            report().details = configurationLines(view);
            finish(ExitCode::Done, message);
            return;
        }
        report().json.insert(QStringLiteral("file"), output);
        const config::LedFileRecord record = config::ledFileRecord(read.dump.model, comPosition(), m_values, m_config);
        if (const std::optional<QString> why = saveLedFile(output, record)) {
            finish(ExitCode::FileError, QStringLiteral("%1 not written: %2").arg(output, *why));
            return;
        }
        finish(ExitCode::Done, message + QStringLiteral("; saved to ") + output);
    }
};

} // namespace

Made makeRead(TaskPointer task, PortSpec port)
{
    return std::make_unique<Read>(std::move(task), std::move(port));
}

} // namespace cli::commands
