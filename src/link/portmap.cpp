#include "link/portmap.h"

#include <QDir>
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

QString PortMap::defaultDevice(int comNumber)
{
    if (comNumber < FirstPort || comNumber > LastPort)
        return {};
    static constexpr const char *families[] = {"/dev/ttyS", "/dev/ttyUSB", "/dev/ttyACM"};
    const int index = comNumber - 1;
    return QString::fromLatin1(families[index / 4]) + QString::number(index % 4);
}

QString PortMap::devicePath(int comNumber) const
{
    if (comNumber < FirstPort || comNumber > LastPort)
        return {};
    const QString entry = m_folder + QStringLiteral("/COM") + QString::number(comNumber);
    // exists() follows links; a dangling link is still an entry the operator made on purpose.
    const QFileInfo info(entry);
    if (info.exists() || info.isSymLink())
        return entry;
    return defaultDevice(comNumber);
}

} // namespace signlink
