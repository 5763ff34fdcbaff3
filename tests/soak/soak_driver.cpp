// A soak run: the real main window against the simulated sign for many rounds of Download from
// Sign, an edit, Upload to Sign and Force Upload, checking each round that the sign holds the
// edited configuration and sampling the resident memory. Not a ctest test: tests/soak/run.sh.
#include "fakeuiservices.h"
#include "signsimulator.h"

#include "link/serialsignport.h"
#include "ui/main/kestrovanmain.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <memory>

namespace {

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

bool idle(const ui::KestrovanMain &w)
{
    return !w.ComClose.isActive() && !w.UploadTimer.isActive() && w.DownloadAll->isEnabled()
           && w.UploadAll->isEnabled() && !w.signPort().isOpen();
}

bool waitIdle(const ui::KestrovanMain &w, int ms)
{
    return QTest::qWaitFor([&] { return idle(w); }, ms);
}

int fail(const char *what, int cycle)
{
    std::fprintf(stderr, "soak: round %d: %s\n", cycle, what);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 30;
    const QString curvePath = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (cycles < 11) {
        std::fprintf(stderr, "usage: soak_driver CYCLES [CURVE.csv]  (CYCLES >= 11)\n");
        return 2;
    }

    QTemporaryDir xdg;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(xdg.path()));
    // The backups made before each upload stay in the run's own folder.
    qputenv("XDG_DATA_HOME", QFile::encodeName(xdg.filePath(QStringLiteral("data"))));
    testsupport::SignSimulator sim;
    QString error;
    if (!sim.start({QStringLiteral("--link"), xdg.path() + QStringLiteral("/signconfig/ports/COM1")}, &error)) {
        std::fprintf(stderr, "soak: %s\n", qPrintable(error));
        return 1;
    }
    testsupport::FakeUiServices services;
    ui::KestrovanMain w([] { return std::make_unique<signlink::SerialSignPort>(); }, services);
    // The sequence itself is what is soaked, not its pace.
    w.UploadTimer.setInterval(20);

    QFile curve(curvePath);
    if (!curvePath.isEmpty() && curve.open(QIODevice::WriteOnly | QIODevice::Truncate))
        curve.write("round,rss_kib\n");

    long atTenth = 0;
    long last = 0;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        w.DownloadAll->click();
        if (!waitIdle(w, 5000))
            return fail("download did not finish", cycle);
        if (w.LEDSignModelNumber() != QStringLiteral("RW2290"))
            return fail("download did not fill the window", cycle);

        const QString timeout = QString::number(cycle % 300 + 1);
        const QString capcode = QString::number(2000000 + cycle);
        const int link = cycle % 8;
        w.priorityRows()[cycle % 5].timeout->setText(timeout);
        w.Capcode0[link]->setText(capcode);
        w.Pri0[link]->setCurrentIndex(cycle % 5);
        w.UploadAll->click();
        if (!waitIdle(w, 10000))
            return fail("upload did not finish", cycle);
        // The last command may still be on its way through the line when the port closes.
        const QString expectedLink = QStringLiteral("%1:%2").arg(cycle % 5).arg(capcode);
        QMap<QString, QString> state;
        const bool edited = QTest::qWaitFor([&] {
            state = sim.state();
            return state.value(QStringLiteral("pri%1").arg(cycle % 5)).endsWith(u',' + timeout)
                   && state.value(QStringLiteral("link%1").arg(link)) == expectedLink;
        }, 3000);
        if (!edited)
            return fail("the sign does not hold the edited timeout and link", cycle);

        const qsizetype before = sim.commands().size();
        w.ForceUpload->click();
        if (!waitIdle(w, 20000))
            return fail("force upload did not finish", cycle);
        // Fifteen items: seven commands and eight links, five of them with a removal first.
        if (!QTest::qWaitFor([&] { return sim.commands().size() >= before + 15; }, 3000))
            return fail("the sign did not receive the whole force upload", cycle);
        if (!QTest::qWaitFor([&] { return sim.state() == state; }, 3000))
            return fail("force upload changed what the sign holds", cycle);
        if (!services.messages.isEmpty())
            return fail(qPrintable(QStringLiteral("a message was shown: ") + services.messages.back().text), cycle);

        // What the simulator said is the harness's memory, not the tool's.
        sim.forgetCommands();
        QCoreApplication::processEvents();
        last = residentKiB();
        if (cycle == 10)
            atTenth = last;
        if (curve.isOpen()) {
            curve.write(QByteArray::number(cycle) + ',' + QByteArray::number(qlonglong(last)) + '\n');
            curve.flush();
        }
        std::printf("round %d: %ld KiB\n", cycle, last);
        std::fflush(stdout);
    }
    const long growth = last - atTenth;
    std::printf("resident memory: %ld KiB at round 10, %ld KiB at round %d, growth %ld KiB\n", atTenth, last,
                cycles, growth);
    if (growth > 2048) {
        std::fprintf(stderr, "soak: memory grew by more than 2 MB\n");
        return 1;
    }
    return 0;
}
