#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace protocol {

// The default (idle) message: its time tokens, the commands of the default-message window,
// and the reading of the sign's answers to them. Commands are text without the closing CR,
// which is added where they are encoded for the wire.

// ---- Time tokens and the stored form ----

inline constexpr int TimeTokenCount = 8;

// "<hh:mm:ss>", "<hh:mm:ss A/PM>", "<hh:mm>", "<hh:mm A/PM>", "<mm/dd/yyyy>", "<yyyy-mm-dd>",
// "<dd.MM yyyy>", "<mm'dd'yy>": the editor's form of time format 0 .. 7.
QStringList timeTokens();

// The editor token of a time format list entry: "<" + entry + ">".
QString timeTokenFor(const QString &formatEntry);

// The editor text of a message in the sign's stored form: byte 170 becomes CR LF and bytes
// 171 .. 178 the tokens of formats 0 .. 7. Text already in editor form comes back unchanged.
QString decodeStoredMessage(const QString &stored);

// The first character of `text` that the stored form uses as a code: U+00AA to U+00B2 (bytes
// 170 to 178, a line break and the eight time fields). In a message it would come back from the
// sign, or from a file, as a break or a time field, so a message may not hold one.
std::optional<QChar> firstStoredCodeChar(const QString &text);
// Why a message holding `code` is refused: "The default message cannot hold the character ...".
QString storedCodeRefusedText(QChar code);

// The sign's form of a command: each token becomes "$T0" .. "$T7", each line feed "$L", each
// carriage return is dropped (case-sensitive, in that order), and one "$L" at the very end is
// removed.
QString encodeForSign(QString command);

// ---- Commands ----

// List positions of the window's six display lists; -1 = nothing selected.
struct DefaultMessageCodes {
    int font = -1, color = -1, style = -1, align = -1, speed = -1, pause = -1;
    friend bool operator==(const DefaultMessageCodes &, const DefaultMessageCodes &) = default;
};

// "<DF f=F c=C s=S a=A sp=SP p=P>" followed by `text` unchanged (not yet encoded).
QString writeDefaultMessageCommand(const DefaultMessageCodes &codes, const QString &text);
QString removeDefaultMessageCommand();  // "<del id=def>"

// The encoded command Upload writes for the editor text: "<del id=def>" for an empty editor,
// otherwise, while the time display is off, the write command with the text. Empty while the
// time display is on and the editor holds text: the sign has no command for that state.
std::optional<QString> defaultMessageUploadCommand(const DefaultMessageCodes &codes, const QString &editorText,
                                                   bool timeDisplayOn);

// "<TIME f=F c=C s=S a=A sp=SP p=P fm=FMT>IDLE ON": time on idle with display values.
QString timeOnIdleCommand(const DefaultMessageCodes &codes, int format);
QString resetCommand();                   // "RESET"
QString timeIdleOnCommand();              // "<TIME>IDLE ON"
QString timeIdleOffCommand();             // "<TIME>IDLE OFF"
QString readDefaultMessageCommand();      // "DOWNLOAD_DEFAULT_MSG"

// ---- Status texts ----

QString timeDisplayStatusText(bool on);   // "is ON" / "is OFF"
// The hint shown when the time display is on while a message would hide it.
QString removeMessageHint();              // Remove message and Click "Upload to Sign" to display Time

// ---- Replies ----

// A default-message dump: MODEL ":" FONT "," STYLE "," COLOR "," SPEED "," ALIGN "," PAUSE ","
// X "," Y "," TEXT. Each part is read on its own; a part missing or unreadable is empty.
struct DefaultMessageDump {
    QString model;  // the text before the first ":"
    // List positions: the number each field begins with (0 if none) as 16-bit, less the
    // model's offsets for "RW2290" (64, 65, 65, 48, 49, 48), as they are for other models.
    std::optional<qint16> font, style, color, speed, alignment, pause;
    // The message in editor form: everything after the eighth "," of the data, decoded. The
    // whole rest of the line counts, so a message holding "," or ":" comes back complete.
    std::optional<QString> text;
    // A default message has no beep: always empty. It is here so that the dump has the members
    // of every attribute row and can be walked like one.
    std::optional<qint16> beep = std::nullopt;
    friend bool operator==(const DefaultMessageDump &, const DefaultMessageDump &) = default;
};

DefaultMessageDump readDefaultMessageDump(const QString &line);

// Whether `line` (the sign's answer, echo and line end taken off) has the whole form of a
// default-message dump: a model before the first ":", and after it at least eight "," with the
// first six fields whole numbers. A loose line that only holds a ":" does not.
bool hasDefaultMessageDumpForm(const QString &line);

// What the default-message window does with one reply line.
struct DefaultMessageReply {
    enum class Kind {
        Nothing,      // empty line
        Refused,      // "error": the sign did not carry out the command; the window says nothing
        ShowStatus,   // show `status` in the status label and start its clearing timer
        TimeDisplay,  // set the time display label from `timeDisplayOn`
        Dump,         // select the values of `dump` and show its text
    };
    Kind kind = Kind::Nothing;
    QString status;
    bool timeDisplayOn = false;
    DefaultMessageDump dump;
    friend bool operator==(const DefaultMessageReply &, const DefaultMessageReply &) = default;
};

// Classifies a reply line (without its line feed) by the sign's answer in it: an echoed command
// in front and the CR of a CR LF line end are taken off first (signsAnswer). The first match
// decides: empty; contains "done" in any case (status "Upload Successfull", or the
// remove-message hint while the time display is on and the editor holds text); "error" in any
// case; begins with "TIME" (on when its third ":" field is exactly "1"); begins with "default";
// anything else is a dump. Pure: keeps no state between calls.
//
// `awaitingDump`: a read request ("DOWNLOAD_DEFAULT_MSG") waits for its answer. A line with the
// whole form of a dump is then the dump, even when its message holds "done" ("well done"):
// read as an acknowledgement, the message asked for would be lost. Without a read waiting,
// "done" is an acknowledgement wherever it stands.
DefaultMessageReply interpretDefaultMessageReply(const QString &line, bool timeDisplayOn, bool editorEmpty,
                                                 bool awaitingDump = false);

} // namespace protocol
