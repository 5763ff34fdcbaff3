// send: a test message in the display defaults of priority 0, as the test-message window sends it.
#include "cli/commands/commands.h"

#include "config/catalogue.h"
#include "protocol/testmessage.h"
#include "session/shownvalues.h"
#include "session/testmessagesession.h"

namespace cli::commands {

namespace {

class Send final : public SignCommand {
public:
    using SignCommand::SignCommand;

private:
    void afterRead(const session::ReadConfiguration &read) override
    {
        const Options &o = options();
        // As the test-message window starts: the display defaults of priority 0, message ID 0.
        // Only those must have come: the message would go in start values the sign never reported.
        if (read.missing.contains(protocol::MissingPart{protocol::MissingPart::Kind::Priority, 0})
            && refuseIncomplete(read.missing, QString(), nothingSentText()))
            return;
        m_values = session::valuesAfterRead(read, session::startValues());
        const config::PriorityDefaults &row = m_values.priorities[0];
        const QString &model = read.dump.model;
        const config::ModelOptionSet lists = config::SelectOptionSet(model, config::OptionWindow::TestMessage);
        protocol::PriorityCodes codes;
        for (const config::Attribute attribute : config::AllAttributes) {
            const qint16 position = config::attributeOf(row, attribute);
            config::attributeOf(codes, attribute) = position < config::attributeOf(lists, attribute).size() ? position : -1;
        }
        if (!choose(lists.font, o.font, QStringLiteral("font"), model, codes.font)
            || !choose(lists.color, o.color, QStringLiteral("color"), model, codes.color))
            return;
        // The whole text in the chosen font and colour, as the editor holds it after choosing them.
        QList<protocol::ComposedChar> chars;
        const protocol::EditorFont font = protocol::fontAttributes(codes.font).value_or(protocol::EditorFont{});
        const protocol::Rgb color = protocol::previewColor(codes.color).value_or(protocol::Rgb{});
        for (const QChar c : o.text)
            chars.append({c, font, color});
        const protocol::EncodedTestMessage encoded = protocol::encodeTestMessage(chars, 0, codes, row.timeout);
        if (encoded.unsendable) {
            finish(ExitCode::Usage, cannotShowText(*encoded.unsendable));
            return;
        }
        report().json.insert(QStringLiteral("sentCommand"), encoded.command);
        // The configuration request is over: the test message's own conversation takes the port,
        // once the request's session has returned from the signal that brought us here.
        QMetaObject::invokeMethod(
            this,
            [this, command = encoded.command] {
                if (isFinished())
                    return;
                session::TestMessageSession &conversation = startConversation<session::TestMessageSession>();
                emit progress(QStringLiteral("sending the test message"));
                began(conversation.send(port().comNumber, command));
            },
            Qt::QueuedConnection);
    }
};

} // namespace

Made makeSend(TaskPointer task, PortSpec port)
{
    return std::make_unique<Send>(std::move(task), std::move(port));
}

} // namespace cli::commands
