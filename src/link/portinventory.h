#pragma once

#include "link/portentry.h"
#include "link/portmap.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace signlink {

// A USB vendor and product id as lsusb writes them, "0403:6001"; empty without both.
QString vendorProductText(std::optional<quint16> vendorId, std::optional<quint16> productId);

// One serial adapter the system has, as QSerialPortInfo describes it.
struct SerialAdapter {
    QString device;  // the device node, e.g. /dev/ttyUSB0
    QString description;
    QString manufacturer;
    QString serialNumber;
    std::optional<quint16> vendorId;
    std::optional<quint16> productId;
    QString byIdPath;  // its stable name in the by-id folder, when it has one

    QString vendorProductText() const { return signlink::vendorProductText(vendorId, productId); }
    bool operator==(const SerialAdapter &) const = default;
};

// Where the adapters come from. The real system asks QSerialPortInfo and reads
// /dev/serial/by-id (or the folder SIGNCONFIG_SERIAL_BY_ID names); a test gives adapters of its
// own and a by-id folder of its own.
struct AdapterSources {
    std::function<QList<SerialAdapter>()> adapters;
    QString byIdFolder;

    static AdapterSources system();
};

inline constexpr char SystemByIdFolder[] = "/dev/serial/by-id";

// The adapters present now, each with its by-id name. A device that only a by-id link names
// (QSerialPortInfo leaves some out) is listed too, with that name as its description.
QList<SerialAdapter> presentAdapters(const AdapterSources &sources);

// What one COM number stands for now.
struct ComPortInfo {
    int comNumber = 0;
    PortEntry::Kind kind = PortEntry::Kind::Device;
    bool mapped = false;  // an entry in the port map folder decides, not the default table
    // Device: the device it opens, with links followed when the device is there (/dev/ttyUSB0),
    // else the path as named (a dangling link's target, or the default table's device).
    QString devicePath;
    bool present = false;  // Device: the device node exists (a built-in ttyS with no port behind it does not count)
    // From the adapter that is this device, when one is.
    QString description;
    QString manufacturer;
    QString serialNumber;
    std::optional<quint16> vendorId;
    std::optional<quint16> productId;
    QString byIdPath;
    std::optional<NetworkAddress> networkAddress;  // Network
    QString problem;                               // Invalid: the sentence PortEntry gives

    QString vendorProductText() const { return signlink::vendorProductText(vendorId, productId); }
    bool operator==(const ComPortInfo &) const = default;
};

// COM 1 to COM 12 in order, as `map` and the adapters present make them.
QList<ComPortInfo> portInventory(const PortMap &map, const QList<SerialAdapter> &adapters);
// The same with the system's adapters.
QList<ComPortInfo> portInventory(const PortMap &map);

// A note for an address whose traffic anyone on the network between can read and change: one
// without TLS to a host other than this machine. Empty otherwise. Names are not looked up, so
// listing the ports never waits for the network.
QString plainTextNote(const NetworkAddress &address);

// One line a person reads: "COM5\t/dev/serial/by-id/usb-... -> /dev/ttyUSB0\tpresent\tFT232R USB
// UART, FTDI, serial A1234567, 0403:6001", or the address (with plainTextNote's note), or why
// the entry is unusable.
QString portSummaryLine(const ComPortInfo &port);

} // namespace signlink
