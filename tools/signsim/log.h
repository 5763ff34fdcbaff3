// What the sign prints for the person watching: every received command ("< "), every line
// it sends ("> ") and its own notes ("# "), each flushed at once.
#pragma once

#include <cstdio>
#include <string_view>

namespace signsim {

class Log {
public:
    explicit Log(std::FILE* out)
        : m_out(out)
    {
    }

    void line(std::string_view text);
    void received(std::string_view command);
    void sent(std::string_view line);
    void note(std::string_view text);

private:
    std::FILE* m_out;
};

}  // namespace signsim
