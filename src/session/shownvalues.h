#pragma once

#include "config/ledfile.h"
#include "config/signconfig.h"
#include "session/configsession.h"

#include <QString>

namespace session {

// What a face shows of the sign's configuration, as plain values: the main window's controls
// hold them, the command line holds them here. Both go the same way from a dump to a .led file.

// The values a face holds before anything was read or opened: empty boxes, nothing selected,
// user IDs.
config::ConfigValues startValues();

// A configuration the sign sent, taken as a read takes it: what it lacks, the values no list of
// its model holds left out (shown as "nothing selected", the next upload would send them), and
// what the controls show, taken into `baseline` and `flags`.
ReadConfiguration readConfiguration(protocol::ConfigDump dump, config::Baseline &baseline, config::ChangeFlags &flags);

// `before` once `read` is shown: the option lists rebuilt for the dump's model (nothing
// selected), each priority row's values selected where its list holds them, the timeouts in
// decimal, the links the dump covers, and the ID mode and user command when it carries them.
config::ConfigValues valuesAfterRead(const ReadConfiguration &read, const config::ConfigValues &before);


// A record's values as the main window shows them once the file is opened over `shown`: the
// user command is not in a file and stays.
config::ConfigValues valuesFromRecord(const config::LedFileRecord &record, const config::ConfigValues &shown);

// The sizes of the main window's lists once `model` is shown: what a .led file of that model
// is read against.
config::LedListSizes ledListSizes(const QString &model);

} // namespace session
