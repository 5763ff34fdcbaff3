#pragma once

#include "link/telnetcodec.h"

#include <QString>

#include <array>

namespace signlink {

// The client side of an RFC 2217 connection, set up for the sign's line: telnet binary both
// ways (so a CR goes out without a NUL), suppress-go-ahead, the COM port option, then 9600 baud,
// 8 data bits, no parity, 1 stop bit and no flow control asked of the server and its answers
// checked. Pure: bytes in, data and bytes to send out.
class ComPortControl {
public:
    ComPortControl();

    enum class Status { Negotiating, Ready, Failed };

    struct Received {
        QByteArray data;     // the sign's bytes, unescaped
        QByteArray replies;  // to be sent to the server
    };

    // The opening requests, to be sent once right after connecting.
    QByteArray start();
    Received feed(QByteArrayView bytes);

    Status status() const;
    // Why it failed, as the end of a sentence that begins with the address, e.g.
    // "will not set the line to 9600 baud (it answered 19200 baud)"; empty unless Failed. Only
    // a break of the telnet protocol fails a connection that was Ready.
    QString failure() const { return m_failure; }

    // The sign's bytes as they must go out.
    static QByteArray encode(QByteArrayView data) { return telnet::escape(data); }

    // COM-PORT-OPTION commands (client to server; the server answers with the code + 100).
    enum Command : quint8 { SetBaudRate = 1, SetDataSize = 2, SetParity = 3, SetStopSize = 4, SetControl = 5 };
    static constexpr quint8 ServerOffset = 100;
    static constexpr int SettingCount = 5;

private:
    void onAnswer(const QByteArray &payload);
    void checkOptions();

    telnet::TelnetCodec m_telnet;
    bool m_settingsSent = false;
    std::array<bool, SettingCount> m_answered {};
    QString m_failure;
};

} // namespace signlink
