#pragma once

#include "config/attribute.h"
#include "config/configdiff.h"
#include "config/signconfig.h"
#include "link/portinventory.h"
#include "protocol/configdump.h"
#include "protocol/defaultmessage.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace cli {

// The words and JSON the command line prints. The JSON schema is described in the manual page
// (signconfig-cli.1, JSON OUTPUT); a change here is a change there.

// The key of an attribute in JSON ("font", "alignment").
QString attributeJsonName(config::Attribute attribute);
// A list's entries with their positions, for a message: "0 Small, 1 Small Normal 5 row".
QString choicesText(const QStringList &list);

// A configuration as read from a sign, in the values a .led file holds.
struct ConfigurationView {
    QString model;
    std::optional<QString> build;
    config::ConfigValues values;
    QStringList unreadable;  // values the sign reported that no list of its model holds
};

QJsonObject configurationJson(const ConfigurationView &view);
// Indented lines under the sign's result line.
QStringList configurationLines(const ConfigurationView &view);

// One difference. `signSide` and `hereSide` name the two sides in words ("on the sign"/"here",
// or two file names).
QJsonObject differenceJson(const config::ConfigDifference &difference);
QString differenceText(const config::ConfigDifference &difference, const QString &signSide, const QString &hereSide);
QJsonArray differencesJson(const QList<config::ConfigDifference> &differences);

// What a sign's cut answer did not carry: {"item": "priority", "index": 3}, {"item": "link",
// "index": null}, {"item": "idMode", ...}, {"item": "userCommand", ...}.
QJsonArray missingJson(const QList<protocol::MissingPart> &missing);

// A default message: its text in the sign's form ("$L", "$T0") and its list positions.
QJsonObject defaultMessageJson(const protocol::DefaultMessageCodes &codes, const QString &text);

// The ports listing.
QJsonObject portJson(const signlink::ComPortInfo &entry);

} // namespace cli
