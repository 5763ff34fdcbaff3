#include "cli/signjob.h"

#include "cli/messagecheck.h"
#include "cli/report.h"
#include "cli/writeplan.h"
#include "config/configdiff.h"
#include "link/mappedsignport.h"
#include "config/catalogue.h"
#include "protocol/commands.h"
#include "protocol/testmessage.h"
#include "session/defaultmessagesession.h"
#include "session/sentences.h"
#include "session/testmessagesession.h"
#include "session/shownvalues.h"

#include <QDateTime>
#include <QRegularExpression>

#include <algorithm>

namespace cli {

namespace {

// A list entry as the operator names it: its position, or its text in any letter case.
std::optional<int> positionIn(const QStringList &list, const QString &given)
{
    bool number = false;
    const int position = given.toInt(&number);
    if (number)
        return position >= 0 && position < list.size() ? std::optional<int>(position) : std::nullopt;
    for (qsizetype k = 0; k < list.size(); ++k)
        if (list.at(k).compare(given.trimmed(), Qt::CaseInsensitive) == 0)
            return int(k);
    return std::nullopt;
}

// A cut answer, in the words of a result line.
QString incompleteText(const session::ReadConfiguration &read)
{
    return QStringLiteral("The sign's answer was incomplete: %1").arg(protocol::missingPartsText(read.missing));
}

} // namespace

SignJob::SignJob(std::shared_ptr<const Task> task, PortSpec port) : m_task(std::move(task)), m_port(std::move(port))
{
    m_result.port = m_port.label();
}

SignJob::~SignJob() = default;

int SignJob::comPosition() const
{
    // A sign given by its device has no COM number; its file says COM 1, as a fresh window does.
    return m_port.direct ? 0 : m_port.comNumber - 1;
}

QString SignJob::tidy(QString text) const
{
    if (!m_port.direct)
        return text;
    const QString com = QStringLiteral("COM %1").arg(m_port.comNumber);
    text.replace(QRegularExpression(QRegularExpression::escape(com) + QStringLiteral(" \\(([^)]*)\\)")),
                 QStringLiteral("\\1"));
    text.replace(com + QStringLiteral(": "), QString());
    text.replace(com, m_port.label());
    return text;
}

void SignJob::start()
{
    m_link = std::make_unique<signlink::SignLink>(std::make_unique<signlink::MappedSignPort>(m_port.portMap()));
    switch (m_task->options.command) {
    case Command::SetClock: {
        session::DefaultMessageSession &messages = startMessages<session::DefaultMessageSession>();
        emit progress(QStringLiteral("setting the clock"));
        runMessages(messages.setClock(m_port.comNumber, QDateTime::currentDateTime()));
        return;
    }
    case Command::DefaultMessage: {
        session::DefaultMessageSession &messages = startMessages<session::DefaultMessageSession>();
        // Nothing more is awaited once the message has come: the port goes there.
        messages.setEndReadAtAnswer(true);
        emit progress(QStringLiteral("reading the default message"));
        m_readingMessage = true;
        runMessages(messages.read(m_port.comNumber));
        return;
    }
    default:
        break;
    }
    // As the main window reads: an unfinished line is dropped after 10 quiet ticks.
    m_link->setLineTimeout(10);
    m_session = std::make_unique<session::ConfigSession>(*m_link, m_config, [this] { return m_values; });
    // A command line has nothing to show between the dump and the closing tick.
    m_session->setEndReadAtDump(true);
    connect(m_session.get(), &session::ConfigSession::configurationRead, this,
            [this](const session::ReadConfiguration &read) { m_read = read; });
    connect(m_session.get(), &session::ConfigSession::readEnded, this, &SignJob::onReadEnded);
    connect(m_session.get(), &session::ConfigSession::readNotStarted, this,
            [this](int, const signlink::OpenResult &result) {
                finish(ExitCode::PortFailed, tidy(result.description) + QStringLiteral(" Nothing was sent."));
            });
    connect(m_session.get(), &session::ConfigSession::uploadEnded, this, &SignJob::onUploadEnded);
    connect(m_session.get(), &session::ConfigSession::connectionLost, this, [this](const QString &description, bool) {
        finish(ExitCode::PortFailed, tidy(session::connectionLostText(description)));
    });
    connect(m_session.get(), &session::ConfigSession::linkAdjusted, this,
            [this](int id, const QString &capcode, int priority) {
                m_values.links[id] = {capcode, static_cast<qint16>(priority)};
            });

    switch (m_task->options.command) {
    case Command::FactoryDefaults: {
        emit progress(QStringLiteral("restoring the factory defaults"));
        const session::ConfigSession::FactoryStart started = m_session->startFactoryDefaults(m_port.comNumber);
        if (!started.opening.ok()) {
            finish(ExitCode::PortFailed, tidy(started.opening.description) + QStringLiteral(" Nothing was sent."));
            return;
        }
        if (!started.refusedText.isEmpty()) {
            finish(ExitCode::PortFailed, started.refusedText);
            return;
        }
        // FactoryDef reads the configuration back by itself.
        m_afterRead = [this](const session::ReadConfiguration &read) {
            if (refuseIncomplete(read, QStringLiteral("The factory defaults were sent, but not confirmed. ")))
                return;
            m_values = session::valuesAfterRead(read, session::startValues());
            m_result.json.insert(QStringLiteral("configuration"),
                                 configurationJson({read.dump.model, read.dump.build, m_values, read.unreadable}));
            finish(ExitCode::Done, QStringLiteral("factory defaults restored, read back"));
        };
        return;
    }
    default:
        readSign([this](const session::ReadConfiguration &read) { afterRead(read); });
        return;
    }
}

void SignJob::readSign(AfterRead then)
{
    emit progress(QStringLiteral("reading the configuration"));
    m_afterRead = std::move(then);
    m_read.reset();
    m_session->startRead(m_port.comNumber);  // a failure comes as readNotStarted
}

void SignJob::onReadEnded(const session::ReadOutcome &outcome)
{
    if (m_finished)
        return;
    if (!m_read) {
        QString message = tidy(outcome.failureText());
        if (m_task->options.command == Command::Write && !m_sent.isEmpty())
            message += QStringLiteral(" Sent before: %1.").arg(itemNames(m_sent));
        finish(ExitCode::NoAnswer, message);
        return;
    }
    if (m_afterRead)
        m_afterRead(*m_read);
}

bool SignJob::refuseIncomplete(const session::ReadConfiguration &read, const QString &before, const QString &after)
{
    if (read.missing.isEmpty())
        return false;
    m_result.json.insert(QStringLiteral("missing"), missingJson(read.missing));
    finish(ExitCode::NoAnswer, before + incompleteText(read) + u'.' + after);
    return true;
}

void SignJob::afterRead(const session::ReadConfiguration &read)
{
    switch (m_task->options.command) {
    case Command::Read:
        saveFile(read);
        return;
    case Command::Write:
        write(read);
        return;
    case Command::Diff:
        diff(read);
        return;
    case Command::Send:
        sendTestMessage(read);
        return;
    default:
        finish(ExitCode::Done, QString());
        return;
    }
}

template <typename Session>
Session &SignJob::startMessages()
{
    // The secondary windows keep an unfinished line until its line feed.
    m_link->setLineTimeout(0);
    auto messages = std::make_unique<Session>(*m_link);
    Session &made = *messages;
    // A sign given by its device is named so in every sentence.
    if (m_port.direct)
        made.setPortLabel(m_port.label());
    connect(&made, &session::MessageSession::finished, this, &SignJob::onMessagesEnded);
    m_messages = std::move(messages);
    return made;
}

void SignJob::runMessages(const session::MessageStart &started)
{
    switch (started.failure) {
    case session::MessageStart::Failure::None:
        return;
    case session::MessageStart::Failure::Unsendable:
        finish(ExitCode::Usage, started.text + QStringLiteral(" Nothing was sent."));
        return;
    case session::MessageStart::Failure::NotOpened:
        finish(ExitCode::PortFailed, tidy(started.opening.description) + QStringLiteral(" Nothing was sent."));
        return;
    case session::MessageStart::Failure::NotWritten:
        finish(ExitCode::PortFailed, started.text + QStringLiteral(" Nothing was sent."));
        return;
    }
}

void SignJob::onMessagesEnded(const session::MessageOutcome &outcome)
{
    using End = session::MessageOutcome::End;
    if (outcome.end != End::Closed) {
        // What the port said of a lost line may name the COM number it was opened by.
        finish(ExitCode::PortFailed, outcome.end == End::Lost ? tidy(outcome.text) : outcome.text);
        return;
    }
    if (m_readingMessage) {
        m_readingMessage = false;
        if (!outcome.dump) {
            finish(ExitCode::NoAnswer, outcome.text);
            return;
        }
        // The next step runs outside the session's signal.
        QMetaObject::invokeMethod(this, [this, dump = *outcome.dump] { setDefaultMessage(dump); }, Qt::QueuedConnection);
        return;
    }
    if (outcome.refused)
        finish(ExitCode::Differences, QStringLiteral("the sign answered \"error\""));
    else if (outcome.acknowledged)
        finish(ExitCode::Done, m_task->options.command == Command::SetClock ? QStringLiteral("clock set")
                                                                            : QStringLiteral("sent"));
    else
        finish(ExitCode::NoAnswer, session::noAnswerText(m_messages->portLabel()));
}

bool SignJob::choose(const QStringList &list, const QString &given, const QString &what, const QString &model,
                     int &position)
{
    if (given.isEmpty())
        return true;
    const std::optional<int> found = positionIn(list, given);
    if (!found) {
        finish(ExitCode::Usage, QStringLiteral("no %1 \"%2\" on a %3; choose one of %4. Nothing was sent.")
                                    .arg(what, given, model, choicesText(list)));
        return false;
    }
    position = *found;
    return true;
}

void SignJob::setDefaultMessage(const protocol::DefaultMessageDump &dump)
{
    const Options &o = m_task->options;
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
    m_result.json.insert(QStringLiteral("before"), defaultMessageJson(held, *dump.text));
    if (!o.setMessage) {
        m_result.json.insert(QStringLiteral("defaultMessage"), defaultMessageJson(held, *dump.text));
        m_result.json.insert(QStringLiteral("changed"), false);
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
        finish(ExitCode::Usage, QStringLiteral("the sign cannot show the character \"%1\"; nothing was sent").arg(*bad));
        return;
    }
    if (const std::optional<QChar> code = protocol::firstStoredCodeChar(text)) {
        finish(ExitCode::Usage, QStringLiteral("the character \"%1\" is a code of the sign; nothing was sent").arg(*code));
        return;
    }
    const bool changed = !holdsMessage(dump, codes, text);
    m_result.json.insert(QStringLiteral("defaultMessage"), defaultMessageJson(changed ? codes : held, changed ? text : *dump.text));
    m_result.json.insert(QStringLiteral("changed"), changed);
    if (!changed) {
        finish(ExitCode::Done, QStringLiteral("nothing to send: the sign holds this message"));
        return;
    }
    if (o.check) {
        finish(ExitCode::Differences, QStringLiteral("would send the default message"));
        return;
    }
    emit progress(QStringLiteral("writing the default message"));
    runMessages(static_cast<session::DefaultMessageSession &>(*m_messages)
                    .upload(m_port.comNumber, {codes, text, false, false, 0}));
}

void SignJob::sendTestMessage(const session::ReadConfiguration &read)
{
    const Options &o = m_task->options;
    // As the test-message window starts: the display defaults of priority 0, message ID 0. Only
    // those must have come: the message would go in start values the sign never reported.
    if (read.missing.contains(protocol::MissingPart{protocol::MissingPart::Kind::Priority, 0})
        && refuseIncomplete(read, QString(), QStringLiteral(" Nothing was sent.")))
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
        finish(ExitCode::Usage, QStringLiteral("the sign cannot show the character \"%1\"; nothing was sent").arg(*encoded.unsendable));
        return;
    }
    m_result.json.insert(QStringLiteral("sentCommand"), encoded.command);
    // The configuration request is over: the test message's own conversation takes the port,
    // once the request's session has returned from the signal that brought us here.
    QMetaObject::invokeMethod(
        this,
        [this, command = encoded.command] {
            if (m_finished)
                return;
            m_session.reset();
            session::TestMessageSession &messages = startMessages<session::TestMessageSession>();
            emit progress(QStringLiteral("sending the test message"));
            runMessages(messages.send(m_port.comNumber, command));
        },
        Qt::QueuedConnection);
}

void SignJob::saveFile(const session::ReadConfiguration &read)
{
    const QString output = pathForSign(m_task->options.output, m_port);
    // Start values where the sign said nothing would be a configuration it never held.
    if (refuseIncomplete(read, QString(),
                         output.isEmpty() ? QString() : QStringLiteral(" %1 was not written.").arg(output)))
        return;
    m_values = session::valuesAfterRead(read, session::startValues());
    const ConfigurationView view{read.dump.model, read.dump.build, m_values, read.unreadable};
    m_result.json.insert(QStringLiteral("configuration"), configurationJson(view));
    QString message = QStringLiteral("%1, build %2").arg(read.dump.model, read.dump.build.value_or(QStringLiteral("not given")));
    if (!read.unreadable.isEmpty())
        message += QStringLiteral("; not in the model's lists, left at their start values: %1")
                       .arg(read.unreadable.join(QStringLiteral(", ")));
    if (output.isEmpty()) {
        m_result.details = configurationLines(view);
        finish(ExitCode::Done, message);
        return;
    }
    m_result.json.insert(QStringLiteral("file"), output);
    const config::LedFileRecord record = config::ledFileRecord(read.dump.model, qint16(comPosition()), m_values, m_config);
    if (const std::optional<QString> why = saveLedFile(output, record)) {
        finish(ExitCode::FileError, QStringLiteral("%1 not written: %2").arg(output, *why));
        return;
    }
    finish(ExitCode::Done, message + QStringLiteral("; saved to ") + output);
}

QString Task::sourceKind() const
{
    return file ? QStringLiteral("file") : QStringLiteral("input");
}

QString Task::sourceText() const
{
    return file ? QStringLiteral("in ") + file->path : QStringLiteral("in the input");
}

std::optional<config::LedFileRecord> SignJob::meantRecord(const session::ReadConfiguration &read)
{
    m_values = session::valuesAfterRead(read, session::startValues());
    const config::LedFileRecord seed = config::ledFileRecord(read.dump.model, qint16(comPosition()), m_values, m_config);
    if (m_task->file)
        return m_task->file->appliedOver(seed);
    const JsonInput::Applied applied = m_task->json->appliedOver(
        seed, read.dump.model, config::SelectOptionSet(read.dump.model, config::OptionWindow::Main));
    if (!applied.record)
        finish(ExitCode::FileError, applied.error + QStringLiteral(". Nothing was sent."));
    return applied.record;
}

QList<config::ConfigDifference> SignJob::differencesWith(const session::ReadConfiguration &read) const
{
    return config::compareConfigurations(config::comparedFromDump(read.dump), config::comparedFromLedFile(m_meant),
                                         config::comparisonLists(read.dump.model));
}

void SignJob::diff(const session::ReadConfiguration &read)
{
    const std::optional<config::LedFileRecord> meant = meantRecord(read);
    if (!meant)
        return;
    m_meant = *meant;
    const QList<config::ConfigDifference> differences = differencesWith(read);
    const QString fileSide = m_task->sourceText();
    for (const config::ConfigDifference &d : differences)
        m_result.details << QStringLiteral("  ") + differenceText(d, QStringLiteral("on the sign"), fileSide);
    m_result.json.insert(QStringLiteral("differences"), differencesJson(differences));
    // What the sign did not send is listed as not read; the rest was compared.
    const auto differing = std::count_if(differences.cbegin(), differences.cend(),
                                         [](const config::ConfigDifference &d) { return d.onSign.has_value(); });
    if (refuseIncomplete(read, QString(),
                         differing == 1 ? QStringLiteral(" 1 difference in the rest.")
                                        : QStringLiteral(" %1 differences in the rest.").arg(differing)))
        return;
    if (differences.isEmpty())
        finish(ExitCode::Done, QStringLiteral("no differences"));
    else
        finish(ExitCode::Differences,
               differences.size() == 1 ? QStringLiteral("1 difference") : QStringLiteral("%1 differences").arg(differences.size()));
}

void SignJob::write(const session::ReadConfiguration &read)
{
    const Options &o = m_task->options;
    m_result.json.insert(QStringLiteral("check"), o.check);
    // Positions mean other entries on another model: sending them would set other values.
    if (m_task->file && !m_task->file->model.isEmpty() && m_task->file->model != read.dump.model) {
        finish(ExitCode::FileError, QStringLiteral("%1 is for model %2, but the sign is a %3. Nothing was sent.")
                                        .arg(m_task->file->path, m_task->file->model, read.dump.model));
        return;
    }
    // Without the sign's values the comparison would take start values for them: an item the
    // file holds as a start value would not be sent whatever the sign holds.
    const bool force = o.force;
    if (!force && refuseIncomplete(read, QString(), QStringLiteral(" Nothing was sent; --force sends every item "
                                                                   "of the %1 regardless.").arg(m_task->sourceKind())))
        return;
    const std::optional<config::LedFileRecord> meant = meantRecord(read);
    if (!meant)
        return;
    m_meant = *meant;
    m_before = {read.dump.model, read.dump.build, m_values, read.unreadable};
    m_result.json.insert(QStringLiteral("before"), configurationJson(m_before));
    m_values = session::valuesFromRecord(m_meant, m_values);
    if (!read.missing.isEmpty())
        m_result.json.insert(QStringLiteral("missing"), missingJson(read.missing));
    // The user command is not in the file: what goes is the sign's own, and one it did not
    // report is not sent at all.
    const bool userCommandUnread = force && !read.dump.userCommand;
    const QList<int> toSend = itemsToSend(m_config, m_values, force, !userCommandUnread);
    if (o.check) {
        reportCheck(toSend);
        return;
    }
    if (!o.backup.isEmpty() && !saveBackup(read))
        return;
    if (toSend.isEmpty()) {
        m_result.json.insert(QStringLiteral("toSend"), QJsonArray());
        m_result.json.insert(QStringLiteral("sent"), QJsonArray());
        // Nothing to send; what was just read is what a verify would read.
        if (o.verify) {
            verify(read);
        } else {
            m_result.json.insert(QStringLiteral("configuration"), configurationJson(m_before));
            finish(ExitCode::Done, QStringLiteral("nothing to send: the sign holds what the %1 says")
                                       .arg(m_task->sourceKind()));
        }
        return;
    }
    if (userCommandUnread) {
        m_config.flags.setAll();
        m_config.flags.setItem(config::UserCommandItem, false);
    }
    const session::ConfigSession::UploadStart started =
        m_session->startUpload(m_port.comNumber, force && !userCommandUnread);
    if (started.refusal) {
        const QString source = m_task->file ? m_task->file->path : QStringLiteral("standard input");
        finish(ExitCode::FileError, QStringLiteral("%1: %2 Nothing was sent.").arg(source, started.refusal->simplified()));
        return;
    }
    if (!started.opening.ok()) {
        finish(ExitCode::PortFailed, tidy(started.opening.description) + QStringLiteral(" Nothing was sent."));
        return;
    }
    m_toSend = m_config.flags.items();
    m_result.json.insert(QStringLiteral("toSend"), itemNamesJson(m_toSend));
    emit progress(QStringLiteral("sending %1").arg(itemNames(m_toSend)));
}

void SignJob::reportCheck(const QList<int> &toSend)
{
    m_result.json.insert(QStringLiteral("toSend"), itemNamesJson(toSend));
    m_result.json.insert(QStringLiteral("sent"), QJsonArray());
    m_result.json.insert(QStringLiteral("configuration"), configurationJson(withItems(m_before, toSend, m_values)));
    if (toSend.isEmpty())
        finish(ExitCode::Done, QStringLiteral("nothing would be sent: the sign holds what the %1 says")
                                   .arg(m_task->sourceKind()));
    else
        finish(ExitCode::Differences, QStringLiteral("would send %1").arg(itemNames(toSend)));
}

bool SignJob::saveBackup(const session::ReadConfiguration &read)
{
    const QString path = pathForSign(m_task->options.backup, m_port);
    // Start values where the sign said nothing would be a configuration it never held.
    if (refuseIncomplete(read, QString(), QStringLiteral(" %1 was not written, and nothing was sent.").arg(path)))
        return false;
    const config::LedFileRecord record = config::ledFileRecord(read.dump.model, qint16(comPosition()), m_before.values, m_config);
    if (const std::optional<QString> why = saveLedFile(path, record)) {
        finish(ExitCode::FileError, QStringLiteral("%1 not written: %2. Nothing was sent.").arg(path, *why));
        return false;
    }
    m_result.json.insert(QStringLiteral("backup"), path);
    return true;
}

QString SignJob::sentText() const
{
    QList<int> notSent;
    for (const int item : m_toSend)
        if (!m_sent.contains(item))
            notSent << item;
    return QStringLiteral("Sent: %1. Not sent: %2.").arg(itemNames(m_sent), itemNames(notSent));
}

void SignJob::onUploadEnded(const session::UploadOutcome &outcome)
{
    // What is still flagged did not go; what the sign refused went, and was flagged again.
    const QList<int> pending = m_config.flags.items();
    m_sent.clear();
    for (const int item : m_toSend)
        if (!pending.contains(item) || outcome.refused.contains(item))
            m_sent << item;
    m_refused = outcome.refused;
    // The upload went on without a backup; whoever ran it is told, whatever the result.
    if (!outcome.backupNote.isEmpty()) {
        m_result.details << QStringLiteral("  ") + outcome.backupNote;
        m_result.json.insert(QStringLiteral("noBackup"), outcome.backupNote);
    }
    m_result.json.insert(QStringLiteral("sent"), itemNamesJson(m_sent));
    if (outcome.completed && !m_task->options.verify) {
        QList<int> taken = m_sent;
        for (const int item : outcome.refused)
            taken.removeAll(item);
        m_result.json.insert(QStringLiteral("configuration"), configurationJson(withItems(m_before, taken, m_values)));
    }
    if (!outcome.completed) {
        finish(ExitCode::PortFailed, tidy(outcome.stopText).simplified() + u' ' + sentText());
        return;
    }
    if (m_task->options.verify) {
        emit progress(QStringLiteral("reading back"));
        readSign([this](const session::ReadConfiguration &read) { verify(read); });
        return;
    }
    if (!outcome.refused.isEmpty()) {
        finish(ExitCode::Differences, outcome.refusalText().section(u'.', 0, 0) + u'.');
        return;
    }
    finish(ExitCode::Done, QStringLiteral("sent %1").arg(itemNames(m_sent)));
}

void SignJob::verify(const session::ReadConfiguration &read)
{
    const QList<config::ConfigDifference> differences = differencesWith(read);
    for (const config::ConfigDifference &d : differences)
        m_result.details << QStringLiteral("  ") + differenceText(d, QStringLiteral("on the sign"), m_task->sourceText());
    m_result.json.insert(QStringLiteral("differences"), differencesJson(differences));
    if (read.missing.isEmpty())
        m_result.json.insert(QStringLiteral("configuration"),
                             configurationJson({read.dump.model, read.dump.build,
                                                session::valuesAfterRead(read, session::startValues()), read.unreadable}));
    const QString sent = m_sent.isEmpty() ? QStringLiteral("nothing sent") : QStringLiteral("sent %1").arg(itemNames(m_sent));
    // What the sign did not send back cannot be confirmed.
    if (refuseIncomplete(read, sent + QStringLiteral("; not verified. ")))
        return;
    if (differences.isEmpty()) {
        finish(ExitCode::Done, sent + QStringLiteral("; verified"));
        return;
    }
    QStringList subjects;
    for (const config::ConfigDifference &d : differences)
        subjects << d.text().section(QStringLiteral(": "), 0, 0);
    subjects.removeDuplicates();
    finish(ExitCode::Differences, sent + QStringLiteral("; verify failed: %1").arg(subjects.join(QStringLiteral(", "))));
}

void SignJob::finish(ExitCode code, const QString &message)
{
    if (m_finished)
        return;
    m_finished = true;
    m_result.code = code;
    m_result.message = message;
    // Called from inside the session's signals: the session and its link go once they return.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_messages.reset();
            m_session.reset();
            m_link.reset();
            emit finished();
        },
        Qt::QueuedConnection);
}

} // namespace cli
