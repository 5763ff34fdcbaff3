#pragma once

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
};

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
