#pragma once

#include "config/catalogue.h"
#include "protocol/configdump.h"

#include <QStringList>

namespace config {

// Takes out of `dump` every priority value that names no entry of its list in `lists` (a
// position below -1 or past the end), so that it goes neither into the baseline nor into a list
// that was just emptied: a garbled dump must not become "nothing selected" that the next upload
// sends. Returns what was taken out, one "Priority N Attribute position" each.
QStringList dropValuesOutsideLists(protocol::ConfigDump &dump, const ModelOptionSet &lists);

} // namespace config
