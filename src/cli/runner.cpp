#include "cli/runner.h"

#include "cli/jsoninput.h"
#include "cli/ledinput.h"
#include "cli/report.h"
#include "cli/commands/commands.h"
#include "cli/signcommand.h"
#include "config/configdiff.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QThread>

#include <memory>
#include <vector>

namespace cli {

namespace {

QString resultName(ExitCode code)
{
    switch (code) {
    case ExitCode::Done: return QStringLiteral("ok");
    case ExitCode::Differences: return QStringLiteral("differences");
    case ExitCode::Usage: return QStringLiteral("usage");
    case ExitCode::PortFailed: return QStringLiteral("port-error");
    case ExitCode::NoAnswer: return QStringLiteral("no-answer");
    case ExitCode::FileError: return QStringLiteral("file-error");
    }
    return {};
}

void print(const Options &options, const SignResult &result, QTextStream &out)
{
    if (options.json) {
        QJsonObject object = result.json;
        object.insert(QStringLiteral("port"), result.port);
        object.insert(QStringLiteral("command"), commandName(options.command));
        object.insert(QStringLiteral("result"), resultName(result.code));
        object.insert(QStringLiteral("exitCode"), int(result.code));
        object.insert(QStringLiteral("message"), result.message);
        out << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
    } else {
        out << result.port << ": " << result.message << '\n';
        for (const QString &line : result.details)
            out << line << '\n';
    }
    out.flush();
}

int diffFiles(const Options &options, const LedInput &here, const LedInput &other, QTextStream &out)
{
    const QList<config::ConfigDifference> differences =
        config::compareConfigurations(config::comparedFromLedFile(other.record), config::comparedFromLedFile(here.record),
                                      config::comparisonLists(here.model));
    SignResult result;
    result.port = other.path;
    result.code = differences.isEmpty() ? ExitCode::Done : ExitCode::Differences;
    result.message = differences.isEmpty()        ? QStringLiteral("no differences from %1").arg(here.path)
                     : differences.size() == 1 ? QStringLiteral("1 difference from %1").arg(here.path)
                                               : QStringLiteral("%1 differences from %2").arg(differences.size()).arg(here.path);
    for (const config::ConfigDifference &d : differences)
        result.details << QStringLiteral("  ") + differenceText(d, QStringLiteral("in ") + other.path,
                                                                QStringLiteral("in ") + here.path);
    result.json.insert(QStringLiteral("file"), here.path);
    result.json.insert(QStringLiteral("differences"), differencesJson(differences));
    print(options, result, out);
    return int(result.code);
}

// Every sign at once, each in a thread of its own; results in --port order, each as soon as
// it and those before it are done.
int runOnSigns(std::shared_ptr<const Task> task, Streams streams)
{
    struct Sign {
        std::unique_ptr<QThread> thread;
        std::unique_ptr<SignCommand> command;
        bool done = false;
    };
    std::vector<Sign> signs;
    QEventLoop loop;
    std::size_t printed = 0;
    std::size_t running = 0;
    int status = int(ExitCode::Done);

    for (const PortSpec &port : task->options.ports) {
        Sign sign;
        sign.thread = std::make_unique<QThread>();
        sign.command = makeCommand(task, port);
        sign.command->moveToThread(sign.thread.get());
        signs.push_back(std::move(sign));
    }
    for (std::size_t k = 0; k < signs.size(); ++k) {
        SignCommand *command = signs[k].command.get();
        QThread *thread = signs[k].thread.get();
        QObject::connect(thread, &QThread::started, command, &SignCommand::start);
        if (streams.showProgress) {
            const QString label = command->result().port;
            QObject::connect(command, &SignCommand::progress, &loop, [&streams, label](const QString &text) {
                streams.err << label << ": " << text << "...\n";
                streams.err.flush();
            });
        }
        QObject::connect(command, &SignCommand::finished, &loop, [&, k] {
            signs[k].done = true;
            signs[k].thread->quit();
            while (printed < signs.size() && signs[printed].done) {
                const SignResult &result = signs[printed].command->result();
                print(task->options, result, streams.out);
                status = std::max(status, int(result.code));
                ++printed;
            }
            if (--running == 0)
                loop.quit();
        });
    }
    running = signs.size();
    for (Sign &sign : signs)
        sign.thread->start();
    if (running > 0)
        loop.exec();
    for (Sign &sign : signs)
        sign.thread->wait();
    return status;
}

} // namespace

int run(const Options &options, Streams streams)
{
    if (options.command == Command::Ports)
        return commands::listPorts(options, streams.out);

    auto task = std::make_shared<Task>();
    task->options = options;
    if (options.jsonInput) {
        // Read and checked before any port is opened, as a file is.
        QFile input;
        QByteArray bytes;
        if (input.open(stdin, QIODevice::ReadOnly)) {
            // To its end, but one byte past the limit at most: more is refused whole.
            while (bytes.size() <= LargestJsonInput) {
                const QByteArray chunk = input.read(LargestJsonInput + 1 - bytes.size());
                if (chunk.isEmpty())
                    break;
                bytes += chunk;
            }
        }
        const JsonInputResult parsed = parseJsonInput(bytes);
        if (!parsed.input) {
            streams.err << "signconfig-cli: " << parsed.error << '\n';
            return int(ExitCode::FileError);
        }
        task->json = parsed.input;
    } else if (options.command == Command::Write || options.command == Command::Diff) {
        // Read and checked before any port is opened: a bad file sends nothing to any sign.
        const LedInputResult loaded = loadLedFile(options.file);
        if (loaded.error) {
            streams.err << "signconfig-cli: " << loaded.error->text() << '\n';
            return int(ExitCode::FileError);
        }
        task->file = loaded.input;
        if (!options.otherFile.isEmpty()) {
            const LedInputResult other = loadLedFile(options.otherFile);
            if (other.error) {
                streams.err << "signconfig-cli: " << other.error->text() << '\n';
                return int(ExitCode::FileError);
            }
            return diffFiles(options, *loaded.input, *other.input, streams.out);
        }
    }
    return runOnSigns(task, streams);
}

} // namespace cli
