#include "fakesignport.h"

#include <QMetaObject>

#include <utility>

namespace testsupport {

void FakeSignPort::feed(const QByteArray &bytes)
{
    m_incoming.insert(m_incoming.end(), bytes.begin(), bytes.end());
    QMetaObject::invokeMethod(this, [this] {
        if (m_open && !m_incoming.empty())
            emit received();
    }, Qt::QueuedConnection);
}

void FakeSignPort::feedNow(const QByteArray &bytes)
{
    m_incoming.insert(m_incoming.end(), bytes.begin(), bytes.end());
    if (m_open)
        emit received();
}

void FakeSignPort::failWhileOpen(const QString &description)
{
    if (!m_open)
        return;
    m_open = false;
    m_incoming.clear();
    ++closeCount;
    emit connectionLost(description);
}

signlink::OpenResult FakeSignPort::open()
{
    ++openAttempts;
    if (m_open)
        return {};
    if (!m_openFailure.ok())
        return m_openFailure;
    m_open = true;
    openedPorts.append(commPort());
    return {};
}

void FakeSignPort::close()
{
    if (!m_open)
        return;
    m_open = false;
    ++closeCount;
    if (const qint64 unsent = std::exchange(m_unsentAtClose, 0); unsent > 0)
        emit outputUnsent(signlink::unsentOutputText(unsent));
}

bool FakeSignPort::writeBytes(const QByteArray &bytes)
{
    if (!m_open || m_refuseWrites)
        return false;
    writes.append(bytes);
    return true;
}

char FakeSignPort::input()
{
    if (m_incoming.empty())
        return 0;
    const char c = m_incoming.front();
    m_incoming.pop_front();
    return c;
}

} // namespace testsupport
