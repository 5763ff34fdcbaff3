// write: what a .led file (or the JSON input) holds and the sign does not, sent item by item as
// Upload to Sign sends it; with --check only said, with --verify read back and compared.
#include "cli/commands/commands.h"
#include "cli/commands/inputcommand.h"

#include "cli/writeplan.h"
#include "session/shownvalues.h"

namespace cli::commands {

namespace {

class Write final : public InputCommand {
public:
    using InputCommand::InputCommand;

private:
    void afterRead(const session::ReadConfiguration &read) override
    {
        const Options &o = options();
        report().json.insert(QStringLiteral("check"), o.check);
        // Positions mean other entries on another model: sending them would set other values.
        if (task().file && !task().file->model.isEmpty() && task().file->model != read.dump.model) {
            refuse(ExitCode::FileError, QStringLiteral("%1 is for model %2, but the sign is a %3.")
                                            .arg(task().file->path, task().file->model, read.dump.model));
            return;
        }
        // Without the sign's values the comparison would take start values for them: an item the
        // file holds as a start value would not be sent whatever the sign holds.
        const bool force = o.force;
        if (!force && refuseIncomplete(read.missing, QString(),
                                       QStringLiteral(" Nothing was sent; --force sends every item of the %1 regardless.")
                                           .arg(task().sourceKind())))
            return;
        const std::optional<config::LedFileRecord> meant = meantRecord(read);
        if (!meant)
            return;
        m_before = {read.dump.model, read.dump.build, m_values, read.unreadable};
        report().json.insert(QStringLiteral("before"), configurationJson(m_before));
        m_values = session::valuesFromRecord(*meant, m_values);
        if (!read.missing.isEmpty())
            report().json.insert(QStringLiteral("missing"), missingJson(read.missing));
        // The user command is not in the file: what goes is the sign's own, and one it did not
        // report is not sent at all.
        const bool userCommandUnread = force && !read.dump.userCommand;
        const QList<int> toSend = itemsToSend(m_config, m_values, force, !userCommandUnread);
        if (o.check) {
            reportCheck(toSend);
            return;
        }
        if (!o.backup.isEmpty() && !saveBackup(read))
            return;
        if (toSend.isEmpty()) {
            report().json.insert(QStringLiteral("toSend"), QJsonArray());
            report().json.insert(QStringLiteral("sent"), QJsonArray());
            if (o.verify) {
                // What was just read is what the sign holds: the session's check takes it as it
                // would take a configuration read back, and the sign is not asked again.
                session::ReadBack back;
                back.comNumber = port().comNumber;
                back.lines = 1;
                back.dump = read.dump;
                verified(session::verifyReadBack(back, m_values), back.dump);
            } else {
                report().json.insert(QStringLiteral("configuration"), configurationJson(m_before));
                finish(ExitCode::Done,
                       QStringLiteral("nothing to send: the sign holds what the %1 says").arg(task().sourceKind()));
            }
            return;
        }
        if (userCommandUnread) {
            m_config.flags.setAll();
            m_config.flags.setItem(config::UserCommandItem, false);
        }
        session::ConfigSession &session = configSession();
        // --verify: the session reads the sign back on the upload's port and compares it with
        // what it should hold, as Verify After Upload does.
        session.setVerifyAfterUpload(o.verify);
        connect(&session, &session::ConfigSession::uploadEnded, this, &Write::onUploadEnded);
        connect(&session, &session::ConfigSession::verifyEnded, this, [this, &session](const session::VerifyOutcome &outcome) {
            verified(outcome, session.lastReadBack().dump);
        });
        const session::ConfigSession::UploadStart started = session.startUpload(port().comNumber, force && !userCommandUnread);
        if (started.refusal) {
            const QString source = task().file ? task().file->path : QStringLiteral("standard input");
            refuse(ExitCode::FileError, QStringLiteral("%1: %2").arg(source, started.refusal->simplified()));
            return;
        }
        if (!started.opening.ok()) {
            refuseOpening(started.opening);
            return;
        }
        m_toSend = m_config.flags.items();
        report().json.insert(QStringLiteral("toSend"), itemNamesJson(m_toSend));
        emit progress(QStringLiteral("sending %1").arg(itemNames(m_toSend)));
    }

    // write --check: what would be sent, and what the sign would hold then.
    void reportCheck(const QList<int> &toSend)
    {
        report().json.insert(QStringLiteral("toSend"), itemNamesJson(toSend));
        report().json.insert(QStringLiteral("sent"), QJsonArray());
        report().json.insert(QStringLiteral("configuration"), configurationJson(withItems(m_before, toSend, m_values)));
        if (toSend.isEmpty())
            finish(ExitCode::Done,
                   QStringLiteral("nothing would be sent: the sign holds what the %1 says").arg(task().sourceKind()));
        else
            finish(ExitCode::Differences, QStringLiteral("would send %1").arg(itemNames(toSend)));
    }

    // write --backup: the configuration just read saved as a .led file; false (and finished)
    // when it could not be.
    bool saveBackup(const session::ReadConfiguration &read)
    {
        const QString path = pathForSign(options().backup, port());
        // Start values where the sign said nothing would be a configuration it never held.
        if (refuseIncomplete(read.missing, QString(),
                             QStringLiteral(" %1 was not written, and nothing was sent.").arg(path)))
            return false;
        const config::LedFileRecord record = config::ledFileRecord(read.dump.model, comPosition(), m_before.values, m_config);
        if (const std::optional<QString> why = saveLedFile(path, record)) {
            refuse(ExitCode::FileError, QStringLiteral("%1 not written: %2.").arg(path, *why));
            return false;
        }
        report().json.insert(QStringLiteral("backup"), path);
        return true;
    }

    QString sentText() const
    {
        QList<int> notSent;
        for (const int item : m_toSend)
            if (!m_sent.contains(item))
                notSent << item;
        return QStringLiteral("Sent: %1. Not sent: %2.").arg(itemNames(m_sent), itemNames(notSent));
    }

    void onUploadEnded(const session::UploadOutcome &outcome)
    {
        // What is still flagged did not go; what the sign refused went, and was flagged again.
        const QList<int> pending = m_config.flags.items();
        m_sent.clear();
        for (const int item : m_toSend)
            if (!pending.contains(item) || outcome.refused.contains(item))
                m_sent << item;
        // The upload went on without a backup; whoever ran it is told, whatever the result.
        if (!outcome.backupNote.isEmpty()) {
            report().details << QStringLiteral("  ") + outcome.backupNote;
            report().json.insert(QStringLiteral("noBackup"), outcome.backupNote);
        }
        report().json.insert(QStringLiteral("sent"), itemNamesJson(m_sent));
        if (outcome.completed && !outcome.verifying) {
            QList<int> taken = m_sent;
            for (const int item : outcome.refused)
                taken.removeAll(item);
            report().json.insert(QStringLiteral("configuration"), configurationJson(withItems(m_before, taken, m_values)));
        }
        if (!outcome.completed) {
            finish(ExitCode::PortFailed, outcome.stopText.simplified() + u' ' + sentText());
            return;
        }
        // The session reads back on the port of the upload: verifyEnded follows.
        if (outcome.verifying) {
            emit progress(QStringLiteral("reading back"));
            return;
        }
        if (!outcome.refused.isEmpty()) {
            finish(ExitCode::Differences, outcome.refusalText().section(u'.', 0, 0) + u'.');
            return;
        }
        finish(ExitCode::Done, QStringLiteral("sent %1").arg(itemNames(m_sent)));
    }

    // The check ended; `dump` is what the sign sent for it, when it sent its configuration.
    void verified(const session::VerifyOutcome &outcome, const std::optional<protocol::ConfigDump> &dump)
    {
        using Result = session::VerifyOutcome::Result;
        if (outcome.lostConnection) {
            finish(ExitCode::PortFailed, outcome.reason);
            return;
        }
        if (!dump) {
            QString message = outcome.reason;
            if (!m_sent.isEmpty())
                message += QStringLiteral(" Sent before: %1.").arg(itemNames(m_sent));
            finish(ExitCode::NoAnswer, message);
            return;
        }
        reportDifferences(outcome.differences);
        const QList<protocol::MissingPart> missing = protocol::missingParts(*dump);
        if (missing.isEmpty())
            report().json.insert(QStringLiteral("configuration"), configurationJson(viewOf(*dump)));
        else
            report().json.insert(QStringLiteral("missing"), missingJson(missing));
        const QString sent =
            m_sent.isEmpty() ? QStringLiteral("nothing sent") : QStringLiteral("sent %1").arg(itemNames(m_sent));
        switch (outcome.result) {
        case Result::Verified:
            finish(ExitCode::Done, sent + QStringLiteral("; verified"));
            return;
        case Result::NotVerified:
            // What the sign did not send back cannot be confirmed.
            finish(ExitCode::NoAnswer, sent + QStringLiteral("; not verified. ") + outcome.reason);
            return;
        case Result::Differs:
            break;
        }
        QStringList subjects;
        for (const config::ConfigDifference &d : outcome.differences)
            subjects << d.text().section(QStringLiteral(": "), 0, 0);
        subjects.removeDuplicates();
        finish(ExitCode::Differences, sent + QStringLiteral("; verify failed: %1").arg(subjects.join(QStringLiteral(", "))));
    }

    // A configuration the sign sent back, as a read would show it.
    ConfigurationView viewOf(const protocol::ConfigDump &dump) const
    {
        config::SignConfig scratch = m_config;
        const session::ReadConfiguration read = session::readConfiguration(dump, scratch.baseline, scratch.flags);
        return {read.dump.model, read.dump.build, session::valuesAfterRead(read, session::startValues()), read.unreadable};
    }

    ConfigurationView m_before;  // the configuration as read
    QList<int> m_toSend;
    QList<int> m_sent;
};

} // namespace

Made makeWrite(TaskPointer task, PortSpec port)
{
    return std::make_unique<Write>(std::move(task), std::move(port));
}

} // namespace cli::commands
