// "Download from Sign" against the simulated sign on a pseudo-terminal, behind its own raw TCP
// port, and behind ser2net in RFC 2217 mode (target: the network within 10 % of the
// pseudo-terminal); and behind ser2net passing the bytes as they are, in plain text and inside
// TLS, and RFC 2217 inside TLS, with a certificate openssl makes at the start (target: TLS within
// 10 % of the same server in plain text, the handshake included, as every download opens the
// port afresh). Measured with the sign at 9600 baud (--pace) and answering at once, both until
// the dump is shown and until the button is back. Run build/bench_network.
#include "comonesign.h"
#include "rununtil.h"
#include "fakeuiservices.h"
#include "portentryfile.h"
#include "serialserver.h"
#include "testcertificates.h"

#include "link/mappedsignport.h"
#include "ui/main/kestrovanmain.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>

#include <benchmark/benchmark.h>


namespace {

enum Line { Pty, RawTcp, Rfc2217, Ser2netRaw, Tls, Rfc2217Tls };
enum Until { DumpShown, ButtonBack };

using bench::runUntil;

// The simulated sign on the given line, reached as COM number `com`.
struct SignOnLine {
    testsupport::ComOneSign com1;
    testsupport::SerialServer server;
    testsupport::TestCertificates certificates;
    int com = 1;

    bool start(Line line, bool paced, QString *error)
    {
        if (qEnvironmentVariableIsEmpty("SIGNSIM"))
            qputenv("SIGNSIM", SIGNSIM_PATH);
        QStringList arguments;
        if (paced)
            arguments << QStringLiteral("--pace");
        if (line == RawTcp)
            arguments << QStringLiteral("--tcp") << QStringLiteral("0");
        if (!com1.start(arguments, error))
            return false;
        if (line == Pty || line == RawTcp)
            return true;
        com = 2;
        testsupport::SerialServer::Offer offer;
        offer.rfc2217 = line == Rfc2217 || line == Rfc2217Tls;
        QString parameters;
        if (line == Tls || line == Rfc2217Tls) {
            if (!certificates.make(error))
                return false;
            offer.certificate = certificates.pem(QStringLiteral("server"));
            offer.key = certificates.key(QStringLiteral("server"));
            parameters = QStringLiteral("?ca=") + certificates.pem(QStringLiteral("ca"));
        }
        return server.start(com1.sim.device(), error, offer)
               && testsupport::writePortEntry(com1.xdg.path() + QStringLiteral("/signconfig/ports"), 2,
                                              (server.address() + parameters).toUtf8());
    }
};

void Download(benchmark::State &state)
{
    const auto line = Line(state.range(0));
    const bool paced = state.range(1) != 0;
    const auto until = Until(state.range(2));
    SignOnLine sign;
    QString error;
    if (!sign.start(line, paced, &error)) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    testsupport::FakeUiServices services;
    const std::unique_ptr<ui::KestrovanMain> window = testsupport::ComOneSign::mainWindow(services);
    window->ComportsList->setCurrentIndex(sign.com - 1);
    const auto buttonBack = [&] { return window->DownloadAll->isEnabled() && !window->signPort().isOpen(); };

    for (auto _ : state) {
        window->LEDSignModel->clear();
        QElapsedTimer clock;
        clock.start();
        window->DownloadAll->click();
        const bool done = until == DumpShown ? runUntil([&] { return !window->LEDSignModel->text().isEmpty(); }, 5000)
                                             : runUntil(buttonBack, 5000);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        if (!done || !runUntil(buttonBack, 5000) || window->LEDSignModel->text().isEmpty()) {
            state.SkipWithError("the download did not finish");
            return;
        }
    }
}
BENCHMARK(Download)
    ->ArgNames({"line", "paced", "until"})
    ->ArgsProduct({{Pty, RawTcp, Rfc2217, Ser2netRaw, Tls, Rfc2217Tls}, {1, 0}, {DumpShown, ButtonBack}})
    ->UseManualTime()
    ->Iterations(8)
    ->Unit(benchmark::kMillisecond);

// Opening and closing the port alone, as every action of the windows does.
void OpenAndClose(benchmark::State &state)
{
    SignOnLine sign;
    QString error;
    if (!sign.start(Line(state.range(0)), false, &error)) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    signlink::MappedSignPort port;
    port.setCommPort(sign.com);
    for (auto _ : state) {
        const signlink::OpenResult result = port.open();
        if (!result.ok()) {
            state.SkipWithError(result.description.toStdString().c_str());
            return;
        }
        port.close();
        // Lets the server see the close before the next opening.
        QCoreApplication::processEvents();
    }
}
BENCHMARK(OpenAndClose)->ArgNames({"line"})->DenseRange(Pty, Rfc2217Tls)->Unit(benchmark::kMillisecond);

} // namespace
