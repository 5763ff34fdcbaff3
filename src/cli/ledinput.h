#pragma once

#include "config/ledfile.h"

#include <QList>
#include <QString>

#include <optional>

namespace cli {

// A .led file as the command line takes it: read whole and checked before anything goes to a
// sign. Stricter than File > Open, which applies what it can: a script that restores a sign
// from a damaged file must stop, not send half of it.
struct LedInput {
    QString path;
    QString model;                               // the "Model:" line
    QList<config::LedFileAction> actions;        // every line's, in file order
    config::LedFileRecord record;                // the actions applied to a fresh record

    // The actions applied over `seed` (the values a sign was read with): what the main window
    // holds after opening the file once the sign is shown.
    config::LedFileRecord appliedOver(config::LedFileRecord seed) const;
};

struct LedInputError {
    QString path;
    int line = 0;  // 1-based; 0 when the fault is not on one line (missing, unreadable, incomplete)
    QString reason;
    QString text() const;  // "FILE:LINE: reason" or "FILE: reason"
};

struct LedInputResult {
    std::optional<LedInput> input;
    std::optional<LedInputError> error;
};

// Reads and checks `path`: it must exist and be readable, hold text (no NUL byte, not larger
// than a .led file can be), every non-empty line must be a setting that reads without error
// against the lists of the file's model and whose values an upload can send (whole-number
// timeouts, capcodes the sign can take), and every one of the 23 settings must be there.
LedInputResult loadLedFile(const QString &path);

// The same for bytes already read.
LedInputResult parseLedBytes(const QString &path, const QByteArray &bytes);

} // namespace cli
