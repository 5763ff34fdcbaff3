#pragma once

#include "link/portmap.h"
#include "link/signport.h"

#include <QSerialPort>

#include <optional>

namespace signlink {

// The sign port on a real serial device (or a pseudo-terminal standing in for one). The device
// is released when the object is destroyed, so a window that goes away never leaves it locked.
class SerialSignPort final : public SignPort {
    Q_OBJECT
public:
    explicit SerialSignPort(PortMap map = PortMap(), QObject *parent = nullptr);
    ~SerialSignPort() override;

    OpenResult open() override;
    void close() override;
    bool isOpen() const override;
    qint64 inBufferCount() const override;
    char input() override;

    const PortMap &portMap() const { return m_map; }

    // Bytes written and not yet on the line: in QSerialPort's buffer and in the driver's.
    qint64 pendingOutput() const;

    // How long closing waits at most for `pending` bytes to leave: their time on the line at
    // 9600 baud, 10 bits a byte, and a margin for the system.
    static int drainTimeoutMs(qint64 pending);

protected:
    bool writeBytes(const QByteArray &bytes) override;

private:
    void onError(QSerialPort::SerialPortError error);
    OpenResult describeOpenFailure(const QString &path) const;
    // The refusal of a map entry or device that is no terminal (a file, a pipe, /dev/null).
    std::optional<QString> notASerialPort(const QString &path) const;
    QString notASerialPortText(const QString &path) const;
    // Waits for pendingOutput() to reach 0 within drainTimeoutMs; what is left when it did not.
    qint64 drain();

    PortMap m_map;
    QSerialPort m_port;
    bool m_draining = false;
};

// A sentence for a permission failure on `path` a person can act on: join the device's group,
// or, when that is root or a group the user is in already, ask the administrator.
QString permissionDeniedText(const QString &path);

} // namespace signlink
