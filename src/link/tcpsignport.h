#pragma once

#include "link/comportcontrol.h"
#include "link/portentry.h"
#include "link/signport.h"

#include <QAbstractSocket>
#include <QDeadlineTimer>
#include <QTcpSocket>

#include <memory>

namespace signlink {

// The sign port on a serial device server: a raw TCP connection that carries the bytes as they
// are, or an RFC 2217 (telnet) one that also sets the server's line to 9600 baud, 8N1, no flow
// control. Towards the windows it behaves as a serial port does: open() waits for the
// connection (at most OpenTimeoutMs), characters are read one at a time, close() lets what was
// written go out first, and a connection the server drops while open is reported once through
// connectionLost, the port already closed.
class TcpSignPort final : public SignPort {
    Q_OBJECT
public:
    explicit TcpSignPort(QObject *parent = nullptr);
    ~TcpSignPort() override;

    void setAddress(const NetworkAddress &address) { m_address = address; }
    const NetworkAddress &address() const { return m_address; }

    OpenResult open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    qint64 inBufferCount() const override { return m_in.size() - m_next; }
    char input() override;

    // The longest open() may take, host lookup and RFC 2217 set-up included.
    static constexpr int OpenTimeoutMs = 3000;
    // Added to the time the written bytes take at 9600 baud when close() waits for them to go.
    static constexpr int CloseMarginMs = 1000;

protected:
    bool writeBytes(const QByteArray &bytes) override;

private:
    OpenResult connectBefore(const QDeadlineTimer &deadline);
    OpenResult setUpLine(const QDeadlineTimer &deadline);
    OpenResult failure(OpenError error, const QString &what);
    QString where() const;
    void onReadyRead();
    void onSocketError(QAbstractSocket::SocketError error);
    void onDropped();
    bool takeReceived();
    void release();

    NetworkAddress m_address;
    QTcpSocket m_socket;
    std::unique_ptr<ComPortControl> m_control;  // RFC 2217 only
    QByteArray m_in;
    qsizetype m_next = 0;
    bool m_open = false;
};

} // namespace signlink
