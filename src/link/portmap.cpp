#include "link/portmap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>

namespace signlink {

namespace {

QString folderFromEnvironment()
{
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QString base = env.value(QStringLiteral("XDG_CONFIG_HOME"));
    // An XDG variable that is not absolute is to be ignored.
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = env.value(QStringLiteral("HOME"), QDir::homePath()) + QStringLiteral("/.config");
    return base + QStringLiteral("/signconfig/ports");
}

} // namespace

PortMap::PortMap() : m_folder(folderFromEnvironment()) {}

PortMap::PortMap(QString mapFolder) : m_folder(std::move(mapFolder)) {}

PortMap PortMap::pinned(PortEntry entry)
{
    PortMap map;
    map.m_pinned = std::move(entry);
    return map;
}

QString PortMap::defaultDevice(int comNumber)
{
    if (comNumber < FirstPort || comNumber > LastPort)
        return {};
    static constexpr const char *families[] = {"/dev/ttyS", "/dev/ttyUSB", "/dev/ttyACM"};
    const int index = comNumber - 1;
    return QString::fromLatin1(families[index / 4]) + QString::number(index % 4);
}

QString PortMap::entryPath(int comNumber) const
{
    return m_folder + QStringLiteral("/COM") + QString::number(comNumber);
}

QString PortMap::devicePath(int comNumber) const
{
    if (m_pinned)
        return m_pinned->device;
    if (comNumber < FirstPort || comNumber > LastPort)
        return {};
    const QString entry = entryPath(comNumber);
    // exists() follows links; a dangling link is still an entry the operator made on purpose.
    const QFileInfo info(entry);
    if (info.exists() || info.isSymLink())
        return entry;
    return defaultDevice(comNumber);
}

PortEntry PortMap::entry(int comNumber) const
{
    if (m_pinned)
        return *m_pinned;
    if (comNumber < FirstPort || comNumber > LastPort)
        return PortEntry::deviceAt({});
    const QString path = entryPath(comNumber);
    const QFileInfo info(path);
    // A symbolic link is a device even when it points at a regular file: only a file placed in
    // the folder itself holds an address.
    if (info.isSymLink() || !info.isFile())
        return PortEntry::deviceAt(devicePath(comNumber));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return PortEntry::invalid(QStringLiteral("COM %1: the port map entry %2 cannot be read: %3.")
                                      .arg(comNumber).arg(path, file.errorString()));
    // One byte more than an address file may hold tells a long file from one that fits.
    return parseAddressFile(comNumber, path, file.read(MaxAddressFileSize + 1));
}

} // namespace signlink
