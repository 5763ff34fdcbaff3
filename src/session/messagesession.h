#pragma once

#include "link/signport.h"
#include "protocol/defaultmessage.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

namespace session {

// One command of a message conversation, written after a pause of `pauseTicks` ticks of
// SleepTimer (10 ms each).
struct MessageStep {
    qint16 pauseTicks = 0;
    QString command;
    friend bool operator==(const MessageStep &, const MessageStep &) = default;
};

// What the default-message and test-message windows (and the command line) send for one
// action, and how the port is let go afterwards.
struct MessagePlan {
    QList<MessageStep> steps;
    qint16 pauseAfter = 0;     // SleepTimer ticks after the last command
    // Then either the port closes at once, or ComClose counts `closeTicks` ticks down and closes
    // it on the tick after (0: on its first tick).
    bool closeAtOnce = false;
    qint16 closeTicks = 0;
    friend bool operator==(const MessagePlan &, const MessagePlan &) = default;
};

// "DOWNLOAD_DEFAULT_MSG", 10 ticks, then 20 ComClose ticks for the dump to come.
MessagePlan defaultMessageReadPlan();
// The message command when there is one, then, when the time display's values go too, 20
// ticks, the time-on-idle command, 50 ticks and "RESET"; 10 ComClose ticks.
MessagePlan defaultMessageUploadPlan(const std::optional<QString> &messageCommand,
                                     const std::optional<QString> &timeOnIdleCommand);
// "<TIME>IDLE ON" or "<TIME>IDLE OFF", 10 ticks, closed at once.
MessagePlan timeDisplayPlan(bool on);
// The clock command for `now`, 10 ComClose ticks (default-message window and command line).
MessagePlan clockPlan(const QDateTime &now);
// One command, closed on the first tick of ComClose (test-message window).
MessagePlan singleCommandPlan(const QString &command);

// The conversations of the default-message and test-message windows: the port opened for one
// action, its commands written in order with their pauses, and the port closed by ComClose.
// The window (or the command line) decides nothing of this; it reads the replies itself.
class MessageSession final : public QObject {
    Q_OBJECT
public:
    // `closeInterval`: ComClose's interval, 50 ms in the default-message window, 500 ms in the
    // test-message window.
    MessageSession(signlink::SignPort &port, int closeInterval, QObject *parent = nullptr);
    ~MessageSession() override;

    QTimer ComClose;
    QTimer SleepTimer;
    qint16 closeCountdown = 0;

    // A plan runs from the first command until the port is closed.
    bool running() const { return m_running; }

    struct Start {
        signlink::OpenResult opening;
        bool written = false;    // the first command went out (else the port is closed again)
        bool completed = false;  // every command went and the pauses passed, uninterrupted
        bool gone = false;       // the session was destroyed meanwhile: touch nothing of it
        bool ok() const { return opening.ok() && written; }
    };
    // Opens COM `comNumber` and runs the plan: its commands and pauses (which process events
    // while they wait) before returning, then the closing countdown from the event loop.
    // `opened` and aboutToWrite() come once the port is open, before the first command.
    [[nodiscard]] Start run(int comNumber, const MessagePlan &plan, const std::function<void()> &opened = {});
    // Stops the plan where it is and closes the port (the operator left, or the window gave up).
    void abort();
    // The port failed and closed itself: the plan stops without a word.
    void connectionLost();
    // Starts (or goes on with) the closing countdown of `ticks` ComClose ticks.
    void startCloseCountdown(qint16 ticks);
    // One tick of ComClose (connected to it; a test may call it as the timer would).
    void closeTick();

signals:
    void aboutToWrite();
    void written(int step, const QString &command);
    // A later step could not be written; the port is closed and the plan over.
    void writeFailed(int step, const QString &command);
    // Every command went out and the pause after them passed; the countdown (if any) begins.
    void stepsDone();
    // The closing countdown ended: the port is closed (`wasOpen`: it was still open then). A
    // plan that closes at once says nothing; its caller goes on.
    void closed(bool wasOpen);

private:
    bool write(int step);
    void goOn(int step, int generation);
    void finish(bool announce);

    signlink::SignPort &m_port;
    MessagePlan m_plan;
    bool m_running = false;
    int m_generation = 0;
    int m_completed = 0;  // the generation whose steps all went
    qint16 m_sleepTicks = 0;
};

} // namespace session
