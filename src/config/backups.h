#pragma once

#include <QDateTime>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace config {

// The folder of the automatic backups: $XDG_DATA_HOME/signconfig/backups, with
// ~/.local/share in place of XDG_DATA_HOME when it is unset or not an absolute path (as the XDG
// rules say). Read from the environment each time.
QString defaultBackupFolder();

// The name of a backup made at `when` of the sign on COM `comNumber` reporting `model`:
// "2024-05-01_14-03-22_COM1_RW2290.led". Date and time come first, so that the names sort as
// the backups were made; of the model, which the sign reports and may hold anything, only
// letters, digits and "-" are kept (others become "_"), at most 32 of them ("unknown" when none).
QString backupFileName(const QDateTime &when, int comNumber, const QString &model);

// Whether `fileName` is one of the names above: only those are ever removed from the folder.
bool isBackupFileName(const QString &fileName);

// The backups of one folder: each one a .led file, written whole or not at all, of which the
// newest `Kept` stay.
class BackupFolder {
public:
    static constexpr int Kept = 50;
    using SaveFileFactory = std::function<std::unique_ptr<QSaveFile>(const QString &path)>;

    // An empty path stands for defaultBackupFolder() at the moment of each use.
    explicit BackupFolder(QString path = {}) : m_path(std::move(path)) {}
    QString path() const;
    void setPath(QString path) { m_path = std::move(path); }
    // Where the file writing comes from; a test puts in files that fail part way.
    void setSaveFileFactory(SaveFileFactory factory) { m_saveFiles = std::move(factory); }

    struct Written {
        QString filePath;               // the new backup; empty when none was written
        std::optional<QString> failure;  // why none was written, a sentence part
        bool ok() const { return !failure; }
    };
    // Writes `bytes` as a new backup named by backupFileName() (with "_2", "_3" .. before the
    // extension when that name is taken), makes the folder first when it is missing, and then
    // removes the oldest backups beyond Kept. Removing is done only after a successful write,
    // and a backup that cannot be removed stays without complaint.
    Written write(const QByteArray &bytes, const QDateTime &when, int comNumber, const QString &model) const;

    // The backups in the folder by name, newest first.
    QStringList backups() const;

private:
    void prune(const QString &folder) const;

    QString m_path;
    SaveFileFactory m_saveFiles;
};

} // namespace config
