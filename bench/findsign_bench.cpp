// Find Sign with no device on any of the twelve COM numbers (target: under 1 s), from the
// inventory to the end of the search, and the inventory alone, which the Ports dialog takes
// about once a second while it is open. Run build/bench_findsign.
#include "link/mappedsignport.h"
#include "link/portinventory.h"
#include "session/signfinder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// A port map folder whose twelve entries all point at unplugged adapters.
struct UnpluggedMap {
    QTemporaryDir dir;
    QString folder = dir.path() + QStringLiteral("/ports");

    bool make()
    {
        if (!dir.isValid() || !QDir().mkpath(folder))
            return false;
        for (int com = 1; com <= 12; ++com) {
            if (!QFile::link(dir.filePath(QStringLiteral("gone%1").arg(com)), folder + QStringLiteral("/COM%1").arg(com)))
                return false;
        }
        return true;
    }
};

void FindSignNothingPresent(benchmark::State &state)
{
    UnpluggedMap map;
    if (!map.make()) {
        state.SkipWithError("no temporary port map");
        return;
    }
    const signlink::PortMap ports(map.folder);
    session::SignFinder finder([&ports] { return std::make_unique<signlink::MappedSignPort>(ports); });
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        finder.start(signlink::portInventory(ports));
        while (finder.isRunning())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        if (finder.results().size() != 12) {
            state.SkipWithError("the search did not report twelve ports");
            return;
        }
    }
}
BENCHMARK(FindSignNothingPresent)->UseManualTime()->Unit(benchmark::kMillisecond);

void InventoryOfTheSystem(benchmark::State &state)
{
    const signlink::PortMap ports;
    for (auto _ : state)
        benchmark::DoNotOptimize(signlink::portInventory(ports));
}
BENCHMARK(InventoryOfTheSystem)->Unit(benchmark::kMillisecond);

} // namespace
