#include "link/portmapwriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryFile>

#include <cerrno>

#include <unistd.h>

namespace signlink {

namespace {

QString systemText()
{
    return qt_error_string(errno);
}

QString com(int comNumber)
{
    return QStringLiteral("COM %1: ").arg(comNumber);
}

// Why COMn cannot be written at all: outside the list, no folder, or a folder in its place
// (which renaming would not replace, and which is the operator's to remove).
std::optional<QString> cannotWrite(const PortMap &map, int comNumber)
{
    if (comNumber < PortMap::FirstPort || comNumber > PortMap::LastPort)
        return QStringLiteral("COM %1 does not exist. Choose one of COM %2 to COM %3.")
            .arg(comNumber)
            .arg(PortMap::FirstPort)
            .arg(PortMap::LastPort);
    if (!QDir().mkpath(map.mapFolder()))
        return com(comNumber) + QStringLiteral("the port map folder %1 could not be made.").arg(map.mapFolder());
    const QFileInfo entry(map.entryPath(comNumber));
    if (entry.isDir() && !entry.isSymLink())
        return com(comNumber)
               + QStringLiteral("the port map entry %1 is a folder; remove it first.").arg(entry.absoluteFilePath());
    return std::nullopt;
}

std::optional<QString> renameOver(const QString &made, const QString &entry, int comNumber)
{
    if (::rename(QFile::encodeName(made).constData(), QFile::encodeName(entry).constData()) == 0)
        return std::nullopt;
    const QString why = systemText();
    ::unlink(QFile::encodeName(made).constData());
    return com(comNumber) + QStringLiteral("the port map entry %1 could not be replaced: %2.").arg(entry, why);
}

} // namespace

std::optional<QString> linkEntry(const PortMap &map, int comNumber, const QString &device)
{
    if (std::optional<QString> why = cannotWrite(map, comNumber))
        return why;
    const QString entry = map.entryPath(comNumber);
    // A name no one else uses: the link is made first, so an existing name is simply tried again.
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString made = QStringLiteral("%1.%2.new").arg(entry).arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
        if (::symlink(QFile::encodeName(device).constData(), QFile::encodeName(made).constData()) == 0)
            return renameOver(made, entry, comNumber);
        if (errno != EEXIST)
            break;
    }
    return com(comNumber) + QStringLiteral("the link to %1 could not be made in %2: %3.").arg(device, map.mapFolder(), systemText());
}

std::optional<QString> writeAddressEntry(const PortMap &map, int comNumber, const NetworkAddress &address)
{
    if (std::optional<QString> why = cannotWrite(map, comNumber))
        return why;
    const QString entry = map.entryPath(comNumber);
    QTemporaryFile made(entry + QStringLiteral(".XXXXXX.new"));
    const QByteArray line = address.text().toLatin1() + '\n';
    // Flushed and synced before the rename, so that a crash leaves the old entry or the whole new
    // one.
    if (!made.open() || made.write(line) != line.size() || !made.flush() || ::fsync(made.handle()) != 0)
        return com(comNumber) + QStringLiteral("the address could not be written in %1: %2.")
                                    .arg(map.mapFolder(), made.errorString());
    made.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    if (std::optional<QString> why = renameOver(made.fileName(), entry, comNumber))
        return why;
    made.setAutoRemove(false);
    return std::nullopt;
}

std::optional<QString> resetEntry(const PortMap &map, int comNumber)
{
    if (comNumber < PortMap::FirstPort || comNumber > PortMap::LastPort)
        return std::nullopt;
    const QString entry = map.entryPath(comNumber);
    const QFileInfo info(entry);
    if (!info.exists() && !info.isSymLink())
        return std::nullopt;
    if (info.isDir() && !info.isSymLink())
        return com(comNumber) + QStringLiteral("the port map entry %1 is a folder; remove it first.").arg(entry);
    if (::unlink(QFile::encodeName(entry).constData()) != 0 && errno != ENOENT)
        return com(comNumber) + QStringLiteral("the port map entry %1 could not be removed: %2.").arg(entry, systemText());
    return std::nullopt;
}

} // namespace signlink
