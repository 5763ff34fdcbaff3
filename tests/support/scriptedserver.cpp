#include "scriptedserver.h"

#include <arpa/inet.h>
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
    : m_greeting(std::move(greeting)), m_hangUpAfterGreeting(hangUpAfterGreeting)
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
            if (!writeAll(accepted, m_greeting) || m_hangUpAfterGreeting) {
                ::close(accepted);
                continue;
            }
            m_client = accepted;
            continue;
        }
        char buffer[4096];
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) {
            m_client = -1;
            ::close(client);
            continue;
        }
        const std::lock_guard lock(m_mutex);
        m_received.append(buffer, n);
    }
}

} // namespace testsupport
