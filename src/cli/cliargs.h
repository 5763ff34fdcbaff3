#pragma once

#include "link/portentry.h"
#include "link/portmap.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace cli {

// What the program tells its caller by its exit status.
enum class ExitCode : int {
    Done = 0,
    Differences = 1,  // differences found, a verify that failed, items the sign refused
    Usage = 2,
    PortFailed = 3,   // the port would not open, or failed on the way
    NoAnswer = 4,     // the sign did not answer (or not with what was asked)
    FileError = 5,
};

enum class Command { Ports, Read, Write, Diff, SetClock, DefaultMessage, Send, FactoryDefaults };

// A sign as --port names it: a COM number through the port map the window uses, or a device
// path or network address given directly.
struct PortSpec {
    QString given;                               // as typed
    int comNumber = 1;                           // the number the connection opens
    std::optional<signlink::PortEntry> direct;   // a device or address given directly

    signlink::PortMap portMap() const;
    // "COM3", "/dev/ttyUSB0", "tcp://host:4001": how results name this sign.
    QString label() const;
    // The label made fit for a file name ("COM3", "ttyUSB0", "host-4001").
    QString fileNamePart() const;
};

// "COM3", "com 3" and "3" are COM 3 (1 to 12); a text holding "/" is a device path;
// tcp://HOST:PORT and rfc2217://HOST:PORT are serial device servers.
std::optional<PortSpec> parsePortSpec(const QString &text, QString *problem);

struct Options {
    Command command = Command::Ports;
    QList<PortSpec> ports;
    QString file;       // write, diff
    QString otherFile;  // diff FILE FILE2
    QString output;     // read -o; "{port}" is replaced with the sign's fileNamePart()
    bool json = false;
    bool force = false;
    bool verify = false;
    bool yes = false;
    bool check = false;          // write, default-message: send nothing, say what would go
    bool jsonInput = false;      // write: the configuration comes as JSON on standard input
    QString backup;              // write --backup; "{port}" as in output
    bool setMessage = false;     // default-message --set
    QStringList messageLines;    // --set TEXT, once per line of the message
    QString text;                // send TEXT
    QString font;                // send/default-message --font (a name of the list or its position)
    QString color;               // send/default-message --color
};

struct Parsed {
    enum class Outcome { Run, Help, Version, Usage };
    Outcome outcome = Outcome::Usage;
    Options options;
    QString text;  // the help text, or why the command line is wrong
};

// Reads the arguments after the program name.
Parsed parseArguments(const QStringList &arguments);

// The help text: subcommands, options and exit codes.
QString helpText();
// The short reminder after a usage error: the commands' synopses.
QString usageText();

// The subcommand's name as typed ("read", "factory-defaults").
QString commandName(Command command);

} // namespace cli
