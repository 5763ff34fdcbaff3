// signconfig-cli: the sign work of the windows from a shell, for one sign or many at once.
#include "cli/cliargs.h"
#include "cli/runner.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("signconfig-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral("4.8b"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    const cli::Parsed parsed = cli::parseArguments(QCoreApplication::arguments().mid(1));
    switch (parsed.outcome) {
    case cli::Parsed::Outcome::Help:
        out << parsed.text;
        return int(cli::ExitCode::Done);
    case cli::Parsed::Outcome::Version:
        out << "signconfig-cli " << QCoreApplication::applicationVersion() << '\n';
        return int(cli::ExitCode::Done);
    case cli::Parsed::Outcome::Usage:
        err << "signconfig-cli: " << parsed.text << "\n\n" << cli::usageText();
        return int(cli::ExitCode::Usage);
    case cli::Parsed::Outcome::Run:
        break;
    }
    return cli::run(parsed.options, {out, err, ::isatty(STDERR_FILENO) == 1});
}
