#include "simprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <utility>

extern char** environ;

namespace signsimtest {
namespace {

using Clock = std::chrono::steady_clock;

// Waits until fd is readable or the deadline passes; the poll flags seen, 0 on time-out.
short waitReadable(int fd, Clock::time_point deadline)
{
    while (true) {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())
                  .count();
        if (left <= 0)
            return 0;
        pollfd p{fd, POLLIN, 0};
        const int n = ::poll(&p, 1, static_cast<int>(left));
        if (n < 0 && errno == EINTR)
            continue;
        return n > 0 ? p.revents : 0;
    }
}

// Reads from fd into pending until it holds a LF; false on time-out or end of data.
bool fillLine(int fd, std::string& pending, Clock::time_point deadline)
{
    while (pending.find('\n') == std::string::npos) {
        if (!waitReadable(fd, deadline))
            return false;
        char buf[4096];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return false;
        pending.append(buf, static_cast<std::size_t>(n));
    }
    return true;
}

std::string takeLine(std::string& pending, bool keepLf)
{
    const std::size_t lf = pending.find('\n');
    std::string line = pending.substr(0, keepLf ? lf + 1 : lf);
    pending.erase(0, lf + 1);
    return line;
}

}  // namespace

std::string signsimBinary()
{
    const char* path = std::getenv("SIGNSIM");
    return path ? path : "";
}

SimProcess::~SimProcess()
{
    if (m_pid > 0)
        stop();
    if (m_out >= 0)
        ::close(m_out);
}

bool SimProcess::start(const std::vector<std::string>& args, std::string& error)
{
    const std::string binary = signsimBinary();
    if (binary.empty()) {
        error = "SIGNSIM is not set";
        return false;
    }
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        error = "pipe failed";
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    std::vector<std::string> argvStore{binary};
    argvStore.insert(argvStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argvStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const int rc = ::posix_spawn(&m_pid, binary.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    m_out = pipeFds[0];
    if (rc != 0) {
        m_pid = -1;
        error = "cannot start " + binary;
        return false;
    }
    const auto first = nextLogLine();
    if (!first || first->empty() || first->front() != '/') {
        error = "the sign printed no device path";
        waitForExit();
        return false;
    }
    m_device = *first;
    return true;
}

std::optional<std::string> SimProcess::nextLogLine()
{
    if (!fillLine(m_out, m_pending, Clock::now() + kPatience))
        return std::nullopt;
    return takeLine(m_pending, false);
}

std::optional<std::string> SimProcess::waitForLog(const std::string& text)
{
    while (auto line = nextLogLine())
        if (line->find(text) != std::string::npos)
            return line;
    return std::nullopt;
}

std::optional<int> SimProcess::waitForExit()
{
    if (m_pid <= 0)
        return m_exitStatus;
    const auto deadline = Clock::now() + kPatience;
    while (Clock::now() < deadline) {
        int status = 0;
        const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid) {
            m_pid = -1;
            if (WIFEXITED(status))
                m_exitStatus = WEXITSTATUS(status);
            return m_exitStatus;
        }
        ::usleep(10'000);
    }
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
    return std::nullopt;
}

std::optional<int> SimProcess::stop()
{
    if (m_pid > 0)
        ::kill(m_pid, SIGTERM);
    return waitForExit();
}

Line::Line(const std::string& device)
    : m_fd(::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC))
{
    if (m_fd < 0)
        return;
    termios tio{};
    ::tcgetattr(m_fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(m_fd, TCSANOW, &tio);
}

Line::~Line()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool Line::write(const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::optional<std::string> Line::readRaw()
{
    if (!fillLine(m_fd, m_pending, Clock::now() + kPatience))
        return std::nullopt;
    return takeLine(m_pending, true);
}

std::optional<std::string> Line::readLine()
{
    auto raw = readRaw();
    if (raw)
        raw->pop_back();
    return raw;
}

std::optional<std::string> Line::ask(const std::string& command)
{
    if (!send(command))
        return std::nullopt;
    return readLine();
}

std::optional<std::string> Line::readUntilHangup()
{
    const auto deadline = Clock::now() + kPatience;
    std::string got = std::exchange(m_pending, {});
    while (true) {
        const short events = waitReadable(m_fd, deadline);
        if (!events)
            return std::nullopt;
        char buf[4096];
        const ssize_t n = ::read(m_fd, buf, sizeof buf);
        if (n > 0) {
            got.append(buf, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EAGAIN && !(events & POLLHUP))
            continue;
        return got;  // end of file or EIO: the other end is gone
    }
}

std::string Dump::join(std::size_t first, std::size_t count) const
{
    std::string out;
    for (std::size_t i = first; i < first + count && i < fields.size(); ++i) {
        if (i > first)
            out += ',';
        out += fields[i];
    }
    return out;
}

Dump splitDump(const std::string& line)
{
    Dump dump;
    const std::size_t colon = line.find(':');
    dump.header = line.substr(0, colon);
    if (colon == std::string::npos)
        return dump;
    std::size_t start = colon + 1;
    while (true) {
        const std::size_t comma = line.find(',', start);
        dump.fields.push_back(
            line.substr(start, comma == std::string::npos ? comma : comma - start));
        if (comma == std::string::npos)
            return dump;
        start = comma + 1;
    }
}

std::map<std::string, std::string> readStateFile(const std::string& path)
{
    std::map<std::string, std::string> values;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line.front() == '#')
            continue;
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "signsim-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()))
        m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ec);
}

}  // namespace signsimtest
