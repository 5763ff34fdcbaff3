#include "link/mappedsignport.h"

namespace signlink {

MappedSignPort::MappedSignPort(PortMap map, QObject *parent)
    : SignPort(parent), m_map(map), m_serial(std::move(map))
{
    for (SignPort *inner : {static_cast<SignPort *>(&m_serial), static_cast<SignPort *>(&m_network)}) {
        connect(inner, &SignPort::received, this, &SignPort::received);
        connect(inner, &SignPort::connectionLost, this, &SignPort::connectionLost);
        connect(inner, &SignPort::outputUnsent, this, &SignPort::outputUnsent);
    }
}

OpenResult MappedSignPort::open()
{
    if (m_active->isOpen())
        return {};
    // Read afresh each time: the operator may have changed the entry since the last opening.
    const PortEntry entry = m_map.entry(commPort());
    switch (entry.kind) {
    case PortEntry::Kind::Invalid:
        return {OpenError::NoSuchPort, entry.problem};
    case PortEntry::Kind::Network:
        m_network.setAddress(entry.address);
        m_active = &m_network;
        break;
    case PortEntry::Kind::Device:
        m_active = &m_serial;
        break;
    }
    m_active->setCommPort(commPort());
    m_active->setName(givenName());
    return m_active->open();
}

void MappedSignPort::close()
{
    m_active->close();
}

bool MappedSignPort::isOpen() const
{
    return m_active->isOpen();
}

bool MappedSignPort::writeBytes(const QByteArray &bytes)
{
    return m_active->output(bytes);
}

qint64 MappedSignPort::inBufferCount() const
{
    return m_active->inBufferCount();
}

char MappedSignPort::input()
{
    return m_active->input();
}

} // namespace signlink
