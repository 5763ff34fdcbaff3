#include "link/tcpsignport.h"

#include "link/hostlookup.h"
#include "link/tlscredentials.h"
#include "link/tlshandshake.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace signlink {

namespace {

// As much as a serial port's input buffer holds; the rest waits in the socket.
constexpr qint64 InputBufferSize = 1024;
// What a server says before it hangs up is kept this far, to tell a busy one.
constexpr qsizetype LongestGreeting = 256;

// The first line of what a server said, fit to be quoted.
QString firstLine(const QByteArray &said)
{
    QString line;
    for (char c : said) {
        if (c == '\r' || c == '\n') {
            if (!line.isEmpty())
                break;
            continue;
        }
        line += QChar::fromLatin1(c).isPrint() ? QChar::fromLatin1(c) : QChar(u'?');
    }
    return line.left(80);
}

QString unsentText()
{
    return QStringLiteral("does not take what is sent to it (more than %1 KB wait to go out)")
        .arg(TcpSignPort::MaxUnsentBytes / 1024);
}

// The server sends its side of the set-up in several small pieces, inside TLS each a record of
// its own, and holds the next until the last is acknowledged; a delayed acknowledgement here
// cost about 45 ms per opening. Linux forgets the setting after a while, so it is asked for
// before every wait. Where it cannot be set, the set-up is only slower.
void acknowledgeAtOnce(qintptr descriptor)
{
    if (descriptor < 0)
        return;
    const int on = 1;
    setsockopt(int(descriptor), IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
}

} // namespace

TcpSignPort::TcpSignPort(QObject *parent) : SignPort(parent)
{
    watch(m_plain);
}

TcpSignPort::~TcpSignPort()
{
    // The sockets go after the members their handlers use: they must not call them on their way out.
    m_plain.disconnect(this);
    if (m_tls)
        m_tls->disconnect(this);
    m_open = false;
    m_socket->abort();
}

void TcpSignPort::watch(QTcpSocket &socket)
{
    socket.setReadBufferSize(InputBufferSize);
    connect(&socket, &QTcpSocket::readyRead, this, &TcpSignPort::onReadyRead);
    connect(&socket, &QTcpSocket::disconnected, this, &TcpSignPort::onDropped);
    connect(&socket, &QTcpSocket::errorOccurred, this, &TcpSignPort::onSocketError);
}

// A TLS connection starts on a socket of its own every time: nothing learnt on an earlier one
// (a session to resume, a certificate seen) can stand in for checking the server again.
void TcpSignPort::useNewTlsSocket()
{
    if (m_tls) {
        m_tls->disconnect(this);
        m_tls->abort();
        // Not deleted at once: open() may be called from a handler of its signals.
        m_tls.release()->deleteLater();
    }
    m_tls = std::make_unique<QSslSocket>();
    watch(*m_tls);
    m_socket = m_tls.get();
}

QString TcpSignPort::where() const
{
    return namePrefix() + m_address.text();
}

OpenResult TcpSignPort::failure(OpenError error, const QString &what)
{
    release();
    return {error, where() + u' ' + what};
}

OpenResult TcpSignPort::open()
{
    if (m_open)
        return {};
    const QDeadlineTimer deadline(OpenTimeoutMs);
    QSslConfiguration tls;
    if (m_address.tls) {
        // A file named in the entry that is unusable stops the opening before any connection.
        std::optional<QString> unusable = tlsUnavailable();
        if (!unusable)
            unusable = makeTlsConfiguration(*m_address.tls, &tls);
        if (unusable)
            return failure(OpenError::Other, QStringLiteral("cannot be used: %1. Nothing was sent.").arg(*unusable));
        useNewTlsSocket();
    } else {
        m_socket = &m_plain;
    }
    if (OpenResult connected = connectBefore(deadline); !connected.ok())
        return connected;
    QByteArray fingerprint;
    if (m_address.tls) {
        const TlsResult secured = startTls(*m_tls, m_address, tls, deadline);
        if (!secured.ok()) {
            OpenResult failed = failure(secured.error, secured.timedOut ? QStringLiteral("did not answer the TLS handshake "
                                                                                         "within %1 seconds; check that "
                                                                                         "this port of the server speaks "
                                                                                         "TLS.").arg(OpenTimeoutMs / 1000)
                                                                         : secured.what);
            failed.serverFingerprint = secured.serverFingerprint;
            return failed;
        }
        fingerprint = secured.serverFingerprint;
    }
    if (m_address.protocol == NetworkAddress::Protocol::Rfc2217) {
        if (OpenResult set = setUpLine(deadline); !set.ok())
            return set;
    }
    m_in.clear();
    m_next = 0;
    m_open = true;
    ++m_connection;
    return {OpenError::None, {}, fingerprint};
}

OpenResult TcpSignPort::connectBefore(const QDeadlineTimer &deadline)
{
    const HostLookup lookup = lookUpHost(m_address.host, deadline);
    const QString seconds = QString::number(OpenTimeoutMs / 1000);
    switch (lookup.outcome) {
    case HostLookup::Outcome::Found:
        break;
    case HostLookup::Outcome::NotFound:
        return failure(OpenError::NoSuchPort,
                       QStringLiteral("cannot be reached: the host \"%1\" was not found.").arg(m_address.host));
    case HostLookup::Outcome::TimedOut:
        return failure(OpenError::Other, QStringLiteral("did not answer within %1 seconds (the host \"%2\" could not "
                                                        "be looked up in that time).").arg(seconds, m_address.host));
    case HostLookup::Outcome::Failed:
        return failure(OpenError::Other, QStringLiteral("cannot be reached: the host \"%1\" could not be looked up (%2).")
                                             .arg(m_address.host, lookup.systemText));
    }

    // Every address the name has is tried in turn (a name may stand for IPv6 and IPv4 both),
    // within the same time.
    QAbstractSocket::SocketError lastError = QAbstractSocket::SocketTimeoutError;
    QString lastText;
    for (const QHostAddress &address : lookup.addresses) {
        if (deadline.hasExpired())
            break;
        m_socket->abort();
        m_socket->connectToHost(address, m_address.port);
        if (m_socket->waitForConnected(int(deadline.remainingTime())))
            return {};
        lastError = m_socket->error();
        lastText = m_socket->errorString();
    }
    if (lastError == QAbstractSocket::ConnectionRefusedError)
        return failure(OpenError::Other, QStringLiteral("refused the connection; check that the serial server runs "
                                                        "and listens on that port."));
    if (lastError == QAbstractSocket::SocketTimeoutError || deadline.hasExpired())
        return failure(OpenError::Other, QStringLiteral("did not answer within %1 seconds.").arg(seconds));
    return failure(OpenError::Other, QStringLiteral("cannot be reached: %1.").arg(lastText));
}

OpenResult TcpSignPort::setUpLine(const QDeadlineTimer &deadline)
{
    m_control = std::make_unique<ComPortControl>();
    m_socket->write(m_control->start());
    const auto tooLate = [this] {
        return failure(OpenError::Other, QStringLiteral("did not answer the serial port set-up within %1 seconds.")
                                             .arg(OpenTimeoutMs / 1000));
    };
    // Bytes that come before the line is set up are not the sign's answer to anything: they
    // are kept only to tell a server that turns the connection away.
    QByteArray said;
    // A deadline, not a quiet spell: a server that keeps talking without finishing the set-up
    // is given up on all the same.
    const qint64 end = m_clock() + deadline.remainingTime();
    while (m_control->status() == ComPortControl::Status::Negotiating) {
        const qint64 left = end - m_clock();
        if (left <= 0)
            return tooLate();
        acknowledgeAtOnce(m_socket->socketDescriptor());
        if (m_socket->bytesAvailable() == 0 && !m_socket->waitForReadyRead(int(left))) {
            if (m_socket->state() == QAbstractSocket::ConnectedState)
                return tooLate();
            const QString text = firstLine(said);
            if (text.contains(QStringLiteral("in use"), Qt::CaseInsensitive)
                || text.contains(QStringLiteral("busy"), Qt::CaseInsensitive))
                return failure(OpenError::Busy,
                               QStringLiteral("is in use by another program (the server said \"%1\").").arg(text));
            return failure(OpenError::Other, QStringLiteral("closed the connection while the serial line was being "
                                                            "set up%1.")
                                                 .arg(text.isEmpty() ? QString() : QStringLiteral(" (it said \"%1\")").arg(text)));
        }
        const ComPortControl::Received got = m_control->feed(m_socket->readAll());
        said += got.data.left(LongestGreeting - said.size());
        if (!answer(got.replies))
            return failure(OpenError::Other, unsentText() + u'.');
    }
    if (m_control->status() == ComPortControl::Status::Failed)
        return failure(OpenError::Other, m_control->failure() + u'.');
    m_socket->flush();
    return {};
}

// Sends telnet's answers to the server; false when more than MaxUnsentBytes then wait to go
// out. They are handed to the system at once, as the set-up reads on without waiting while the
// server keeps talking. A write that fails here shows as the connection's end, which the caller
// meets next.
bool TcpSignPort::answer(const QByteArray &replies)
{
    if (!replies.isEmpty()) {
        m_socket->write(replies);
        m_socket->flush();
    }
    return m_socket->bytesToWrite() <= MaxUnsentBytes;
}

// Closes the connection at once, and reports it from the event loop: the server may be cut off
// from inside a window's read or write, which must not hear of it there.
void TcpSignPort::cutOff(const QString &why)
{
    m_open = false;
    release();
    const QString description = where() + u' ' + why + u'.';
    QMetaObject::invokeMethod(
        this,
        [this, description, connection = m_connection] {
            if (connection == m_connection)
                emit connectionLost(description);
        },
        Qt::QueuedConnection);
}

bool TcpSignPort::writeBytes(const QByteArray &bytes)
{
    if (!m_open)
        return false;
    // Queued like a serial port's write and sent from the event loop, so that a failure is
    // reported afterwards through connectionLost and never from inside a window's write.
    const QByteArray wire = m_control ? ComPortControl::encode(bytes) : bytes;
    if (m_socket->write(wire) != wire.size())
        return false;
    if (m_socket->bytesToWrite() > MaxUnsentBytes) {
        cutOff(unsentText());
        return false;
    }
    return true;
}

char TcpSignPort::input()
{
    if (inBufferCount() == 0 && (!m_open || !takeReceived()))
        return 0;
    const char c = m_in[m_next++];
    // What waits in the socket follows on, so a reading loop drains everything that came.
    if (inBufferCount() == 0 && m_open)
        takeReceived();
    return c;
}

bool TcpSignPort::takeReceived()
{
    if (inBufferCount() == 0) {
        m_in.clear();
        m_next = 0;
    }
    const qint64 room = InputBufferSize - inBufferCount();
    if (room <= 0)
        return false;
    const QByteArray bytes = m_socket->read(room);
    if (bytes.isEmpty())
        return false;
    if (!m_control) {
        m_in += bytes;
        return true;
    }
    const ComPortControl::Received got = m_control->feed(bytes);
    if (m_control->status() == ComPortControl::Status::Failed) {
        cutOff(m_control->failure());
        return false;
    }
    if (!answer(got.replies)) {
        cutOff(unsentText());
        return false;
    }
    m_in += got.data;
    return !got.data.isEmpty();
}

void TcpSignPort::onReadyRead()
{
    // While open() waits, it reads the socket itself.
    if (m_open && takeReceived())
        emit received();
}

void TcpSignPort::onSocketError(QAbstractSocket::SocketError error)
{
    // The waits in open() and close() time out on purpose; that is no failure of the line.
    if (error != QAbstractSocket::SocketTimeoutError && error != QAbstractSocket::TemporaryError)
        onDropped();
}

void TcpSignPort::onDropped()
{
    if (!m_open)
        return;
    // What the sign said before the connection went still reaches the window.
    if (takeReceived())
        emit received();
    if (!m_open)
        return;
    const QString description = m_socket->error() == QAbstractSocket::RemoteHostClosedError
                                    ? where() + QStringLiteral(" closed the connection.")
                                    : namePrefix() + QStringLiteral("the connection to %1 failed: %2.")
                                                         .arg(m_address.text(), m_socket->errorString());
    m_open = false;
    release();
    emit connectionLost(description);
}

void TcpSignPort::close()
{
    if (!m_open) {
        release();
        return;
    }
    m_open = false;
    // What was written goes out first, as from a serial port, though never for longer than it
    // would take on the line itself and a margin.
    const QDeadlineTimer deadline(lineTimeMs(m_socket->bytesToWrite()) + CloseMarginMs);
    while (m_socket->bytesToWrite() > 0 && m_socket->state() == QAbstractSocket::ConnectedState
           && m_socket->waitForBytesWritten(int(deadline.remainingTime()))) {
    }
    const qint64 unsent = m_socket->bytesToWrite();
    // Unread input at closing time would make the system reset the connection instead of
    // ending it, and a reset may cost the server the last command.
    if (m_socket->state() == QAbstractSocket::ConnectedState) {
        m_socket->readAll();
        m_socket->waitForReadyRead(0);
        m_socket->readAll();
    }
    m_socket->disconnectFromHost();
    release();
    if (unsent > 0)
        emit outputUnsent(unsentOutputText(unsent));
}

void TcpSignPort::release()
{
    m_socket->abort();
    m_in.clear();
    m_next = 0;
    m_control.reset();
}

} // namespace signlink
