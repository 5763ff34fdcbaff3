#pragma once

#include <QDir>
#include <QFile>
#include <QString>

namespace testsupport {

// Makes COMn in the port map folder a regular file holding `contents` (a network address, or
// anything a test wants to try), replacing whatever entry was there.
inline bool writePortEntry(const QString &folder, int com, const QByteArray &contents)
{
    const QString path = folder + QStringLiteral("/COM") + QString::number(com);
    if (!QDir().mkpath(folder))
        return false;
    QFile::remove(path);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

} // namespace testsupport
