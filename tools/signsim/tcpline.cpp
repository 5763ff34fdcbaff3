#include "tcpline.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace signsim {

std::unique_ptr<TcpLine> TcpLine::listen(int port, std::string& error)
{
    const auto fail = [&error](const std::string& what) {
        error = what + ": " + std::strerror(errno);
        return nullptr;
    };
    UniqueFd listener(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!listener.valid())
        return fail("socket");
    // A sign restarted on the same port must not wait for the old connections to time out.
    const int on = 1;
    ::setsockopt(listener.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return fail("127.0.0.1:" + std::to_string(port));
    // Room for many waiting clients: a client that closes and reconnects at once queues up
    // instead of having its attempt dropped, which the system would retry only a second later.
    if (::listen(listener.get(), 64) != 0)
        return fail("listen");
    socklen_t length = sizeof address;
    if (::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return fail("getsockname");
    return std::unique_ptr<TcpLine>(new TcpLine(std::move(listener), ntohs(address.sin_port)));
}

TcpLine::TcpLine(UniqueFd listener, int port)
    : m_listener(std::move(listener))
    , m_port(port)
{
}

std::string TcpLine::name() const
{
    return "tcp://127.0.0.1:" + std::to_string(m_port);
}

Line::Change TcpLine::readEvents()
{
    Change change;
    if (m_client.valid() || !m_listener.valid())
        return change;
    m_client.reset(::accept4(m_listener.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    change.opened = m_client.valid();
    return change;
}

bool TcpLine::peerGone()
{
    m_client.reset();
    return true;
}

void TcpLine::hangUp()
{
    m_client.reset();
    m_listener.reset();
}

}  // namespace signsim
