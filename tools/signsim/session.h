// The sign at work: reads commands from the line, carries them out, answers, and keeps the
// state file, until a signal ends it or the line is unplugged.
#pragma once

#include "line.h"
#include "lineassembler.h"
#include "log.h"
#include "signstate.h"
#include "transmitter.h"

#include <deque>
#include <optional>
#include <string>

namespace signsim {

struct SessionOptions {
    bool crlf = false;
    bool silent = false;
    bool paced = false;
    bool echo = false;    // every command goes back, with its CR, before its answer
    std::string noise;    // bytes in front of every configuration dump
    std::optional<std::string> dumpText;  // in place of every configuration dump
    int dumpAfter = 0;    // command after whose answer the dump goes out unasked; 0: never
    int dumpPauseMs = 0;  // silence in the middle of every configuration dump; 0: none
    int hangupInDump = 0; // configuration dump in the middle of which the line is cut; 0: none
    int hangupAfter = 0;  // 0: never
    int dropItem = 0;     // configuration command to ignore, counted from 1; 0: none
    int corruptItem = 0;  // configuration command to store altered; 0: none
    int refuseFrom = 0;   // configuration command from which on all are refused; 0: none
    int babbleMs = 0;     // while the port is open, unasked output every so many ms; 0: none
    std::optional<std::string> babbleText;  // that output, as is; numbered lines without it
    std::optional<std::string> statePath;
};

class Session {
public:
    Session(const SessionOptions& options, SignState state, Line& line, Log& log);

    // Runs until signalFd becomes readable (returns 0), the line is unplugged (0), or the
    // line fails (1). A network client that goes away only ends its connection.
    int run(int signalFd);

    // Writes the state file, if there is one; false with the reason in error.
    bool saveState(std::string& error);

private:
    enum class Step { Go, Unplugged, Failed };
    Step readLine();
    Step onCommand(const ReceivedCommand& command);
    // Carries the command out and answers it, faults included.
    void answer(const ReceivedCommand& command);
    // Sends text and, with endLine, the reply terminator; the log shows text.
    void send(const std::string& text, bool endLine = true);
    // Sends the configuration dump with the noise, pause or hang-up it was asked to have.
    void sendDump(const std::string& dump);
    std::string lineEnd() const;
    // Whether a reply may go out; the log shows it, or why it does not go.
    bool mayAnswer(const std::string& text);
    // Bytes to the line, behind whatever is held back for later.
    void transmit(const std::string& bytes);
    // When everything queued so far will have gone out.
    Transmitter::Clock::time_point queuedUntil(Transmitter::Clock::time_point now) const;
    // Hands what has come due to the transmitter; Step::Unplugged once the line is cut.
    Step releaseDue();
    void saveStateOrSay();
    // Whether unasked output is due now and then: asked for, and someone there to read it.
    bool babbling() const;
    // Sends the unasked output that has come due, if nothing else waits to go out.
    void babble(Transmitter::Clock::time_point now);
    // The user closed the line: what it did not read is lost.
    void onClosed();
    // Reading or writing failed: the user went away, or the line failed (Step::Failed).
    Step onLineError(const std::string& what);

    SessionOptions m_options;
    SignState m_state;
    Line& m_line;
    Log& m_log;
    LineAssembler m_lines;
    Transmitter m_tx;
    // Output held back, in order: the rest of a dump after its pause, or the hang-up in the
    // middle of one.
    struct Later {
        Transmitter::Clock::time_point due;
        std::string bytes;
        bool hangUp = false;
    };
    std::deque<Later> m_later;
    int m_dumps = 0;
    int m_commands = 0;
    int m_configCommands = 0;  // over the whole run, one connection after another
    Transmitter::Clock::time_point m_nextBabble{};
    long long m_babbled = 0;       // over the whole run
    long long m_babbledHere = 0;   // since the port was opened, for the note at closing
};

}  // namespace signsim
