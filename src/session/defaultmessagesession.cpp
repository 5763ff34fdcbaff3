#include "session/defaultmessagesession.h"

#include "protocol/commands.h"

namespace session {

DefaultMessageSession::DefaultMessageSession(signlink::SignLink &link, ShownSource shown, QObject *parent)
    : MessageSession(link, DefaultMessagePace, parent), m_shown(std::move(shown))
{
    connect(this, &MessageSession::written, this, [this](int, const QString &command) { onWritten(command); });
}

DefaultMessageSession::~DefaultMessageSession() = default;

DefaultMessageSession::Shown DefaultMessageSession::shown() const
{
    return m_shown ? m_shown() : Shown{};
}

MessageStart DefaultMessageSession::upload(int comNumber, const Upload &message)
{
    const std::optional<QString> command =
        protocol::defaultMessageUploadCommand(message.codes, message.text, message.timeDisplayOn);
    if (command && !message.text.isEmpty()) {
        if (const std::optional<QChar> code = protocol::firstStoredCodeChar(message.text)) {
            MessageStart refused;
            refused.failure = MessageStart::Failure::Unsendable;
            refused.text = protocol::storedCodeRefusedText(*code);
            return refused;
        }
    }
    // The time display's values go whenever one of them may have changed; the format chosen on
    // loading counts, so they go with every upload while the time shows.
    m_timeCommand.reset();
    if (message.timeDisplayOn && message.displayChanged)
        m_timeCommand = protocol::timeOnIdleCommand(message.codes, message.timeFormat);

    if (command)
        emit commandShown(*command);
    const MessageStart start = startPlan(comNumber, defaultMessageUploadPlan(command, m_timeCommand));
    if (start.ok() && !command) {
        // The sign has no command for a message while it shows the time on idle.
        emit said(protocol::removeMessageHint());
        if (m_timeCommand)
            emit commandShown(*m_timeCommand);
    }
    return start;
}

void DefaultMessageSession::onWritten(const QString &command)
{
    if (!m_timeCommand)
        return;
    // The command box follows the upload: the time display's command once the message has
    // gone, and the restart after it.
    if (command == protocol::resetCommand())
        emit commandShown(*m_timeCommand + QStringLiteral(" , RESET"));
    else if (command != *m_timeCommand)
        emit commandShown(*m_timeCommand);
}

std::optional<MessageStart> DefaultMessageSession::load(int comNumber, bool messageHeld)
{
    if (messageHeld)
        return std::nullopt;
    m_timeCommand.reset();
    return startRead(comNumber, QStringLiteral("Data downloaded successfully from LED Sign"));
}

MessageStart DefaultMessageSession::switchTimeDisplay(int comNumber, bool on)
{
    m_windingUp = false;
    m_timeCommand.reset();
    const MessageStart start = startPlan(comNumber, timeDisplayPlan(on));
    if (start.ok())
        setNext([this, comNumber, on] { afterSwitch(comNumber, on); });
    return start;
}

void DefaultMessageSession::afterSwitch(int comNumber, bool on)
{
    if (on && !shown().editorEmpty)
        emit said(protocol::removeMessageHint());
    const bool readFollows = !m_windingUp;
    emit timeDisplaySwitched(on, readFollows);
    if (!readFollows) {
        finish(MessageOutcome::End::Closed);
        return;
    }
    const MessageStart read = startRead(comNumber, QString());
    if (!read.ok())
        finish(MessageOutcome::End::Failed, read.text);
}

void DefaultMessageSession::readLine(const QString &line)
{
    using Kind = protocol::DefaultMessageReply::Kind;
    const Shown now = shown();
    const protocol::DefaultMessageReply reply =
        protocol::interpretDefaultMessageReply(line, now.timeDisplayOn, now.editorEmpty, awaitingAnswer());
    switch (reply.kind) {
    case Kind::Nothing:
        break;
    case Kind::Refused:
        refuse();
        break;
    case Kind::ShowStatus:
        acknowledge(reply.status);
        break;
    case Kind::TimeDisplay:
        emit timeDisplayReported(reply.timeDisplayOn);
        break;
    case Kind::Dump:
        takeDump(reply.dump);
        break;
    }
}

} // namespace session
