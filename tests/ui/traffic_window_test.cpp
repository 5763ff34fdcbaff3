// The traffic view: what the connections report, shown in order, bounded, and kept out of the
// way of the windows.
#include "ui/traffic/signtrafficwindow.h"
#include "ui/traffic/traffictablemodel.h"

#include "fakeuiservices.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
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

} // namespace
