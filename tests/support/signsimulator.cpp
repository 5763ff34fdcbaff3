#include "signsimulator.h"

#include <QDeadlineTimer>
#include <QFile>

namespace testsupport {

SignSimulator::~SignSimulator()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(1000);
    }
}

bool SignSimulator::start(const QStringList &arguments, QString *error)
{
    const QString program = qEnvironmentVariable("SIGNSIM");
    if (program.isEmpty()) {
        *error = QStringLiteral("SIGNSIM is not set: run the tests through ctest");
        return false;
    }
    if (!m_dir.isValid()) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    m_process.setProgram(program);
    m_process.setArguments(arguments + QStringList{QStringLiteral("--state"), m_dir.filePath(QStringLiteral("state"))});
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start();
    if (!m_process.waitForStarted(5000)) {
        *error = QStringLiteral("%1 did not start: %2").arg(program, m_process.errorString());
        return false;
    }
    const QDeadlineTimer deadline(10000);
    while (!m_pending.contains('\n') && !deadline.hasExpired()) {
        if (!m_process.waitForReadyRead(int(deadline.remainingTime()))) {
            if (m_process.state() != QProcess::Running)
                break;
            continue;
        }
        m_pending += m_process.readAllStandardOutput();
    }
    const qsizetype lf = m_pending.indexOf('\n');
    if (lf < 0) {
        *error = QStringLiteral("%1 printed no device path (exit code %2)").arg(program).arg(m_process.exitCode());
        return false;
    }
    m_device = QString::fromLocal8Bit(m_pending.left(lf));
    m_pending.remove(0, lf + 1);
    return true;
}

QString SignSimulator::writeFile(const QString &name, const QByteArray &text)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
    return path;
}

QMap<QString, QString> SignSimulator::state() const
{
    QMap<QString, QString> values;
    QFile file(m_dir.filePath(QStringLiteral("state")));
    if (!file.open(QIODevice::ReadOnly))
        return values;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0 && !line.startsWith('#'))
            values.insert(QString::fromLatin1(line.left(eq)), QString::fromLatin1(line.mid(eq + 1)));
    }
    return values;
}

QStringList SignSimulator::commands()
{
    readOutput();
    return m_commands;
}

QStringList SignSimulator::sent()
{
    readOutput();
    return m_sent;
}

void SignSimulator::readOutput()
{
    m_pending += m_process.readAllStandardOutput();
    qsizetype lf;
    while ((lf = m_pending.indexOf('\n')) >= 0) {
        const QByteArray line = m_pending.left(lf);
        m_pending.remove(0, lf + 1);
        if (line.startsWith("< "))
            m_commands.append(QString::fromLatin1(line.mid(2)));
        else if (line.startsWith("> "))
            m_sent.append(QString::fromLatin1(line.mid(2)));
    }
}

} // namespace testsupport
