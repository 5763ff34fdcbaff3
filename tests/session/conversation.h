#pragma once

// A message session on the fake port with everything it reports written down: what went on the
// wire after how many ticks of SleepTimer, how many ticks ComClose counted until the port was let
// go, what it said, and how the conversation ended.

#include "fakesignport.h"
#include "link/signlink.h"
#include "session/messagesession.h"

#include <QEvent>
#include <QStringList>
#include <QTest>

#include <memory>
#include <optional>
#include <ostream>

namespace sessiontest {

// Counts a timer's ticks before the timer's own handlers run, so that a command written on a
// tick is known to come after that tick.
class TickCounter final : public QObject {
public:
    explicit TickCounter(QTimer &timer) { timer.installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Timer)
            ++count;
        return false;
    }
};

struct Written {
    QString command;
    int pauseTicks;  // SleepTimer ticks between the command before it (or the start) and it
    friend bool operator==(const Written &, const Written &) = default;
};

inline std::ostream &operator<<(std::ostream &out, const Written &w)
{
    return out << '{' << w.command.toStdString() << " after " << w.pauseTicks << '}';
}

// The fake port under a link, and a session made on it by `make`.
template <typename Session>
class Conversation {
public:
    template <typename... Args>
    explicit Conversation(Args &&...args)
    {
        auto fake = std::make_unique<testsupport::FakeSignPort>();
        port = fake.get();
        link = std::make_unique<signlink::SignLink>(std::move(fake));
        session = std::make_unique<Session>(*link, std::forward<Args>(args)...);
        sleep = std::make_unique<TickCounter>(session->SleepTimer);
        close = std::make_unique<TickCounter>(session->ComClose);
        QObject::connect(session.get(), &session::MessageSession::written, session.get(),
                         [this](int, const QString &command) {
                             written.append({command, sleep->count - m_ticksAtWrite});
                             m_ticksAtWrite = sleep->count;
                         });
        QObject::connect(session.get(), &session::MessageSession::sent, session.get(), [this] {
            sentAfterTicks = sleep->count - m_ticksAtWrite;
            portOpenWhenSent = port->isOpen();
        });
        QObject::connect(session.get(), &session::MessageSession::said, session.get(),
                         [this](const QString &text) { said << text; });
        QObject::connect(session.get(), &session::MessageSession::dumpRead, session.get(),
                         [this](const protocol::DefaultMessageDump &dump) { dumps << dump; });
        QObject::connect(session.get(), &session::MessageSession::finished, session.get(),
                         [this](const session::MessageOutcome &o) {
                             outcome = o;
                             ++finishings;
                             portOpenWhenFinished = port->isOpen();
                         });
    }

    // Lets the timers run until the conversation has ended.
    bool runToEnd(int timeoutMs = 5000)
    {
        return QTest::qWaitFor([this] { return outcome.has_value(); }, timeoutMs);
    }
    // Ends the closing countdown at once, as its ticks would.
    void closeNow()
    {
        while (session->ComClose.isActive())
            session->closeTick();
    }
    // The sign's answer, read at once.
    void answer(const QByteArray &line) { port->feedNow(line + '\n'); }
    QStringList commands() const
    {
        QStringList list;
        for (const QByteArray &write : port->writes)
            list << QString::fromLatin1(write.chopped(write.endsWith('\r') ? 1 : 0));
        return list;
    }

    testsupport::FakeSignPort *port = nullptr;
    std::unique_ptr<signlink::SignLink> link;
    std::unique_ptr<Session> session;

    int sleepTicks() const { return sleep->count; }
    int closeTicks() const { return close->count; }

    std::unique_ptr<TickCounter> sleep, close;
    QList<Written> written;
    std::optional<int> sentAfterTicks;
    bool portOpenWhenSent = false;
    QStringList said;
    QList<protocol::DefaultMessageDump> dumps;
    std::optional<session::MessageOutcome> outcome;
    int finishings = 0;
    bool portOpenWhenFinished = true;

private:
    int m_ticksAtWrite = 0;
};

} // namespace sessiontest
