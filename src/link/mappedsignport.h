#pragma once

#include "link/portmap.h"
#include "link/serialsignport.h"
#include "link/signport.h"
#include "link/tcpsignport.h"

namespace signlink {

// The sign port for any port map entry: on every open() it reads the entry of commPort() and
// opens a serial device (SerialSignPort) or a serial device server on the network
// (TcpSignPort) accordingly, passing their signals on. The windows make this one and need not
// know which kind of line a COM number stands for; a device entry behaves exactly as a
// SerialSignPort on its own.
class MappedSignPort final : public SignPort {
    Q_OBJECT
public:
    explicit MappedSignPort(PortMap map = PortMap(), QObject *parent = nullptr);

    OpenResult open() override;
    void close() override;
    bool isOpen() const override;
    qint64 inBufferCount() const override;
    char input() override;

    const PortMap &portMap() const { return m_map; }

protected:
    bool writeBytes(const QByteArray &bytes) override;

private:
    PortMap m_map;
    SerialSignPort m_serial;
    TcpSignPort m_network;
    SignPort *m_active = &m_serial;  // the kind the last open() chose
};

} // namespace signlink
