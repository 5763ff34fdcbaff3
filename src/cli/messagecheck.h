#pragma once

#include "protocol/defaultmessage.h"

#include <QString>

namespace cli {

// Whether a sign whose default message was read as `held` already shows `text` in the font and
// colour of `codes`: default-message --set then sends nothing. The text counts as it goes to
// the sign, so a line break typed or stored, a time field as a token or as its code, are alike.
// A message that is empty on both sides is the same whatever its font and colour.
bool holdsMessage(const protocol::DefaultMessageDump &held, const protocol::DefaultMessageCodes &codes,
                  const QString &text);

} // namespace cli
