#pragma once

#include <QByteArrayView>
#include <QString>

class QFileDevice;

namespace config {

// Writes all of `bytes` to the open file and makes sure they reached the disk: write() only fills
// Qt's buffer, and a full disk shows at the flush, or at the sync on a file system that reports
// it late. QSaveFile::commit() checks neither and would put an empty or cut file in place.
// `why`, when given, gets the reason of a failure.
bool writeWhole(QFileDevice &file, QByteArrayView bytes, QString *why = nullptr);

// Replaces the file at `path` by one holding `bytes`, or leaves it as it was: through a
// temporary file beside it, never by writing into the old one. Empty on success, otherwise the
// reason as the system gives it.
QString replaceFile(const QString &path, QByteArrayView bytes);

} // namespace config
