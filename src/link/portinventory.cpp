#include "link/portinventory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QHostInfo>
#include <QNetworkInterface>
#include <QSerialPortInfo>

#include <algorithm>

namespace signlink {

namespace {

// What two paths are compared by: the device they lead to once every link is followed, or the
// path itself when it leads nowhere (an unplugged adapter, a fake one in a test).
QString deviceKey(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
}

// Linux makes /dev/ttyS0 to ttyS3 whether or not a serial port is built in; the kernel gives one
// without a port behind it the type 0 (unknown), and opening it fails. Such a node is no port.
bool isPhantomBuiltInPort(const QString &device)
{
    const QString name = QFileInfo(device).fileName();
    if (!device.startsWith(QStringLiteral("/dev/ttyS")))
        return false;
    QFile type(QStringLiteral("/sys/class/tty/%1/type").arg(name));
    return type.open(QIODevice::ReadOnly) && type.readAll().trimmed() == "0";
}

QList<SerialAdapter> systemAdapterList()
{
    QList<SerialAdapter> adapters;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        SerialAdapter adapter;
        adapter.device = info.systemLocation();
        adapter.description = info.description();
        adapter.manufacturer = info.manufacturer();
        adapter.serialNumber = info.serialNumber();
        if (info.hasVendorIdentifier())
            adapter.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier())
            adapter.productId = info.productIdentifier();
        adapters.append(adapter);
    }
    return adapters;
}

bool isThisMachine(const QString &host)
{
    const QHostAddress address(host);
    if (address.isNull())
        return host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0
               || host.endsWith(QStringLiteral(".localhost"), Qt::CaseInsensitive)
               || host.compare(QHostInfo::localHostName(), Qt::CaseInsensitive) == 0;
    return address.isLoopback() || QNetworkInterface::allAddresses().contains(address);
}

} // namespace

QString plainTextNote(const NetworkAddress &address)
{
    if (address.tls || isThisMachine(address.host))
        return {};
    return QStringLiteral("not encrypted: others on the network can read and send what goes to the sign "
                          "(tls:// or rfc2217+tls:// keeps it private)");
}

QString vendorProductText(std::optional<quint16> vendorId, std::optional<quint16> productId)
{
    if (!vendorId || !productId)
        return {};
    return QStringLiteral("%1:%2").arg(*vendorId, 4, 16, QChar(u'0')).arg(*productId, 4, 16, QChar(u'0'));
}

AdapterSources AdapterSources::system()
{
    // Another folder of stable names can stand in for the system's, to try the tool with
    // adapters made up of links to pseudo-terminals.
    const QString byId = qEnvironmentVariable("SIGNCONFIG_SERIAL_BY_ID");
    return {systemAdapterList, byId.isEmpty() ? QString::fromLatin1(SystemByIdFolder) : byId};
}

QList<SerialAdapter> presentAdapters(const AdapterSources &sources)
{
    QList<SerialAdapter> adapters = sources.adapters ? sources.adapters() : QList<SerialAdapter>();

    // The by-id folder holds links named after the adapter (maker, model, serial number) that
    // stay the same whichever ttyUSB number the adapter gets; links to an unplugged adapter are
    // gone from it, so only present devices are found here.
    QHash<QString, QString> byIdOf;  // device key -> by-id path
    QList<QString> byIdOrder;
    const QDir byId(sources.byIdFolder);
    if (!sources.byIdFolder.isEmpty()) {
        const QFileInfoList links =
            byId.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        for (const QFileInfo &link : links) {
            if (!link.isSymLink())
                continue;
            const QString target = link.canonicalFilePath();
            if (target.isEmpty() || byIdOf.contains(target))
                continue;
            byIdOf.insert(target, link.absoluteFilePath());
            byIdOrder.append(target);
        }
    }

    QList<QString> known;
    for (SerialAdapter &adapter : adapters) {
        const QString key = deviceKey(adapter.device);
        known.append(key);
        if (adapter.byIdPath.isEmpty())
            adapter.byIdPath = byIdOf.value(key);
    }
    for (const QString &target : byIdOrder) {
        if (known.contains(target))
            continue;
        SerialAdapter adapter;
        adapter.device = target;
        adapter.byIdPath = byIdOf.value(target);
        adapter.description = QFileInfo(adapter.byIdPath).fileName();
        adapters.append(adapter);
    }
    std::sort(adapters.begin(), adapters.end(),
              [](const SerialAdapter &a, const SerialAdapter &b) { return a.device < b.device; });
    return adapters;
}

QList<ComPortInfo> portInventory(const PortMap &map, const QList<SerialAdapter> &adapters)
{
    QList<ComPortInfo> ports;
    for (int com = PortMap::FirstPort; com <= PortMap::LastPort; ++com) {
        ComPortInfo info;
        info.comNumber = com;
        const PortEntry entry = map.entry(com);
        info.kind = entry.kind;
        switch (entry.kind) {
        case PortEntry::Kind::Network:
            info.mapped = true;
            info.networkAddress = entry.address;
            break;
        case PortEntry::Kind::Invalid:
            info.mapped = true;
            info.problem = entry.problem;
            break;
        case PortEntry::Kind::Device: {
            info.mapped = entry.device != PortMap::defaultDevice(com);
            const QFileInfo named(entry.device);
            const QString canonical = named.canonicalFilePath();
            info.present = !canonical.isEmpty() && !isPhantomBuiltInPort(canonical);
            info.devicePath = info.present ? canonical : named.isSymLink() ? named.symLinkTarget() : entry.device;
            const QString key = deviceKey(info.devicePath);
            const auto adapter = std::find_if(adapters.begin(), adapters.end(),
                                              [&key](const SerialAdapter &a) { return deviceKey(a.device) == key; });
            if (adapter != adapters.end()) {
                info.description = adapter->description;
                info.manufacturer = adapter->manufacturer;
                info.serialNumber = adapter->serialNumber;
                info.vendorId = adapter->vendorId;
                info.productId = adapter->productId;
                info.byIdPath = adapter->byIdPath;
            }
            break;
        }
        }
        ports.append(info);
    }
    return ports;
}

QList<ComPortInfo> portInventory(const PortMap &map)
{
    return portInventory(map, presentAdapters(AdapterSources::system()));
}

QString portSummaryLine(const ComPortInfo &e)
{
    using Kind = signlink::PortEntry::Kind;
    QString line = QStringLiteral("COM%1\t").arg(e.comNumber);
    switch (e.kind) {
    case Kind::Invalid:
        return line + QStringLiteral("unusable: ") + e.problem;
    case Kind::Network: {
        if (!e.networkAddress)
            return line + QStringLiteral("\tnetwork");
        const QString note = plainTextNote(*e.networkAddress);
        return line + e.networkAddress->text() + QStringLiteral("\tnetwork") + (note.isEmpty() ? QString() : u'\t' + note);
    }
    case Kind::Device:
        break;
    }
    line += e.byIdPath.isEmpty() ? e.devicePath : e.byIdPath + QStringLiteral(" -> ") + e.devicePath;
    line += e.present ? QStringLiteral("\tpresent") : QStringLiteral("\tmissing");
    QStringList about;
    for (const QString &part : {e.description, e.manufacturer})
        if (!part.isEmpty())
            about << part;
    if (!e.serialNumber.isEmpty())
        about << QStringLiteral("serial ") + e.serialNumber;
    const QString ids = e.vendorProductText();
    if (!ids.isEmpty())
        about << ids;
    if (!about.isEmpty())
        line += u'\t' + about.join(QStringLiteral(", "));
    return line;
}

} // namespace signlink
