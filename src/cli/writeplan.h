#pragma once

#include "cli/cliargs.h"
#include "cli/report.h"
#include "config/ledfile.h"
#include "config/signconfig.h"

#include <QJsonArray>
#include <QList>
#include <QString>

#include <optional>

namespace cli {

// What write decides once the sign is read, apart from the conversation itself: which items
// go, what the sign holds afterwards, and the .led files it keeps of what it read.

// The items a write sends: those of `meant` that differ from the baseline `config` holds (the
// values the sign was read with), or with `force` every item, the user command only when the
// sign reported it.
QList<int> itemsToSend(const config::SignConfig &config, const config::ConfigValues &meant, bool force,
                       bool userCommandKnown);

// "Priority 2, the ID mode, ID 5", or "nothing".
QString itemNames(const QList<int> &items);
QJsonArray itemNamesJson(const QList<int> &items);

// The configuration `before` once `items` of `values` went to the sign.
ConfigurationView withItems(ConfigurationView before, const QList<int> &items, const config::ConfigValues &values);

// A file name given with "{port}" in it, for the sign `port`.
QString pathForSign(QString pattern, const PortSpec &port);

// Saves `record` as File > Save writes it: the file is replaced only by a complete new one.
// Why it was not written, when it was not.
std::optional<QString> saveLedFile(const QString &path, const config::LedFileRecord &record);

} // namespace cli
