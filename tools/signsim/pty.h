// The simulated sign's end of the line: a pseudo-terminal whose slave side stands in for the
// serial device, and an optional symbolic link that names it like a serial port.
#pragma once

#include "fd.h"

#include <optional>
#include <string>

namespace signsim {

class PseudoTerminal {
public:
    // Opens the pair, sets the slave raw and keeps a slave descriptor of its own, so that the
    // tool opening and closing its end never hangs the line up.
    static std::optional<PseudoTerminal> open(std::string& error);

    int master() const { return m_master.get(); }
    int slave() const { return m_slave.get(); }
    const std::string& slavePath() const { return m_slavePath; }

    // Drops what was sent but not read, as a line does when nobody listens.
    void discardUnread();
    // Closes both ends, like pulling the cable: the tool's reads end and its writes fail.
    void hangUp();

private:
    UniqueFd m_master;
    UniqueFd m_slave;
    std::string m_slavePath;
};

// A symbolic link at path pointing to target, removed again when this goes (unless someone
// replaced it meanwhile).
class PathLink {
public:
    static std::optional<PathLink> create(
        const std::string& path, const std::string& target, std::string& error);
    PathLink(PathLink&& other) noexcept;
    PathLink& operator=(PathLink&& other) noexcept;
    PathLink(const PathLink&) = delete;
    PathLink& operator=(const PathLink&) = delete;
    ~PathLink();

private:
    PathLink(std::string path, std::string target);
    void remove();
    std::string m_path;
    std::string m_target;
};

// Tells when other programs open and close the slave device.
class PeerWatch {
public:
    // Without inotify the watch reports the peer as always present.
    explicit PeerWatch(const std::string& slavePath);

    int fd() const { return m_fd.get(); }
    bool available() const { return m_fd.valid(); }
    bool peerPresent() const { return !available() || m_lostCount || m_opens > 0; }

    struct Change {
        bool opened = false;  // the device went from unused to used
        bool closed = false;  // the last user closed it
    };
    // Reads the pending events.
    Change readEvents();

private:
    UniqueFd m_fd;
    int m_opens = 0;
    bool m_lostCount = false;  // events were lost; from then on the peer counts as present
};

}  // namespace signsim
