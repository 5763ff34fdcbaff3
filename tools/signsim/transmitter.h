// The sign's sending side. Unpaced, bytes go out as fast as the pseudo-terminal takes them;
// paced, one byte every 10 bit times at 9600 baud (8 data bits, no parity, 1 stop bit), so
// a reply takes as long as on a real line.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string_view>

namespace signsim {

class Transmitter {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::nanoseconds kByteTime{1'000'000'000LL * 10 / 9600};

    explicit Transmitter(bool paced)
        : m_paced(paced)
    {
    }

    void queue(std::string_view bytes, Clock::time_point now);
    // Forgets what is not sent yet; returns how many bytes that was.
    std::size_t drop();
    bool pending() const { return !m_queue.empty(); }

    // Writes what is due by now. False on a write error the line cannot recover from.
    bool flush(int fd, Clock::time_point now);
    // When the next paced byte is due; nullopt when nothing waits for the clock.
    std::optional<Clock::time_point> nextDue() const;
    // When everything queued by now will have gone out, as far as the clock decides it.
    Clock::time_point doneAt(Clock::time_point now) const;
    // True while the pseudo-terminal refused bytes and the sender waits for room.
    bool blocked() const { return m_blocked; }

private:
    bool m_paced;
    bool m_blocked = false;
    std::deque<char> m_queue;
    Clock::time_point m_nextAt{};
};

}  // namespace signsim
