// Reading a full configuration dump, alone and into the main window (target: under 5 ms).
#include "mainwindowfixture.h"

#include "protocol/configdump.h"


#include <benchmark/benchmark.h>

namespace {

// A dump as long as a sign sends: sixteen triples with ten-digit capcodes.
QString fullDump()
{
    QStringList fields;
    for (int n = 0; n < 5; ++n)
        fields << QStringLiteral("65,66,67,50,49,51,21,30").split(u',');
    for (int j = 0; j < 16; ++j)
        fields << QString::number(j % 8) << QString::number(1000000000 + j * 7919) << QString::number(j % 5);
    fields << QStringLiteral("1") << QStringLiteral("RESET");
    return QStringLiteral("RW2290,41:") + fields.join(u',');
}

void ReadDump(benchmark::State &state)
{
    const QString dump = fullDump();
    for (auto _ : state)
        benchmark::DoNotOptimize(protocol::readConfigDump(dump));
}
BENCHMARK(ReadDump);

void FillMainWindow(benchmark::State &state)
{
    testsupport::MainWindowHarness harness;
    const QString dump = fullDump();
    for (auto _ : state)
        harness.window->applyConfigDump(dump);
    state.SetLabel("dump of " + std::to_string(dump.size()) + " characters");
}
BENCHMARK(FillMainWindow)->Unit(benchmark::kMillisecond);

} // namespace
