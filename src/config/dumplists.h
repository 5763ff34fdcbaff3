#pragma once

#include "config/catalogue.h"
#include "config/signconfig.h"
#include "protocol/configdump.h"

#include <QStringList>

#include <array>
#include <optional>

namespace config {

// A link row as a configuration dump leaves it: the capcodes joined, and its priority (empty:
// nothing selected).
struct ShownLink {
    QString capcode;
    std::optional<qint16> priority;
    friend bool operator==(const ShownLink &, const ShownLink &) = default;
};

// What the controls show once a dump has been read: every priority row (the lists were rebuilt,
// so each row shows what the baseline now holds), the links the dump covers (empty: the row stays
// as it is), and the ID mode and user command when the dump carries them.
struct ShownConfiguration {
    std::array<PriorityBaseline, PriorityCount> priorities;
    std::array<std::optional<ShownLink>, LinkCount> links;
    std::optional<bool> autoId;
    std::optional<QString> userCommand;
};

// Takes a dump into the baseline as reading the sign does: every value the dump carries, the
// links of a whole dump (an ID it names no link for holds none), the ID mode and the user
// command; clears the priority and link flags. Returns what the controls show afterwards.
ShownConfiguration takeDump(const protocol::ConfigDump &dump, Baseline &baseline, ChangeFlags &flags);

// Takes out of `dump` every priority value that names no entry of its list in `lists` (a
// position below -1 or past the end), so that it goes neither into the baseline nor into a list
// that was just emptied: a garbled dump must not become "nothing selected" that the next upload
// sends. Returns what was taken out, one "Priority N Attribute position" each.
QStringList dropValuesOutsideLists(protocol::ConfigDump &dump, const ModelOptionSet &lists);

} // namespace config
