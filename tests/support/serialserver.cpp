#include "serialserver.h"

#include "ptypair.h"

#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>

namespace testsupport {

bool isListening(quint16 port)
{
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    // "  1: 0100007F:1F90 00000000:0000 0A ...": local address and port in hex, state 0A = LISTEN.
    const QByteArray local = "0100007F:" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields[1] == local && fields[3] == "0A")
            return true;
    }
    return false;
}

quint16 freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

bool startListening(QProcess &process, const QString &program, const QStringList &arguments, quint16 port, QString *error)
{
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start();
    if (!process.waitForStarted(5000)) {
        *error = QStringLiteral("%1 did not start: %2").arg(program, process.errorString());
        return false;
    }
    if (waitUntil([&] { return isListening(port) || process.state() != QProcess::Running; }, 5000) && isListening(port)
        && process.state() == QProcess::Running)
        return true;
    *error = QStringLiteral("%1 did not listen on 127.0.0.1:%2: %3")
                 .arg(program)
                 .arg(port)
                 .arg(QString::fromLocal8Bit(process.readAll()));
    process.kill();
    process.waitForFinished(1000);
    return false;
}

SerialServer::~SerialServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(1000);
    }
}

QString SerialServer::address() const
{
    const bool tls = !m_offer.certificate.isEmpty();
    const QString scheme = m_offer.rfc2217 ? (tls ? QStringLiteral("rfc2217+tls") : QStringLiteral("rfc2217"))
                                           : (tls ? QStringLiteral("tls") : QStringLiteral("tcp"));
    return QStringLiteral("%1://127.0.0.1:%2").arg(scheme).arg(m_port);
}

bool SerialServer::start(const QString &device, QString *error)
{
    return start(device, error, Offer());
}

bool SerialServer::start(const QString &device, QString *error, const Offer &offer)
{
    m_offer = offer;
    const QString program = QStandardPaths::findExecutable(QStringLiteral("ser2net"),
                                                           {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin"),
                                                            QStringLiteral("/usr/bin")});
    if (program.isEmpty()) {
        *error = QStringLiteral("ser2net is not installed (./test.sh installs it; or apt-get install ser2net)");
        return false;
    }
    if (!m_dir.isValid()) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    // The free port is only free until someone takes it: try again on another.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (startOnce(program, device, error))
            return true;
    }
    return false;
}

bool SerialServer::startOnce(const QString &program, const QString &device, QString *error)
{
    m_port = freePort();
    const QString config = m_dir.filePath(QStringLiteral("ser2net.yaml"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = config + QStringLiteral(": ") + file.errorString();
        return false;
    }
    QString accepter = QStringLiteral("tcp,127.0.0.1,%1").arg(m_port);
    if (!m_offer.certificate.isEmpty())
        accepter.prepend(QStringLiteral("ssl(key=%1,cert=%2),").arg(m_offer.key, m_offer.certificate));
    if (m_offer.rfc2217)
        accepter.prepend(QStringLiteral("telnet(rfc2217),"));
    file.write(QStringLiteral("connection: &sign\n"
                              "    accepter: %1\n"
                              "    connector: serialdev,%2,9600n81,local\n")
                   .arg(accepter, device)
                   .toLocal8Bit());
    file.close();
    // Not detached, debug output to standard output, no UUCP lock files left behind.
    return startListening(m_process, program,
                          {QStringLiteral("-n"), QStringLiteral("-d"), QStringLiteral("-u"), QStringLiteral("-c"), config},
                          m_port, error);
}

void SerialServer::kill()
{
    m_process.kill();
    m_process.waitForFinished(3000);
}

} // namespace testsupport
