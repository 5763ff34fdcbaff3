#include "lineassembler.h"

namespace signsim {

std::vector<ReceivedCommand> LineAssembler::feed(std::string_view bytes)
{
    std::vector<ReceivedCommand> done;
    for (const char ch : bytes) {
        if (ch == '\n')
            continue;
        if (ch == '\r') {
            if (!m_buffer.empty() || m_overflow)
                done.push_back({std::move(m_buffer), m_overflow});
            m_buffer.clear();
            m_overflow = false;
        } else if (m_buffer.size() < kMaxCommand) {
            m_buffer += ch;
        } else {
            m_overflow = true;
        }
    }
    return done;
}

}  // namespace signsim
