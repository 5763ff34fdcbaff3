#pragma once

#include "link/signlink.h"
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

// How a window's conversations let the port go: ComClose's interval, the ticks it counts down
// after a write and after a read request, and the pause that follows a read request.
struct MessagePace {
    int closeInterval = 0;
    qint16 afterWrite = 0;
    qint16 afterRead = 0;
    qint16 pauseAfterRead = 0;
};
// The default-message window, and the command line's default-message and set-clock: ComClose
// every 50 ms; 10 ticks after a write, a pause of 10 and 20 ticks after a read request.
inline constexpr MessagePace DefaultMessagePace{50, 10, 20, 10};
// The test-message window, and the command line's send: the port closes on ComClose's first
// tick, half a second after the command.
inline constexpr MessagePace TestMessagePace{500, 0, 0, 0};

// "DOWNLOAD_DEFAULT_MSG", then the pace's pause and countdown for the dump to come.
MessagePlan defaultMessageReadPlan(const MessagePace &pace);
// The message command when there is one, then, when the time display's values go too, 20
// ticks, the time-on-idle command, 50 ticks and "RESET"; 10 ComClose ticks.
MessagePlan defaultMessageUploadPlan(const std::optional<QString> &messageCommand,
                                     const std::optional<QString> &timeOnIdleCommand);
// "<TIME>IDLE ON" or "<TIME>IDLE OFF", 10 ticks, closed at once.
MessagePlan timeDisplayPlan(bool on);
// One command, then the pace's countdown after a write.
MessagePlan commandPlan(const QString &command, const MessagePace &pace);

// How a conversation could not begin. Nothing was sent, and the port is closed.
struct MessageStart {
    enum class Failure {
        None,
        Unsendable,  // a command holds what the sign cannot take; the port was not opened
        NotOpened,   // the port would not open (`opening` says why)
        NotWritten,  // the port did not take the first command
    };
    Failure failure = Failure::None;
    signlink::OpenResult opening;
    QString text;  // what the operator is told; empty when it began
    bool ok() const { return failure == Failure::None; }
};

// How a conversation ended: the port is closed in every case.
struct MessageOutcome {
    enum class End {
        Closed,  // the closing countdown ended, or a read ended at its answer
        Failed,  // a command could not be written, or the next conversation of a chain not begun
        Lost,    // the port failed while open
    };
    End end = End::Closed;
    bool acknowledged = false;  // the sign answered "done" or "default stored" meanwhile
    bool refused = false;       // ... or "error"
    // The answer to a read request ("DOWNLOAD_DEFAULT_MSG"), when one with the message came.
    std::optional<protocol::DefaultMessageDump> dump;
    // What the operator is told, the port named: why it failed, or that a read got no answer.
    // Empty when there is nothing to tell.
    QString text;
};

// The conversations of the default-message and test-message windows and of the command line's
// message commands: the port opened for one action, its commands written in order with their
// pauses, the sign's answers read, and the port closed by ComClose. Every step after the first
// command runs from the event loop (SleepTimer's and ComClose's ticks); nothing waits in place,
// and finished() ends every conversation that began, once.
//
// What the answers mean is the derived session's: DefaultMessageSession and TestMessageSession.
class MessageSession : public QObject {
    Q_OBJECT
public:
    MessageSession(signlink::SignLink &link, const MessagePace &pace, QObject *parent = nullptr);
    ~MessageSession() override;

    QTimer ComClose;    // the pace's interval: counts closeCountdown down, then closes the port
    QTimer SleepTimer;  // 10 ms: the ticks of the pauses between commands
    qint16 closeCountdown = 0;

    const MessagePace &pace() const { return m_pace; }

    // From the first command until the port is let go.
    bool running() const { return m_running; }
    // A read request waits for its answer.
    bool awaitingAnswer() const { return m_awaiting; }

    // How the sentences name the port: "COM 3" (the link's own name) unless set.
    void setPortLabel(const QString &label) { m_label = label; }
    QString portLabel() const;
    // The command line: a read ends as soon as its answer has come, not by the countdown.
    void setEndReadAtAnswer(bool end) { m_endReadAtAnswer = end; }

    // Download: asks for the sign's default message; its answer comes by dumpRead().
    MessageStart read(int comNumber);
    // Sets the sign's clock to `now` (one reading of the clock, so that date, time and weekday
    // belong together).
    MessageStart setClock(int comNumber, const QDateTime &now);

    // Stops where it is and lets the port go, saying nothing (the operator left).
    void abort();
    // One tick of ComClose (connected to it; a window's ComClose_Timer calls it as the timer would).
    void closeTick();

signals:
    void written(int step, const QString &command);
    // An answer or a turn of the conversation, in the words the status line shows.
    void said(const QString &text);
    // Every command went and the pauses after them passed; the closing countdown begins.
    void sent();
    // A default-message dump answering the read: every one while the read waits, also one
    // without its text (whose values the window may take; the read then waits on).
    void dumpRead(const protocol::DefaultMessageDump &dump);
    void finished(const session::MessageOutcome &outcome);

protected:
    // Opens COM `comNumber` and begins `plan`: the commands without a pause before them go at
    // once, the rest from SleepTimer's ticks. `read`: the plan asks for the default message.
    MessageStart startPlan(int comNumber, const MessagePlan &plan, bool read = false);
    // A read whose answer, when it comes, is reported as `answeredText` (empty: not at all).
    MessageStart startRead(int comNumber, const QString &answeredText);
    // What follows the plan under way once it has let the port go (a chain); finished() otherwise.
    void setNext(std::function<void()> next) { m_next = std::move(next); }
    // Ends the conversation now: the port is closed and finished() says how.
    void finish(MessageOutcome::End end, const QString &text = QString());

    // One reply line, without its line feed (a CR stays in it), for the derived session to read.
    virtual void readLine(const QString &line) = 0;
    // For readLine(): the sign acknowledged (`text` is what the status line shows), refused, or
    // sent a default-message dump (taken only while a read waits for it).
    void acknowledge(const QString &text);
    void refuse();
    void takeDump(const protocol::DefaultMessageDump &dump);
    // Says `text` about the last line received, in the status line and the traffic view.
    void tell(const QString &text);

private:
    bool write(int step);
    void walk();
    void pause(qint16 ticks);
    void onSleepTick();
    void stepsDone();
    void planEnded();
    void stopConversation();
    void onLine(const QByteArray &line);
    void onConnectionLost(const QString &description);

    signlink::SignLink &m_link;
    const MessagePace m_pace;
    QString m_label;
    bool m_endReadAtAnswer = false;
    MessagePlan m_plan;
    int m_nextStep = 0;
    std::function<void()> m_next;
    bool m_running = false;
    bool m_awaiting = false;   // a read request waits for its answer
    bool m_heardLine = false;  // ... and the sign said something meanwhile
    QString m_answeredText;    // ... and what is said when its answer has come
    MessageOutcome m_outcome;
    qint16 m_sleepTicks = 0;
    qint16 m_pauseTicks = 0;
};

} // namespace session
