#include "link/linebuffer.h"

namespace signlink {

std::optional<QByteArray> LineBuffer::append(char c)
{
    if (c == '\n') {
        if (m_discarding) {
            m_discarding = false;
            return std::nullopt;
        }
        QByteArray line;
        line.swap(m_line);
        return line;
    }
    if (m_discarding)
        return std::nullopt;
    if (m_line.size() >= MaxLineLength) {
        m_line.clear();
        m_line.squeeze();
        m_discarding = true;
        return std::nullopt;
    }
    m_line.append(c);
    return std::nullopt;
}

void LineBuffer::clear()
{
    m_line.clear();
    m_discarding = false;
}

} // namespace signlink
