#pragma once

#include "link/portentry.h"

#include <QString>

#include <optional>

namespace signlink {

// Which device a COM number opens on Linux. An entry named "COMn" in the port map folder
// ($XDG_CONFIG_HOME/signconfig/ports, ~/.config when XDG_CONFIG_HOME is unset) wins, usually a
// symbolic link to /dev/serial/by-id/...; a link whose target is missing still counts as present,
// so the port then reports "no such port" rather than silently opening another device. Without
// an entry: COM 1-4 are /dev/ttyS0-3, COM 5-8 /dev/ttyUSB0-3, COM 9-12 /dev/ttyACM0-3.
// An entry that is a regular file holds a network address instead (tcp://HOST:PORT or
// rfc2217://HOST:PORT, one line). Opening a port only reads the folder; the Ports dialog
// changes it through portmapwriter.h.
class PortMap {
public:
    // Uses the environment's XDG_CONFIG_HOME / HOME.
    PortMap();
    explicit PortMap(QString mapFolder);
    // A map in which every COM number opens `entry`: a device or an address given directly (on
    // the command line) rather than through a COM number.
    static PortMap pinned(PortEntry entry);

    static constexpr int FirstPort = 1;
    static constexpr int LastPort = 12;

    QString mapFolder() const { return m_folder; }

    // The path COM n opens, or an empty text when n is outside 1..12.
    QString devicePath(int comNumber) const;

    // What COM n opens, of any kind: a symbolic link (even a dangling one) or any other entry
    // that is not a regular file is a device, a regular file is read for its address, and
    // without an entry the default device stands.
    PortEntry entry(int comNumber) const;

    // The built-in device of COM n without any map entry (empty outside 1..12).
    static QString defaultDevice(int comNumber);

    // Where the entry of COM n is, whether or not there is one.
    QString entryPath(int comNumber) const;

private:

    QString m_folder;
    std::optional<PortEntry> m_pinned;
};

} // namespace signlink
