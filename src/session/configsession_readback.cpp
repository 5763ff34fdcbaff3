// Reading the sign's configuration without taking it in: the check after an upload, the
// comparison, and what the sign is known to hold for the backup made before an upload.
#include "session/configsession.h"

#include "config/catalogue.h"
#include "link/timers.h"
#include "protocol/commands.h"
#include "session/wire.h"

#include <QDateTime>

namespace session {

void ConfigSession::flagForUpload(const QList<config::ConfigDifference> &differences)
{
    m_config.flags |= config::flagsFor(differences);
}

signlink::OpenResult ConfigSession::startComparison(int comNumber)
{
    return startReadBack(ReadBackPurpose::Compare, comNumber);
}

signlink::OpenResult ConfigSession::startVerify(int comNumber)
{
    signlink::OpenResult result = startReadBack(ReadBackPurpose::Verify, comNumber);
    if (result.ok())
        m_meant = m_values();
    return result;
}

signlink::OpenResult ConfigSession::startReadBack(ReadBackPurpose purpose, int comNumber)
{
    signlink::OpenResult result = m_link.open(comNumber);
    if (!result.ok())
        return result;
    if (!beginReadBack(purpose, comNumber)) {
        m_link.close();
        return {signlink::OpenError::Other, requestUnwrittenText()};
    }
    changeActivity();
    return result;
}

bool ConfigSession::beginReadBack(ReadBackPurpose purpose, int comNumber)
{
    m_readBack = {};
    m_readBack.comNumber = comNumber;
    m_readBack.port = m_link.port().name();
    // A line left unfinished by what came before is no part of the answer.
    m_link.clearLine();
    if (!sendCommand(m_link, protocol::readConfigurationCommand())) {
        m_readBack.requestFailure = tr("the port did not take it");
        return false;
    }
    m_readBackPurpose = purpose;
    // A whole dump takes about 0.4 s at 9600 baud; a sign that has just stored an upload may
    // take a moment before it answers. The answer ends the wait as soon as it is complete.
    signlink::startTimer(ReadBackTimer);
    return true;
}

void ConfigSession::readBackTick()
{
    if (m_link.lineInProgress())
        m_readBack.cut = true;
    finishReadBack();
}

void ConfigSession::finishReadBack()
{
    const ReadBackPurpose purpose = std::exchange(m_readBackPurpose, ReadBackPurpose::None);
    ReadBackTimer.stop();
    if (m_link.isOpen())
        m_link.close();
    if (m_readBack.dump) {
        // What the sign holds, for the next backup; the lists decide what can be stored.
        protocol::ConfigDump stored = *m_readBack.dump;
        config::dropValuesOutsideLists(stored, config::SelectOptionSet(stored.model, config::OptionWindow::Main));
        takeIntoKnown(stored, m_readBack.comNumber);
    }
    changeActivity();
    if (purpose == ReadBackPurpose::Compare) {
        emit comparisonRead(m_readBack);
        return;
    }
    const VerifyOutcome outcome = verifyReadBack(m_readBack, m_meant);
    // What the sign was seen not to hold goes with the next upload; what it did not say is
    // flagged only when the operator asks for it again.
    QList<config::ConfigDifference> seen;
    for (const config::ConfigDifference &d : outcome.differences) {
        if (d.onSign)
            seen.append(d);
    }
    flagForUpload(seen);
    emit verifyEnded(outcome);
}

void ConfigSession::takeIntoKnown(const protocol::ConfigDump &dump, int comNumber)
{
    // Another port may have another sign behind it: what was known of the first says nothing.
    if (!m_known || m_known->comNumber != comNumber)
        m_known.emplace().comNumber = comNumber;
    takeDumpInto(*m_known, dump);
}

std::optional<QString> ConfigSession::backUp(int comNumber)
{
    // Without a configuration read from this sign there is nothing to keep: a file of empty
    // lists would restore nothing.
    if (!m_known)
        return tr("No backup was made: nothing has been read from the sign yet.");
    if (m_known->comNumber != comNumber)
        return tr("No backup was made: the configuration read last came from COM %1, not COM %2.")
            .arg(m_known->comNumber)
            .arg(comNumber);
    const config::LedFileRecord record = backupRecord(*m_known, m_config);
    if (const std::optional<QString> why = config::whyUnstorable(record))
        return tr("No backup was made: %1").arg(*why);
    const config::SaveBytes bytes = config::saveTextBytes(config::ledFileText(record));
    if (!bytes.bytes)
        return tr("No backup was made: the configuration cannot be stored as single bytes.");
    const config::BackupFolder::Written written =
        m_backups.write(*bytes.bytes, QDateTime::currentDateTime(), comNumber, m_known->model);
    if (!written.ok())
        return tr("No backup was made before this upload: %1. The upload goes on.").arg(*written.failure);
    return std::nullopt;
}

} // namespace session
