#include "link/portinventory.h"

#include <QFileInfo>
#include <QSerialPortInfo>

namespace signlink {

QList<PortInventoryEntry> portInventory(const PortMap &map)
{
    // One scan of the system's serial ports serves all twelve numbers.
    const QList<QSerialPortInfo> available = QSerialPortInfo::availablePorts();
    QList<PortInventoryEntry> list;
    for (int com = PortMap::FirstPort; com <= PortMap::LastPort; ++com) {
        PortInventoryEntry item;
        item.comNumber = com;
        item.entry = map.entry(com);
        item.mapped = !map.isPinned() && map.devicePath(com) != PortMap::defaultDevice(com);
        switch (item.entry.kind) {
        case PortEntry::Kind::Invalid:
            break;
        case PortEntry::Kind::Network:
            item.exists = true;
            break;
        case PortEntry::Kind::Device: {
            const QFileInfo info(item.entry.device);
            item.exists = info.exists();
            // A by-id link names the adapter; the system lists it under the device it points at.
            item.target = item.exists ? info.canonicalFilePath() : QString();
            for (const QSerialPortInfo &port : available) {
                if (item.target.isEmpty() || QFileInfo(port.systemLocation()).canonicalFilePath() != item.target)
                    continue;
                item.description = port.description();
                item.manufacturer = port.manufacturer();
                item.serialNumber = port.serialNumber();
                if (port.hasVendorIdentifier())
                    item.vendorId = port.vendorIdentifier();
                if (port.hasProductIdentifier())
                    item.productId = port.productIdentifier();
                break;
            }
            break;
        }
        }
        list.append(item);
    }
    return list;
}

QString vendorProductText(const PortInventoryEntry &entry)
{
    if (!entry.vendorId || !entry.productId)
        return {};
    return QStringLiteral("%1:%2").arg(*entry.vendorId, 4, 16, QLatin1Char('0')).arg(*entry.productId, 4, 16, QLatin1Char('0'));
}

} // namespace signlink
