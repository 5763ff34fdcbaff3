// set-clock: the sign's clock set to this computer's.
#include "cli/commands/commands.h"

#include "session/defaultmessagesession.h"

#include <QDateTime>

namespace cli::commands {

namespace {

class SetClock final : public SignCommand {
public:
    using SignCommand::SignCommand;

private:
    void begin() override
    {
        session::DefaultMessageSession &conversation = startConversation<session::DefaultMessageSession>();
        emit progress(QStringLiteral("setting the clock"));
        began(conversation.setClock(port().comNumber, QDateTime::currentDateTime()));
    }

    void conversationEnded(const session::MessageOutcome &outcome) override
    {
        finishAnswered(outcome, QStringLiteral("clock set"));
    }
};

} // namespace

Made makeSetClock(TaskPointer task, PortSpec port)
{
    return std::make_unique<SetClock>(std::move(task), std::move(port));
}

} // namespace cli::commands
