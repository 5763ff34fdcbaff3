#include "link/signport.h"

#include "link/traffic.h"

namespace signlink {

void SignPort::setTrafficLog(TrafficLog *log)
{
    m_trafficLog = log;
}

TrafficLog *SignPort::trafficLog() const
{
    return m_trafficLog;
}

QString SignPort::name() const
{
    return m_name.isEmpty() ? QStringLiteral("COM %1").arg(m_commPort) : m_name;
}

QString SignPort::nameWith(const QString &detail) const
{
    return m_name.isEmpty() ? QStringLiteral("COM %1 (%2)").arg(m_commPort).arg(detail) : detail;
}

QString SignPort::namePrefix() const
{
    return m_name.isEmpty() ? QStringLiteral("COM %1: ").arg(m_commPort) : QString();
}

bool SignPort::output(const QByteArray &bytes)
{
    if (!writeBytes(bytes))
        return false;
    // Every writer (a link, a message session) goes through here, so every write is reported.
    if (m_trafficLog)
        m_trafficLog->record({0, 0, QStringLiteral("COM %1").arg(m_commPort), TrafficRow::Direction::Sent, bytes, {}});
    return true;
}

qint64 lineTimeMs(qint64 bytes)
{
    constexpr qint64 BitsPerByte = 10;  // start bit, 8 data bits, stop bit
    constexpr qint64 Baud = 9600;
    return (bytes * BitsPerByte * 1000 + Baud - 1) / Baud;
}

QString unsentOutputText(qint64 unsent)
{
    return QStringLiteral("The sign did not take everything in time: %1 bytes were not sent before the "
                          "port was closed. Check the connection and send again.").arg(unsent);
}

QString cannotOpenPortMessage(int comNumber, const OpenResult &result)
{
    const QString first = QStringLiteral("Cannot Open Port:") + QString::number(comNumber) + QStringLiteral("\r\n");
    if (result.error == OpenError::NoSuchPort)
        return first + QStringLiteral("Please Change Comport");
    return first + result.description;
}

} // namespace signlink
