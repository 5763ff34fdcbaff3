// Comparing what the sign holds with the window's values (target: under 1 ms).
#include "config/configdiff.h"
#include "session/readback.h"

#include <QStringList>

#include <benchmark/benchmark.h>

namespace {

// A full dump of a QB7 sign (the longest lists) with sixteen ten-digit capcodes.
QString fullDump()
{
    QStringList fields;
    for (int n = 0; n < 5; ++n)
        fields << QStringLiteral("3,23,16,15,8,9,22,495").split(u',');
    for (int j = 0; j < 16; ++j)
        fields << QString::number(j % 8) << QString::number(1000000000 + j * 7919) << QString::number(j % 5);
    fields << QStringLiteral("1") << QStringLiteral("RESET");
    return QStringLiteral("QB7,12:") + fields.join(u',');
}

// Window values that differ from the dump in every field, so every line is built.
config::ConfigValues everythingDifferent()
{
    config::ConfigValues v;
    for (config::PriorityDefaults &row : v.priorities)
        row = {0, 0, 0, 0, 0, 0, 0, QStringLiteral("7")};
    for (int i = 0; i < config::LinkCount; ++i)
        v.links[i] = {QString::number(555000 + i), qint16((i + 1) % 5)};
    v.autoId = 0;
    v.userCommand = QStringLiteral("REBOOT");
    return v;
}

config::ComparedDefaultMessage message(const QString &text) { return {text, 0, 0, 0, 0, 0, 0}; }

// From the dump's text to the list of differences, the lists of the model included: what a
// read-back after an upload does.
void CompareDumpWithWindow(benchmark::State &state)
{
    const QString dump = fullDump();
    const config::ConfigValues here = everythingDifferent();
    qsizetype lines = 0;
    for (auto _ : state) {
        const protocol::ConfigDump read = protocol::readConfigDump(dump);
        const auto differences = config::compareConfigurations(
            config::comparedFromDump(read), config::comparedFromValues(here), config::comparisonLists(read.model));
        lines = differences.size();
        benchmark::DoNotOptimize(differences);
    }
    state.SetLabel(std::to_string(lines) + " differences");
}
BENCHMARK(CompareDumpWithWindow)->Unit(benchmark::kMicrosecond);

// The whole check after an upload, from the dump as read to the outcome with its sentences:
// what Verify After Upload adds to an upload besides the read itself.
void VerifyReadBack(benchmark::State &state)
{
    session::ReadBack readBack;
    readBack.comNumber = 1;
    readBack.lines = 1;
    readBack.dump = protocol::readConfigDump(fullDump());
    const config::ConfigValues meant = everythingDifferent();
    qsizetype lines = 0;
    for (auto _ : state) {
        const session::VerifyOutcome outcome = session::verifyReadBack(readBack, meant);
        QStringList texts;
        for (const config::ConfigDifference &d : outcome.differences)
            texts << d.text();
        lines = texts.size();
        benchmark::DoNotOptimize(texts);
    }
    state.SetLabel(std::to_string(lines) + " differences");
}
BENCHMARK(VerifyReadBack)->Unit(benchmark::kMicrosecond);

// The comparison alone, both sides and the lists ready, default messages included.
void CompareOnly(benchmark::State &state)
{
    const config::ComparedConfig sign = config::comparedFromDump(protocol::readConfigDump(fullDump()));
    config::ComparedConfig signWithMessage = sign;
    signWithMessage.defaultMessage = message(QStringLiteral("OPEN\r\n<hh:mm>"));
    const config::ComparedConfig here =
        config::comparedFromValues(everythingDifferent(), message(QStringLiteral("CLOSED\xAA\xAD")));
    const config::ComparisonLists lists = config::comparisonLists(QStringLiteral("QB7"));
    for (auto _ : state)
        benchmark::DoNotOptimize(config::compareConfigurations(signWithMessage, here, lists));
}
BENCHMARK(CompareOnly)->Unit(benchmark::kMicrosecond);

}  // namespace
