// The simulated sign's end of the line: a pseudo-terminal whose slave side stands in for the
// serial device, and an optional symbolic link that names it like a serial port.
#pragma once

#include "fd.h"
#include "line.h"

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

// A symbolic link at path pointing to target, or a regular file holding text, removed again
// when this goes (unless someone replaced it meanwhile).
class PathLink {
public:
    static std::optional<PathLink> create(
        const std::string& path, const std::string& target, std::string& error);
    // A port map file naming a network address: path holds text. An old link or file at path
    // is replaced.
    static std::optional<PathLink> createFile(
        const std::string& path, const std::string& text, std::string& error);
    PathLink(PathLink&& other) noexcept;
    PathLink& operator=(PathLink&& other) noexcept;
    PathLink(const PathLink&) = delete;
    PathLink& operator=(const PathLink&) = delete;
    ~PathLink();

private:
    PathLink(std::string path, std::string target, bool isFile);
    static bool makeRoom(const std::string& path, bool fileMayGo, std::string& error);
    void remove();
    std::string m_path;
    std::string m_target;  // the link's target, or the file's text
    bool m_isFile = false;
};

// Tells when other programs open and close the slave device.
class PeerWatch {
public:
    // Without inotify the watch reports the peer as always present.
    explicit PeerWatch(const std::string& slavePath);

    int fd() const { return m_fd.get(); }
    bool available() const { return m_fd.valid(); }
    bool peerPresent() const { return !available() || m_lostCount || m_opens > 0; }

    using Change = Line::Change;
    // Reads the pending events.
    Change readEvents();

private:
    UniqueFd m_fd;
    int m_opens = 0;
    bool m_lostCount = false;  // events were lost; from then on the peer counts as present
};

// The pseudo-terminal as the sign's line, with the watch on who opens its device.
class PtyLine final : public Line {
public:
    // The watch starts here: make the line before anyone learns the device path.
    explicit PtyLine(PseudoTerminal pty);

    std::string name() const override { return m_pty.slavePath(); }
    int fd() const override { return m_pty.master(); }
    int watchFd() const override { return m_peer.fd(); }
    Change readEvents() override { return m_peer.readEvents(); }
    bool peerPresent() const override { return m_peer.peerPresent(); }
    void discardUnread() override { m_pty.discardUnread(); }
    bool peerGone() override { return false; }
    void hangUp() override { m_pty.hangUp(); }

    bool watching() const { return m_peer.available(); }

private:
    PseudoTerminal m_pty;
    PeerWatch m_peer;
};

}  // namespace signsim
