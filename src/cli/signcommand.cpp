#include "cli/signcommand.h"

#include "link/mappedsignport.h"
#include "session/sentences.h"

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

} // namespace

QString cannotShowText(const QString &character)
{
    return QStringLiteral("the sign cannot show the character \"%1\"; nothing was sent").arg(character);
}

QString Task::sourceKind() const
{
    return file ? QStringLiteral("file") : QStringLiteral("input");
}

QString Task::sourceText() const
{
    return file ? QStringLiteral("in ") + file->path : QStringLiteral("in the input");
}

SignCommand::SignCommand(std::shared_ptr<const Task> task, PortSpec port) : m_task(std::move(task)), m_port(std::move(port))
{
    m_result.port = m_port.label();
}

SignCommand::~SignCommand() = default;

void SignCommand::start()
{
    auto port = std::make_unique<signlink::MappedSignPort>(m_port.portMap());
    // A sign given by its device or address is named so in the port's sentences, as in the results.
    if (m_port.direct)
        port->setName(m_port.label());
    m_link = std::make_unique<signlink::SignLink>(std::move(port));
    begin();
}

void SignCommand::begin()
{
    readConfiguration();
}

void SignCommand::afterRead(const session::ReadConfiguration &)
{
    finish(ExitCode::Done, QString());
}

void SignCommand::conversationEnded(const session::MessageOutcome &outcome)
{
    finishAnswered(outcome, QStringLiteral("sent"));
}

qint16 SignCommand::comPosition() const
{
    return qint16(m_port.direct ? 0 : m_port.comNumber - 1);
}

session::ConfigSession &SignCommand::configSession()
{
    if (m_session)
        return *m_session;
    m_messages.reset();
    // As the main window reads: an unfinished line is dropped after 10 quiet ticks.
    m_link->setLineTimeout(10);
    m_session = std::make_unique<session::ConfigSession>(*m_link, m_config, [this] { return m_values; });
    // A command line has nothing to show between the dump and the closing tick.
    m_session->setEndReadAtDump(true);
    connect(m_session.get(), &session::ConfigSession::configurationRead, this,
            [this](const session::ReadConfiguration &read) { m_read = read; });
    connect(m_session.get(), &session::ConfigSession::readEnded, this, &SignCommand::onReadEnded);
    connect(m_session.get(), &session::ConfigSession::readNotStarted, this,
            [this](int, const signlink::OpenResult &result) { refuseOpening(result); });
    connect(m_session.get(), &session::ConfigSession::connectionLost, this, [this](const QString &description, bool) {
        finish(ExitCode::PortFailed, session::connectionLostText(description));
    });
    connect(m_session.get(), &session::ConfigSession::linkAdjusted, this,
            [this](int id, const QString &capcode, int priority) {
                m_values.links[id] = {capcode, static_cast<qint16>(priority)};
            });
    return *m_session;
}

void SignCommand::readConfiguration()
{
    emit progress(QStringLiteral("reading the configuration"));
    m_read.reset();
    configSession().startRead(m_port.comNumber);  // a failure comes as readNotStarted
}

void SignCommand::onReadEnded(const session::ReadOutcome &outcome)
{
    if (m_finished)
        return;
    if (!m_read) {
        finish(ExitCode::NoAnswer, outcome.failureText());
        return;
    }
    const session::ReadConfiguration read = *std::exchange(m_read, std::nullopt);
    afterRead(read);
}

void SignCommand::adopt(std::unique_ptr<session::MessageSession> conversation)
{
    m_session.reset();
    // The secondary windows keep an unfinished line until its line feed.
    m_link->setLineTimeout(0);
    // A sign given by its device is named so in every sentence.
    if (m_port.direct)
        conversation->setPortLabel(m_port.label());
    connect(conversation.get(), &session::MessageSession::finished, this, &SignCommand::onConversationEnded);
    m_messages = std::move(conversation);
}

bool SignCommand::began(const session::MessageStart &started)
{
    switch (started.failure) {
    case session::MessageStart::Failure::None:
        return true;
    case session::MessageStart::Failure::Unsendable:
        refuse(ExitCode::Usage, started.text);
        return false;
    case session::MessageStart::Failure::NotOpened:
        refuseOpening(started.opening);
        return false;
    case session::MessageStart::Failure::NotWritten:
        refuse(ExitCode::PortFailed, started.text);
        return false;
    }
    return false;
}

void SignCommand::onConversationEnded(const session::MessageOutcome &outcome)
{
    using End = session::MessageOutcome::End;
    if (outcome.end != End::Closed) {
        finish(ExitCode::PortFailed, outcome.text);
        return;
    }
    conversationEnded(outcome);
}

void SignCommand::finishAnswered(const session::MessageOutcome &outcome, const QString &doneText)
{
    if (outcome.refused)
        finish(ExitCode::Differences, QStringLiteral("the sign answered \"error\""));
    else if (outcome.acknowledged)
        finish(ExitCode::Done, doneText);
    else
        finish(ExitCode::NoAnswer, session::noAnswerText(m_messages->portLabel()));
}

bool SignCommand::refuseIncomplete(const QList<protocol::MissingPart> &missing, const QString &before,
                                   const QString &after)
{
    if (missing.isEmpty())
        return false;
    m_result.json.insert(QStringLiteral("missing"), missingJson(missing));
    finish(ExitCode::NoAnswer, before + session::incompleteAnswerText(missing) + after);
    return true;
}

void SignCommand::refuseOpening(const signlink::OpenResult &opening)
{
    refuse(ExitCode::PortFailed, opening.description);
}

void SignCommand::refuse(ExitCode code, const QString &why)
{
    finish(code, why + nothingSentText());
}

QString SignCommand::nothingSentText()
{
    return QStringLiteral(" Nothing was sent.");
}

bool SignCommand::choose(const QStringList &list, const QString &given, const QString &what, const QString &model,
                         int &position)
{
    if (given.isEmpty())
        return true;
    const std::optional<int> found = positionIn(list, given);
    if (!found) {
        refuse(ExitCode::Usage,
               QStringLiteral("no %1 \"%2\" on a %3; choose one of %4.").arg(what, given, model, choicesText(list)));
        return false;
    }
    position = *found;
    return true;
}

void SignCommand::finish(ExitCode code, const QString &message)
{
    if (m_finished)
        return;
    m_finished = true;
    m_result.code = code;
    m_result.message = message;
    // Called from inside the sessions' signals: the sessions and the link go once they return.
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
