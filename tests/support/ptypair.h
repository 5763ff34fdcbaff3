#pragma once

#include <QByteArray>
#include <QString>

namespace testsupport {

// A pseudo-terminal pair standing in for a serial cable: the tool opens the device end
// (slavePath()) like a serial port, and the test plays the sign on the other end. The device end
// is set raw and kept open here as well, so the tool opening and closing it does not hang it up.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isValid() const { return m_master >= 0; }
    QString error() const { return m_error; }
    QString slavePath() const { return m_slavePath; }

    // Sends bytes to the tool.
    bool write(const QByteArray &bytes);
    // Everything the tool has written so far that was not read yet (does not wait).
    QByteArray readAvailable();

    // Hangs the line up like a pulled cable: both ends held here are closed.
    void hangUp();

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_error;
};

// Waits, processing events, until `done` holds or `timeoutMs` pass; true when it held.
template <typename Predicate>
bool waitUntil(Predicate done, int timeoutMs = 5000);

} // namespace testsupport

#include <QDeadlineTimer>
#include <QTest>

template <typename Predicate>
bool testsupport::waitUntil(Predicate done, int timeoutMs)
{
    return QTest::qWaitFor(done, timeoutMs);
}
