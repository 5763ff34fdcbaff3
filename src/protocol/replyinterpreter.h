#pragma once

#include <QString>

namespace protocol {

// What the main window does with one reply line of the sign.
struct ReplyAction {
    enum class Kind {
        Nothing,         // the line is consumed without a report
        ShowStatus,      // show `status` in the status label and start its clearing timer
        ShowKeptStatus,  // show the status label with the caption it already has (no second word)
        ConfigDump,      // hand the whole line to the configuration dump reader
        Refused,         // "error": the sign refused the command it was given; no report of its own
    };
    Kind kind = Kind::Nothing;
    QString status;  // only for ShowStatus

    friend bool operator==(const ReplyAction &, const ReplyAction &) = default;
};

// Recognises a reply line (without its line feed; a CR sent by the sign stays in it) by its
// fixed words. "error" is recognised first and also behind an echoed command and its CR or
// before a line-end CR, so that a refusal is never missed. `progressValue` is the upload progress bar's value, 20 units per item sent; it
// feeds the "Uploaded N Successfull" report. Pure: keeps no state between calls.
ReplyAction interpretReply(const QString &line, int progressValue);

// The sign's own text in a reply line: without the echo of a command and its CR that some signs
// send in front of it, without noise (control characters, bytes above 126) in front of that, and
// without the CR of a CR LF line end. The sign holds no CR anywhere (a CR ends every command it
// takes), so no CR in a line is its own.
QString signsAnswer(QString line);

// N of the "done" report: value / 20 in single precision, at most seven significant digits,
// shortest form ("3", "2.5", "2.05", "0").
QString uploadedCountText(int progressValue);

} // namespace protocol
