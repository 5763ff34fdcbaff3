#include "session/messagesession.h"

#include "link/timers.h"
#include "protocol/clock.h"
#include "protocol/commands.h"
#include "session/wire.h"

#include <QPointer>

namespace session {

MessagePlan defaultMessageReadPlan()
{
    return {{{0, protocol::readDefaultMessageCommand()}}, 10, false, 20};
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
    plan.closeTicks = 10;
    return plan;
}

MessagePlan timeDisplayPlan(bool on)
{
    return {{{0, on ? protocol::timeIdleOnCommand() : protocol::timeIdleOffCommand()}}, 10, true, 0};
}

MessagePlan clockPlan(const QDateTime &now)
{
    return {{{0, protocol::setClockCommand(now)}}, 0, false, 10};
}

MessagePlan singleCommandPlan(const QString &command)
{
    return {{{0, command}}, 0, false, 0};
}

MessageSession::MessageSession(signlink::SignPort &port, int closeInterval, QObject *parent)
    : QObject(parent), m_port(port)
{
    ComClose.setParent(this);
    ComClose.setObjectName(QStringLiteral("ComClose"));
    ComClose.setInterval(closeInterval);
    SleepTimer.setParent(this);
    SleepTimer.setObjectName(QStringLiteral("SleepTimer"));
    SleepTimer.setInterval(10);
    connect(&ComClose, &QTimer::timeout, this, &MessageSession::closeTick);
    // Before any pause connects its own check, so the tick is counted when that check runs.
    connect(&SleepTimer, &QTimer::timeout, this, [this] { ++m_sleepTicks; });
}

MessageSession::~MessageSession() = default;

MessageSession::Start MessageSession::run(int comNumber, const MessagePlan &plan, const std::function<void()> &opened)
{
    Start start;
    m_port.setCommPort(comNumber);
    start.opening = m_port.open();
    if (!start.opening.ok())
        return start;
    if (opened)
        opened();
    emit aboutToWrite();
    m_plan = plan;
    m_running = true;
    const int generation = ++m_generation;
    int next = 0;
    if (!plan.steps.isEmpty() && plan.steps.first().pauseTicks == 0) {
        if (!write(0))
            return start;
        next = 1;
    }
    start.written = true;
    const QPointer<MessageSession> self(this);
    goOn(next, generation);
    if (!self) {
        start.gone = true;
        return start;
    }
    start.completed = m_completed == generation;
    return start;
}

bool MessageSession::write(int step)
{
    const QString &command = m_plan.steps.at(step).command;
    const std::optional<QByteArray> bytes = commandBytes(command);
    if (!m_port.isOpen() || !bytes || !m_port.output(*bytes)) {
        ++m_generation;
        m_running = false;
        m_port.close();
        if (step > 0)
            emit writeFailed(step, command);
        return false;
    }
    emit written(step, command);
    return true;
}

void MessageSession::goOn(int step, int generation)
{
    const QPointer<MessageSession> self(this);
    for (; step < m_plan.steps.size(); ++step) {
        const qint16 pause = m_plan.steps.at(step).pauseTicks;
        if (pause > 0 && (!signlink::sleepTicks(this, SleepTimer, m_sleepTicks, pause) || generation != m_generation))
            return;  // gone, or stopped meanwhile
        if (!write(step))
            return;
    }
    if (m_plan.pauseAfter > 0
        && (!signlink::sleepTicks(this, SleepTimer, m_sleepTicks, m_plan.pauseAfter) || generation != m_generation))
        return;
    m_completed = generation;
    emit stepsDone();
    if (!self || generation != m_generation)
        return;
    if (m_plan.closeAtOnce)
        finish(false);
    else
        startCloseCountdown(m_plan.closeTicks);
}

void MessageSession::startCloseCountdown(qint16 ticks)
{
    closeCountdown = ticks;
    signlink::startTimer(ComClose);
}

void MessageSession::closeTick()
{
    if (closeCountdown >= 1) {
        --closeCountdown;
        return;
    }
    ComClose.stop();
    finish(true);
}

void MessageSession::finish(bool announce)
{
    ++m_generation;
    m_running = false;
    const bool wasOpen = m_port.isOpen();
    if (wasOpen)
        m_port.close();
    if (announce)
        emit closed(wasOpen);
}

void MessageSession::abort()
{
    ++m_generation;
    m_running = false;
    ComClose.stop();
    if (m_port.isOpen())
        m_port.close();
}

void MessageSession::connectionLost()
{
    ++m_generation;
    m_running = false;
    ComClose.stop();
}

} // namespace session
