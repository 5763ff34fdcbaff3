#pragma once

#include "session/messagesession.h"

namespace session {

// The test-message window's conversations (and the command line's send): a test message, or a
// command edited by hand, the sign's default message read, the sign's clock. Each closes the port
// on ComClose's first tick, half a second after its command. The answers read: "done", and the
// default-message dump, which this window reads less fixed offsets for every model.
class TestMessageSession final : public MessageSession {
    Q_OBJECT
public:
    explicit TestMessageSession(signlink::SignLink &link, QObject *parent = nullptr);
    ~TestMessageSession() override;

    // Writes `command` (which may hold CRs of its own: a command edited by hand) and its CR.
    MessageStart send(int comNumber, const QString &command);

protected:
    void readLine(const QString &line) override;
};

} // namespace session
