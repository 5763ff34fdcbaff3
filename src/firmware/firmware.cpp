#include "firmware/firmware.h"

#include <QDir>
#include <QLocale>

namespace firmware {

bool needsReminder(const QString &firmwareCount)
{
    if (firmwareCount == QStringLiteral("Not Available"))
        return false;
    bool ok = false;
    const double count = QLocale::c().toDouble(firmwareCount.trimmed(), &ok);
    return ok && count < 3;
}

QString reminderTitle()
{
    return QStringLiteral("Upgrade Firmware");
}

QString reminderText()
{
    return QStringLiteral("A newer rom file ") + QString::fromLatin1(CurrentImage)
           + QStringLiteral(" is available to Upload\r\nPlease click on Tools --> Upgrade on the top menu to Upload it");
}

QStringList flasherCandidates(const QString &programFolder)
{
    // One separator between folder and name, also for a folder that already ends in one.
    QString folder = QDir::fromNativeSeparators(programFolder);
    if (!folder.endsWith(u'/'))
        folder += u'/';
#ifdef Q_OS_WIN
    return {folder + QStringLiteral("romwrite_p.exe")};
#else
    // The Windows program cannot run here; looking for it would only put ".exe" in the message.
    return {folder + QStringLiteral("romwrite_p")};
#endif
}

} // namespace firmware
