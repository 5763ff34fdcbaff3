// The sign behind a serial device server in raw TCP mode: it listens on 127.0.0.1 and serves
// one client at a time. A second client is taken in by the system but waits, unheard and
// unanswered, until the first has gone; then it is served as if it had just connected.
#pragma once

#include "fd.h"
#include "line.h"

#include <memory>
#include <string>

namespace signsim {

class TcpLine final : public Line {
public:
    // Listens on 127.0.0.1:port; port 0 takes a free one.
    static std::unique_ptr<TcpLine> listen(int port, std::string& error);

    std::string name() const override;
    int fd() const override { return m_client.get(); }
    // Openings are only watched while nobody is connected, so that a second client waits.
    int watchFd() const override { return m_client.valid() ? -1 : m_listener.get(); }
    Change readEvents() override;
    bool peerPresent() const override { return m_client.valid(); }
    // What was sent is on its way to a client that has gone; nothing is held back here.
    void discardUnread() override { }
    bool peerGone() override;
    // Closes the client's connection and stops listening.
    void hangUp() override;

    int port() const { return m_port; }

private:
    TcpLine(UniqueFd listener, int port);

    UniqueFd m_listener;
    UniqueFd m_client;
    int m_port;
};

}  // namespace signsim
