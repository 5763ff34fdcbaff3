#include "link/signport.h"

namespace signlink {

QString cannotOpenPortMessage(int comNumber, const OpenResult &result)
{
    const QString first = QStringLiteral("Cannot Open Port:") + QString::number(comNumber) + QStringLiteral("\r\n");
    if (result.error == OpenError::NoSuchPort)
        return first + QStringLiteral("Please Change Comport");
    return first + result.description;
}

} // namespace signlink
