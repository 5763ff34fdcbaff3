#include "config/filewrite.h"

#include <QSaveFile>

#include <cerrno>
#include <unistd.h>

namespace config {

std::optional<QString> writeAndSync(QFileDevice &file, const QByteArray &bytes)
{
    // Each step says why it failed in its own words: the device for the write and the flush, the
    // system for the sync. A file that cannot sync (EINVAL: a pipe, some special files) has
    // nothing to report.
    if (file.write(bytes) != bytes.size() || !file.flush())
        return file.errorString();
    if (::fsync(file.handle()) != 0 && errno != EINVAL)
        return qt_error_string(errno);
    return std::nullopt;
}

std::optional<QString> replaceWhole(QSaveFile &file, const QByteArray &bytes)
{
    // Writing straight into the old file, when no temporary one can be made beside it, would lose
    // it on a failure.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (const std::optional<QString> why = writeAndSync(file, bytes)) {
        file.cancelWriting();
        file.commit();  // drops the temporary file
        return why;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace config
