#include "session/sentences.h"

namespace session {

QString noAnswerText(const QString &where)
{
    return QStringLiteral("No answer from the sign on %1. Check the cable, the power and the COM number.").arg(where);
}

QString connectionLostText(const QString &description)
{
    return QStringLiteral("The connection to the sign was lost: %1").arg(description);
}

} // namespace session
