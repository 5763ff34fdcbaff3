#pragma once

#include "link/signport.h"

#include <QByteArray>
#include <QList>

#include <deque>

namespace testsupport {

// A sign port a test scripts: what opening returns, what the "sign" sends, and a record of every
// write. Receiving is asynchronous like a real port: feed() queues the bytes and raises
// received() from the event loop.
class FakeSignPort final : public signlink::SignPort {
    Q_OBJECT
public:
    using signlink::SignPort::SignPort;

    // --- the script ---
    void failNextOpens(signlink::OpenResult result) { m_openFailure = std::move(result); }
    void succeedOpens() { m_openFailure = {}; }
    // Bytes arriving from the sign; received() follows once control returns to the event loop.
    void feed(const QByteArray &bytes);
    // Bytes arriving at once, with received() raised before this returns.
    void feedNow(const QByteArray &bytes);
    // The device fails while open, as an unplugged adapter does.
    void failWhileOpen(const QString &description);
    // Writes are refused from now on (false from output()).
    void refuseWrites(bool refuse) { m_refuseWrites = refuse; }
    // The next close() finds `bytes` not yet sent, as on a line that did not drain in time, and
    // says so with outputUnsent().
    void leaveUnsentAtNextClose(qint64 bytes) { m_unsentAtClose = bytes; }

    // --- what happened ---
    QList<QByteArray> writes;   // every accepted write, in order
    QList<int> openedPorts;     // the COM number of every successful opening
    int openAttempts = 0;
    int closeCount = 0;

    // --- SignPort ---
    signlink::OpenResult open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    qint64 inBufferCount() const override { return qint64(m_incoming.size()); }
    char input() override;

protected:
    bool writeBytes(const QByteArray &bytes) override;

private:
    signlink::OpenResult m_openFailure;
    bool m_open = false;
    bool m_refuseWrites = false;
    qint64 m_unsentAtClose = 0;
    std::deque<char> m_incoming;
};

} // namespace testsupport
