#pragma once

#include "link/portentry.h"
#include "link/portmap.h"

#include <QList>
#include <QString>

#include <optional>

namespace signlink {

// What one COM number stands for on this machine, for a person choosing a port: the entry the
// port map gives it and, for a device, whether it is there and what the system knows of the
// adapter behind it. Nothing is opened and no network host is contacted.
struct PortInventoryEntry {
    int comNumber = 0;
    PortEntry entry;           // device path, network address, or the reason it is unusable
    bool mapped = false;       // the port map folder has an entry for it (else the default device)
    QString target;            // a device entry's final device (/dev/ttyUSB0 behind a by-id link)
    bool exists = false;       // the device is there; a network entry counts as there
    // From QSerialPortInfo, empty where the system does not say.
    QString description;
    QString manufacturer;
    QString serialNumber;
    std::optional<quint16> vendorId;
    std::optional<quint16> productId;
};

// COM 1 to 12 in order.
QList<PortInventoryEntry> portInventory(const PortMap &map = PortMap());

// "0403:6001", or an empty text when either number is unknown.
QString vendorProductText(const PortInventoryEntry &entry);

} // namespace signlink
