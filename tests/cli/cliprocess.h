// signconfig-cli run as a real process, as a script runs it.
#pragma once

#include "signsimulator.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace clitest {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
    QStringList lines() const { return out.split(u'\n', Qt::SkipEmptyParts); }
};

// The folder the program keeps its data in for this test run (XDG_DATA_HOME): the backups each
// write makes go there, not to the home of whoever runs the tests. Gone when the run ends.
inline QString dataHome()
{
    static const QTemporaryDir folder;
    return folder.path();
}

// The environment the program runs in: this process's, with the data folder above.
inline QProcessEnvironment cliEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
    return environment;
}

// Runs the program to its end (or kills it after a minute, which fails the test by its exit code),
// with `input` on its standard input.
inline CliRun runCli(const QStringList &arguments, const QProcessEnvironment &environment = cliEnvironment(),
                     const QByteArray &input = {})
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(SIGNCONFIG_CLI), arguments);
    process.write(input);
    process.closeWriteChannel();
    CliRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

inline CliRun runCliWith(const QByteArray &input, const QStringList &arguments)
{
    return runCli(arguments, cliEnvironment(), input);
}

// Commands the sign received that are not requests for its configuration.
inline QStringList changingCommands(const QStringList &commands)
{
    QStringList changing;
    for (const QString &command : commands)
        if (command != QStringLiteral("DOWNLOAD_ALL"))
            changing << command;
    return changing;
}

} // namespace clitest
