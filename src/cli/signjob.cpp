#include "cli/signjob.h"

#include "cli/report.h"
#include "config/configdiff.h"
#include "link/mappedsignport.h"
#include "session/shownvalues.h"

#include <QRegularExpression>
#include <QSaveFile>

#include <cerrno>
#include <unistd.h>

namespace cli {

namespace {

QString itemNames(const QList<int> &items)
{
    if (items.isEmpty())
        return QStringLiteral("nothing");
    QStringList names;
    for (const int item : items)
        names << session::uploadItemName(item);
    return names.join(QStringLiteral(", "));
}

// As File > Save writes: the old file is replaced only by a complete new one.
std::optional<QString> saveText(const QString &path, const QString &text)
{
    const config::SaveBytes bytes = config::saveTextBytes(text);
    if (!bytes.bytes)
        return QStringLiteral("the character \"%1\" cannot be stored").arg(bytes.unstorable.value_or(QString()));
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(*bytes.bytes) != bytes.bytes->size() || !file.flush()
        || (::fsync(file.handle()) != 0 && errno != EINVAL)) {
        const QString why = file.errorString();
        file.cancelWriting();
        return why;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace

QList<int> flaggedItems(const config::ChangeFlags &flags)
{
    QList<int> items;
    for (int n = 0; n < config::PriorityCount; ++n)
        if (flags.priorityChanged[n])
            items << n;
    if (flags.autoIdChanged)
        items << session::IdModeItem;
    if (flags.userCmdChanged)
        items << session::UserCommandItem;
    for (int i = 0; i < config::LinkCount; ++i)
        if (flags.linkChanged[i])
            items << session::FirstLinkItem + i;
    return items;
}

SignJob::SignJob(std::shared_ptr<const Task> task, PortSpec port) : m_task(std::move(task)), m_port(std::move(port))
{
    m_result.port = m_port.label();
}

SignJob::~SignJob() = default;

int SignJob::comPosition() const
{
    // A sign given by its device has no COM number; its file says COM 1, as a fresh window does.
    return m_port.direct ? 0 : m_port.comNumber - 1;
}

QString SignJob::tidy(QString text) const
{
    if (!m_port.direct)
        return text;
    const QString com = QStringLiteral("COM %1").arg(m_port.comNumber);
    text.replace(QRegularExpression(QRegularExpression::escape(com) + QStringLiteral(" \\(([^)]*)\\)")),
                 QStringLiteral("\\1"));
    text.replace(com + QStringLiteral(": "), QString());
    text.replace(com, m_port.label());
    return text;
}

void SignJob::start()
{
    m_link = std::make_unique<signlink::SignLink>(std::make_unique<signlink::MappedSignPort>(m_port.portMap()));
    // As the main window reads: an unfinished line is dropped after 10 quiet ticks.
    m_link->setLineTimeout(10);
    m_session = std::make_unique<session::ConfigSession>(*m_link, m_config, [this] { return m_values; });
    // A command line has nothing to show between the dump and the closing tick.
    m_session->setEndReadAtDump(true);
    connect(m_session.get(), &session::ConfigSession::configurationRead, this,
            [this](const session::ReadConfiguration &read) { m_read = read; });
    connect(m_session.get(), &session::ConfigSession::readEnded, this, &SignJob::onReadEnded);
    connect(m_session.get(), &session::ConfigSession::readNotStarted, this,
            [this](int, const signlink::OpenResult &result) {
                finish(ExitCode::PortFailed, tidy(result.description) + QStringLiteral(" Nothing was sent."));
            });
    connect(m_session.get(), &session::ConfigSession::uploadEnded, this, &SignJob::onUploadEnded);
    connect(m_session.get(), &session::ConfigSession::connectionLost, this, [this](const QString &description, bool) {
        finish(ExitCode::PortFailed, tidy(QStringLiteral("The connection to the sign was lost: %1").arg(description)));
    });
    connect(m_session.get(), &session::ConfigSession::linkAdjusted, this,
            [this](int id, const QString &capcode, int priority) {
                m_values.links[id] = {capcode, static_cast<qint16>(priority)};
            });

    switch (m_task->options.command) {
    case Command::FactoryDefaults: {
        emit progress(QStringLiteral("restoring the factory defaults"));
        const session::ConfigSession::FactoryStart started = m_session->startFactoryDefaults(m_port.comNumber);
        if (!started.opening.ok()) {
            finish(ExitCode::PortFailed, tidy(started.opening.description) + QStringLiteral(" Nothing was sent."));
            return;
        }
        if (!started.refusedText.isEmpty()) {
            finish(ExitCode::PortFailed, started.refusedText);
            return;
        }
        // FactoryDef reads the configuration back by itself.
        m_afterRead = [this](const session::ReadConfiguration &read) {
            m_values = session::valuesAfterRead(read, session::startValues());
            m_result.json.insert(QStringLiteral("configuration"),
                                 configurationJson({read.dump.model, read.dump.build, m_values, read.unreadable}));
            finish(ExitCode::Done, QStringLiteral("factory defaults restored, read back"));
        };
        return;
    }
    default:
        readSign([this](const session::ReadConfiguration &read) { afterRead(read); });
        return;
    }
}

void SignJob::readSign(AfterRead then)
{
    emit progress(QStringLiteral("reading the configuration"));
    m_afterRead = std::move(then);
    m_read.reset();
    m_session->startRead(m_port.comNumber);  // a failure comes as readNotStarted
}

void SignJob::onReadEnded(const session::ReadOutcome &outcome)
{
    if (m_finished)
        return;
    if (!m_read) {
        QString message = tidy(outcome.failureText());
        if (m_task->options.command == Command::Write && !m_sent.isEmpty())
            message += QStringLiteral(" Sent before: %1.").arg(itemNames(m_sent));
        finish(ExitCode::NoAnswer, message);
        return;
    }
    if (m_afterRead)
        m_afterRead(*m_read);
}

void SignJob::afterRead(const session::ReadConfiguration &read)
{
    switch (m_task->options.command) {
    case Command::Read:
        saveFile(read);
        return;
    case Command::Write:
        write(read);
        return;
    case Command::Diff:
        diff(read);
        return;
    default:
        finish(ExitCode::Done, QString());
        return;
    }
}

void SignJob::saveFile(const session::ReadConfiguration &read)
{
    m_values = session::valuesAfterRead(read, session::startValues());
    const ConfigurationView view{read.dump.model, read.dump.build, m_values, read.unreadable};
    m_result.json.insert(QStringLiteral("configuration"), configurationJson(view));
    QString message = QStringLiteral("%1, build %2").arg(read.dump.model, read.dump.build.value_or(QStringLiteral("not given")));
    if (!read.unreadable.isEmpty())
        message += QStringLiteral("; not in the model's lists, left at their start values: %1")
                       .arg(read.unreadable.join(QStringLiteral(", ")));
    QString output = m_task->options.output;
    if (output.isEmpty()) {
        m_result.details = configurationLines(view);
        finish(ExitCode::Done, message);
        return;
    }
    output.replace(QStringLiteral("{port}"), m_port.fileNamePart());
    m_result.json.insert(QStringLiteral("file"), output);
    const config::LedFileRecord record = session::ledRecordOf(read.dump.model, comPosition(), m_values, m_config);
    if (const std::optional<QString> why = config::whyUnstorable(record)) {
        finish(ExitCode::FileError, QStringLiteral("%1 not written: %2").arg(output, *why));
        return;
    }
    if (const std::optional<QString> why = saveText(output, config::ledFileText(record))) {
        finish(ExitCode::FileError, QStringLiteral("%1 not written: %2").arg(output, *why));
        return;
    }
    finish(ExitCode::Done, message + QStringLiteral("; saved to ") + output);
}

config::LedFileRecord SignJob::meantRecord(const session::ReadConfiguration &read)
{
    m_values = session::valuesAfterRead(read, session::startValues());
    return m_task->file->appliedOver(session::ledRecordOf(read.dump.model, comPosition(), m_values, m_config));
}

QList<config::ConfigDifference> SignJob::differencesWith(const session::ReadConfiguration &read) const
{
    return config::compareConfigurations(config::comparedFromDump(read.dump), config::comparedFromLedFile(m_meant),
                                         config::comparisonLists(read.dump.model));
}

void SignJob::diff(const session::ReadConfiguration &read)
{
    m_meant = meantRecord(read);
    const QList<config::ConfigDifference> differences = differencesWith(read);
    const QString fileSide = QStringLiteral("in ") + m_task->file->path;
    for (const config::ConfigDifference &d : differences)
        m_result.details << QStringLiteral("  ") + differenceText(d, QStringLiteral("on the sign"), fileSide);
    m_result.json.insert(QStringLiteral("differences"), differencesJson(differences));
    if (differences.isEmpty())
        finish(ExitCode::Done, QStringLiteral("no differences"));
    else
        finish(ExitCode::Differences,
               differences.size() == 1 ? QStringLiteral("1 difference") : QStringLiteral("%1 differences").arg(differences.size()));
}

void SignJob::write(const session::ReadConfiguration &read)
{
    const LedInput &file = *m_task->file;
    // Positions mean other entries on another model: sending them would set other values.
    if (!file.model.isEmpty() && file.model != read.dump.model) {
        finish(ExitCode::FileError, QStringLiteral("%1 is for model %2, but the sign is a %3. Nothing was sent.")
                                        .arg(file.path, file.model, read.dump.model));
        return;
    }
    m_meant = meantRecord(read);
    m_values = session::valuesFromRecord(m_meant, m_values);
    const bool force = m_task->options.force;
    if (!force) {
        config::Baseline baseline = m_config.baseline;
        config::ChangeFlags flags = m_config.flags;
        config::getChangedRows(m_values, baseline, flags);
        if (!flags.any()) {
            // Nothing to send; what was just read is what a verify would read.
            if (m_task->options.verify)
                verify(read);
            else
                finish(ExitCode::Done, QStringLiteral("nothing to send: the sign holds what the file says"));
            return;
        }
    }
    const session::ConfigSession::UploadStart started = m_session->startUpload(m_port.comNumber, force);
    if (started.refusal) {
        finish(ExitCode::FileError, QStringLiteral("%1: %2 Nothing was sent.").arg(file.path, started.refusal->simplified()));
        return;
    }
    if (!started.opening.ok()) {
        finish(ExitCode::PortFailed, tidy(started.opening.description) + QStringLiteral(" Nothing was sent."));
        return;
    }
    m_toSend = flaggedItems(m_config.flags);
    emit progress(QStringLiteral("sending %1").arg(itemNames(m_toSend)));
}

QString SignJob::sentText() const
{
    QList<int> notSent;
    for (const int item : m_toSend)
        if (!m_sent.contains(item))
            notSent << item;
    return QStringLiteral("Sent: %1. Not sent: %2.").arg(itemNames(m_sent), itemNames(notSent));
}

void SignJob::onUploadEnded(const session::UploadOutcome &outcome)
{
    // What is still flagged did not go; what the sign refused went, and was flagged again.
    const QList<int> pending = flaggedItems(m_config.flags);
    m_sent.clear();
    for (const int item : m_toSend)
        if (!pending.contains(item) || outcome.refused.contains(item))
            m_sent << item;
    m_refused = outcome.refused;
    m_result.json.insert(QStringLiteral("sent"), QJsonArray::fromStringList([this] {
        QStringList names;
        for (const int item : m_sent)
            names << session::uploadItemName(item);
        return names;
    }()));
    if (!outcome.completed) {
        finish(ExitCode::PortFailed, tidy(outcome.stopText).simplified() + u' ' + sentText());
        return;
    }
    if (m_task->options.verify) {
        emit progress(QStringLiteral("reading back"));
        readSign([this](const session::ReadConfiguration &read) { verify(read); });
        return;
    }
    if (!outcome.refused.isEmpty()) {
        finish(ExitCode::Differences, outcome.refusalText().section(u'.', 0, 0) + u'.');
        return;
    }
    finish(ExitCode::Done, QStringLiteral("sent %1").arg(itemNames(m_sent)));
}

void SignJob::verify(const session::ReadConfiguration &read)
{
    const QList<config::ConfigDifference> differences = differencesWith(read);
    for (const config::ConfigDifference &d : differences)
        m_result.details << QStringLiteral("  ") + differenceText(d, QStringLiteral("on the sign"),
                                                                  QStringLiteral("in ") + m_task->file->path);
    m_result.json.insert(QStringLiteral("differences"), differencesJson(differences));
    const QString sent = m_sent.isEmpty() ? QStringLiteral("nothing sent") : QStringLiteral("sent %1").arg(itemNames(m_sent));
    if (differences.isEmpty()) {
        finish(ExitCode::Done, sent + QStringLiteral("; verified"));
        return;
    }
    QStringList subjects;
    for (const config::ConfigDifference &d : differences)
        subjects << d.text().section(QStringLiteral(": "), 0, 0);
    subjects.removeDuplicates();
    finish(ExitCode::Differences, sent + QStringLiteral("; verify failed: %1").arg(subjects.join(QStringLiteral(", "))));
}

void SignJob::finish(ExitCode code, const QString &message)
{
    if (m_finished)
        return;
    m_finished = true;
    m_result.code = code;
    m_result.message = message;
    // Called from inside the session's signals: the session and its link go once they return.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_session.reset();
            m_link.reset();
            emit finished();
        },
        Qt::QueuedConnection);
}

} // namespace cli
