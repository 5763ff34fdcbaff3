// default-message: the sign's default message read, and with --set written when it differs.
#include "cli/commands/commands.h"

#include "cli/messagecheck.h"
#include "config/catalogue.h"
#include "protocol/commands.h"
#include "session/defaultmessagesession.h"

namespace cli::commands {

namespace {

class DefaultMessage final : public SignCommand {
public:
    using SignCommand::SignCommand;

private:
    void begin() override
    {
        m_conversation = &startConversation<session::DefaultMessageSession>();
        // Nothing more is awaited once the message has come: the port goes there.
        m_conversation->setEndReadAtAnswer(true);
        emit progress(QStringLiteral("reading the default message"));
        m_reading = true;
        began(m_conversation->read(port().comNumber));
    }

    void conversationEnded(const session::MessageOutcome &outcome) override
    {
        if (!std::exchange(m_reading, false)) {
            finishAnswered(outcome, QStringLiteral("sent"));
            return;
        }
        if (!outcome.dump) {
            finish(ExitCode::NoAnswer, outcome.text);
            return;
        }
        // The next step runs outside the session's signal.
        QMetaObject::invokeMethod(this, [this, dump = *outcome.dump] { afterMessageRead(dump); }, Qt::QueuedConnection);
    }

    void afterMessageRead(const protocol::DefaultMessageDump &dump)
    {
        const Options &o = options();
        const QString &model = dump.model;
        const config::ModelOptionSet lists = config::SelectOptionSet(model, config::OptionWindow::DefaultMessage);
        protocol::DefaultMessageCodes codes;
        codes.font = dump.font.value_or(-1);
        codes.color = dump.color.value_or(-1);
        codes.style = dump.style.value_or(-1);
        codes.align = dump.alignment.value_or(-1);
        codes.speed = dump.speed.value_or(-1);
        codes.pause = dump.pause.value_or(-1);
        const protocol::DefaultMessageCodes held = codes;
        report().json.insert(QStringLiteral("before"), defaultMessageJson(held, *dump.text));
        if (!o.setMessage) {
            report().json.insert(QStringLiteral("defaultMessage"), defaultMessageJson(held, *dump.text));
            report().json.insert(QStringLiteral("changed"), false);
            finish(ExitCode::Done, QStringLiteral("\"%1\" (font %2, color %3)")
                                       .arg(protocol::encodeForSign(*dump.text))
                                       .arg(lists.font.value(codes.font, QString::number(codes.font)))
                                       .arg(lists.color.value(codes.color, QString::number(codes.color))));
            return;
        }
        if (!choose(lists.font, o.font, QStringLiteral("font"), model, codes.font)
            || !choose(lists.color, o.color, QStringLiteral("color"), model, codes.color))
            return;
        const QString text = o.messageLines.join(u'\n');
        if (const std::optional<QString> bad = protocol::firstUnsendableChar(text)) {
            finish(ExitCode::Usage, cannotShowText(*bad));
            return;
        }
        if (const std::optional<QChar> code = protocol::firstStoredCodeChar(text)) {
            finish(ExitCode::Usage, QStringLiteral("the character \"%1\" is a code of the sign; nothing was sent").arg(*code));
            return;
        }
        const bool changed = !holdsMessage(dump, codes, text);
        report().json.insert(QStringLiteral("defaultMessage"),
                             defaultMessageJson(changed ? codes : held, changed ? text : *dump.text));
        report().json.insert(QStringLiteral("changed"), changed);
        if (!changed) {
            finish(ExitCode::Done, QStringLiteral("nothing to send: the sign holds this message"));
            return;
        }
        if (o.check) {
            finish(ExitCode::Differences, QStringLiteral("would send the default message"));
            return;
        }
        emit progress(QStringLiteral("writing the default message"));
        began(m_conversation->upload(port().comNumber, {codes, text, false, false, 0}));
    }

    session::DefaultMessageSession *m_conversation = nullptr;
    bool m_reading = false;  // the dump is awaited
};

} // namespace

Made makeDefaultMessage(TaskPointer task, PortSpec port)
{
    return std::make_unique<DefaultMessage>(std::move(task), std::move(port));
}

} // namespace cli::commands
