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

QString noDefaultMessageText(const QString &where)
{
    return QStringLiteral("The sign on %1 answered, but did not send its default message.").arg(where);
}

QString incompleteAnswerText(const QList<protocol::MissingPart> &missing)
{
    return QStringLiteral("The sign's answer was incomplete: %1.").arg(protocol::missingPartsText(missing));
}

QString notWrittenText(const QString &where)
{
    return QStringLiteral("The command could not be written to %1.").arg(where);
}

} // namespace session
