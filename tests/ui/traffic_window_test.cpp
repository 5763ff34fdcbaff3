// The traffic view: what the connections report, shown in order, bounded, and kept out of the
// way of the windows.
#include "ui/traffic/signtrafficwindow.h"
#include "mainwindowdriving.h"
#include "ui/traffic/traffictablemodel.h"

#include "dumps.h"
#include "fakeuiservices.h"
#include "mainwindowfixture.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTemporaryDir>

namespace {

using signlink::TrafficRow;
using ui::TrafficTableModel;

TrafficRow row(const QByteArray &bytes, TrafficRow::Direction direction = TrafficRow::Direction::Received)
{
    return {0, 0, QStringLiteral("COM 1"), direction, bytes, {}};
}

TEST(TrafficModel, KeepsTheNewestRowsUpToItsCap)
{
    signlink::TrafficLog log;
    TrafficTableModel model;
    QObject::connect(&log, &signlink::TrafficLog::rowRecorded, &model, &TrafficTableModel::add);
    log.listen();
    const int total = int(TrafficTableModel::MaxRows) + 750;
    for (int n = 0; n < total; ++n) {
        log.record(row(QByteArray::number(n)));
        if (n % 5000 == 0)
            model.flush();
    }
    model.flush();
    ASSERT_EQ(model.rowCount(), TrafficTableModel::MaxRows);
    EXPECT_EQ(model.row(0).bytes, QByteArray::number(total - TrafficTableModel::MaxRows));
    EXPECT_EQ(model.row(model.rowCount() - 1).bytes, QByteArray::number(total - 1));
}

TEST(TrafficModel, PausedKeepsNothingHexShowsBytesAndMeaningsComeLater)
{
    signlink::TrafficLog log;
    TrafficTableModel model;
    QObject::connect(&log, &signlink::TrafficLog::rowRecorded, &model, &TrafficTableModel::add);
    QObject::connect(&log, &signlink::TrafficLog::rowExplained, &model, &TrafficTableModel::explain);
    log.listen();
    log.record(row("done"));
    model.flush();
    log.explainLastReceived(QStringLiteral("COM 1"), QStringLiteral("Upload Successfull"));
    EXPECT_EQ(model.data(model.index(0, TrafficTableModel::Meaning)).toString(), QStringLiteral("Upload Successfull"));

    model.setPaused(true);
    log.record(row("lost"));
    model.setPaused(false);
    log.record(row("\xAA\r"));
    model.flush();
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.data(model.index(1, TrafficTableModel::Text)).toString(), QStringLiteral("<line break><CR>"));
    model.setHex(true);
    EXPECT_EQ(model.data(model.index(1, TrafficTableModel::Text)).toString(), QStringLiteral("AA 0D"));
}

TEST(TrafficWindow, ListensOnlyWhileShownAndFiltersCopiesAndSaves)
{
    signlink::TrafficLog log;
    testsupport::FakeUiServices services;
    log.record(row("<FD>\r", TrafficRow::Direction::Sent));
    {
        ui::SignTrafficWindow window(log, services);
        EXPECT_FALSE(log.hasListeners());
        window.show();
        EXPECT_TRUE(log.hasListeners());
        // What came before the window opened is there too.
        log.record(row("done"));
        log.record(row("error"));
        window.model().flush();
        ASSERT_EQ(window.model().rowCount(), 3);

        window.findChild<QLineEdit *>(QStringLiteral("TrafficFilter"))->setText(QStringLiteral("ERR"));
        const QString shown = window.rowsAsText(false);
        EXPECT_EQ(shown.count(QLatin1Char('\n')), 1);
        EXPECT_TRUE(shown.contains(QStringLiteral("\treceived\terror\t"))) << shown.toStdString();

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("traffic.txt"));
        services.nextFileNames.push_back(path);
        window.findChild<QPushButton *>(QStringLiteral("TrafficSave"))->click();
        QFile saved(path);
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromUtf8(saved.readAll()), shown);

        window.hide();
        EXPECT_FALSE(log.hasListeners());
        window.show();
    }
    EXPECT_FALSE(log.hasListeners());
}

// Through the main window: Tools > Sign Traffic shows its connection's conversation, with what
// the tool made of each line, in the order it happened.
class TrafficThroughTheMainWindow : public ::testing::Test {
protected:
    ui::SignTrafficWindow &openTraffic()
    {
        w.signTraffic->trigger();
        auto *window = w.findChild<ui::SignTrafficWindow *>();
        EXPECT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());
        return *window;
    }
    QList<TrafficRow> shownRows(ui::SignTrafficWindow &window)
    {
        window.model().flush();
        QList<TrafficRow> rows;
        for (int n = 0; n < window.model().rowCount(); ++n)
            rows << window.model().row(n);
        return rows;
    }

    testsupport::MainWindowHarness h;
    ui::KestrovanMain &w = *h.window;
};

TEST_F(TrafficThroughTheMainWindow, AnUploadShowsItsRowsInOrderWithDirectionsAndMeanings)
{
    w.DownloadAll_Click();
    h.mainPort().feedNow(testdumps::sampleDump().toLatin1() + "\n");
    w.ComClose_Timer();
    ui::SignTrafficWindow &traffic = openTraffic();
    w.TimeoutP2->setText(QStringLiteral("99"));
    w.UploadAll_Click();
    testsupport::uploadTick(w);
    h.mainPort().feedNow("error\n");
    while (w.UploadTimer.isActive())
        testsupport::uploadTick(w);

    const QList<TrafficRow> rows = shownRows(traffic);
    ASSERT_EQ(rows.size(), 4);
    using D = TrafficRow::Direction;
    EXPECT_EQ(rows[0].direction, D::Sent);
    EXPECT_EQ(rows[0].bytes, QByteArray("DOWNLOAD_ALL\r"));
    EXPECT_EQ(rows[0].source, QStringLiteral("COM 1"));
    EXPECT_EQ(rows[1].direction, D::Received);
    EXPECT_EQ(rows[1].meaning, QStringLiteral("configuration of model RW2290, build 41"));
    EXPECT_EQ(rows[2].direction, D::Sent);
    EXPECT_TRUE(rows[2].bytes.startsWith("<DF pr=2 ")) << rows[2].bytes.toStdString();
    EXPECT_EQ(rows[3].direction, D::Received);
    EXPECT_EQ(rows[3].bytes, QByteArray("error"));
    EXPECT_EQ(rows[3].meaning, QStringLiteral("refused: Priority 2 stays marked for the next upload"));

    // The support report has the same rows, the configuration the sign holds and every port.
    const QString report = session::supportReportText(w.supportReport());
    EXPECT_TRUE(report.contains(QStringLiteral("From COM 1, model RW2290:"))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("\tsent\tDOWNLOAD_ALL<CR>\t")));
    EXPECT_TRUE(report.contains(QStringLiteral("\treceived\terror\trefused: Priority 2")));
    EXPECT_TRUE(report.contains(QStringLiteral("\nCOM12\t")));
    EXPECT_TRUE(report.contains(QStringLiteral("\nTLS: OpenSSL "))) << report.toStdString();
}

TEST_F(TrafficThroughTheMainWindow, IsAWindowOfItsOwnOnTheScreen)
{
    w.show();
    ui::SignTrafficWindow &traffic = openTraffic();
    // Announced as a window with its title, not as a part of another one.
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&traffic);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Window);
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("Sign Traffic"));
    EXPECT_TRUE(traffic.screen()->availableGeometry().contains(traffic.frameGeometry()));
}

TEST_F(TrafficThroughTheMainWindow, ASignSendingAMegabyteWithoutALineFeedGivesOneBoundedRow)
{
    ui::SignTrafficWindow &traffic = openTraffic();
    w.DownloadAll_Click();
    const QByteArray chunk(4096, 'x');
    for (int n = 0; n < 256; ++n)
        h.mainPort().feedNow(chunk);
    h.mainPort().feedNow("\ndone\n");
    w.ComClose_Timer();

    const QList<TrafficRow> rows = shownRows(traffic);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[1].direction, TrafficRow::Direction::Dropped);
    EXPECT_LE(rows[1].bytes.size(), 80);
    EXPECT_EQ(rows[2].bytes, QByteArray("done"));
    qsizetype held = 0;
    for (const TrafficRow &row : h.traffic.recentRows())
        held += row.bytes.size();
    EXPECT_LT(held, 1024);
}

} // namespace
