#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class QFileDevice;
class QSaveFile;

namespace config {

// Writes every byte to the device and makes sure they reached the disk. write() only fills Qt's
// buffer: a full disk shows when the bytes reach the device, at the flush, or at the sync for a
// file system that reports it late. Returns why it failed, in the system's words.
[[nodiscard]] std::optional<QString> writeAndSync(QFileDevice &file, const QByteArray &bytes);

// Replaces the file `file` names by one holding exactly `bytes`: the old file (if any) stays
// whole until the new one is complete, and a failed write leaves no new file behind. QSaveFile
// commits without checking the flush or the sync, which would put an empty or cut file in place
// of the old one. Returns why it failed, in the system's words; nothing on success.
[[nodiscard]] std::optional<QString> replaceWhole(QSaveFile &file, const QByteArray &bytes);

} // namespace config
