#include "pty.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace signsim {
namespace {

std::string systemError(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

}  // namespace

std::optional<PseudoTerminal> PseudoTerminal::open(std::string& error)
{
    PseudoTerminal pty;
    pty.m_master.reset(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!pty.m_master.valid()) {
        error = systemError("posix_openpt");
        return std::nullopt;
    }
    if (::grantpt(pty.master()) != 0 || ::unlockpt(pty.master()) != 0) {
        error = systemError("grantpt/unlockpt");
        return std::nullopt;
    }
    char name[PATH_MAX];
    if (::ptsname_r(pty.master(), name, sizeof name) != 0) {
        error = systemError("ptsname");
        return std::nullopt;
    }
    pty.m_slavePath = name;
    pty.m_slave.reset(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!pty.m_slave.valid()) {
        error = systemError(pty.m_slavePath);
        return std::nullopt;
    }
    termios tio{};
    if (::tcgetattr(pty.slave(), &tio) != 0) {
        error = systemError("tcgetattr");
        return std::nullopt;
    }
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    if (::tcsetattr(pty.slave(), TCSANOW, &tio) != 0) {
        error = systemError("tcsetattr");
        return std::nullopt;
    }
    const int flags = ::fcntl(pty.master(), F_GETFL);
    if (flags < 0 || ::fcntl(pty.master(), F_SETFL, flags | O_NONBLOCK) != 0) {
        error = systemError("fcntl");
        return std::nullopt;
    }
    return pty;
}

void PseudoTerminal::discardUnread()
{
    if (m_slave.valid())
        ::tcflush(m_slave.get(), TCIFLUSH);
}

void PseudoTerminal::hangUp()
{
    m_slave.reset();
    m_master.reset();
}

std::optional<PathLink> PathLink::create(
    const std::string& path, const std::string& target, std::string& error)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path link(path);
    if (link.has_parent_path()) {
        fs::create_directories(link.parent_path(), ec);
        if (ec) {
            error = link.parent_path().string() + ": " + ec.message();
            return std::nullopt;
        }
    }
    const fs::file_status status = fs::symlink_status(link, ec);
    if (fs::exists(status)) {
        // An old link is ours to replace; anything else someone may still need.
        if (!fs::is_symlink(status)) {
            error = path + " exists and is not a symbolic link";
            return std::nullopt;
        }
        fs::remove(link, ec);
    }
    if (::symlink(target.c_str(), path.c_str()) != 0) {
        error = systemError(path);
        return std::nullopt;
    }
    return PathLink(path, target);
}

PathLink::PathLink(std::string path, std::string target)
    : m_path(std::move(path))
    , m_target(std::move(target))
{
}

PathLink::PathLink(PathLink&& other) noexcept
    : m_path(std::exchange(other.m_path, {}))
    , m_target(std::exchange(other.m_target, {}))
{
}

PathLink& PathLink::operator=(PathLink&& other) noexcept
{
    if (this != &other) {
        remove();
        m_path = std::exchange(other.m_path, {});
        m_target = std::exchange(other.m_target, {});
    }
    return *this;
}

PathLink::~PathLink()
{
    remove();
}

void PathLink::remove()
{
    if (m_path.empty())
        return;
    std::error_code ec;
    if (std::filesystem::read_symlink(m_path, ec) == m_target && !ec)
        std::filesystem::remove(m_path, ec);
    m_path.clear();
}

PeerWatch::PeerWatch(const std::string& slavePath)
    : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
{
    if (m_fd.valid() && ::inotify_add_watch(m_fd.get(), slavePath.c_str(), IN_OPEN | IN_CLOSE) < 0)
        m_fd.reset();
}

PeerWatch::Change PeerWatch::readEvents()
{
    Change change;
    alignas(inotify_event) char buf[4096];
    while (true) {
        const ssize_t n = ::read(m_fd.get(), buf, sizeof buf);
        if (n <= 0)
            return change;
        for (ssize_t at = 0; at < n;) {
            inotify_event event;
            std::memcpy(&event, buf + at, sizeof event);
            if (event.mask & IN_Q_OVERFLOW)
                m_lostCount = true;
            if ((event.mask & IN_OPEN) && m_opens++ == 0)
                change.opened = true;
            if ((event.mask & IN_CLOSE) && m_opens > 0 && --m_opens == 0)
                change.closed = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event.len);
        }
    }
}

}  // namespace signsim
