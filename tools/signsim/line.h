// Where the sign's commands come from and its replies go: a pseudo-terminal standing in for
// a serial line, or a TCP port standing in for a serial device server.
#pragma once

#include <string>

namespace signsim {

class Line {
public:
    virtual ~Line() = default;

    // What a reader of the first output line opens: the device path, or tcp://HOST:PORT.
    virtual std::string name() const = 0;
    // Commands are read from and replies written to this descriptor; -1 while nobody is there.
    virtual int fd() const = 0;
    // Becomes readable when someone opens or closes the line; -1 when there is nothing to watch.
    virtual int watchFd() const = 0;

    struct Change {
        bool opened = false;  // the line went from unused to used
        bool closed = false;  // the last user closed it
    };
    // Takes in what watchFd() announced.
    virtual Change readEvents() = 0;
    // Whether someone holds the line open, so that replies have a reader.
    virtual bool peerPresent() const = 0;
    // Drops what was sent but not read, as a line does when nobody listens.
    virtual void discardUnread() = 0;
    // Reading or writing fd() failed or met its end. True when that only means the user went
    // away and the line waits for the next one; false when the line itself failed.
    virtual bool peerGone() = 0;
    // Closes the line like pulling the cable: the user's reads end and its writes fail.
    virtual void hangUp() = 0;
};

}  // namespace signsim
