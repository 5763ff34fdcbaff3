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
#include <fstream>
#include <iterator>
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

bool PathLink::makeRoom(const std::string& path, bool fileMayGo, std::string& error)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path link(path);
    if (link.has_parent_path()) {
        fs::create_directories(link.parent_path(), ec);
        if (ec) {
            error = link.parent_path().string() + ": " + ec.message();
            return false;
        }
    }
    const fs::file_status status = fs::symlink_status(link, ec);
    if (fs::exists(status)) {
        // An old link (or address file) is ours to replace; anything else someone may still need.
        if (!fs::is_symlink(status) && !(fileMayGo && fs::is_regular_file(status))) {
            error = path + (fileMayGo ? " exists and is neither a symbolic link nor a file"
                                      : " exists and is not a symbolic link");
            return false;
        }
        fs::remove(link, ec);
    }
    return true;
}

std::optional<PathLink> PathLink::create(
    const std::string& path, const std::string& target, std::string& error)
{
    if (!makeRoom(path, false, error))
        return std::nullopt;
    if (::symlink(target.c_str(), path.c_str()) != 0) {
        error = systemError(path);
        return std::nullopt;
    }
    return PathLink(path, target, false);
}

std::optional<PathLink> PathLink::createFile(
    const std::string& path, const std::string& text, std::string& error)
{
    if (!makeRoom(path, true, error))
        return std::nullopt;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        error = path + ": cannot be written";
        return std::nullopt;
    }
    return PathLink(path, text, true);
}

PathLink::PathLink(std::string path, std::string target, bool isFile)
    : m_path(std::move(path))
    , m_target(std::move(target))
    , m_isFile(isFile)
{
}

PathLink::PathLink(PathLink&& other) noexcept
    : m_path(std::exchange(other.m_path, {}))
    , m_target(std::exchange(other.m_target, {}))
    , m_isFile(other.m_isFile)
{
}

PathLink& PathLink::operator=(PathLink&& other) noexcept
{
    if (this != &other) {
        remove();
        m_path = std::exchange(other.m_path, {});
        m_target = std::exchange(other.m_target, {});
        m_isFile = other.m_isFile;
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
    bool ours = false;
    if (m_isFile) {
        std::ifstream in(m_path, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ours = !std::filesystem::is_symlink(m_path, ec) && text == m_target;
    } else {
        ours = std::filesystem::read_symlink(m_path, ec) == m_target && !ec;
    }
    if (ours)
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

PtyLine::PtyLine(PseudoTerminal pty)
    : m_pty(std::move(pty))
    , m_peer(m_pty.slavePath())
{
}

}  // namespace signsim
