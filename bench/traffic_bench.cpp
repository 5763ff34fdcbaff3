// A sign that sends a line every millisecond to the main window's open connection, with the
// main window shown and the Sign Traffic window open (with and without a filter) or closed
// (targets: the event loop never stalls for 50 ms or more; resident memory flat once the traffic
// view holds its 20,000 rows). The flood runs until the view's cap is reached and then 10 s more
// (FLOOD_AFTER_CAP_S=n for n s). The sign is a fake port fed from a timer in this process, or the
// simulated sign (signsim --babble 1) on a pseudo-terminal. Run build/bench_traffic; Flood's
// figures are its counters:
//   stall_ms      the longest lateness of a 5 ms timer over the whole flood
//   stall_cap_ms  the same over the 10 s after the cap was reached
//   rss_cap_MiB   resident memory when the cap was reached; rss_end_MiB 10 s later
//   lines         lines received; rows: rows the traffic view holds at the end
// FullView times what the operator does to a full view (filter keystroke, hex toggle, copy of all
// rows, closing and opening the window): each is a stall of the windows.
#include "comonesign.h"
#include "fakesignport.h"
#include "fakeuiservices.h"
#include "rununtil.h"

#include "link/traffic.h"
#include "ui/main/kestrovanmain.h"
#include "ui/traffic/signtrafficwindow.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>

namespace {

enum Sign { FakePort, Simulator };

// FLOOD_AFTER_CAP_S makes the second part longer, to tell a slow leak from noise.
int afterCapMs()
{
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("FLOOD_AFTER_CAP_S", &ok);
    return ok && seconds > 0 ? seconds * 1000 : 10000;
}
constexpr int ProbeMs = 5;

double residentMiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? double(fields[1].toLongLong()) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

// How late a timer that wants to run every ProbeMs comes, at worst.
class StallProbe {
public:
    StallProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(ProbeMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_worst = std::max(m_worst, now - m_last - qint64(ProbeMs) * 1000000);
            m_last = now;
        });
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    // Starts a new worst case.
    void reset() { m_worst = 0; }
    double worstMs() const { return double(m_worst) / 1e6; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_worst = 0;
};

// A line every millisecond into a fake port: what is due by the clock is fed, so that a stall of
// this process makes lines pile up as on a real line rather than slowing the sign down.
class FakeFlood {
public:
    explicit FakeFlood(testsupport::FakeSignPort &port) : m_port(port)
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QByteArray due;
            for (const qint64 until = m_clock.elapsed(); m_sent < until; ++m_sent)
                due += "babble " + QByteArray::number(m_sent + 1) + '\n';
            if (!due.isEmpty())
                m_port.feedNow(due);
        });
        m_clock.start();
        m_timer.start();
    }

private:
    testsupport::FakeSignPort &m_port;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_sent = 0;
};

using bench::runUntil;

quint64 rowsRecorded(const signlink::TrafficLog &log)
{
    const QList<signlink::TrafficRow> recent = log.recentRows();
    return recent.isEmpty() ? 0 : recent.last().serial;
}

void Flood(benchmark::State &state)
{
    const auto sign = Sign(state.range(0));
    const bool trafficOpen = state.range(1) != 0;
    const bool filtered = state.range(2) != 0;
    signlink::TrafficLog log;
    testsupport::ComOneSign com1;
    testsupport::FakeUiServices services;
    testsupport::FakeSignPort *fakePort = nullptr;
    std::unique_ptr<ui::KestrovanMain> window;
    if (sign == Simulator) {
        if (qEnvironmentVariableIsEmpty("SIGNSIM"))
            qputenv("SIGNSIM", SIGNSIM_PATH);
        QString error;
        if (!com1.start({QStringLiteral("--babble"), QStringLiteral("1")}, &error)) {
            state.SkipWithError(error.toStdString().c_str());
            return;
        }
        window = testsupport::ComOneSign::mainWindow(services, &log);
    } else {
        window = std::make_unique<ui::KestrovanMain>(
            [&log, &fakePort] {
                auto port = std::make_unique<testsupport::FakeSignPort>();
                port->setTrafficLog(&log);
                if (!fakePort)
                    fakePort = port.get();
                return port;
            },
            services);
    }
    window->show();
    ui::SignTrafficWindow *traffic = nullptr;
    if (trafficOpen) {
        window->signTraffic->trigger();
        traffic = window->findChild<ui::SignTrafficWindow *>();
        // In hex, only the lines whose number holds "55": every column of every row that comes is
        // rendered to be matched, and few are shown.
        if (traffic && filtered) {
            traffic->findChild<QLineEdit *>(QStringLiteral("TrafficFilter"))->setText(QStringLiteral("35 35"));
            traffic->findChild<QCheckBox *>(QStringLiteral("TrafficHex"))->setChecked(true);
        }
    }
    // The main window's own connection, held open for the whole flood.
    window->signPort().setCommPort(1);
    if (!window->signPort().open().ok() || (trafficOpen && !traffic)) {
        state.SkipWithError("the main window's port did not open");
        return;
    }

    const auto capReached = [&] {
        return rowsRecorded(log) >= quint64(ui::TrafficTableModel::MaxRows)
               && (!traffic || traffic->model().rowCount() == ui::TrafficTableModel::MaxRows);
    };
    double stallMs = 0, stallCapMs = 0, rssCap = 0, rssEnd = 0;
    quint64 lines = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        StallProbe probe;
        std::unique_ptr<FakeFlood> flood;
        if (fakePort)
            flood = std::make_unique<FakeFlood>(*fakePort);
        if (!runUntil(capReached, 120000)) {
            state.SkipWithError("the traffic view never reached its cap");
            return;
        }
        stallMs = probe.worstMs();
        rssCap = residentMiB();
        probe.reset();
        runUntil([] { return false; }, afterCapMs());
        stallCapMs = probe.worstMs();
        stallMs = std::max(stallMs, stallCapMs);
        rssEnd = residentMiB();
        lines = rowsRecorded(log);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
    if (!window->signPort().isOpen())
        state.SkipWithError("the connection was lost during the flood");
    state.counters["stall_ms"] = stallMs;
    state.counters["stall_cap_ms"] = stallCapMs;
    state.counters["rss_cap_MiB"] = rssCap;
    state.counters["rss_end_MiB"] = rssEnd;
    state.counters["lines"] = double(lines);
    state.counters["rows"] = traffic ? traffic->model().rowCount() : 0;
    window->signPort().close();
}
BENCHMARK(Flood)
    ->ArgNames({"signsim", "traffic_window", "filtered"})
    ->Args({FakePort, 1, 0})
    ->Args({FakePort, 1, 1})
    ->Args({FakePort, 0, 0})
    ->Args({Simulator, 1, 0})
    ->Args({Simulator, 1, 1})
    ->Args({Simulator, 0, 0})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

// What the operator does to a full view (20,000 rows, the newest shown), one action at a time,
// with every event it causes handled: each is one stall of the windows.
enum Action { FilterKeystroke, HexToggle, HexToggleFiltered, CopyAll, Reopen };

void FullView(benchmark::State &state)
{
    const auto action = Action(state.range(0));
    signlink::TrafficLog log;
    testsupport::FakeUiServices services;
    ui::SignTrafficWindow traffic(log, services);
    traffic.show();
    for (int n = 0; n < ui::TrafficTableModel::MaxRows; ++n)
        log.record({0, 0, QStringLiteral("COM 1"), signlink::TrafficRow::Direction::Received,
                    "babble " + QByteArray::number(n + 1), {}});
    traffic.model().flush();
    QCoreApplication::processEvents();
    auto *filter = traffic.findChild<QLineEdit *>(QStringLiteral("TrafficFilter"));
    auto *hex = traffic.findChild<QCheckBox *>(QStringLiteral("TrafficHex"));
    auto *table = traffic.findChild<QTableView *>(QStringLiteral("TrafficTable"));
    // "31" is in hex every row whose number holds a 1, as text those whose number holds 31: each
    // toggle adds or takes out rows scattered all over the view.
    if (action == HexToggleFiltered)
        filter->setText(QStringLiteral("31"));
    QCoreApplication::processEvents();
    int round = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        switch (action) {
        case FilterKeystroke:
            // "5", then "55", then back to nothing: a match, a narrower one, everything again.
            filter->setText(QStringLiteral("55").left(round % 3));
            break;
        case HexToggle:
        case HexToggleFiltered:
            hex->toggle();
            break;
        case CopyAll:
            table->selectAll();
            benchmark::DoNotOptimize(traffic.rowsAsText(true));
            break;
        case Reopen:
            traffic.hide();
            traffic.show();
            break;
        }
        QCoreApplication::processEvents();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        ++round;
    }
}
BENCHMARK(FullView)
    ->ArgName("action")
    ->DenseRange(FilterKeystroke, Reopen)
    ->UseManualTime()
    ->Iterations(6)
    ->Unit(benchmark::kMillisecond);

} // namespace
