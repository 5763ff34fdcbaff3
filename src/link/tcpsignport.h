#pragma once

#include "link/comportcontrol.h"
#include "link/portentry.h"
#include "link/signport.h"

#include <QAbstractSocket>
#include <QDeadlineTimer>
#include <QSslSocket>
#include <QTcpSocket>

#include <functional>
#include <memory>

namespace signlink {

// The sign port on a serial device server: a raw TCP connection that carries the bytes as they
// are, or an RFC 2217 (telnet) one that also sets the server's line to 9600 baud, 8N1, no flow
// control. Towards the windows it behaves as a serial port does: open() waits for the
// connection (at most OpenTimeoutMs), characters are read one at a time, close() lets what was
// written go out first, and a connection the server drops while open is reported once through
// connectionLost, the port already closed. A server that breaks the telnet protocol, or leaves
// more than MaxUnsentBytes unread, is cut off the same way: a misbehaving one can neither swell
// the tool nor hold it.
//
// Inside TLS (tls://, rfc2217+tls://) the server must prove who it is before anything is sent
// (tlshandshake.h); the open() then reports the server's certificate fingerprint, and a server
// that does not prove itself is an open() failure with OpenError::CertificateRejected.
class TcpSignPort final : public SignPort {
    Q_OBJECT
public:
    explicit TcpSignPort(QObject *parent = nullptr);
    ~TcpSignPort() override;

    void setAddress(const NetworkAddress &address) { m_address = address; }
    const NetworkAddress &address() const { return m_address; }
    // Milliseconds on a steady clock, by which the RFC 2217 set-up keeps its deadline; a test
    // may put in a clock of its own.
    using Clock = std::function<qint64()>;
    void setClock(Clock clock) { m_clock = std::move(clock); }

    OpenResult open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    qint64 inBufferCount() const override { return m_in.size() - m_next; }
    char input() override;

    // The longest open() may take, host lookup, TLS handshake and RFC 2217 set-up included.
    static constexpr int OpenTimeoutMs = 3000;
    // Added to the time the written bytes take at 9600 baud when close() waits for them to go.
    static constexpr int CloseMarginMs = 1000;
    // The most that may wait to go out: far more than the windows ever send at once, which at
    // 9600 baud would take the sign's line a quarter of an hour.
    static constexpr qint64 MaxUnsentBytes = 1024 * 1024;

protected:
    bool writeBytes(const QByteArray &bytes) override;

private:
    OpenResult connectBefore(const QDeadlineTimer &deadline);
    OpenResult setUpLine(const QDeadlineTimer &deadline);
    OpenResult failure(OpenError error, const QString &what);
    bool answer(const QByteArray &replies);
    void cutOff(const QString &why);
    QString where() const;
    void watch(QTcpSocket &socket);
    void useNewTlsSocket();
    void onReadyRead();
    void onSocketError(QAbstractSocket::SocketError error);
    void onDropped();
    bool takeReceived();
    void release();

    NetworkAddress m_address;
    Clock m_clock = [] { return QDeadlineTimer::current().deadline(); };
    QTcpSocket m_plain;
    std::unique_ptr<QSslSocket> m_tls;  // a new one for every TLS connection
    QTcpSocket *m_socket = &m_plain;    // the one the connection uses
    std::unique_ptr<ComPortControl> m_control;  // RFC 2217 only
    QByteArray m_in;
    qsizetype m_next = 0;
    bool m_open = false;
    quint64 m_connection = 0;  // counts the opens, so that a late report never meets a new connection
};

} // namespace signlink
