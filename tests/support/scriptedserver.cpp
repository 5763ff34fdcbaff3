#include "scriptedserver.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

namespace {

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

ScriptedServer::ScriptedServer(QByteArray greeting, bool hangUpAfterGreeting)
    : ScriptedServer(std::move(greeting), hangUpAfterGreeting, {})
{
}

ScriptedServer::ScriptedServer(QByteArray greeting, Flood flood) : ScriptedServer(std::move(greeting), false, std::move(flood))
{
}

ScriptedServer::ScriptedServer(QByteArray greeting, bool hangUpAfterGreeting, Flood flood)
    : m_greeting(std::move(greeting)), m_hangUpAfterGreeting(hangUpAfterGreeting), m_flood(std::move(flood))
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(m_listener, 4) != 0 || ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length) != 0
        || ::pipe2(m_wake, O_CLOEXEC) != 0)
        return;
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { run(); });
}

ScriptedServer::~ScriptedServer()
{
    if (m_thread.joinable()) {
        const char stop = 0;
        [[maybe_unused]] const ssize_t n = ::write(m_wake[1], &stop, 1);
        m_thread.join();
    }
    for (int fd : {m_listener, m_wake[0], m_wake[1], m_client.load()}) {
        if (fd >= 0)
            ::close(fd);
    }
}

QByteArray ScriptedServer::received() const
{
    const std::lock_guard lock(m_mutex);
    return m_received;
}

bool ScriptedServer::send(const QByteArray &bytes)
{
    const int client = m_client;
    return client >= 0 && writeAll(client, bytes);
}

void ScriptedServer::hangUp()
{
    const int client = m_client;
    if (client >= 0)
        ::shutdown(client, SHUT_RDWR);
}

void ScriptedServer::run()
{
    bool floodDue = false;  // for the client connected now
    while (true) {
        const int client = m_client;
        pollfd fds[2] = {{m_wake[0], POLLIN, 0}, {client >= 0 ? client : m_listener, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0)
            continue;
        if (fds[0].revents)
            return;
        if (!fds[1].revents)
            continue;
        if (client < 0) {
            const int accepted = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (accepted < 0)
                continue;
            ++m_connections;
            floodDue = !m_flood.pattern.isEmpty();
            if (!writeAll(accepted, m_greeting) || m_hangUpAfterGreeting
                || (floodDue && m_flood.startAfter.isEmpty() && !flood(accepted))) {
                ::close(accepted);
                continue;
            }
            m_client = accepted;
            continue;
        }
        bool gone = !readFrom(client);
        if (!gone && floodDue && !m_flood.startAfter.isEmpty() && received().contains(m_flood.startAfter)) {
            floodDue = false;
            gone = !flood(client);
        }
        if (gone) {
            m_client = -1;
            ::close(client);
        }
    }
}

// False when the client has gone.
bool ScriptedServer::readFrom(int client)
{
    char buffer[4096];
    const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
    if (n <= 0)
        return false;
    const std::lock_guard lock(m_mutex);
    m_received.append(buffer, n);
    return true;
}

// Sends the flood until the guard time is up or the server stops; false when the client went
// away meanwhile.
bool ScriptedServer::flood(int client)
{
    using Clock = std::chrono::steady_clock;
    const QByteArray chunk = m_flood.pattern.repeated(std::max<qsizetype>(1, 65536 / m_flood.pattern.size()));
    qsizetype offset = 0;  // the chunk holds whole patterns, so the stream stays unbroken across sends
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(FloodGuardMs);
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0)
            return true;
        const short events = short(POLLOUT | (m_flood.reads ? POLLIN : 0));
        pollfd fds[2] = {{m_wake[0], POLLIN, 0}, {client, events, 0}};
        if (::poll(fds, 2, int(left)) <= 0)
            continue;
        if (fds[0].revents)
            return true;  // stopping: run() sees the wake-up next
        if ((fds[1].revents & POLLIN) && !readFrom(client)) {
            m_clientLeftDuringFlood = true;
            return false;
        }
        if (!(fds[1].revents & (POLLOUT | POLLERR | POLLHUP)))
            continue;
        const ssize_t n = ::send(client, chunk.constData() + offset, size_t(chunk.size() - offset), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            m_clientLeftDuringFlood = true;
            return false;
        }
        if (n > 0) {
            offset = (offset + n) % chunk.size();
            m_flooded += n;
        }
    }
}

} // namespace testsupport
