#include "session/configsession.h"

#include "link/timers.h"
#include "protocol/commands.h"
#include "protocol/numbers.h"
#include "session/sentences.h"
#include "session/shownvalues.h"
#include "session/wire.h"

namespace session {

namespace {

constexpr int UnitsPerItem = 20;
// A dump still coming in when ComClose ticks is not cut off, up to this long after the request.
constexpr qint64 LongestDump = 2000;

QString unsendableText(const QString &field, const QString &character)
{
    return ConfigSession::tr("%1 holds the character \"%2\", which the sign cannot show.\r\n"
                             "Remove it and upload again.")
        .arg(field, character);
}

// Why a text the operator typed cannot go out in `command`: a character the sign cannot show, or
// a command longer than the sign takes.
std::optional<QString> refusalOf(const QString &field, const QString &text, const QString &command)
{
    if (const std::optional<QString> bad = protocol::firstUnsendableChar(text))
        return unsendableText(field, *bad);
    if (const std::optional<QString> why = protocol::whyUnsendable(command))
        return field + QStringLiteral(":\r\n") + *why;
    return std::nullopt;
}

// A CR ends the command on the wire, and a sign may take a line feed for one: what follows
// would reach the sign as a command of its own ("1\r<FD>" would restore the factory defaults).
std::optional<QString> lineBreakRefusal(const QString &field, const QString &text)
{
    if (text.contains(u'\r'))
        return ConfigSession::tr("%1 holds a carriage return, which would end the command early.\r\n"
                                 "Remove it and upload again.")
            .arg(field);
    if (text.contains(u'\n'))
        return ConfigSession::tr("%1 holds a line feed, which would end the command early.\r\n"
                                 "Remove it and upload again.")
            .arg(field);
    return std::nullopt;
}

} // namespace

QString uploadItemName(int item)
{
    if (item < config::PriorityCount)
        return ConfigSession::tr("Priority %1").arg(item);
    if (item == config::IdModeItem)
        return ConfigSession::tr("the ID mode");
    if (item == config::UserCommandItem)
        return ConfigSession::tr("the user command");
    return ConfigSession::tr("ID %1").arg(item - config::FirstLinkItem);
}

QString ReadOutcome::failureText() const
{
    if (dumpRead)
        return {};
    // Half a configuration is an answer: the cable and the COM number are fine.
    if (cut)
        return ConfigSession::tr("The answer of the sign on %1 was cut off before its configuration was complete. "
                                 "Nothing was changed; try again.")
            .arg(portName());
    if (lines == 0)
        return noAnswerText(portName());
    return ConfigSession::tr("The sign on %1 answered, but did not send its configuration.").arg(portName());
}

QString ReadOutcome::portName() const
{
    return port.isEmpty() ? QStringLiteral("COM %1").arg(comNumber) : port;
}

QString UploadOutcome::refusalText() const
{
    if (refused.isEmpty())
        return {};
    QStringList names;
    for (const int item : refused)
        names << uploadItemName(item);
    const QString count =
        refused.size() == 1 ? ConfigSession::tr("1 item") : ConfigSession::tr("%1 items").arg(refused.size());
    return ConfigSession::tr("The sign refused %1: %2. They stay marked and go with the next upload.")
        .arg(count, names.join(QStringLiteral(", ")));
}

ConfigSession::ConfigSession(signlink::SignLink &link, config::SignConfig &config, ValuesSource values,
                             QObject *parent)
    : QObject(parent), m_link(link), m_config(config), m_values(std::move(values))
{
    struct TimerSetup {
        QTimer *timer;
        const char *name;
        int interval;
    };
    const TimerSetup timers[] = {{&ComClose, "ComClose", 400},
                                 {&UploadTimer, "UploadTimer", 500},
                                 {&FactoryDef, "FactoryDef", 500},
                                 {&SleepTimer, "SleepTimer", 10},
                                 {&ReadBackTimer, "ReadBackTimer", 3000}};
    for (const TimerSetup &setup : timers) {
        setup.timer->setParent(this);
        setup.timer->setObjectName(QString::fromLatin1(setup.name));
        setup.timer->setInterval(setup.interval);
        setup.timer->setTimerType(Qt::PreciseTimer);
    }
    connect(&SleepTimer, &QTimer::timeout, this, &ConfigSession::sleepTick);
    connect(&ComClose, &QTimer::timeout, this, &ConfigSession::closeTick);
    connect(&UploadTimer, &QTimer::timeout, this, &ConfigSession::uploadTick);
    connect(&FactoryDef, &QTimer::timeout, this, &ConfigSession::factoryDefaultsTick);
    connect(&ReadBackTimer, &QTimer::timeout, this, &ConfigSession::readBackTick);
    connect(&m_link, &signlink::SignLink::lineReceived, this, &ConfigSession::handleLine);
    connect(&m_link, &signlink::SignLink::connectionLost, this, &ConfigSession::onConnectionLost);
    // A line of the read-back thrown away unfinished was the configuration cut short.
    connect(&m_link, &signlink::SignLink::lineDropped, this, [this] {
        if (m_readBackPurpose != ReadBackPurpose::None)
            m_readBack.cut = true;
        else if (ComClose.isActive())
            m_read.cut = true;
    });
}

ConfigSession::~ConfigSession() = default;

ConfigSession::Activity ConfigSession::activity() const
{
    if (UploadTimer.isActive())
        return Activity::Uploading;
    if (FactoryDef.isActive())
        return Activity::FactoryDefaults;
    if (ComClose.isActive())
        return Activity::Reading;
    if (ReadBackTimer.isActive())
        return m_readBackPurpose == ReadBackPurpose::Compare ? Activity::Comparing : Activity::Verifying;
    if (m_switching > 0)
        return Activity::Switching;
    return Activity::Idle;
}

QString ConfigSession::requestUnwrittenText()
{
    return tr("the request could not be written");
}

void ConfigSession::changeActivity()
{
    emit activityChanged();
}

void ConfigSession::after(qint16 ticks, std::function<void()> then)
{
    // Every pause counts the ticks afresh, so one begun during another holds the other back.
    m_sleepTicks = 0;
    if (ticks <= 0) {
        then();
        return;
    }
    m_pauses.push_back({ticks, false, std::move(then)});
    signlink::startTimer(SleepTimer);
}

void ConfigSession::sleepTick()
{
    ++m_sleepTicks;
    for (Pause &pause : m_pauses)
        pause.due = pause.due || m_sleepTicks >= pause.ticks;
    // The pause begun last ends first; one begun before it that is due by now ends with it, on
    // the same tick.
    while (!m_pauses.empty() && m_pauses.back().due) {
        const std::function<void()> then = std::move(m_pauses.back().then);
        m_pauses.pop_back();
        if (m_pauses.empty())
            SleepTimer.stop();
        then();
    }
}

// ---- Reading the configuration ----

signlink::OpenResult ConfigSession::startRead(int comNumber)
{
    // The configuration shown no longer comes from a file.
    m_config.configFileName.clear();
    signlink::OpenResult result = m_link.open(comNumber);
    if (result.ok()) {
        m_readClock.start();
        m_read = {comNumber, m_link.port().name(), 0, false, false};
        if (sendCommand(m_link, protocol::readConfigurationCommand())) {
            signlink::startTimer(ComClose);
            changeActivity();
            return {};
        }
        // The port took nothing: no answer is coming.
        m_link.close();
        result = {signlink::OpenError::Other, requestUnwrittenText()};
    }
    emit readNotStarted(comNumber, result);
    return result;
}

void ConfigSession::closeTick()
{
    if (m_link.isOpen() && m_link.lineInProgress() && m_link.lineTimer().isActive() && m_readClock.isValid()
        && m_readClock.elapsed() < LongestDump)
        return;
    ComClose.stop();
    if (!m_link.isOpen()) {
        changeActivity();
        return;
    }
    m_link.close();
    endRead();
}

void ConfigSession::endRead()
{
    changeActivity();
    emit readEnded(m_read);
}

void ConfigSession::abandonRead()
{
    if (m_link.isOpen())
        m_link.close();
    if (ComClose.isActive()) {
        ComClose.stop();
        changeActivity();
    }
}

void ConfigSession::handleLine(const QByteArray &bytes)
{
    const QString line = QString::fromLatin1(bytes);
    ++m_read.lines;
    if (m_readBackPurpose != ReadBackPurpose::None)
        ++m_readBack.lines;
    const protocol::ReplyAction action = protocol::interpretReply(line, m_progress.value);
    switch (action.kind) {
    case protocol::ReplyAction::Kind::Nothing:
        m_link.explainLastLine(tr("not a reply this tool reads; ignored"));
        break;
    case protocol::ReplyAction::Kind::Refused:
        // The answer belongs to the item sent last; it goes again with the next upload.
        if (UploadTimer.isActive() && m_lastSentItem) {
            if (!m_refused.contains(*m_lastSentItem))
                m_refused.append(*m_lastSentItem);
            m_link.explainLastLine(tr("refused: %1 stays marked for the next upload").arg(uploadItemName(*m_lastSentItem)));
        } else {
            m_link.explainLastLine(tr("refused"));
        }
        break;
    case protocol::ReplyAction::Kind::ShowStatus:
        m_link.explainLastLine(action.status);
        emit status(action.status);
        break;
    case protocol::ReplyAction::Kind::ShowKeptStatus:
        m_link.explainLastLine(tr("acknowledged"));
        emit keptStatus();
        break;
    case protocol::ReplyAction::Kind::ConfigDump: {
        // A dump the sign sends unasked during an upload would clear the flags of the items not
        // yet sent and put the sign's old values over them.
        if (UploadTimer.isActive()) {
            m_link.explainLastLine(tr("configuration, not applied: it came during an upload"));
            emit status(tr("The sign sent its configuration during the upload; it was not applied, "
                           "and the items not yet sent still go."));
            break;
        }
        // A configuration asked for to be checked or compared is not taken in.
        if (m_readBackPurpose != ReadBackPurpose::None) {
            m_link.explainLastLine(tr("configuration read back to be compared"));
            m_readBack.dump = protocol::readConfigDump(line);
            finishReadBack();
            break;
        }
        // Nor does one that comes after a switch or the factory defaults command: what is shown
        // and not yet sent would be lost the same way.
        if (activity() == Activity::Switching || activity() == Activity::FactoryDefaults) {
            m_link.explainLastLine(tr("configuration, not applied: it came unasked"));
            emit status(tr("The sign sent its configuration unasked; it was not applied."));
            break;
        }
        m_read.dumpRead = true;
        const ReadConfiguration read = readConfiguration(protocol::readConfigDump(line), m_config.baseline, m_config.flags);
        m_link.explainLastLine(tr("configuration of model %1, build %2%3")
                                   .arg(read.dump.model, read.dump.build.value_or(tr("none")),
                                        read.missing.isEmpty()
                                            ? QString()
                                            : QStringLiteral("; ") + protocol::missingPartsText(read.missing)));
        takeIntoKnown(read.dump, m_link.port().commPort());
        emit configurationRead(read);
        if (m_endReadAtDump && ComClose.isActive()) {
            ComClose.stop();
            m_link.close();
            endRead();
        }
        break;
    }
    }
}

void ConfigSession::onConnectionLost(const QString &description)
{
    const bool uploading = UploadTimer.isActive();
    ComClose.stop();
    if (uploading) {
        UploadOutcome outcome;
        outcome.stopText = connectionLostText(description);
        endUpload(outcome);
    }
    FactoryDef.stop();
    if (m_link.isOpen())
        m_link.close();
    if (m_readBackPurpose != ReadBackPurpose::None) {
        m_readBack.lost = description;
        finishReadBack();
    }
    changeActivity();
    emit connectionLost(description, uploading);
}

// ---- Upload ----

std::optional<QString> ConfigSession::timeoutRefusal(int priority, const QString &timeout)
{
    // A timeout box that holds no whole number would give the sign garbage and the comparison
    // with the sign nothing to compare; the operator mends it first.
    if (protocol::strictInt16(timeout))
        return std::nullopt;
    return tr("The timeout of priority %1 is \"%2\".\r\nIt must be a whole number from -32768 to 32767.")
        .arg(priority)
        .arg(timeout);
}

std::optional<QString> ConfigSession::userCommandRefusal(const QString &text)
{
    const QString field = tr("The user defined reset command");
    if (auto why = lineBreakRefusal(field, text))
        return why;
    // Checked as the command it goes out in, so that one longer than the sign takes is refused
    // before anything is sent rather than cut off on the wire.
    return refusalOf(field, text, protocol::userCommand(text));
}

std::optional<QString> ConfigSession::capcodeRefusal(int id, const QString &capcode)
{
    const QString field = tr("The capcode of ID %1").arg(id);
    if (auto why = lineBreakRefusal(field, capcode))
        return why;
    return refusalOf(field, capcode, protocol::linkCommand(id, capcode, 4));
}

std::optional<QString> ConfigSession::uploadRefusal(const config::ConfigValues &values)
{
    for (int n = 0; n < config::PriorityCount; ++n) {
        if (auto why = timeoutRefusal(n, values.priorities[n].timeout))
            return why;
    }
    if (auto why = userCommandRefusal(values.userCommand))
        return why;
    for (int i = 0; i < config::LinkCount; ++i) {
        if (auto why = capcodeRefusal(i, values.links[i].capcode))
            return why;
    }
    return std::nullopt;
}

ConfigSession::UploadStart ConfigSession::startUpload(int comNumber, bool force)
{
    UploadStart start;
    const config::ConfigValues values = m_values();
    // Checked before Force Upload sets the flags, so a refused upload leaves them as they were.
    start.refusal = uploadRefusal(values);
    if (start.refusal)
        return start;
    if (force)
        m_config.flags.setAll();
    m_meant = values;
    m_sent.clear();
    m_verifyThisUpload = m_verifyAfterUpload;

    for (int n = 0; n < config::PriorityCount; ++n) {
        const config::PriorityDefaults &p = values.priorities[n];
        const protocol::PriorityCodes codes{p.font, p.style, p.color, p.speed, p.alignment, p.pause, p.beep};
        m_config.uploadCommands[n] = protocol::priorityDefaultsCommand(n, codes, p.timeout);
    }
    m_config.uploadCommands[config::IdModeItem] = protocol::idModeCommand(values.autoId == 1);
    m_config.uploadCommands[config::UserCommandItem] = protocol::userCommand(values.userCommand);

    if (config::getChangedRows(values, m_config.baseline, m_config.flags) == 0) {
        start.nothingToUpload = true;
        emit status(QStringLiteral("Nothing to Upload"));
    }
    setProgress(m_progress.value, 1 + UnitsPerItem * m_config.flags.countSet(), m_progress.visible);

    start.opening = m_link.open(comNumber);
    if (!start.opening.ok())
        return start;
    // The backup is of the sign that is written to now, so it is made once its port is open.
    start.backupNote = backUp(comNumber);
    m_backupNote = start.backupNote.value_or(QString());
    if (start.backupNote)
        emit status(start.nothingToUpload ? QStringLiteral("Nothing to Upload\r\n") + m_backupNote : m_backupNote);
    m_lastSentItem.reset();
    m_refused.clear();
    signlink::startTimer(UploadTimer);
    setProgress(0, m_progress.maximum, true);
    start.started = true;
    changeActivity();
    return start;
}

void ConfigSession::setProgress(int value, int maximum, bool visible)
{
    // As a progress bar does: a value outside a new range is reset to one below the range.
    if (value < -1 || value > maximum)
        value = -1;
    m_progress = {value, maximum, visible};
    emit progressChanged(m_progress);
}

bool ConfigSession::sendItem(const QString &command)
{
    if (!m_link.isOpen()) {
        // Someone closed the port under the sequence; the item stays pending.
        if (UploadTimer.isActive()) {
            UploadOutcome outcome;
            outcome.stopText = tr("The upload stopped because the port was closed");
            endUpload(outcome);
        }
        return false;
    }
    if (!sendCommand(m_link, command)) {
        UploadOutcome outcome;
        const std::optional<QString> bad = protocol::firstUnsendableChar(command);
        outcome.stopText = bad ? unsendableText(tr("A capcode"), *bad)
                               : tr("The sign did not take the command; the upload stopped.\r\n"
                                    "The items not yet sent will go with the next upload.");
        outcome.stopIsWarning = true;
        endUpload(outcome);
        return false;
    }
    return true;
}

void ConfigSession::uploadTick()
{
    // A tick that comes while a link waits out its gap is let go: the next item follows the link,
    // and the upload cannot end and close the port before the link is out.
    if (m_linkInGap)
        return;
    config::ChangeFlags &flags = m_config.flags;

    const int max = m_progress.maximum;
    const int value = m_progress.value;
    if (max > 1) {
        if (max > value)
            setProgress(max >= value + UnitsPerItem ? value + UnitsPerItem : max, max, m_progress.visible);
        else
            setProgress(value, max, false);
    }

    const QList<int> flagged = flags.items();
    if (flagged.isEmpty()) {
        UploadOutcome outcome;
        outcome.completed = true;
        endUpload(outcome);
        return;
    }
    // Priorities, then ID mode, then user command: the texts built when the upload started.
    const int item = flagged.first();
    if (item < config::FirstLinkItem) {
        if (sendItem(m_config.uploadCommands[item])) {
            flags.setItem(item, false);
            m_lastSentItem = item;
            m_sent.append(item);
        }
        return;
    }

    // Links are built from the values at the tick that sends them.
    const int i = item - config::FirstLinkItem;
    flags.setItem(item, false);
    const config::LinkEntry link = m_values().links[i];
    config::LinkEntry &meant = m_meant.links[i];
    meant = link;
    QString removal;
    QString command;
    if (protocol::leadingNumber(link.capcode) == 0) {
        // An empty box or a capcode 0 removes the link.
        meant = {};
        emit linkAdjusted(i, QString(), -1);
        command = protocol::removeLinkCommand(i);
    } else {
        removal = protocol::removeLinkCommand(i);
        int priority = link.priority;
        if (priority < 0) {
            priority = 0;
            meant.priority = priority;
            emit linkAdjusted(i, link.capcode, priority);
        }
        command = protocol::linkCommand(i, link.capcode, priority);
    }
    if (!removal.isEmpty() && !sendItem(removal)) {
        flags.setItem(item, true);
        return;
    }
    m_lastSentItem = item;
    // The sign needs a moment after a removal before it takes the link; the next item still
    // waits for its own tick.
    m_linkInGap = true;
    after(15, [this, item, command] {
        m_linkInGap = false;
        if (!sendItem(command))
            m_config.flags.setItem(item, true);
        else
            m_sent.append(item);
    });
}

void ConfigSession::endUpload(UploadOutcome outcome)
{
    // What the sign refused is not on it: the next upload sends it again.
    for (const int item : std::as_const(m_refused))
        m_config.flags.setItem(item, true);
    outcome.refused = m_refused;
    outcome.backupNote = m_backupNote;
    // What went out and was not refused is on the sign now, as far as anyone knows.
    if (m_known) {
        for (const int item : std::as_const(m_sent)) {
            if (!m_refused.contains(item))
                takeSentItemInto(*m_known, item, m_meant);
        }
    }
    m_refused.clear();
    m_lastSentItem.reset();
    UploadTimer.stop();
    setProgress(m_progress.value, m_progress.maximum, false);
    // The check keeps the port of the upload and asks on it at once.
    outcome.verifying = outcome.completed && m_verifyThisUpload && !m_sent.isEmpty() && m_link.isOpen();
    const bool asked = outcome.verifying && beginReadBack(ReadBackPurpose::Verify, m_link.port().commPort());
    if (!asked && m_link.isOpen())
        m_link.close();
    changeActivity();
    emit uploadEnded(outcome);
    if (outcome.verifying && !asked)
        emit verifyEnded(verifyReadBack(m_readBack, m_meant));
}

// ---- One setting at once ----

signlink::OpenResult ConfigSession::switchSetting(int comNumber, const QString &command,
                                                  const std::function<void()> &opened)
{
    const signlink::OpenResult result = m_link.open(comNumber);
    if (!result.ok())
        return result;
    if (opened)
        opened();
    sendCommand(m_link, command);
    ++m_switching;
    changeActivity();
    after(20, [this] {
        --m_switching;
        // An upload or download that was already running keeps its port.
        if (!UploadTimer.isActive() && !ComClose.isActive() && !FactoryDef.isActive() && !ReadBackTimer.isActive())
            m_link.close();
        changeActivity();
    });
    return result;
}

signlink::OpenResult ConfigSession::switchIdMode(int comNumber, bool autoId, const std::function<void()> &opened)
{
    return switchSetting(comNumber, protocol::idModeCommand(autoId), opened);
}

signlink::OpenResult ConfigSession::switchForcedId(int comNumber, bool on, const std::function<void()> &opened)
{
    return switchSetting(comNumber, on ? protocol::forceId0OnCommand() : protocol::forceIdOffCommand(), opened);
}

ConfigSession::FactoryStart ConfigSession::startFactoryDefaults(int comNumber)
{
    setProgress(m_progress.value, UnitsPerItem, m_progress.visible);
    FactoryStart start;
    // Nothing is sent and nothing started when the port cannot be opened.
    start.opening = m_link.open(comNumber);
    if (!start.opening.ok())
        return start;
    if (!sendCommand(m_link, protocol::factoryDefaultsCommand())) {
        m_link.close();
        start.refusedText = tr("The sign did not take the factory defaults command.");
        return start;
    }
    m_factoryPort = comNumber;
    signlink::startTimer(FactoryDef);
    changeActivity();
    return start;
}

void ConfigSession::factoryDefaultsTick()
{
    FactoryDef.stop();
    if (m_link.isOpen())
        m_link.close();
    // What the sign holds now is its factory configuration; read it back from the same port.
    startRead(m_factoryPort);
    changeActivity();
}

} // namespace session
