#pragma once

#include <QByteArray>

#include <atomic>
#include <mutex>
#include <thread>

namespace testsupport {

// A TCP server on 127.0.0.1 that plays a serial device server from a script, on a thread of its
// own so that it answers while the thread under test waits inside a synchronous open(). Each
// client gets `greeting` at once; after that the server keeps what the client sends and says
// nothing unless told to (send()), or hangs up at once when `hangUpAfterGreeting`, or floods it
// (see Flood). One client at a time; the server stops with this object.
class ScriptedServer {
public:
    // A misbehaving server: after the greeting, or once the client has sent `startAfter`, it
    // sends `pattern` over and over, as fast as the client takes it, reading what the client
    // sends meanwhile only when `reads`. The flood ends by itself after FloodGuardMs, so that a
    // client which never gives up fails its test instead of hanging it.
    struct Flood {
        QByteArray pattern;
        bool reads = true;
        QByteArray startAfter;
    };
    static constexpr int FloodGuardMs = 15000;

    explicit ScriptedServer(QByteArray greeting = {}, bool hangUpAfterGreeting = false);
    ScriptedServer(QByteArray greeting, Flood flood);
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
    // Whether the client went away while the flood still ran, and how much of it was sent.
    bool clientLeftDuringFlood() const { return m_clientLeftDuringFlood; }
    qint64 flooded() const { return m_flooded; }

private:
    ScriptedServer(QByteArray greeting, bool hangUpAfterGreeting, Flood flood);
    void run();
    bool flood(int client);
    bool readFrom(int client);

    QByteArray m_greeting;
    bool m_hangUpAfterGreeting;
    Flood m_flood;
    int m_listener = -1;
    int m_wake[2] = {-1, -1};
    quint16 m_port = 0;
    std::atomic<int> m_client {-1};
    std::atomic<int> m_connections {0};
    std::atomic<bool> m_clientLeftDuringFlood {false};
    std::atomic<qint64> m_flooded {0};
    mutable std::mutex m_mutex;
    QByteArray m_received;
    std::thread m_thread;
};

} // namespace testsupport
