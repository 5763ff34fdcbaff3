#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// Debian's ser2net as the serial device server in front of a device (the simulated sign's
// pseudo-terminal), offering it on a free port of 127.0.0.1 as RFC 2217 (telnet with serial port
// control) or as the bytes themselves, either inside TLS when given a certificate (gensio's ssl
// layer, which Debian's ser2net has). It runs while this object lives.
class SerialServer {
public:
    SerialServer() = default;
    SerialServer(const SerialServer &) = delete;
    SerialServer &operator=(const SerialServer &) = delete;
    ~SerialServer();

    struct Offer {
        bool rfc2217 = true;
        QString certificate;  // PEM files of the server's certificate and key; none: plain text
        QString key;
    };

    // Starts it for `device` and waits until it listens. False with `error` set when ser2net
    // is not installed or does not come up.
    bool start(const QString &device, QString *error, const Offer &offer);
    bool start(const QString &device, QString *error);  // RFC 2217 in plain text

    quint16 port() const { return m_port; }
    // The port map entry that reaches it, without parameters.
    QString address() const;
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    // Ends it at once, like a server that loses its power: its connections drop.
    void kill();

private:
    bool startOnce(const QString &program, const QString &device, QString *error);

    QTemporaryDir m_dir;
    Offer m_offer;
    QProcess m_process;
    quint16 m_port = 0;
};

// Whether something listens on 127.0.0.1:port (read from /proc, without connecting).
bool isListening(quint16 port);

// A port of 127.0.0.1 that nothing listens on just now.
quint16 freePort();

// Starts `program` with `arguments` and waits until it listens on 127.0.0.1:port. False with
// `error` set (and the program ended) when it does not come up.
bool startListening(QProcess &process, const QString &program, const QStringList &arguments, quint16 port,
                    QString *error);

} // namespace testsupport
