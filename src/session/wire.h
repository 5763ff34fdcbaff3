#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace signlink {
class SignLink;
}

namespace session {

// The bytes of a command on the wire: each character as one Latin-1 byte, then the single CR
// that ends it. Nothing when the sign cannot take the command (protocol::whyUnsendable says
// why): a character beyond its single-byte code, which toLatin1() would quietly turn into "?",
// or more than its input buffer holds. Every conversation encodes its commands here, so that
// the link below only moves bytes.
std::optional<QByteArray> commandBytes(const QString &command);

// Writes `command` to `link` in one write. False, with nothing sent, when commandBytes() refuses
// it, the port is not open or it refused the write.
bool sendCommand(signlink::SignLink &link, const QString &command);

} // namespace session
