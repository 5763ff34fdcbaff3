#pragma once

#include <QByteArray>

#include <atomic>
#include <mutex>
#include <thread>

namespace testsupport {

// A TCP server on 127.0.0.1 that plays a serial device server from a script, on a thread of its
// own so that it answers while the thread under test waits inside a synchronous open(). Each
// client gets `greeting` at once; after that the server keeps what the client sends and says
// nothing unless told to (send()), or hangs up at once when `hangUpAfterGreeting`. One client
// at a time; the server stops with this object.
class ScriptedServer {
public:
    explicit ScriptedServer(QByteArray greeting = {}, bool hangUpAfterGreeting = false);
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer &) = delete;
    ScriptedServer &operator=(const ScriptedServer &) = delete;

    bool isListening() const { return m_port != 0; }
    quint16 port() const { return m_port; }

    // Everything the clients sent so far.
    QByteArray received() const;
    int connections() const { return m_connections; }
    // Sends bytes to the client connected now; false when there is none.
    bool send(const QByteArray &bytes);
    // Hangs up on the client connected now.
    void hangUp();

private:
    void run();

    QByteArray m_greeting;
    bool m_hangUpAfterGreeting;
    int m_listener = -1;
    int m_wake[2] = {-1, -1};
    quint16 m_port = 0;
    std::atomic<int> m_client {-1};
    std::atomic<int> m_connections {0};
    mutable std::mutex m_mutex;
    QByteArray m_received;
    std::thread m_thread;
};

} // namespace testsupport
