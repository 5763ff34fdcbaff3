// signconfig-cli as a script runs it: its start-up without a display (target: under 30 ms), and
// "read" of 1, 4 and 8 simulated signs at 9600 baud (--pace) at once (targets: one sign within
// 1.2x the dump's wire time plus the start-up, eight within 1.3x one). The counters give the
// dump's wire time, so the ratio can be read off. Run build/bench_cli.
#include "signsimulator.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

bool runCli(const QStringList &arguments, QByteArray *log = nullptr)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (log)
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("signconfig.link.debug=true"));
    // No display at all, as under cron or a systemd timer.
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(SIGNCONFIG_CLI), arguments);
    const bool ok =
        process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (log)
        *log = process.readAllStandardError();
    return ok;
}

void BM_CliStartUp(benchmark::State &state)
{
    for (auto _ : state) {
        if (!runCli({QStringLiteral("--version")})) {
            state.SkipWithError("signconfig-cli --version failed");
            return;
        }
    }
}
BENCHMARK(BM_CliStartUp)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CliReadSigns(benchmark::State &state)
{
    if (qEnvironmentVariableIsEmpty("SIGNSIM"))
        qputenv("SIGNSIM", SIGNSIM_PATH);
    std::vector<std::unique_ptr<testsupport::SignSimulator>> signs;
    QStringList arguments{QStringLiteral("read")};
    for (int k = 0; k < state.range(0); ++k) {
        auto sim = std::make_unique<testsupport::SignSimulator>();
        QString error;
        if (!sim->start({QStringLiteral("--pace")}, &error)) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        arguments << QStringLiteral("-p") << sim->device();
        signs.push_back(std::move(sim));
    }
    for (auto _ : state) {
        if (!runCli(arguments)) {
            state.SkipWithError("signconfig-cli read failed");
            return;
        }
    }
    // The dump's time on the wire, from the link's own log of one more read: 10 bits a byte at
    // 9600 baud, its line feed included.
    QByteArray log;
    runCli({QStringLiteral("read"), QStringLiteral("-p"), signs.front()->device()}, &log);
    qsizetype longest = 0;
    for (const QByteArray &line : log.split('\n'))
        if (line.contains("<-"))
            longest = std::max(longest, line.size() - line.indexOf("<-") - 5);  // the quotes around it
    state.counters["signs"] = double(state.range(0));
    state.counters["dump_wire_ms"] = double(longest + 1) * 10.0 / 9.6;
}
BENCHMARK(BM_CliReadSigns)->Arg(1)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace
