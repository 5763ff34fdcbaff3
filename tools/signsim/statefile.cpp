#include "statefile.h"

#include "bytes.h"
#include "fd.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <vector>

namespace signsim {
namespace {

std::vector<std::string_view> split(std::string_view text, char sep)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(sep, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

template <std::size_t N> std::string joinInts(const std::array<int, N>& values)
{
    std::string out;
    for (std::size_t i = 0; i < N; ++i) {
        if (i)
            out += ',';
        out += std::to_string(values[i]);
    }
    return out;
}

// Exactly N comma-separated whole numbers.
template <std::size_t N> bool readInts(std::string_view text, std::array<int, N>& out)
{
    const auto parts = split(text, ',');
    if (parts.size() != N)
        return false;
    for (std::size_t i = 0; i < N; ++i) {
        const auto v = parseInt(parts[i]);
        if (!v)
            return false;
        out[i] = *v;
    }
    return true;
}

bool readFlag(std::string_view text, bool& out)
{
    if (text != "0" && text != "1")
        return false;
    out = text == "1";
    return true;
}

bool readText(std::string_view text, std::string& out)
{
    auto value = unescapeBytes(text);
    if (!value)
        return false;
    out = std::move(*value);
    return true;
}

bool readRow(std::string_view text, PriorityRow& row)
{
    std::array<int, kAttrCount + 1> v{};
    if (!readInts(text, v))
        return false;
    std::copy_n(v.begin(), kAttrCount, row.attrs.begin());
    row.timeout = v[kAttrCount];
    return true;
}

bool readLink(std::string_view text, Link& link)
{
    if (text.empty()) {
        link = Link{};
        return true;
    }
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return false;
    const auto priority = parseInt(text.substr(0, colon));
    if (!priority)
        return false;
    link.priority = *priority;
    link.capcodes.clear();
    for (const std::string_view cap : split(text.substr(colon + 1), ','))
        link.capcodes.emplace_back(cap);
    return true;
}

std::string linkText(const Link& link)
{
    if (link.capcodes.empty())
        return {};
    std::string out = std::to_string(link.priority) + ':';
    for (std::size_t i = 0; i < link.capcodes.size(); ++i) {
        if (i)
            out += ',';
        out += link.capcodes[i];
    }
    return out;
}

using Reader = std::function<bool(std::string_view, SignState&)>;

std::map<std::string, Reader, std::less<>> makeReaders()
{
    std::map<std::string, Reader, std::less<>> r;
    r["model"] = [](std::string_view v, SignState& s) { return readText(v, s.model); };
    r["build"] = [](std::string_view v, SignState& s) {
        s.build = v.empty() ? std::nullopt : std::optional<std::string>(v);
        return true;
    };
    for (int p = 0; p < kPriorities; ++p)
        r["pri" + std::to_string(p)] = [p](std::string_view v, SignState& s) {
            return readRow(v, s.rows[static_cast<std::size_t>(p)]);
        };
    for (int id = 0; id < kLinkIds; ++id)
        r["link" + std::to_string(id)] = [id](std::string_view v, SignState& s) {
            return readLink(v, s.links[static_cast<std::size_t>(id)]);
        };
    r["autoid"] = [](std::string_view v, SignState& s) { return readFlag(v, s.autoId); };
    r["usercmd"] = [](std::string_view v, SignState& s) { return readText(v, s.userCommand); };
    r["forceid0"] = [](std::string_view v, SignState& s) { return readFlag(v, s.forceId0); };
    r["defmsg"]
        = [](std::string_view v, SignState& s) { return readText(v, s.defaultMessage.text); };
    r["defattrs"]
        = [](std::string_view v, SignState& s) { return readInts(v, s.defaultMessage.attrs); };
    r["idle"] = [](std::string_view v, SignState& s) { return readFlag(v, s.idle.on); };
    r["idleattrs"] = [](std::string_view v, SignState& s) {
        std::array<int, 7> values{};
        if (!readInts(v, values))
            return false;
        std::copy_n(values.begin(), 6, s.idle.attrs.begin());
        s.idle.format = values[6];
        return true;
    };
    r["clockoffset"] = [](std::string_view v, SignState& s) {
        const auto value = parseInt(v);
        if (value)
            s.clockOffset = *value;
        return value.has_value();
    };
    r["testmsg"] = [](std::string_view v, SignState& s) { return readText(v, s.lastTestMessage); };
    return r;
}

std::string systemError(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

}  // namespace

std::string formatState(const SignState& s)
{
    std::string out = "# signsim state\n";
    out += "model=" + escapeBytes(s.model, true) + '\n';
    out += "build=" + s.build.value_or("") + '\n';
    for (int p = 0; p < kPriorities; ++p) {
        const PriorityRow& row = s.rows[static_cast<std::size_t>(p)];
        out += "pri" + std::to_string(p) + '=' + joinInts(row.attrs) + ','
            + std::to_string(row.timeout) + '\n';
    }
    for (int id = 0; id < kLinkIds; ++id)
        out += "link" + std::to_string(id) + '=' + linkText(s.links[static_cast<std::size_t>(id)])
            + '\n';
    out += std::string("autoid=") + (s.autoId ? "1" : "0") + '\n';
    out += "usercmd=" + escapeBytes(s.userCommand, true) + '\n';
    out += std::string("forceid0=") + (s.forceId0 ? "1" : "0") + '\n';
    out += "defmsg=" + escapeBytes(s.defaultMessage.text, true) + '\n';
    out += "defattrs=" + joinInts(s.defaultMessage.attrs) + '\n';
    out += std::string("idle=") + (s.idle.on ? "1" : "0") + '\n';
    out += "idleattrs=" + joinInts(s.idle.attrs) + ',' + std::to_string(s.idle.format) + '\n';
    out += "clockoffset=" + std::to_string(s.clockOffset) + '\n';
    out += "testmsg=" + escapeBytes(s.lastTestMessage, true) + '\n';
    return out;
}

std::optional<SignState> parseState(std::string_view text, SignState base, std::string& error)
{
    const auto readers = makeReaders();
    std::set<std::string, std::less<>> seen;
    int lineNo = 0;
    for (std::string_view line : split(text, '\n')) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        const std::string where = "line " + std::to_string(lineNo) + ": ";
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            error = where + "no '='";
            return std::nullopt;
        }
        const std::string_view key = line.substr(0, eq);
        const auto reader = readers.find(key);
        if (reader == readers.end()) {
            error = where + "unknown key '" + std::string(key) + "'";
            return std::nullopt;
        }
        if (!seen.emplace(key).second) {
            error = where + "key '" + std::string(key) + "' given twice";
            return std::nullopt;
        }
        if (!reader->second(line.substr(eq + 1), base)) {
            error = where + "bad value for '" + std::string(key) + "'";
            return std::nullopt;
        }
    }
    error = validateState(base);
    if (!error.empty())
        return std::nullopt;
    return base;
}

bool writeFileAtomically(const std::string& path, std::string_view contents, std::string& error)
{
    const std::string temp = path + ".tmp" + std::to_string(::getpid());
    {
        UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (!fd.valid()) {
            error = systemError(temp);
            return false;
        }
        std::size_t done = 0;
        while (done < contents.size()) {
            const ssize_t n = ::write(fd.get(), contents.data() + done, contents.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                error = systemError(temp);
                ::unlink(temp.c_str());
                return false;
            }
            done += static_cast<std::size_t>(n);
        }
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        error = systemError(path);
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

std::optional<std::string> readWholeFile(const std::string& path, std::string& error)
{
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        error = systemError(path);
        return std::nullopt;
    }
    std::string out;
    char buf[4096];
    while (true) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = systemError(path);
            return std::nullopt;
        }
        if (n == 0)
            return out;
        out.append(buf, static_cast<std::size_t>(n));
    }
}

}  // namespace signsim
