#include "config/backups.h"

#include "config/filewrite.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace config {

namespace {

const QRegularExpression &backupPattern()
{
    static const QRegularExpression pattern(
        uR"(^\d{4}-\d{2}-\d{2}_\d{2}-\d{2}-\d{2}_COM\d+_[A-Za-z0-9_-]+\.led$)"_s);
    return pattern;
}

QString safeModel(const QString &model)
{
    QString safe;
    for (const QChar c : model.left(32)) {
        const bool kept = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-';
        safe += kept ? c : u'_';
    }
    return safe.isEmpty() ? u"unknown"_s : safe;
}

} // namespace

QString defaultBackupFolder()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + u"/.local/share"_s;
    return base + u"/signconfig/backups"_s;
}

QString backupFileName(const QDateTime &when, int comNumber, const QString &model)
{
    return u"%1_COM%2_%3.led"_s.arg(when.toString(u"yyyy-MM-dd_HH-mm-ss"_s)).arg(comNumber).arg(safeModel(model));
}

bool isBackupFileName(const QString &fileName)
{
    return backupPattern().match(fileName).hasMatch();
}

QString BackupFolder::path() const
{
    return m_path.isEmpty() ? defaultBackupFolder() : m_path;
}

BackupFolder::Written BackupFolder::write(const QByteArray &bytes, const QDateTime &when, int comNumber,
                                          const QString &model) const
{
    const QString folder = path();
    errno = 0;
    if (!QDir().mkpath(folder)) {
        const QString reason = errno != 0 ? u": "_s + qt_error_string(errno) : QString();
        return {{}, u"the folder %1 could not be made%2"_s.arg(folder, reason)};
    }
    const QString name = backupFileName(when, comNumber, model);
    QString filePath = folder + u'/' + name;
    for (int n = 2; QFileInfo::exists(filePath); ++n)
        filePath = folder + u'/' + name.chopped(4) + u"_%1.led"_s.arg(n);

    const std::unique_ptr<QSaveFile> file = m_saveFiles ? m_saveFiles(filePath) : std::make_unique<QSaveFile>(filePath);
    if (const std::optional<QString> why = replaceWhole(*file, bytes))
        return {{}, u"%1 could not be written: %2"_s.arg(filePath, *why)};
    prune(folder);
    return {filePath, std::nullopt};
}

QStringList BackupFolder::backups() const
{
    QStringList names = QDir(path()).entryList({u"*.led"_s}, QDir::Files);
    names.removeIf([](const QString &name) { return !isBackupFileName(name); });
    // Plain character order, whatever the locale: the date and time lead.
    std::sort(names.begin(), names.end(), std::greater<>());
    return names;
}

void BackupFolder::prune(const QString &folder) const
{
    const QStringList names = BackupFolder(folder).backups();
    for (qsizetype k = Kept; k < names.size(); ++k)
        QFile::remove(folder + u'/' + names[k]);
}

} // namespace config
