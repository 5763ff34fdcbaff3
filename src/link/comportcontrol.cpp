#include "link/comportcontrol.h"

#include <QtEndian>

#include <algorithm>

namespace signlink {

namespace {

using namespace telnet;

struct Setting {
    ComPortControl::Command command;
    QByteArray value;   // as sent: the baud rate in four bytes, network order; the rest in one
    const char *asked;  // what the line must be, for the failure text
};

const std::array<Setting, ComPortControl::SettingCount> &settings()
{
    static const std::array<Setting, ComPortControl::SettingCount> table {{
        {ComPortControl::SetBaudRate, QByteArray("\x00\x00\x25\x80", 4), "9600 baud"},
        {ComPortControl::SetDataSize, QByteArray(1, 8), "8 data bits"},
        {ComPortControl::SetParity, QByteArray(1, 1), "no parity"},
        {ComPortControl::SetStopSize, QByteArray(1, 1), "1 stop bit"},
        {ComPortControl::SetControl, QByteArray(1, 1), "no flow control"},
    }};
    return table;
}

// What the server said it set, in words.
QString describeAnswer(ComPortControl::Command command, const QByteArray &value)
{
    if (command == ComPortControl::SetBaudRate) {
        if (value.size() != 4)
            return QStringLiteral("an unreadable baud rate");
        return QStringLiteral("%1 baud").arg(qFromBigEndian<quint32>(value.constData()));
    }
    if (value.size() != 1)
        return QStringLiteral("an unreadable value");
    const int v = quint8(value[0]);
    switch (command) {
    case ComPortControl::SetDataSize:
        return QStringLiteral("%1 data bits").arg(v);
    case ComPortControl::SetParity: {
        static const char *const names[] = {"no parity", "odd parity", "even parity", "mark parity", "space parity"};
        return v >= 1 && v <= 5 ? QString::fromLatin1(names[v - 1]) : QStringLiteral("parity %1").arg(v);
    }
    case ComPortControl::SetStopSize: {
        static const char *const names[] = {"1 stop bit", "2 stop bits", "1.5 stop bits"};
        return v >= 1 && v <= 3 ? QString::fromLatin1(names[v - 1]) : QStringLiteral("stop size %1").arg(v);
    }
    default:
        return v == 1 ? QStringLiteral("no flow control")
                      : v == 2 ? QStringLiteral("XON/XOFF flow control")
                               : v == 3 ? QStringLiteral("hardware flow control") : QStringLiteral("control %1").arg(v);
    }
}

} // namespace

ComPortControl::ComPortControl()
    : m_telnet({Binary, SuppressGoAhead, ComPort}, {Binary, SuppressGoAhead})
{
}

QByteArray ComPortControl::start()
{
    return m_telnet.requestLocal(Binary) + m_telnet.requestRemote(Binary) + m_telnet.requestLocal(SuppressGoAhead)
           + m_telnet.requestRemote(SuppressGoAhead) + m_telnet.requestLocal(ComPort);
}

ComPortControl::Received ComPortControl::feed(QByteArrayView bytes)
{
    TelnetCodec::Decoded decoded = m_telnet.feed(bytes);
    Received out {std::move(decoded.data), std::move(decoded.replies)};
    if (m_telnet.overflowed() && m_failure.isEmpty())
        m_failure = QStringLiteral("broke the telnet protocol (it sent a sub-negotiation longer than %1 bytes)")
                        .arg(TelnetCodec::MaxSubnegotiation);
    // The settings are asked for once the server has agreed to the COM port option.
    if (!m_settingsSent && m_telnet.localEnabled(ComPort)) {
        m_settingsSent = true;
        for (const Setting &setting : settings())
            out.replies += subnegotiation(ComPort, QByteArray(1, char(setting.command)) + setting.value);
    }
    if (status() == Status::Negotiating) {
        for (const TelnetCodec::SubNegotiation &sub : decoded.subnegotiations) {
            if (sub.option == ComPort && !sub.payload.isEmpty())
                onAnswer(sub.payload);
        }
        checkOptions();
    }
    // Everything else the server tells (line and modem state, signatures) is not needed here.
    return out;
}

void ComPortControl::onAnswer(const QByteArray &payload)
{
    const int code = quint8(payload[0]) - ServerOffset;
    for (std::size_t i = 0; i < settings().size(); ++i) {
        const Setting &setting = settings()[i];
        if (code != setting.command)
            continue;
        const QByteArray value = payload.mid(1);
        if (value != setting.value && m_failure.isEmpty())
            m_failure = QStringLiteral("will not set the line to %1 (it answered %2)")
                            .arg(QLatin1String(setting.asked), describeAnswer(setting.command, value));
        m_answered[i] = true;
    }
}

void ComPortControl::checkOptions()
{
    if (!m_failure.isEmpty())
        return;
    if (m_telnet.localRefused(ComPort))
        m_failure = QStringLiteral("does not offer serial port control (RFC 2217); for a plain TCP server "
                                   "write tcp:// instead of rfc2217://");
    else if (m_telnet.localRefused(Binary) || m_telnet.remoteRefused(Binary))
        m_failure = QStringLiteral("will not pass the bytes unchanged (it refused telnet binary transmission)");
}

ComPortControl::Status ComPortControl::status() const
{
    if (!m_failure.isEmpty())
        return Status::Failed;
    const bool allAnswered = std::all_of(m_answered.begin(), m_answered.end(), [](bool a) { return a; });
    if (allAnswered && m_telnet.localEnabled(Binary) && m_telnet.remoteEnabled(Binary) && m_telnet.localEnabled(ComPort))
        return Status::Ready;
    return Status::Negotiating;
}

} // namespace signlink
