#include "dump.h"

namespace signsim {
namespace {

// The position of a message on the display; this sign always shows it from the top left.
constexpr const char* kMessageOrigin = "0,0";

void appendField(std::string& out, const std::string& field)
{
    out += ',';
    out += field;
}

}  // namespace

std::string configurationDump(const SignState& s)
{
    const auto offsets = dumpOffsets(s.model);
    std::string data;
    for (const PriorityRow& row : s.rows) {
        for (std::size_t a = 0; a < kAttrCount; ++a)
            appendField(data, std::to_string(row.attrs[a] + offsets[a]));
        appendField(data, std::to_string(row.timeout * 5));
    }
    int slots = 0;
    for (int id = 0; id < kLinkIds; ++id) {
        const Link& link = s.links[static_cast<std::size_t>(id)];
        for (const std::string& cap : link.capcodes) {
            appendField(data, std::to_string(id));
            appendField(data, cap);
            appendField(data, std::to_string(link.priority));
            ++slots;
        }
    }
    for (; slots < kMaxCapcodes; ++slots)
        data += ",0,0,5";
    appendField(data, s.autoId ? "1" : "0");
    appendField(data, s.userCommand);

    std::string header = s.model;
    if (s.build)
        header += ',' + *s.build;
    // data starts with the separator of its first field; it becomes the ':'.
    data[0] = ':';
    return header + data;
}

std::string defaultMessageDump(const SignState& s)
{
    const auto offsets = defaultMessageOffsets(s.model);
    std::string out = s.model + ':';
    for (std::size_t i = 0; i < offsets.size(); ++i)
        out += std::to_string(s.defaultMessage.attrs[i] + offsets[i]) + ',';
    out += kMessageOrigin;
    out += ',';
    out += s.defaultMessage.text;
    return out;
}

}  // namespace signsim
