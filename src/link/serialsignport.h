#pragma once

#include "link/portmap.h"
#include "link/signport.h"

#include <QSerialPort>

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
    bool output(const QByteArray &bytes) override;
    qint64 inBufferCount() const override;
    char input() override;

    const PortMap &portMap() const { return m_map; }

private:
    void onError(QSerialPort::SerialPortError error);
    OpenResult describeOpenFailure(const QString &path) const;

    PortMap m_map;
    QSerialPort m_port;
};

// A sentence for a failed opening of `path` by the kind of failure, naming the device's group when
// permission was denied. Separate from the port so that the wording can be checked on its own.
QString permissionDeniedText(const QString &path);

} // namespace signlink
