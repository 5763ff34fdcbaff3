#include "transmitter.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

namespace signsim {

void Transmitter::queue(std::string_view bytes, Clock::time_point now)
{
    // A line that has been idle starts sending now; one still busy goes on after its last byte.
    if (m_queue.empty() && m_nextAt < now)
        m_nextAt = now;
    m_queue.insert(m_queue.end(), bytes.begin(), bytes.end());
}

std::size_t Transmitter::drop()
{
    const std::size_t n = m_queue.size();
    m_queue.clear();
    m_blocked = false;
    return n;
}

bool Transmitter::flush(int fd, Clock::time_point now)
{
    m_blocked = false;
    while (!m_queue.empty()) {
        std::size_t count = m_queue.size();
        if (m_paced) {
            if (m_nextAt > now)
                return true;
            count = 1;
        }
        const std::string chunk(m_queue.begin(), m_queue.begin() + static_cast<long>(count));
        const ssize_t n = ::write(fd, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_blocked = true;
            return true;
        }
        if (n <= 0)
            return false;
        m_queue.erase(m_queue.begin(), m_queue.begin() + n);
        if (m_paced)
            m_nextAt += kByteTime;
    }
    return true;
}

Transmitter::Clock::time_point Transmitter::doneAt(Clock::time_point now) const
{
    if (!m_paced || m_queue.empty())
        return now;
    return std::max(m_nextAt, now) + kByteTime * static_cast<long>(m_queue.size());
}

std::optional<Transmitter::Clock::time_point> Transmitter::nextDue() const
{
    if (!m_paced || m_queue.empty() || m_blocked)
        return std::nullopt;
    return m_nextAt;
}

}  // namespace signsim
