#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

namespace signlink {

class TrafficLog;

// Why a port could not be opened. The numbers are what the operator sees; 8002 has always meant
// "there is no such port", the others are this tool's own.
enum class OpenError : int {
    None = 0,
    NoSuchPort = 8002,        // the COM number is outside 1..12 or its device does not exist
    Busy = 8005,              // another program holds the port
    PermissionDenied = 8015,  // the user may not open the device
    Other = 8020,             // anything else; the description carries the system's message
    CertificateRejected = 8030,  // a server reached through TLS did not prove who it is
};

struct OpenResult {
    OpenResult() = default;
    OpenResult(OpenError error, QString description, QByteArray serverFingerprint = {})
        : error(error), description(std::move(description)), serverFingerprint(std::move(serverFingerprint))
    {
    }

    OpenError error = OpenError::None;
    QString description;  // a sentence a person can act on; empty on success
    // Through TLS: the SHA-256 of the certificate the server showed, whether or not it was
    // accepted, so that a person can compare it with the device's and pin it. Empty otherwise.
    QByteArray serverFingerprint;
    bool ok() const { return error == OpenError::None; }
    int code() const { return static_cast<int>(error); }
};

// One serial connection to the sign, with the operations the windows use: choose the COM number,
// open, write one command, read waiting characters one at a time, close. The line settings are
// fixed (9600 baud, 8 data bits, no parity, 1 stop bit, no flow control).
//
// Implementations: SerialSignPort (a real device through QSerialPort) and the tests' fake.
class SignPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SignPort() override = default;

    void setCommPort(int comNumber) { m_commPort = comNumber; }
    int commPort() const { return m_commPort; }

    // How the port's sentences name it: "COM 3", unless whoever made the port gave it a name of
    // its own (the command line names a sign given by its device or address so).
    void setName(const QString &name) { m_name = name; }
    QString givenName() const { return m_name; }
    QString name() const;
    // "COM 3 (DETAIL)", DETAIL saying what COM 3 opens; a port with a name of its own is DETAIL.
    QString nameWith(const QString &detail) const;
    // "COM 3: " before a sentence about what the port opens; nothing for a port with a name.
    QString namePrefix() const;

    // Where the connection made over this port reports its traffic (output() each write, the
    // SignLink over it each line); none by default. Whoever makes the ports sets it, so that the
    // windows need not know about it.
    void setTrafficLog(TrafficLog *log);
    TrafficLog *trafficLog() const;

    virtual OpenResult open() = 0;
    // Closes the port once everything written has gone out, waiting no longer than the pending
    // bytes take at 9600 baud and a little more. What is still unsent then is dropped, and
    // outputUnsent() says so.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Queues the bytes for sending in one write, exactly as they are: what a command is, and
    // what the sign can take, is decided above the port. False when the port is not open or
    // the write was refused; nothing is sent then.
    bool output(const QByteArray &bytes);

    // Characters received and not yet read, and the next of them.
    virtual qint64 inBufferCount() const = 0;
    virtual char input() = 0;

signals:
    // At least one character is waiting.
    void received();
    // The open port failed (adapter unplugged, line hung up). The port is already closed when
    // this is emitted, and it is emitted once per failure.
    void connectionLost(const QString &description);
    // close() gave up waiting for the line: part of what was written never left. The port is
    // closed when this is emitted; `description` is a sentence for the operator.
    void outputUnsent(const QString &description);

protected:
    // The write itself; output() reports it to the traffic log once it is taken.
    virtual bool writeBytes(const QByteArray &bytes) = 0;

private:
    int m_commPort = 1;
    QString m_name;
    QPointer<TrafficLog> m_trafficLog;
};

} // namespace signlink

namespace signlink {

// How long `bytes` take on the sign's line: 10 bits a byte (8N1) at 9600 baud, rounded up.
qint64 lineTimeMs(qint64 bytes);

// What outputUnsent() says when `unsent` bytes were dropped at closing.
QString unsentOutputText(qint64 unsent);

// The text of the "Cannot Open Port:" message for COM `comNumber`: the number, a line break, and
// "Please Change Comport" when the port does not exist, the failure's own description otherwise.
QString cannotOpenPortMessage(int comNumber, const OpenResult &result);

} // namespace signlink
