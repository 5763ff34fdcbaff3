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

bool Session::mayAnswer(const std::string& text)
{
    if (m_options.silent) {
        m_log.note("silent, not sent: " + escapeBytes(text));
        return false;
    }
    if (!m_line.peerPresent()) {
        // A real sign answers into the void when nobody holds the port open.
        m_log.note("nobody has the port open, lost: " + escapeBytes(text));
        return false;
    }
    m_log.sent(text);
    return true;
}

void Session::send(const std::string& text, bool endLine)
{
    if (mayAnswer(text))
        transmit(endLine ? text + lineEnd() : text);
}

std::string Session::lineEnd() const
{
    return m_options.crlf ? "\r\n" : "\n";
}

void Session::transmit(const std::string& bytes)
{
    // The sign says one thing after another: nothing overtakes what waits for its time.
    if (!m_later.empty())
        m_later.push_back({m_later.back().due, bytes});
    else
        m_tx.queue(bytes, Transmitter::Clock::now());
}

Transmitter::Clock::time_point Session::queuedUntil(Transmitter::Clock::time_point now) const
{
    auto until = m_tx.doneAt(now);
    for (const Later& later : m_later) {
        until = std::max(until, later.due);
        if (m_options.paced)
            until += Transmitter::kByteTime * static_cast<long>(later.bytes.size());
    }
    return until;
}

void Session::sendDump(const std::string& dump)
{
    ++m_dumps;
    const std::string text = m_options.noise + m_options.dumpText.value_or(dump);
    const bool cut = m_dumps == m_options.hangupInDump;
    if (!cut && m_options.dumpPauseMs == 0) {
        send(text);
        return;
    }
    if (!mayAnswer(text))
        return;
    const std::string bytes = text + lineEnd();
    const std::size_t half = bytes.size() / 2;
    transmit(bytes.substr(0, half));
    const auto firstHalfGone = queuedUntil(Transmitter::Clock::now());
    if (cut) {
        // What went out before the cable was pulled has reached the other end by the time it is.
        constexpr std::chrono::milliseconds kArrived{200};
        m_log.note("configuration dump " + std::to_string(m_dumps) + ": hanging up after "
            + std::to_string(half) + " of its " + std::to_string(bytes.size()) + " bytes");
        m_later.push_back({firstHalfGone + kArrived, {}, true});
        return;
    }
    m_log.note("configuration dump " + std::to_string(m_dumps) + ": pausing "
        + std::to_string(m_options.dumpPauseMs) + " ms after " + std::to_string(half) + " of its "
        + std::to_string(bytes.size()) + " bytes");
    m_later.push_back(
        {firstHalfGone + std::chrono::milliseconds(m_options.dumpPauseMs), bytes.substr(half)});
}

Session::Step Session::releaseDue()
{
    const auto now = Transmitter::Clock::now();
    while (!m_later.empty() && m_later.front().due <= now) {
        const Later next = std::move(m_later.front());
        m_later.pop_front();
        if (next.hangUp) {
            m_log.note("hanging up in the middle of the dump, like an unplugged cable");
            m_tx.drop();
            m_later.clear();
            m_line.hangUp();
            return Step::Unplugged;
        }
        m_tx.queue(next.bytes, now);
    }
    return Step::Go;
}

Session::Step Session::onCommand(const ReceivedCommand& command)
{
    m_log.received(command.text);
    ++m_commands;
    if (m_options.hangupAfter > 0 && m_commands >= m_options.hangupAfter) {
        m_log.note(
            "hanging up after command " + std::to_string(m_commands) + ", like an unplugged cable");
        m_tx.drop();
        m_later.clear();
        m_line.hangUp();
        return Step::Unplugged;
    }
    // The echo is the line's, not the sign's: it comes whatever the sign makes of the command.
    if (m_options.echo)
        send(command.text + '\r', false);
    answer(command);
    if (m_commands == m_options.dumpAfter) {
        m_log.note("sending the configuration dump unasked after command " + std::to_string(m_commands));
        sendDump(configurationDump(m_state));
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
    } else if (m_options.refuseFrom > 0 && item >= m_options.refuseFrom) {
        out.reply = "error";
        out.notes.push_back("configuration command " + std::to_string(item) + " refused, as all from "
            + std::to_string(m_options.refuseFrom) + " on");
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
    if (out.reply && out.isDump)
        sendDump(*out.reply);
    else if (out.reply)
        send(*out.reply);
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

bool Session::babbling() const
{
    return m_options.babbleMs > 0 && !m_options.silent && m_line.fd() >= 0 && m_line.peerPresent();
}

void Session::babble(Transmitter::Clock::time_point now)
{
    if (!babbling() || now < m_nextBabble)
        return;
    const std::chrono::milliseconds interval(m_options.babbleMs);
    // A reader that falls behind is not made up to later with a burst: the sign just goes on.
    m_nextBabble = std::max(m_nextBabble + interval, now);
    // What is waiting (a reply, the rest of a dump) is not split or pushed back; a line that
    // finds the way busy is skipped, so that the queue stays as short as the reader makes it.
    if (m_tx.pending() || !m_later.empty())
        return;
    ++m_babbled;
    ++m_babbledHere;
    transmit(m_options.babbleText.value_or("babble " + std::to_string(m_babbled) + lineEnd()));
}

void Session::onClosed()
{
    std::size_t lost = m_tx.drop();
    // A hang-up still to come stays: the cable is pulled whether or not anyone listens.
    for (auto it = m_later.begin(); it != m_later.end();) {
        lost += it->bytes.size();
        it = it->hangUp ? it + 1 : m_later.erase(it);
    }
    m_line.discardUnread();
    const std::string babbled = m_babbledHere
        ? ", " + std::to_string(m_babbledHere) + " times babbled"
        : std::string();
    m_babbledHere = 0;
    m_log.note("port closed" + babbled + (lost ? ", " + std::to_string(lost) + " bytes not sent" : std::string()));
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
        auto due = m_tx.nextDue();
        if (!m_later.empty() && (!due || m_later.front().due < *due))
            due = m_later.front().due;
        if (babbling() && (!due || m_nextBabble < *due))
            due = m_nextBabble;
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
        if (step == Step::Go)
            step = releaseDue();
        if (step == Step::Go)
            babble(Transmitter::Clock::now());
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
