#pragma once

#include <QMap>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace testsupport {

// The simulated sign (build/signsim, named by the SIGNSIM variable the test set-up provides) as a
// child process. It keeps its whole configuration in a state file that the test reads back.
class SignSimulator {
public:
    SignSimulator() = default;
    SignSimulator(const SignSimulator &) = delete;
    SignSimulator &operator=(const SignSimulator &) = delete;
    ~SignSimulator();

    // Starts it with `arguments` (plus its state file) and waits for the device path it prints.
    // False with `error` set when SIGNSIM is unset or the simulator does not come up.
    bool start(const QStringList &arguments, QString *error);

    QString device() const { return m_device; }
    // Writes `text` to a file in the simulator's folder and returns its path (for --config).
    QString writeFile(const QString &name, const QByteArray &text);

    // The configuration it holds now, key by key.
    QMap<QString, QString> state() const;
    // Every command it has received so far, in order.
    QStringList commands();
    // Every line it has sent so far, in order, as its log shows them (bytes outside 32-126 as \xNN).
    QStringList sent();
    // Forgets the commands received and lines sent so far (a long run keeps its own memory flat).
    void forgetCommands() { readOutput(); m_commands.clear(); m_sent.clear(); }
    bool isRunning() const { return m_process.state() == QProcess::Running; }

private:
    void readOutput();

    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_device;
    QByteArray m_pending;
    QStringList m_commands;
    QStringList m_sent;
};

} // namespace testsupport
