#pragma once

#include <QString>
#include <QStringList>

namespace firmware {

// The firmware image the reminder points the operator to.
inline constexpr const char *CurrentImage = "Tarvex 4.1.rom";

// Whether a firmware count shown in the main window calls for the reminder: a number below 3.
// "Not Available" and any text that is not a number call for nothing.
bool needsReminder(const QString &firmwareCount);

QString reminderTitle();  // "Upgrade Firmware"
QString reminderText();

// The flashing program in `programFolder`, in the order they are tried: on Linux its Linux
// build, on Windows the one of the sign's own software distribution.
QStringList flasherCandidates(const QString &programFolder);

} // namespace firmware
