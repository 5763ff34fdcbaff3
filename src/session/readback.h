#pragma once

#include "config/configdiff.h"
#include "config/ledfile.h"
#include "config/signconfig.h"
#include "protocol/configdump.h"

#include <QList>
#include <QString>

#include <optional>

namespace session {

// What a configuration request that is not taken into the window brought back: the read after
// an upload that checks it, and the one "Compare with Sign" makes.
struct ReadBack {
    int comNumber = 0;
    QString port;      // how sentences name it (the port's name); "COM n" when empty
    int lines = 0;     // reply lines received meanwhile
    bool cut = false;  // a line began and never ended (thrown away, or still coming at the end)
    std::optional<protocol::ConfigDump> dump;  // as the sign sent it, nothing taken out
    QString lost;                              // the connection failed meanwhile: its description
    QString requestFailure;                    // the request could not be written: why
    // Empty when the configuration came; otherwise what the operator is told.
    QString failureText() const;
};

// How the check after an upload ended.
struct VerifyOutcome {
    enum class Result { Verified, Differs, NotVerified };
    Result result = Result::NotVerified;
    QString reason;  // NotVerified: why, a sentence
    // Every difference found; with NotVerified those of a configuration that came incomplete,
    // "not read from the sign" among them.
    QList<config::ConfigDifference> differences;
    bool lostConnection = false;
    // "The sign holds what was uploaded", "The sign does not hold what was uploaded: 2
    // differences.", "The upload was not verified: " and the reason.
    QString text() const;
};

// Compares what the sign sent back with what the upload meant it to hold. Values no list of the
// model holds count as they came: they are differences, shown by their number.
VerifyOutcome verifyReadBack(const ReadBack &readBack, const config::ConfigValues &meant);

// What the sign is known to hold, for the backup made before an upload: the configuration read
// from it last, with what was uploaded to it since.
struct KnownConfiguration {
    int comNumber = 0;
    QString model;
    config::ConfigValues values;
};

// Takes what a dump says into `known`: the fields it carries, and the links when it holds them
// all. Values outside the model's lists are expected to have been taken out before.
void takeDumpInto(KnownConfiguration &known, const protocol::ConfigDump &dump);

// Takes upload item `item` (see uploadItemName) as `sent` holds it into `known`.
void takeSentItemInto(KnownConfiguration &known, int item, const config::ConfigValues &sent);

// The .led record of a backup: the known configuration, its COM number, and the default
// message the window keeps (a dump does not carry the sign's).
config::LedFileRecord backupRecord(const KnownConfiguration &known, const config::SignConfig &kept);

} // namespace session
