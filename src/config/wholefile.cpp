#include "config/wholefile.h"

#include <QSaveFile>

#include <cerrno>
#include <unistd.h>

namespace config {

bool writeWhole(QFileDevice &file, QByteArrayView bytes, QString *why)
{
    if (file.write(bytes.data(), bytes.size()) != bytes.size() || !file.flush()) {
        if (why)
            *why = file.errorString();
        return false;
    }
    // EINVAL: a file that cannot be synced (a pipe, a special file) has nothing to wait for.
    if (::fsync(file.handle()) != 0 && errno != EINVAL) {
        if (why)
            *why = qt_error_string(errno);
        return false;
    }
    return true;
}

QString replaceFile(const QString &path, QByteArrayView bytes)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    QString why;
    if (!writeWhole(file, bytes, &why)) {
        file.cancelWriting();
        file.commit();  // drops the temporary file
        return why;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace config
