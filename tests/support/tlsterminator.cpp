#include "tlsterminator.h"

#include "serialserver.h"

#include <QStandardPaths>

namespace testsupport {

bool TlsTerminator::start(quint16 target, const Setup &setup, QString *error)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("socat"));
    if (program.isEmpty()) {
        *error = QStringLiteral("socat is not installed (./test.sh installs it; or apt-get install socat)");
        return false;
    }
    stop();
    // nodelay on both sides: a serial server passes each piece on as it comes, and Nagle's wait
    // against the peer's delayed acknowledgement would add tens of milliseconds to every reply.
    // The free port is only free until someone takes it: try again on another.
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_port = setup.port != 0 ? setup.port : freePort();
        QString listen = QStringLiteral("OPENSSL-LISTEN:%1,bind=127.0.0.1,reuseaddr,fork,nodelay,cert=%2,key=%3")
                             .arg(m_port)
                             .arg(setup.certificate, setup.key);
        listen += setup.clientCa.isEmpty() ? QStringLiteral(",verify=0") : QStringLiteral(",verify=1,cafile=") + setup.clientCa;
        if (startListening(m_process, program, {listen, QStringLiteral("TCP:127.0.0.1:%1,nodelay").arg(target)}, m_port, error))
            return true;
    }
    return false;
}

void TlsTerminator::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000))
        m_process.kill();
    m_process.waitForFinished(1000);
}

} // namespace testsupport
