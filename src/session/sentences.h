#pragma once

#include "protocol/configdump.h"

#include <QList>
#include <QString>

namespace session {

// What the operator is told where several places tell the same thing, so that the windows and
// the command line say it in the same words. `where` names the sign's port as the face knows it:
// "COM 3", a device path, a network address.

// "No answer from the sign on COM 3. Check the cable, the power and the COM number."
QString noAnswerText(const QString &where);
// "The connection to the sign was lost: " and what the port said.
QString connectionLostText(const QString &description);
// "The sign on COM 3 answered, but did not send its default message."
QString noDefaultMessageText(const QString &where);
// "The command could not be written to COM 3.": the port did not take it.
QString notWrittenText(const QString &where);
// "The sign's answer was incomplete: " and what it lacked, "priority 3 and the links.": a
// configuration cut short.
QString incompleteAnswerText(const QList<protocol::MissingPart> &missing);

} // namespace session
