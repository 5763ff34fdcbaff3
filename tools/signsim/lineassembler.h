// Cuts the received byte stream into commands: a CR ends a command, a LF is ignored wherever
// it comes. A command longer than the sign's input buffer is kept only as far as it fits and
// flagged, so it can be refused as a whole.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace signsim {

struct ReceivedCommand {
    std::string text;
    bool tooLong = false;
};

class LineAssembler {
public:
    static constexpr std::size_t kMaxCommand = 1024;

    // Commands completed by these bytes. Empty commands (a CR alone) are not reported.
    std::vector<ReceivedCommand> feed(std::string_view bytes);

private:
    std::string m_buffer;
    bool m_overflow = false;
};

}  // namespace signsim
