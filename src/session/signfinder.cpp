#include "session/signfinder.h"

#include "protocol/commands.h"
#include "protocol/configdump.h"
#include "protocol/replyinterpreter.h"
#include "session/wire.h"

namespace session {

using Outcome = ProbeResult::Outcome;

QString ProbeResult::summary() const
{
    switch (outcome) {
    case Outcome::Found:
        return build ? SignFinder::tr("%1, build %2").arg(model, *build) : model;
    case Outcome::NoAnswer:
        return SignFinder::tr("no answer");
    case Outcome::OtherAnswer:
        return SignFinder::tr("answered, but not as a sign");
    case Outcome::Busy:
        return SignFinder::tr("busy");
    case Outcome::Failed:
        return SignFinder::tr("failed");
    case Outcome::Absent:
        return SignFinder::tr("not present");
    case Outcome::NotProbed:
        return SignFinder::tr("not searched");
    }
    return {};
}

SignFinder::SignFinder(PortFactory ports, QObject *parent) : QObject(parent), m_ports(std::move(ports))
{
    m_deadline.setSingleShot(true);
    m_deadline.setInterval(AnswerTimeoutMs);
    m_deadline.setTimerType(Qt::PreciseTimer);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        ProbeResult result = m_current;
        result.outcome = m_heard ? Outcome::OtherAnswer : Outcome::NoAnswer;
        finish(result);
    });
    m_step.setSingleShot(true);
    m_step.setInterval(0);
    connect(&m_step, &QTimer::timeout, this, &SignFinder::next);
}

SignFinder::~SignFinder()
{
    cancel();
}

void SignFinder::start(const QList<signlink::ComPortInfo> &ports)
{
    cancel();
    m_queue = ports;
    m_results.clear();
    m_byDevice.clear();
    m_running = true;
    m_step.start();
}

void SignFinder::cancel()
{
    m_running = false;
    m_queue.clear();
    m_deadline.stop();
    m_step.stop();
    // The link may be the one emitting the signal that led here: it is closed now and let go of
    // from the event loop (next()) or with the finder.
    if (m_link) {
        m_link->disconnect(this);
        m_link->port().disconnect(this);
        m_link->close();
    }
}

void SignFinder::next()
{
    m_link.reset();
    while (m_running && !m_queue.isEmpty()) {
        const signlink::ComPortInfo port = m_queue.takeFirst();
        ProbeResult result;
        result.comNumber = port.comNumber;
        switch (port.kind) {
        case signlink::PortEntry::Kind::Network:
            result.outcome = Outcome::NotProbed;
            result.reason = tr("COM %1 is the network address %2; Find Sign searches serial ports only.")
                                .arg(port.comNumber)
                                .arg(port.networkAddress ? port.networkAddress->text() : QString());
            break;
        case signlink::PortEntry::Kind::Invalid:
            result.outcome = Outcome::NotProbed;
            result.reason = port.problem;
            break;
        case signlink::PortEntry::Kind::Device:
            if (!port.present) {
                result.outcome = Outcome::Absent;
            } else if (const auto asked = m_byDevice.constFind(port.devicePath); asked != m_byDevice.cend()) {
                result = *asked;
                result.comNumber = port.comNumber;
                result.sameAs = asked->comNumber;
                result.reason = tr("COM %1 opens the same device as COM %2 (%3); it was asked once for both.")
                                    .arg(port.comNumber)
                                    .arg(asked->comNumber)
                                    .arg(port.devicePath);
            } else {
                probe(port);
                return;
            }
            break;
        }
        m_results.append(result);
        emit probed(result);
    }
    if (!m_running)
        return;
    m_running = false;
    emit finished();
}

void SignFinder::probe(const signlink::ComPortInfo &port)
{
    m_current = {};
    m_current.comNumber = port.comNumber;
    m_device = port.devicePath;
    m_heard = false;
    emit probing(port.comNumber);
    if (!m_running)
        return;

    m_link = std::make_unique<signlink::SignLink>(m_ports());
    // Unfinished lines are kept: the deadline ends the probe, not a quiet spell in the dump.
    m_link->setLineTimeout(0);
    connect(&m_link->port(), &signlink::SignPort::received, this, [this] { m_heard = true; });
    connect(m_link.get(), &signlink::SignLink::lineReceived, this, &SignFinder::onLine);
    connect(m_link.get(), &signlink::SignLink::connectionLost, this, [this](const QString &description) {
        ProbeResult result = m_current;
        result.outcome = Outcome::Failed;
        result.reason = tr("COM %1: the connection was lost: %2").arg(m_current.comNumber).arg(description);
        finish(result);
    });

    ProbeResult result = m_current;
    const signlink::OpenResult opened = m_link->open(port.comNumber);
    if (!opened.ok()) {
        // Opening is the test: a port another program holds refuses it, and nothing is written.
        result.outcome = opened.error == signlink::OpenError::Busy         ? Outcome::Busy
                         : opened.error == signlink::OpenError::NoSuchPort ? Outcome::Absent
                                                                           : Outcome::Failed;
        result.reason = opened.description;
        finish(result);
        return;
    }
    if (!sendCommand(*m_link, protocol::readConfigurationCommand())) {
        result.outcome = Outcome::Failed;
        result.reason = tr("COM %1: the request could not be written.").arg(port.comNumber);
        finish(result);
        return;
    }
    m_deadline.start();
}

void SignFinder::onLine(const QByteArray &line)
{
    m_heard = true;
    const QString text = QString::fromLatin1(line);
    if (protocol::interpretReply(text, 0).kind != protocol::ReplyAction::Kind::ConfigDump)
        return;
    const protocol::ConfigDump dump = protocol::readConfigDump(text);
    if (dump.model.isEmpty())
        return;
    ProbeResult result = m_current;
    result.outcome = Outcome::Found;
    result.model = dump.model;
    result.build = dump.build;
    finish(result);
}

void SignFinder::finish(ProbeResult result)
{
    m_deadline.stop();
    if (m_link) {
        // Whatever the port still holds or says belongs to no probe.
        m_link->disconnect(this);
        m_link->port().disconnect(this);
        if (m_link->isOpen())
            m_link->close();
    }
    m_byDevice.insert(m_device, result);
    m_results.append(result);
    emit probed(result);
    if (m_running)
        m_step.start();
}

} // namespace session
