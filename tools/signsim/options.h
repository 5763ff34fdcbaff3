// The simulator's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace signsim {

struct Options {
    std::string model = "RW2290";
    bool modelGiven = false;
    std::optional<std::string> build = std::string("41");
    bool buildGiven = false;
    std::optional<std::string> linkPath;
    std::optional<std::string> configPath;
    std::optional<std::string> statePath;
    bool paced = false;
    bool crlf = false;
    bool silent = false;
    bool echo = false;    // send every command back, with its CR, before answering it
    std::string noise;    // bytes sent in front of every configuration dump
    std::optional<std::string> dumpText;  // sent in place of every configuration dump
    int dumpAfter = 0;    // after answering the Nth command, send the configuration dump unasked; 0: never
    int dumpPauseMs = 0;  // silence in the middle of every configuration dump; 0: none
    int hangupInDump = 0; // the configuration dump in the middle of which to hang up; 0: none
    int hangupAfter = 0;  // 0: never
    int dropItem = 0;     // the configuration command to ignore, counted from 1; 0: none
    int corruptItem = 0;  // the configuration command to store altered; 0: none
    int refuseFrom = 0;   // the configuration command from which on all are refused; 0: none
    int babbleMs = 0;     // while the port is open, unasked output every so many ms; 0: none
    std::optional<std::string> babbleText;  // that output instead of numbered lines
    std::optional<int> tcpPort;  // listen on 127.0.0.1 instead of a pseudo-terminal; 0: any free port
    bool help = false;
};

// nullopt on a usage error, with the reason in error.
std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error);

std::string usageText();

}  // namespace signsim
