#include "session/messagesession.h"

#include "link/timers.h"
#include "protocol/clock.h"
#include "protocol/commands.h"
#include "session/sentences.h"
#include "session/wire.h"

#include <utility>

namespace session {

MessagePlan defaultMessageReadPlan(const MessagePace &pace)
{
    return {{{0, protocol::readDefaultMessageCommand()}}, pace.pauseAfterRead, false, pace.afterRead};
}

MessagePlan defaultMessageUploadPlan(const std::optional<QString> &messageCommand,
                                     const std::optional<QString> &timeOnIdleCommand)
{
    MessagePlan plan;
    if (messageCommand)
        plan.steps.append({0, *messageCommand});
    if (timeOnIdleCommand) {
        plan.steps.append({20, *timeOnIdleCommand});
        plan.steps.append({50, protocol::resetCommand()});
    }
    plan.closeTicks = DefaultMessagePace.afterWrite;
    return plan;
}

MessagePlan timeDisplayPlan(bool on)
{
    return {{{0, on ? protocol::timeIdleOnCommand() : protocol::timeIdleOffCommand()}}, 10, true, 0};
}

MessagePlan commandPlan(const QString &command, const MessagePace &pace)
{
    return {{{0, command}}, 0, false, pace.afterWrite};
}

MessageSession::MessageSession(signlink::SignLink &link, const MessagePace &pace, QObject *parent)
    : QObject(parent), m_link(link), m_pace(pace)
{
    ComClose.setParent(this);
    ComClose.setObjectName(QStringLiteral("ComClose"));
    ComClose.setInterval(pace.closeInterval);
    SleepTimer.setParent(this);
    SleepTimer.setObjectName(QStringLiteral("SleepTimer"));
    SleepTimer.setInterval(10);
    connect(&ComClose, &QTimer::timeout, this, &MessageSession::closeTick);
    connect(&SleepTimer, &QTimer::timeout, this, &MessageSession::onSleepTick);
    connect(&m_link, &signlink::SignLink::lineReceived, this, &MessageSession::onLine);
    connect(&m_link, &signlink::SignLink::connectionLost, this, &MessageSession::onConnectionLost);
}

// A conversation cut short by the session going lets the port go with it.
MessageSession::~MessageSession()
{
    if (m_running)
        abort();
}

QString MessageSession::portLabel() const
{
    return m_label.isEmpty() ? m_link.source() : m_label;
}

MessageStart MessageSession::read(int comNumber)
{
    return startRead(comNumber, QString());
}

MessageStart MessageSession::setClock(int comNumber, const QDateTime &now)
{
    return startPlan(comNumber, commandPlan(protocol::setClockCommand(now), m_pace));
}

MessageStart MessageSession::startRead(int comNumber, const QString &answeredText)
{
    const MessageStart start = startPlan(comNumber, defaultMessageReadPlan(m_pace), true);
    if (start.ok())
        m_answeredText = answeredText;
    return start;
}

MessageStart MessageSession::startPlan(int comNumber, const MessagePlan &plan, bool read)
{
    MessageStart start;
    // Refused before the port opens: half a conversation would leave the sign half set.
    for (const MessageStep &step : plan.steps) {
        if (const std::optional<QString> why = protocol::whyUnsendable(step.command)) {
            start.failure = MessageStart::Failure::Unsendable;
            start.text = *why;
            return start;
        }
    }
    start.opening = m_link.open(comNumber);
    if (!start.opening.ok()) {
        start.failure = MessageStart::Failure::NotOpened;
        start.text = signlink::cannotOpenPortMessage(comNumber, start.opening);
        return start;
    }
    // What was left of an earlier answer belongs to no reply of this conversation.
    m_link.clearLine();
    m_plan = plan;
    m_nextStep = 0;
    m_running = true;
    m_awaiting = read;
    m_heardLine = false;
    m_answeredText.clear();
    if (!plan.steps.isEmpty() && plan.steps.first().pauseTicks == 0) {
        if (!write(0)) {
            stopConversation();
            start.failure = MessageStart::Failure::NotWritten;
            start.text = notWrittenText(portLabel());
            return start;
        }
        m_nextStep = 1;
    }
    walk();
    return start;
}

bool MessageSession::write(int step)
{
    const QString &command = m_plan.steps.at(step).command;
    // Checked with whyUnsendable() before the port opened, so the bytes are there.
    const std::optional<QByteArray> bytes = commandBytes(command);
    if (!m_link.isOpen() || !bytes || !m_link.port().output(*bytes))
        return false;
    emit written(step, command);
    return true;
}

// Writes the commands due now, up to the next pause.
void MessageSession::walk()
{
    while (m_nextStep < m_plan.steps.size()) {
        const qint16 ticks = m_plan.steps.at(m_nextStep).pauseTicks;
        if (ticks > 0) {
            pause(ticks);
            return;
        }
        if (!write(m_nextStep)) {
            finish(MessageOutcome::End::Failed, notWrittenText(portLabel()));
            return;
        }
        ++m_nextStep;
    }
    if (m_plan.pauseAfter > 0)
        pause(m_plan.pauseAfter);
    else
        stepsDone();
}

// Each pause counts its ticks from its own start, as the pause routine always has.
void MessageSession::pause(qint16 ticks)
{
    m_sleepTicks = 0;
    m_pauseTicks = ticks;
    SleepTimer.start();
}

void MessageSession::onSleepTick()
{
    if (++m_sleepTicks < m_pauseTicks)
        return;
    SleepTimer.stop();
    if (m_nextStep >= m_plan.steps.size()) {
        stepsDone();  // the pause after the last command
        return;
    }
    if (!write(m_nextStep)) {
        finish(MessageOutcome::End::Failed, notWrittenText(portLabel()));
        return;
    }
    ++m_nextStep;
    walk();
}

void MessageSession::stepsDone()
{
    if (m_plan.closeAtOnce) {
        planEnded();
        return;
    }
    closeCountdown = m_plan.closeTicks;
    signlink::startTimer(ComClose);
    emit sent();
}

void MessageSession::closeTick()
{
    if (closeCountdown >= 1) {
        --closeCountdown;
        return;
    }
    ComClose.stop();
    if (m_running)
        planEnded();
}

void MessageSession::planEnded()
{
    const bool unanswered = m_awaiting;
    const bool heard = m_heardLine;
    if (m_next) {
        // The chain goes on: its next conversation opens the port again.
        stopConversation();
        std::exchange(m_next, {})();
        return;
    }
    QString text;
    if (unanswered)
        text = heard ? noDefaultMessageText(portLabel()) : noAnswerText(portLabel());
    finish(MessageOutcome::End::Closed, text);
}

void MessageSession::finish(MessageOutcome::End end, const QString &text)
{
    stopConversation();
    m_next = {};
    MessageOutcome outcome = std::exchange(m_outcome, {});
    outcome.end = end;
    outcome.text = text;
    emit finished(outcome);
}

void MessageSession::stopConversation()
{
    SleepTimer.stop();
    ComClose.stop();
    m_running = false;
    m_awaiting = false;
    // The close step: an unfinished line goes with the port.
    m_link.clearLine();
    if (m_link.isOpen())
        m_link.close();
}

void MessageSession::abort()
{
    stopConversation();
    m_next = {};
    m_outcome = {};
}

void MessageSession::onLine(const QByteArray &bytes)
{
    if (!m_running)
        return;
    const QString line = QString::fromLatin1(bytes);
    if (!line.isEmpty())
        m_heardLine = true;
    readLine(line);
}

void MessageSession::onConnectionLost(const QString &description)
{
    if (m_running)
        finish(MessageOutcome::End::Lost, connectionLostText(description));
}

void MessageSession::tell(const QString &text)
{
    emit said(text);
    m_link.explainLastLine(text);
}

void MessageSession::acknowledge(const QString &text)
{
    m_outcome.acknowledged = true;
    tell(text);
}

void MessageSession::refuse()
{
    m_outcome.refused = true;
    m_link.explainLastLine(tr("refused"));
}

void MessageSession::takeDump(const protocol::DefaultMessageDump &dump)
{
    // Only the answer to a read is taken: a sign that sends its configuration unasked after a
    // command would otherwise replace what the window shows with whatever its fields hold.
    if (!m_awaiting)
        return;
    emit dumpRead(dump);
    if (!dump.text)
        return;  // a line that only looks like the answer: the read still waits
    m_awaiting = false;
    m_outcome.dump = dump;
    if (!m_answeredText.isEmpty())
        tell(m_answeredText);
    if (m_endReadAtAnswer)
        finish(MessageOutcome::End::Closed);
}

} // namespace session
