#include "session/wire.h"

#include "link/signlink.h"
#include "protocol/commands.h"

namespace session {

std::optional<QByteArray> commandBytes(const QString &command)
{
    if (protocol::whyUnsendable(command))
        return std::nullopt;
    return command.toLatin1() + '\r';
}

bool sendCommand(signlink::SignLink &link, const QString &command)
{
    const std::optional<QByteArray> bytes = commandBytes(command);
    return bytes && link.send(*bytes);
}

} // namespace session
