#include "cli/messagecheck.h"

namespace cli {

bool holdsMessage(const protocol::DefaultMessageDump &held, const protocol::DefaultMessageCodes &codes,
                  const QString &text)
{
    if (!held.text)
        return false;
    const QString heldText = protocol::encodeForSign(*held.text);
    if (heldText != protocol::encodeForSign(text))
        return false;
    if (heldText.isEmpty())
        return true;
    return held.font == std::optional<qint16>(qint16(codes.font)) && held.color == std::optional<qint16>(qint16(codes.color));
}

} // namespace cli
