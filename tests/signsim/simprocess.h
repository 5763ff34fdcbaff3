// Runs the simulated sign as a child process and talks to it over its pseudo-terminal, byte
// for byte, the way the tool does.
#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace signsimtest {

// How long a test waits for something that should come at once; only a guard against a
// hanging test, never a speed target.
inline constexpr std::chrono::seconds kPatience{5};

// The sign binary named by SIGNSIM; empty when the variable is unset.
std::string signsimBinary();

class SimProcess {
public:
    SimProcess() = default;
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;
    ~SimProcess();

    // Starts the sign and reads the device path from its first output line. Without a
    // path line (bad options, a failed start) it waits for the exit and returns false.
    bool start(const std::vector<std::string>& args, std::string& error);

    const std::string& device() const { return m_device; }
    // The next line the sign prints, without its LF.
    std::optional<std::string> nextLogLine();
    // Reads printed lines until one contains text; returns it.
    std::optional<std::string> waitForLog(const std::string& text);
    // Waits for the process to end; its exit status, or nullopt on a signal or time-out
    // (the process is then killed).
    std::optional<int> waitForExit();
    // SIGTERM, then waitForExit.
    std::optional<int> stop();

private:
    pid_t m_pid = -1;
    std::optional<int> m_exitStatus;
    int m_out = -1;
    std::string m_pending;
    std::string m_device;
};

// The tool's end of the line: the slave device opened raw.
class Line {
public:
    explicit Line(const std::string& device);
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;
    ~Line();

    bool isOpen() const { return m_fd >= 0; }
    bool write(const std::string& bytes);
    // Writes command + CR.
    bool send(const std::string& command) { return write(command + "\r"); }
    // Everything up to and including the next LF; nullopt when none comes in time.
    std::optional<std::string> readRaw();
    // The next line without its LF.
    std::optional<std::string> readLine();
    // send, then readLine.
    std::optional<std::string> ask(const std::string& command);
    // Reads until the sign hangs up; returns the bytes received before that, or nullopt when
    // the line stays up.
    std::optional<std::string> readUntilHangup();

private:
    int m_fd = -1;
    std::string m_pending;
};

// The sign's fields after the header: the dump split at ",", header removed.
struct Dump {
    std::string header;
    std::vector<std::string> fields;
    // Fields [first, first + count) joined with ",".
    std::string join(std::size_t first, std::size_t count) const;
};
Dump splitDump(const std::string& line);

std::map<std::string, std::string> readStateFile(const std::string& path);

// A fresh folder, removed with its contents at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    std::string path(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

}  // namespace signsimtest
