#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace protocol {

// Everything a configuration dump ("DOWNLOAD_ALL" answer) says, field by field. A field the dump
// does not carry, or one that cannot be read as a 16-bit whole number, is empty (std::nullopt),
// so the window leaves the matching setting as it was.
struct DumpPriorityRow {
    // List positions after the model family's offsets, and the timeout in seconds (value / 5).
    std::optional<qint16> font, style, color, speed, alignment, pause, beep, timeout;
};

struct DumpLinkRow {
    // True when at least one triple of the dump names this ID with a capcode other than "0".
    bool named = false;
    // The capcodes of every triple of this ID, in triple order, joined with ",".
    QString capcode;
    // Priority list position of the last triple of this ID whose priority is below 5 and reads
    // as a 16-bit number; the field's text as received goes with it.
    std::optional<qint16> priority;
    std::optional<QString> priorityText;
};

struct ConfigDump {
    QString model;                 // model part of the header ("DOWNLOAD_ALL" echoes removed)
    std::optional<QString> build;  // build number part; empty when the header has no ","

    std::array<DumpPriorityRow, 5> priorities;

    // True when the dump carries all sixteen link triples (fields 40 to 87). Only then are rows
    // that no triple names emptied; a shorter dump leaves the links it does not cover alone.
    bool linksComplete = false;
    std::array<DumpLinkRow, 8> links;

    std::optional<bool> autoId;           // field 88: "1" is auto ID, any other text user ID
    std::optional<QString> userCommand;   // field 89

    // How many data fields the line carried: 90 in a whole dump (more are not read).
    qsizetype fieldCount = 0;
};

// A part of the configuration that a dump which stops early does not carry. The sign sends its
// fields in one order, so what is missing is always everything from the first field that did
// not come on.
struct MissingPart {
    enum class Kind { Priority, Links, IdMode, UserCommand };
    Kind kind = Kind::Priority;
    // Priority: the row 0 to 4. Links: the first of the sixteen triples (0 to 15) that did not
    // come whole; the capcodes of the triples before it came.
    int index = 0;
    friend bool operator==(const MissingPart &, const MissingPart &) = default;
};

// What `dump` lacks of a whole configuration, in dump order: each priority row with a field
// missing, the links, the ID mode, the user command. Empty for a whole dump. A field that came
// but does not read as a number is not missing.
QList<MissingPart> missingParts(const ConfigDump &dump);

// The parts in words: "the ID mode and the user command are missing", "Priorities 3 to 4, the
// links, the ID mode and the user command are missing", "the link triples 2 to 16 are missing".
QString missingPartsText(const QList<MissingPart> &parts);

// The model identifiers the sign's option lists and value forms are known for.
QStringList knownModels();

// Reads one dump line: header ":" data, fields of data separated by ",", anything after a
// second ":" ignored, CRs at its end too (a CR LF line end). What came in front of the sign's
// header is not part of the model: echoes of the request, control characters and bytes above
// 126 (noise, the CR of an echoed line), and any text in front of a known model name
// ("xyzRW2290" is RW2290). The model family's offsets (RW2290/PN360, QB7, others) are applied to
// the priority values using the model part of this very header.
ConfigDump readConfigDump(const QString &line);

} // namespace protocol
