#pragma once

#include <QProcess>
#include <QString>

namespace testsupport {

// A TLS front for a plain TCP port: Debian's socat accepting TLS on 127.0.0.1 with a given
// certificate, and asking for a client certificate when told, and passing each connection on to
// the port (the test's own server, or the simulated sign's --tcp port). ser2net speaks TLS
// itself (SerialServer::Offer), but only in front of a serial device; this stands where there is
// none, and where a test needs a server that asks for a client certificate. It runs while this
// object lives.
class TlsTerminator {
public:
    TlsTerminator() = default;
    TlsTerminator(const TlsTerminator &) = delete;
    TlsTerminator &operator=(const TlsTerminator &) = delete;
    ~TlsTerminator() { stop(); }

    struct Setup {
        QString certificate;  // PEM files of the server's certificate and key
        QString key;
        QString clientCa;     // when set, a client certificate signed by this authority is required
        quint16 port = 0;     // where to listen; 0 for a free port
    };
    // Starts it and waits until it listens. False with `error` set when socat is missing or does
    // not come up.
    bool start(quint16 target, const Setup &setup, QString *error);
    void stop();

    quint16 port() const { return m_port; }

private:
    QProcess m_process;
    quint16 m_port = 0;
};

} // namespace testsupport
