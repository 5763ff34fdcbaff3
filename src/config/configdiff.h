#pragma once

#include "config/attribute.h"
#include "config/catalogue.h"
#include "config/ledfile.h"
#include "config/signconfig.h"
#include "protocol/configdump.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace config {

// The comparison of what the sign holds with what is meant ("here": the window's controls or
// a .led file), field by field, in words a person reads. Uploading checks itself with it, and
// "Compare with Sign" shows it.

// ---- The two sides ----

// One priority row. List fields are list positions (-1 = nothing selected); the timeout is the
// text as typed, or the dump's number in decimal.
struct ComparedPriority {
    std::optional<qint16> font, style, color, speed, alignment, pause, beep;
    std::optional<QString> timeout;
    friend bool operator==(const ComparedPriority &, const ComparedPriority &) = default;
};

// The default message: its text (line breaks as CR LF, LF or the stored byte 0xAA, time fields
// as editor tokens or stored bytes; all count alike) and its six list positions.
struct ComparedDefaultMessage {
    QString text;
    qint16 font = -1, color = -1, style = -1, alignment = -1, speed = -1, pause = -1;
    friend bool operator==(const ComparedDefaultMessage &, const ComparedDefaultMessage &) = default;
};

// One side of the comparison: ConfigValues with every part optional. An empty part is one this
// side does not say: a dump cut short leaves the rest unread, a dump never holds the default
// message, a .led file never holds the user command. A part the "here" side does not say is
// not compared; one the sign side does not say is reported as "not read from the sign".
struct ComparedConfig {
    std::array<ComparedPriority, PriorityCount> priorities;
    std::array<std::optional<LinkEntry>, LinkCount> links;  // capcode text, priority position
    std::optional<bool> autoId;                             // true = auto ID
    std::optional<QString> userCommand;
    std::optional<ComparedDefaultMessage> defaultMessage;
    friend bool operator==(const ComparedConfig &, const ComparedConfig &) = default;
};

// The sign's side from a configuration dump. The links count as read only when the dump holds
// all sixteen triples: before that, any ID may have more capcodes further on.
ComparedConfig comparedFromDump(const protocol::ConfigDump &dump);

// The window's values, every part known; the default message only when one is given.
ComparedConfig comparedFromValues(const ConfigValues &values,
                                  std::optional<ComparedDefaultMessage> defaultMessage = std::nullopt);

// A .led file's values: all but the user command, which the file does not store.
ComparedConfig comparedFromLedFile(const LedFileRecord &record);

// The default message the main window keeps (DefMsg and its six values).
ComparedDefaultMessage defaultMessageOf(const SignConfig &config);

// ---- The differences ----

enum class ConfigItem { Priority, Link, IdMode, UserCommand, DefaultMessage };
enum class ConfigField { Attribute, Timeout, Capcode, LinkPriority, IdMode, UserCommand, MessageText };

struct ConfigDifference {
    ConfigItem item = ConfigItem::Priority;
    int index = -1;  // priority row 0..4 or link ID 0..7; -1 for the other items
    ConfigField field = ConfigField::Attribute;
    Attribute attribute = Attribute::Font;  // which list, when field is Attribute
    std::optional<QString> onSign;          // the sign's value as shown; empty: not read
    QString here;                           // the meant value as shown

    // "Priority 3 Color: Red on the sign, Green here", "ID 5: capcode 5550001 on the sign,
    // none here", "ID mode: not read from the sign, User here".
    QString text() const;
    friend bool operator==(const ConfigDifference &, const ConfigDifference &) = default;
};

// The lists whose labels name list positions: the main window's for the priority rows, the
// default-message window's for the default message.
struct ComparisonLists {
    ModelOptionSet priorities;
    ModelOptionSet defaultMessage;
};
ComparisonLists comparisonLists(const QString &model);

// Every difference between the two sides, in the order priorities 0..4 (lists in Attribute
// order, then the timeout), links 0..7 (capcode, then priority), ID mode, user command,
// default message (text, then font, colour, style, alignment, speed, pause). Values compare as
// the sign takes them:
// - list positions exactly; shown by their labels ("none" for -1, the number for a position
//   outside the list, label and number when both sides' labels read the same);
// - the timeout as a whole number, so "05" equals 5; a text that is no whole number differs
//   from anything but the same text, and is shown quoted as typed;
// - a capcode whose numeric value is 0 (empty, "0") is no link, shown "none"; other capcodes
//   compare as exact text, so "0123" differs from "123";
// - a link's priority only when both sides have the link and "here" has a priority selected
//   (with nothing selected, the upload does not send the link for its priority either);
// - the ID mode as auto or user; the user command as exact text, shown quoted;
// - the default message only when both sides have it; its text in the form it goes to the
//   sign (line breaks "$L", time fields "$T0".."$T7"), shown quoted in that form.
QList<ConfigDifference> compareConfigurations(const ComparedConfig &sign, const ComparedConfig &here,
                                              const ComparisonLists &lists);

// What the sign that sent `dump` differs in from `here`, in the lists of the sign's model: the one
// comparison behind Compare with Sign, the check after an upload and the command line's diff.
QList<ConfigDifference> differencesFromSign(const protocol::ConfigDump &dump, const ComparedConfig &here);

// The upload flags of the items the differences belong to, "not read" ones included (the
// upload cannot be confirmed for them): priority n, link i, ID mode, user command. The default
// message has no upload flag of the main window and sets none.
ChangeFlags flagsFor(const QList<ConfigDifference> &differences);

}  // namespace config
