#pragma once

#include "session/messagesession.h"

#include <functional>
#include <optional>

namespace session {

// The default-message window's conversations (and the command line's default-message and
// set-clock): the default message written and read, the time display on idle switched and read
// back, the sign's clock. It decides what goes and when, and reads the answers: "done", "default
// stored", the time display's state, the default-message dump. The window hands it plain values
// and shows what it reports.
class DefaultMessageSession final : public MessageSession {
    Q_OBJECT
public:
    // What the window shows that the sign's "done" is read against: while the time shows on idle
    // over a message, "done" brings the hint to remove the message instead of "Upload Successfull".
    struct Shown {
        bool timeDisplayOn = false;
        bool editorEmpty = true;
    };
    using ShownSource = std::function<Shown()>;
    explicit DefaultMessageSession(signlink::SignLink &link, ShownSource shown = {}, QObject *parent = nullptr);
    ~DefaultMessageSession() override;

    // What Upload to Sign writes from.
    struct Upload {
        protocol::DefaultMessageCodes codes;  // the six list positions
        QString text;                         // as edited: CR LF breaks, bracketed time tokens
        bool timeDisplayOn = false;
        bool displayChanged = false;  // a list was clicked or a time format chosen since loading
        int timeFormat = 0;           // the time format list's position
    };
    // The message command (or "<del id=def>" for an empty text); while the time shows on idle and
    // something was changed, the time-on-idle command with the display values and "RESET" after
    // it. Refused, with nothing sent, when the text holds a code of the sign's stored form.
    MessageStart upload(int comNumber, const Upload &message);

    // Loading: the message the main window holds when there is one (nothing is sent, and the
    // result is empty); without one, the sign's, whose answer is reported as "Data downloaded
    // successfully from LED Sign".
    std::optional<MessageStart> load(int comNumber, bool messageHeld);

    // Time Display on Idle: the switch, the port let go after 10 ticks, and the message read back
    // (whose end is this conversation's end).
    MessageStart switchTimeDisplay(int comNumber, bool on);
    // The window is closing: what is under way finishes, but nothing begins after it (the read
    // that follows a switch is left out).
    void windUp() { m_windingUp = true; }

signals:
    // The command box's text: the command under way, and ", RESET" after the restart.
    void commandShown(const QString &command);
    // The sign reported its time display ("TIME:IDLE:1").
    void timeDisplayReported(bool on);
    // The switch went; `readFollows` unless the window is closing.
    void timeDisplaySwitched(bool on, bool readFollows);

protected:
    void readLine(const QString &line) override;

private:
    void onWritten(const QString &command);
    void afterSwitch(int comNumber, bool on);
    Shown shown() const;

    ShownSource m_shown;
    std::optional<QString> m_timeCommand;  // the time display's command of the upload under way
    bool m_windingUp = false;
};

} // namespace session
