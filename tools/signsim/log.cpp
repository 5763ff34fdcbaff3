#include "log.h"

#include "bytes.h"

#include <string>

namespace signsim {

void Log::line(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), m_out);
    std::fputc('\n', m_out);
    std::fflush(m_out);
}

void Log::received(std::string_view command)
{
    line("< " + escapeBytes(command));
}

void Log::sent(std::string_view text)
{
    line("> " + escapeBytes(text));
}

void Log::note(std::string_view text)
{
    line("# " + std::string(text));
}

}  // namespace signsim
