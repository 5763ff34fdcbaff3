#include "session/readback.h"

#include "config/attribute.h"
#include "session/configsession.h"
#include "session/sentences.h"

#include <algorithm>

namespace session {

QString ReadBack::failureText() const
{
    const ReadOutcome where{comNumber, port, lines, false, false};
    if (!requestFailure.isEmpty())
        return ConfigSession::tr("The request for the configuration could not be written to %1: %2.")
            .arg(where.portName())
            .arg(requestFailure);
    if (!lost.isEmpty())
        return connectionLostText(lost);
    if (dump)
        return {};
    if (cut)
        return ConfigSession::tr("The answer of the sign on %1 was cut off before its configuration was complete.")
            .arg(where.portName());
    return where.failureText();
}

QString VerifyOutcome::text() const
{
    switch (result) {
    case Result::Verified: return ConfigSession::tr("The sign holds what was uploaded");
    case Result::Differs:
        return differences.size() == 1
                   ? ConfigSession::tr("The sign does not hold what was uploaded: 1 difference.")
                   : ConfigSession::tr("The sign does not hold what was uploaded: %1 differences.").arg(differences.size());
    case Result::NotVerified: break;
    }
    return ConfigSession::tr("The upload was not verified: %1").arg(reason);
}

VerifyOutcome verifyReadBack(const ReadBack &readBack, const config::ConfigValues &meant)
{
    VerifyOutcome outcome;
    if (const QString failure = readBack.failureText(); !failure.isEmpty()) {
        outcome.reason = failure;
        outcome.lostConnection = !readBack.lost.isEmpty();
        return outcome;
    }
    const protocol::ConfigDump &dump = *readBack.dump;
    outcome.differences = config::differencesFromSign(dump, config::comparedFromValues(meant));
    const auto unread = std::count_if(outcome.differences.cbegin(), outcome.differences.cend(),
                                      [](const config::ConfigDifference &d) { return !d.onSign; });
    if (unread > 0) {
        // A setting the sign's answer does not say cannot be confirmed: that is no success.
        const QList<protocol::MissingPart> missing = protocol::missingParts(dump);
        outcome.reason = missing.isEmpty()
                             ? ConfigSession::tr("The configuration the sign sent was incomplete or garbled: %1 of "
                                                 "the settings could not be read from it.")
                                   .arg(unread)
                             : incompleteAnswerText(missing);
        return outcome;
    }
    outcome.result = outcome.differences.isEmpty() ? VerifyOutcome::Result::Verified : VerifyOutcome::Result::Differs;
    return outcome;
}

void takeDumpInto(KnownConfiguration &known, const protocol::ConfigDump &dump)
{
    known.model = dump.model;
    config::ConfigValues &values = known.values;
    for (int n = 0; n < config::PriorityCount; ++n) {
        const protocol::DumpPriorityRow &in = dump.priorities[n];
        config::PriorityDefaults &row = values.priorities[n];
        for (const config::Attribute attribute : config::AllAttributes) {
            if (const std::optional<qint16> value = config::attributeOf(in, attribute))
                config::attributeOf(row, attribute) = *value;
        }
        if (in.timeout)
            row.timeout = QString::number(*in.timeout);
    }
    for (int i = 0; i < config::LinkCount; ++i) {
        const protocol::DumpLinkRow &in = dump.links[i];
        // Before the whole link section has come, an ID may have more capcodes further on.
        if (!dump.linksComplete)
            continue;
        values.links[i] = in.named ? config::LinkEntry{in.capcode, in.priority.value_or(qint16(-1))} : config::LinkEntry{};
    }
    if (dump.autoId)
        values.autoId = *dump.autoId ? 1 : 0;
    if (dump.userCommand)
        values.userCommand = *dump.userCommand;
}

void takeSentItemInto(KnownConfiguration &known, int item, const config::ConfigValues &sent)
{
    if (item >= 0 && item < config::PriorityCount)
        known.values.priorities[item] = sent.priorities[item];
    else if (item == config::IdModeItem)
        known.values.autoId = sent.autoId;
    else if (item == config::UserCommandItem)
        known.values.userCommand = sent.userCommand;
    else if (item >= config::FirstLinkItem && item < config::UploadItemCount)
        known.values.links[item - config::FirstLinkItem] = sent.links[item - config::FirstLinkItem];
}

config::LedFileRecord backupRecord(const KnownConfiguration &known, const config::SignConfig &kept)
{
    return config::ledFileRecord(known.model, qint16(known.comNumber - 1), known.values, kept);
}

} // namespace session
