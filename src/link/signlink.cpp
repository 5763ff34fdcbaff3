#include "link/signlink.h"

#include "link/timers.h"
#include "link/traffic.h"

Q_LOGGING_CATEGORY(lcSignLink, "signconfig.link", QtWarningMsg)

namespace signlink {

SignLink::SignLink(std::unique_ptr<SignPort> port, QObject *parent) : QObject(parent), m_port(std::move(port))
{
    m_lineTimer.setParent(this);
    m_lineTimer.setObjectName(QStringLiteral("DataTimeout"));
    m_lineTimer.setInterval(10);
    m_lineTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_lineTimer, &QTimer::timeout, this, &SignLink::lineTimeoutTick);
    connect(m_port.get(), &SignPort::received, this, &SignLink::readWaiting);
    connect(m_port.get(), &SignPort::connectionLost, this, [this](const QString &description) {
        qCWarning(lcSignLink) << source() << "connection lost:" << description;
        emit connectionLost(description);
    });
    connect(m_port.get(), &SignPort::outputUnsent, this, &SignLink::outputUnsent);
    reportTraffic();
}

void SignLink::reportTraffic()
{
    TrafficLog *log = m_port->trafficLog();
    if (!log)
        return;
    const auto report = [this, log](TrafficRow::Direction direction, const QByteArray &bytes, const QString &meaning) {
        log->record({0, 0, source(), direction, bytes, meaning});
    };
    connect(this, &SignLink::lineReceived, log, [report](const QByteArray &line) {
        report(TrafficRow::Direction::Received, line, {});
    });
    connect(this, &SignLink::lineDropped, log, [report](const QByteArray &start, const QString &reason) {
        report(TrafficRow::Direction::Dropped, start, reason);
    });
}

void SignLink::explainLastLine(const QString &meaning)
{
    if (TrafficLog *log = m_port->trafficLog())
        log->explainLastReceived(source(), meaning);
}

// The port closes its device when it goes.
SignLink::~SignLink() = default;

QString SignLink::source() const
{
    return QStringLiteral("COM %1").arg(m_port->commPort());
}

OpenResult SignLink::open(int comNumber)
{
    m_port->setCommPort(comNumber);
    return m_port->open();
}

void SignLink::close()
{
    m_port->close();
}

bool SignLink::send(const QByteArray &bytes)
{
    if (!m_port->output(bytes))
        return false;
    qCDebug(lcSignLink) << source() << "->" << bytes;
    return true;
}

void SignLink::readWaiting()
{
    while (m_port->inBufferCount() >= 1) {
        const char c = m_port->input();
        if (m_timeoutTicks > 0) {
            m_countdown = m_timeoutTicks;
            signlink::startTimer(m_lineTimer);
        }
        // The start of a line about to be cut at the cap, for whoever shows what was dropped.
        const bool atCap = !m_line.isDiscarding() && m_line.text().size() >= LineBuffer::MaxLineLength;
        const QByteArray start = atCap ? m_line.text().left(80) : QByteArray();
        if (std::optional<QByteArray> line = m_line.append(c)) {
            m_lineTimer.stop();
            qCDebug(lcSignLink) << source() << "<-" << *line;
            emit lineReceived(*line);
        } else if (atCap && m_line.isDiscarding()) {
            emit lineDropped(start, tr("longer than %1 bytes without a line feed").arg(LineBuffer::MaxLineLength));
        }
    }
}

void SignLink::lineTimeoutTick()
{
    if (m_countdown > 0) {
        --m_countdown;
        return;
    }
    m_lineTimer.stop();
    if (!m_line.text().isEmpty())
        emit lineDropped(m_line.text(), tr("no line feed in time"));
    m_line.clear();
}

} // namespace signlink
