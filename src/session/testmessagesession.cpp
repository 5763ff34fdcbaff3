#include "session/testmessagesession.h"

#include "protocol/testmessage.h"

namespace session {

TestMessageSession::TestMessageSession(signlink::SignLink &link, QObject *parent)
    : MessageSession(link, TestMessagePace, parent)
{
}

TestMessageSession::~TestMessageSession() = default;

MessageStart TestMessageSession::send(int comNumber, const QString &command)
{
    return startPlan(comNumber, commandPlan(command, pace()));
}

void TestMessageSession::readLine(const QString &line)
{
    using Kind = protocol::TestMessageReply::Kind;
    const protocol::TestMessageReply reply = protocol::interpretTestMessageReply(line, awaitingAnswer());
    switch (reply.kind) {
    case Kind::Nothing:
        break;
    case Kind::Refused:
        refuse();
        break;
    case Kind::ShowStatus:
        acknowledge(reply.status);
        break;
    case Kind::Dump:
        takeDump(reply.dump);
        break;
    }
}

} // namespace session
