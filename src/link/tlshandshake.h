#pragma once

#include "link/portentry.h"
#include "link/signport.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QSslConfiguration>
#include <QString>

class QSslSocket;

namespace signlink {

struct TlsResult {
    OpenError error = OpenError::None;
    QString what;                  // what went wrong, to follow "COM n: ADDRESS "; empty on success
    QByteArray serverFingerprint;  // SHA-256 of the certificate the server showed, when it showed one
    bool timedOut = false;         // the deadline passed with the handshake unfinished; `what` is empty
    bool ok() const { return error == OpenError::None; }
};

// Turns the connected `socket` into a TLS connection to `address` (whose tls is set) before
// `deadline`, and makes sure of the server before anything is sent: its certificate must chain
// to a trusted authority and be made out to the host, or be exactly the pinned one. A pin
// without a CA file stands for that one certificate alone, whatever its name and dates: it is
// the stronger statement (the device's label carries it), and a device's own certificate often
// names the device rather than the address it is reached by, with dates from a clock never set.
// With a CA file beside the pin, both must hold.
//
// In TLS 1.3 a server says whether it takes the client (its certificate, or the lack of one)
// only after the handshake; the opening then waits for its first word, which an OpenSSL server
// sends at once, for at most SettleMs.
TlsResult startTls(QSslSocket &socket, const NetworkAddress &address, const QSslConfiguration &configuration,
                   const QDeadlineTimer &deadline);

inline constexpr int TlsSettleMs = 250;

} // namespace signlink
