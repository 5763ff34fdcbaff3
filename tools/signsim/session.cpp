#include "session.h"

#include "bytes.h"
#include "commands.h"
#include "dump.h"
#include "misbehaviour.h"
#include "statefile.h"

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

namespace signsim {
namespace {

timespec untilDue(Transmitter::Clock::time_point due)
{
    const auto left = due - Transmitter::Clock::now();
    const auto ns = std::max<long long>(
        0, std::chrono::duration_cast<std::chrono::nanoseconds>(left).count());
    return timespec{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
}

}  // namespace

Session::Session(const SessionOptions& options, SignState state, Line& line, Log& log)
    : m_options(options)
    , m_state(std::move(state))
    , m_line(line)
    , m_log(log)
    , m_tx(options.paced)
{
}

bool Session::saveState(std::string& error)
{
    return !m_options.statePath
        || writeFileAtomically(*m_options.statePath, formatState(m_state), error);
}

void Session::saveStateOrSay()
{
    std::string error;
    if (!saveState(error))
        m_log.note("cannot write the state file: " + error);
}

void Session::send(const std::string& text, bool endLine)
{
    if (m_options.silent) {
        m_log.note("silent, not sent: " + escapeBytes(text));
        return;
    }
    if (!m_line.peerPresent()) {
        // A real sign answers into the void when nobody holds the port open.
        m_log.note("nobody has the port open, lost: " + escapeBytes(text));
        return;
    }
    m_log.sent(text);
    const char* end = !endLine ? "" : m_options.crlf ? "\r\n" : "\n";
    m_tx.queue(text + end, Transmitter::Clock::now());
}

Session::Step Session::onCommand(const ReceivedCommand& command)
{
    m_log.received(command.text);
    ++m_commands;
    if (m_options.hangupAfter > 0 && m_commands >= m_options.hangupAfter) {
        m_log.note(
            "hanging up after command " + std::to_string(m_commands) + ", like an unplugged cable");
        m_tx.drop();
        m_line.hangUp();
        return Step::Unplugged;
    }
    // The echo is the line's, not the sign's: it comes whatever the sign makes of the command.
    if (m_options.echo)
        send(command.text + '\r', false);
    answer(command);
    if (m_commands == m_options.dumpAfter) {
        m_log.note("sending the configuration dump unasked after command " + std::to_string(m_commands));
        send(m_options.noise + configurationDump(m_state));
    }
    return Step::Go;
}

void Session::answer(const ReceivedCommand& command)
{
    const int item = storedKind(command.text) ? ++m_configCommands : 0;
    if (item > 0 && item == m_options.dropItem) {
        m_log.note("configuration command " + std::to_string(item)
            + " dropped: not carried out, not answered");
        return;
    }
    const bool corrupt = item > 0 && item == m_options.corruptItem;
    std::optional<SignState> before;
    if (corrupt)
        before = m_state;
    Outcome out;
    if (command.tooLong) {
        out.reply = "error";
        out.notes.push_back(
            "refused: longer than " + std::to_string(LineAssembler::kMaxCommand) + " bytes");
    } else {
        out = handleCommand(m_state, command.text, std::time(nullptr));
    }
    if (corrupt && out.reply != "error") {
        const auto altered = corruptStored(*before, m_state, command.text);
        out.notes.push_back("configuration command " + std::to_string(item)
            + (altered ? " stored altered: " + *altered : " left nothing to alter"));
        out.changed = m_state != *before;
    }
    for (const std::string& note : out.notes)
        m_log.note(note);
    if (out.changed)
        saveStateOrSay();
    if (out.reply)
        send(out.isDump ? m_options.noise + *out.reply : *out.reply);
}

Session::Step Session::readLine()
{
    char buf[4096];
    while (true) {
        const ssize_t n = ::read(m_line.fd(), buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return Step::Go;
        if (n <= 0)
            return onLineError(n == 0 ? "end of file" : std::strerror(errno));
        for (const ReceivedCommand& command :
            m_lines.feed(std::string_view(buf, static_cast<std::size_t>(n)))) {
            if (const Step step = onCommand(command); step != Step::Go)
                return step;
        }
    }
}

void Session::onClosed()
{
    const std::size_t lost = m_tx.drop();
    m_line.discardUnread();
    m_log.note("port closed" + (lost ? ", " + std::to_string(lost) + " bytes not sent" : std::string()));
}

Session::Step Session::onLineError(const std::string& what)
{
    if (m_line.peerGone()) {
        onClosed();
        return Step::Go;
    }
    m_log.note("the line failed: " + what);
    return Step::Failed;
}

int Session::run(int signalFd)
{
    while (true) {
        pollfd fds[3] = {{signalFd, POLLIN, 0},
            {m_line.fd(), static_cast<short>(POLLIN | (m_tx.blocked() ? POLLOUT : 0)), 0},
            {m_line.watchFd(), POLLIN, 0}};
        const auto due = m_tx.nextDue();
        timespec wait{};
        if (due)
            wait = untilDue(*due);
        // A descriptor of -1 (nobody connected, nothing to watch) is passed over by ppoll.
        if (::ppoll(fds, 3, due ? &wait : nullptr, nullptr) < 0) {
            if (errno == EINTR)
                continue;
            m_log.note(std::string("poll failed: ") + std::strerror(errno));
            return 1;
        }
        if (fds[0].revents & POLLIN) {
            signalfd_siginfo info{};
            const ssize_t got = ::read(signalFd, &info, sizeof info);
            m_log.note("stopped by signal "
                + (got == sizeof info ? std::string(::strsignal(static_cast<int>(info.ssi_signo)))
                                      : std::string("?")));
            return 0;
        }
        // Openings and closings first: a command can only come from someone who opened the port.
        if (fds[2].revents & POLLIN) {
            const Line::Change change = m_line.readEvents();
            if (change.opened)
                m_log.note("port opened");
            if (change.closed)
                onClosed();
        }
        Step step = Step::Go;
        if (fds[1].revents & POLLIN)
            step = readLine();
        else if (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL))
            step = onLineError("hung up");
        if (step == Step::Unplugged)
            return 0;
        if (step == Step::Failed)
            return 1;
        if (m_line.fd() >= 0 && !m_tx.flush(m_line.fd(), Transmitter::Clock::now())) {
            if (onLineError(std::string("sending failed: ") + std::strerror(errno)) == Step::Failed)
                return 1;
        }
    }
}

}  // namespace signsim
