// factory-defaults: "<FD>", and the configuration it leaves read back.
#include "cli/commands/commands.h"

#include "session/shownvalues.h"

namespace cli::commands {

namespace {

class FactoryDefaults final : public SignCommand {
public:
    using SignCommand::SignCommand;

private:
    void begin() override
    {
        emit progress(QStringLiteral("restoring the factory defaults"));
        const session::ConfigSession::FactoryStart started = configSession().startFactoryDefaults(port().comNumber);
        if (!started.opening.ok())
            refuseOpening(started.opening);
        else if (!started.refusedText.isEmpty())
            finish(ExitCode::PortFailed, started.refusedText);
        // The session reads the configuration back by itself: afterRead() follows.
    }

    void afterRead(const session::ReadConfiguration &read) override
    {
        if (refuseIncomplete(read.missing, QStringLiteral("The factory defaults were sent, but not confirmed. ")))
            return;
        m_values = session::valuesAfterRead(read, session::startValues());
        report().json.insert(QStringLiteral("configuration"),
                             configurationJson({read.dump.model, read.dump.build, m_values, read.unreadable}));
        finish(ExitCode::Done, QStringLiteral("factory defaults restored, read back"));
    }
};

} // namespace

Made makeFactoryDefaults(TaskPointer task, PortSpec port)
{
    return std::make_unique<FactoryDefaults>(std::move(task), std::move(port));
}

} // namespace cli::commands
