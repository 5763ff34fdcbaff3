#pragma once

#include "config/signconfig.h"

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <variant>

namespace config {

// The .led configuration file: 23 keyed lines of single-byte text, each ended by CR LF.
// The window reads its controls into a LedFileRecord to save, and applies what the reader
// returns to its controls to open. Nothing here touches a file or a widget.

// Everything a .led file holds. List fields are list positions, -1 = nothing selected.
struct LedFileRecord {
    QString model;       // caption of the model label
    qint16 comPort = -1; // position in the COM port list; written as position + 1
    std::array<PriorityDefaults, PriorityCount> priorities;
    std::array<LinkEntry, LinkCount> links;
    QString DefMsg;      // as held by the main window (CR LF breaks, or byte 0xAA from a file)
    qint16 DefFont = 0, DefColor = 0, DefStyle = 0, DefAlign = 0, DefSpeed = 0, DefPause = 0;
    qint16 autoId = 0;   // check value 0/1
    friend bool operator==(const LedFileRecord &, const LedFileRecord &) = default;
};

// ---- Writing ----

// The record of a configuration: the model caption, the COM port list position, the values, and
// the default message with its six values as `kept` holds them.
LedFileRecord ledFileRecord(const QString &model, qint16 comPort, const ConfigValues &values, const SignConfig &kept);

// The character that stands for a line break of the default message in the file (byte 0xAA,
// the sign's own code for a break).
inline constexpr QChar StoredLineBreak{u'\u00AA'};

// The 23 lines, each ended by CR LF: the text the Save command hands to SaveTextToFile. It
// does NOT hold the extra CR LF that SaveTextToFile appends (see saveTextBytes). Every line
// break of the default message becomes 0xAA: a CR LF pair and, so that no part of the message
// can spill onto a line of its own and be lost on reading, a lone LF as well.
QString ledFileText(const LedFileRecord &record);

// Why `record` cannot be saved so that it reads back as it was, as a line to add to "Error
// Saving File"; nothing when it can. A character beyond Latin-1 anywhere cannot be stored, and
// in the default message neither can one of 171 .. 178 (« ¬ soft hyphen ® ¯ ° ± ²): the
// sign's codes of the date and time fields, which is what they become when the message is read
// back. 170 (ª), the stored line break, is what a message opened from a file holds, and stays.
std::optional<QString> whyUnstorable(const LedFileRecord &record);

// What SaveTextToFile writes for `sText`: its Latin-1 bytes followed by CR LF, so a file saved
// from ledFileText() ends with an empty line.
struct SaveBytes {
    std::optional<QByteArray> bytes;    // empty when the text cannot be stored as single bytes
    std::optional<QString> unstorable;  // then: the first character beyond Latin-1
};
SaveBytes saveTextBytes(const QString &sText);

// ---- Reading ----

// A whole file's bytes as the lines the reader takes: split at LF, one CR at the end of a line
// removed, each byte one character (0xAA stays in its line). Nothing follows the final LF of
// a saved file, so no line is made for it; the empty line a saved file ends with is kept.
QStringList ledFileLines(const QByteArray &bytes);

// The failure that stops reading a file, as the window reports it.
struct LedFileError {
    enum Number {
        FileNotFound = 53,
        FileNotAccessible = 75,
        ReadPastEnd = 62,
        NotANumber = 13,      // a 16-bit value ("DefaultFont:" .., "AutoID:") with no number
        Overflow = 6,         // a number outside -32768..32767
        InvalidValue = 380,   // a list position outside its list, a check value other than 0/1
    };
    int number = 0;
    QString description;

    // "Error N opening file." CR LF description: the message box text.
    QString message() const;
    friend bool operator==(const LedFileError &, const LedFileError &) = default;
};

// The errors of opening and reading a file, for the window's file access; `path` is named in
// the description, `reason` (the system's text, may be empty) is added to it.
LedFileError fileNotFoundError(const QString &path);
LedFileError fileNotAccessibleError(const QString &path, const QString &reason);
LedFileError readPastEndError(const QString &path);

// The sizes of the lists the values go into. A position must lie in -1 .. size - 1; without a
// size only -1 is the lower limit. The priority lists are the main window's (the same size in
// every row).
struct LedListSizes {
    std::optional<int> font, style, color, speed, alignment, pause, beep;
    std::optional<int> comPorts;        // 12 in the main window
    std::optional<int> linkPriorities;  // 5 ("Priority 0" .. "Priority 4")
};

// What one line asks for. The main window applies them in order.
namespace led {
struct SetModel { QString caption; friend bool operator==(const SetModel &, const SetModel &) = default; };
struct SetComPort { qint16 position = -1; friend bool operator==(const SetComPort &, const SetComPort &) = default; };
// All eight fields of priority row `row` (lists and timeout text).
struct SetPriority {
    int row = 0;
    PriorityDefaults values;
    friend bool operator==(const SetPriority &, const SetPriority &) = default;
};
// Capcode of link `id`, and its priority list position unless empty (then the list keeps its
// selection).
struct SetLink {
    int id = 0;
    QString capcode;
    std::optional<qint16> priority;
    friend bool operator==(const SetLink &, const SetLink &) = default;
};
// Empty capcode box and nothing selected in the priority list.
struct ClearLink { int id = 0; friend bool operator==(const ClearLink &, const ClearLink &) = default; };
struct SetDefMsg { QString text; friend bool operator==(const SetDefMsg &, const SetDefMsg &) = default; };
struct SetDefValue {
    enum class Field { Font, Color, Style, Align, Speed, Pause };
    Field field = Field::Font;
    qint16 value = 0;
    friend bool operator==(const SetDefValue &, const SetDefValue &) = default;
};
struct SetAutoId { qint16 value = 0; friend bool operator==(const SetAutoId &, const SetAutoId &) = default; };
} // namespace led

using LedFileAction = std::variant<led::SetModel, led::SetComPort, led::SetPriority, led::SetLink,
                                   led::ClearLink, led::SetDefMsg, led::SetDefValue, led::SetAutoId>;

struct LedReadResult {
    // To apply, in this order. When `error` is set these are the actions before it: they are
    // applied, and reading stops.
    QList<LedFileAction> actions;
    std::optional<LedFileError> error;
};

// Reads one line (Latin-1 characters, without its CR LF).
//
// Keys ("Model:", "Com:", "Pri0:".."Pri4:", "LinkID0:".."LinkID7:", "DefaultMsg:",
// "DefaultFont:", "DefaultColor:", "DefaultStyle:", "DefaultAlignment:", "DefaultSpeed:",
// "DefaultPause:", "AutoID:") are found anywhere in the line, in any letter case, and acted on in
// that order. A line that begins with a key is that key's line alone: what its value holds
// (a default message "shop.com: open", say) is data and is never taken for another key.
//
// The value is the text between the first colon and the next one (or the end); the default
// message is everything after the first colon. Numbers:
// - "Com:" is the leading number of the value minus 1;
// - the seven list fields of "Pri" lines and field 2 of "LinkID" lines are the leading number
//   of the field, 0 when it has none;
// - "DefaultFont:" .. "DefaultPause:" and "AutoID:" must begin with a number: a value without
//   one (empty, or text such as "abc") is error 13. "12abc" reads as 12.
// Whole numbers are rounded halves to even; outside 16 bits is error 6. A list position outside
// its list (see LedListSizes) and an AutoID value other than 0 or 1 is error 380.
// A "Pri" line with other than 8 fields changes nothing. A "LinkID" line sets the capcode from
// every field but the last (several capcodes keep their commas) and the priority from the last
// field when it is below 5; a line with a single field clears the link. Each key's action is checked whole before it is returned, so a failing line never
// leaves half a priority row or link applied.
LedReadResult readLedLine(const QString &line, const LedListSizes &sizes);

// Reads every line in turn and stops at the first error.
LedReadResult readLedFile(const QStringList &lines, const LedListSizes &sizes);

// Applies one action to a record (for a window that keeps its controls' values in one).
void applyLedAction(const LedFileAction &action, LedFileRecord &record);

// ---- The default message as the main window hands it out ----

// "Message:" DefMsg ", Font:" DefFont ", Color:" .. ", Style:" .. ", Align:" .. ", Speed:" ..
// ", Pause:" ..: the tool tip of the "Setup Default Message" button.
QString defaultMsgToolTip(const SignConfig &config);

// configFileName, DefMsg, DefFont, DefColor, DefStyle, DefAlign, DefSpeed, DefPause joined by
// ",", nothing escaped: the text getDefaultMsg returns.
QString defaultMsgText(const SignConfig &config);

} // namespace config
