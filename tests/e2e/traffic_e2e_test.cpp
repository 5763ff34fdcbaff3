// Tools > Sign Traffic and Help > Save Support Report against the simulated sign over a real
// pseudo-terminal, with one traffic log on every port the windows make, as the program has.
#include "comonesign.h"
#include "fakeuiservices.h"
#include "mainwindowdriving.h"
#include "ptypair.h"
#include "qtprinters.h"
#include "signsimulator.h"

#include "link/traffic.h"
#include "ui/main/kestrovanmain.h"
#include "ui/testmsg/ledtestmessage.h"
#include "ui/traffic/signtrafficwindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableView>

namespace {

using signlink::TrafficRow;
using testsupport::waitUntil;

// A row as the operator reads it in the window: port, direction and text.
QString shownRow(const TrafficRow &row)
{
    return row.source + u' ' + signlink::directionText(row.direction) + u' ' + signlink::visibleText(row.bytes);
}

class TrafficE2E : public ::testing::Test {
protected:
    void startWith(const QStringList &arguments)
    {
        QString error;
        ASSERT_TRUE(com1.start(arguments, &error)) << error.toStdString();
        window = testsupport::ComOneSign::mainWindow(services, &log);
    }
    void TearDown() override { window.reset(); }

    ui::SignTrafficWindow *openTraffic()
    {
        window->signTraffic->trigger();
        return window->findChild<ui::SignTrafficWindow *>();
    }
    // The rows the window shows once `count` of them have come; fails on a different count.
    static QStringList rowsShown(ui::SignTrafficWindow &traffic, int count)
    {
        waitUntil([&] { return traffic.model().rowCount() >= count; }, 3000);
        QStringList rows;
        for (int r = 0; r < traffic.model().rowCount(); ++r)
            rows << shownRow(traffic.model().row(r));
        return rows;
    }

    signlink::TrafficLog log;  // outlives the window and its ports
    testsupport::ComOneSign com1;
    testsupport::SignSimulator &sim = com1.sim;
    testsupport::FakeUiServices services;
    std::unique_ptr<ui::KestrovanMain> window;
};

struct DownloadCase {
    const char *name;
    QStringList hostility;
    // The sign's answer as the window shows it: the one row after the request.
    TrafficRow::Direction answerDirection;
    QString answerStart;
    QString answerEnd;
    QString answerMeaning;  // checked when not empty
};

constexpr auto Received = TrafficRow::Direction::Received;

class TrafficDownload : public TrafficE2E, public ::testing::WithParamInterface<DownloadCase> {};

TEST_P(TrafficDownload, ShowsTheRequestAndTheAnswerInOrder)
{
    startWith(GetParam().hostility);
    ASSERT_TRUE(window->signTraffic->isEnabled());
    ui::SignTrafficWindow *traffic = openTraffic();
    ASSERT_NE(traffic, nullptr);
    ASSERT_TRUE(traffic->isVisible());

    ASSERT_TRUE(testsupport::runToIdle(*window, window->DownloadAll, 5000));
    const QStringList rows = rowsShown(*traffic, 2);
    ASSERT_EQ(rows.size(), 2) << rows.join(u'\n').toStdString();
    EXPECT_EQ(rows[0], QStringLiteral("COM 1 sent DOWNLOAD_ALL<CR>"));
    const TrafficRow &answer = traffic->model().row(1);
    EXPECT_EQ(answer.source, QStringLiteral("COM 1"));
    EXPECT_EQ(answer.direction, GetParam().answerDirection);
    const QString text = signlink::visibleText(answer.bytes);
    EXPECT_TRUE(text.startsWith(GetParam().answerStart)) << text.toStdString();
    EXPECT_TRUE(text.endsWith(GetParam().answerEnd)) << text.toStdString();
    if (!GetParam().answerMeaning.isEmpty()) {
        EXPECT_EQ(answer.meaning, GetParam().answerMeaning);
    }
    EXPECT_LE(traffic->model().row(0).msecsSinceEpoch, answer.msecsSinceEpoch);
}

INSTANTIATE_TEST_SUITE_P(
    Signs, TrafficDownload,
    ::testing::Values(
        DownloadCase {"plain", {}, Received, QStringLiteral("RW2290,41:"), QStringLiteral(",1,RESET"), {}},
        // The echo comes without a line feed of its own, so it starts the dump's line.
        DownloadCase {"echo_crlf", {QStringLiteral("--echo"), QStringLiteral("--crlf")}, Received,
                      QStringLiteral("DOWNLOAD_ALL<CR>RW2290,41:"), QStringLiteral(",1,RESET<CR>"), {}},
        DownloadCase {"binary_noise", {QStringLiteral("--noise"), QStringLiteral("00AAFF1B")}, Received,
                      QStringLiteral(u"\\x00<line break>ÿ\\x1BRW2290,41:"), QStringLiteral(",1,RESET"), {}},
        // A sign that stops half-way for longer than the line time-out: the half that came is
        // shown as dropped, and the window has closed the port before the rest comes.
        DownloadCase {"stalls", {QStringLiteral("--dump-pause"), QStringLiteral("1500")},
                      TrafficRow::Direction::Dropped, QStringLiteral("RW2290,41:"), {},
                      QStringLiteral("no line feed in time")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(TrafficE2E, ASecondaryWindowsConnectionWritesToTheSameLog)
{
    startWith({});
    ui::SignTrafficWindow *traffic = openTraffic();
    ASSERT_NE(traffic, nullptr);
    ASSERT_TRUE(testsupport::runToIdle(*window, window->DownloadAll, 5000));

    ui::LEDTestMessage message(*window);
    message.show();
    message.SetTime->click();
    ASSERT_TRUE(waitUntil([&] { return message.Ack->text() == QStringLiteral("Upload Successfull"); }, 3000));

    const QStringList rows = rowsShown(*traffic, 4);
    ASSERT_EQ(rows.size(), 4) << rows.join(u'\n').toStdString();
    EXPECT_EQ(rows[0], QStringLiteral("COM 1 sent DOWNLOAD_ALL<CR>"));
    EXPECT_TRUE(rows[1].startsWith(QStringLiteral("COM 1 received RW2290,41:"))) << rows[1].toStdString();
    EXPECT_TRUE(rows[2].startsWith(QStringLiteral("COM 1 sent <Time time="))) << rows[2].toStdString();
    EXPECT_TRUE(rows[2].endsWith(QStringLiteral(">SET TIME<CR>"))) << rows[2].toStdString();
    EXPECT_EQ(rows[3], QStringLiteral("COM 1 received done"));
    EXPECT_EQ(sim.commands().value(1).left(10), QStringLiteral("<Time time"));
}

// The report is written with no traffic window ever opened: the log keeps recent rows anyway.
TEST_F(TrafficE2E, SupportReportHoldsVersionsPortsTheConfigurationReadAndTheTraffic)
{
    startWith({});
    ASSERT_TRUE(testsupport::runToIdle(*window, window->DownloadAll, 5000));
    ASSERT_EQ(window->LEDSignModel->text(), QStringLiteral("RW2290"));
    EXPECT_EQ(window->findChild<ui::SignTrafficWindow *>(), nullptr);

    const QString path = com1.xdg.filePath(QStringLiteral("support.txt"));
    services.nextFileNames.push_back(path);
    window->signSupportReport->trigger();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << services.messages.value(0).text.toStdString();
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    const auto section = [&lines](const QString &title) {
        const qsizetype at = lines.indexOf(QStringLiteral("== %1 ==").arg(title));
        QStringList body;
        for (qsizetype i = at + 1; at >= 0 && i < lines.size() && !lines[i].startsWith(QStringLiteral("== ")); ++i)
            body << lines[i];
        return body;
    };

    const QStringList tool = section(QStringLiteral("Tool"));
    EXPECT_TRUE(tool.contains(QStringLiteral("Version: 4.8b"))) << tool.join(u'\n').toStdString();
    EXPECT_TRUE(tool.contains(QStringLiteral("Qt: ") + QString::fromLatin1(qVersion())));

    const QStringList ports = section(QStringLiteral("Ports"));
    const QStringList comOne = ports.filter(QRegularExpression(QStringLiteral("^COM1\\t")));
    ASSERT_EQ(comOne.size(), 1) << ports.join(u'\n').toStdString();
    EXPECT_TRUE(comOne[0].contains(sim.device())) << comOne[0].toStdString();
    EXPECT_TRUE(comOne[0].contains(QStringLiteral("\tpresent"))) << comOne[0].toStdString();

    const QStringList configuration = section(QStringLiteral("Last configuration read from the sign"));
    ASSERT_FALSE(configuration.isEmpty());
    EXPECT_EQ(configuration[0], QStringLiteral("From COM 1, model RW2290:"));
    // The sign's factory rows, as it reported them.
    EXPECT_TRUE(configuration.contains(QStringLiteral("Pri0:1,1,1,1,1,1,1,10"))) << configuration.join(u'\n').toStdString();
    EXPECT_TRUE(configuration.contains(QStringLiteral("Pri4:2,5,5,1,1,5,2,50")));

    const QStringList traffic = section(QStringLiteral("Traffic (the last 2 rows)"));
    ASSERT_GE(traffic.size(), 2) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(traffic[0].contains(QStringLiteral("\tCOM 1\tsent\tDOWNLOAD_ALL<CR>"))) << traffic[0].toStdString();
    EXPECT_TRUE(traffic[1].contains(QStringLiteral("\tCOM 1\treceived\tRW2290,41:"))) << traffic[1].toStdString();
}

// The operator at work in a full view while a sign floods the line during a download.
class TrafficFlood : public TrafficE2E {
protected:
    void SetUp() override
    {
        startWith({QStringLiteral("--babble"), QStringLiteral("1")});
        traffic = openTraffic();
        ASSERT_NE(traffic, nullptr);
        table = traffic->findChild<QTableView *>(QStringLiteral("TrafficTable"));
        ASSERT_NE(table, nullptr);
        // Earlier conversations fill the view up to its cap.
        for (int n = 0; n < ui::TrafficTableModel::MaxRows; ++n)
            log.record({0, 0, QStringLiteral("COM 2"), TrafficRow::Direction::Received, "earlier " + QByteArray::number(n), {}});
        ASSERT_TRUE(waitUntil([&] { return traffic->model().rowCount() == ui::TrafficTableModel::MaxRows; }, 3000));
        // The view has followed them to the newest.
        QCoreApplication::processEvents();
    }
    QString topRow() const { return table->indexAt(QPoint(1, 1)).siblingAtColumn(ui::TrafficTableModel::Text).data().toString(); }
    bool showsNewest() const
    {
        return table->verticalScrollBar()->value() == table->verticalScrollBar()->maximum()
               && table->indexAt(QPoint(1, table->viewport()->height() - 2)).row() == table->model()->rowCount() - 1;
    }
    void floodWithADownload()
    {
        ASSERT_TRUE(testsupport::runToIdle(*window, window->DownloadAll, 5000));
        const quint64 last = log.recentRows().last().serial;
        ASSERT_TRUE(waitUntil([&] { return traffic->model().row(traffic->model().rowCount() - 1).serial == last; }, 3000));
        QCoreApplication::processEvents();
    }

    ui::SignTrafficWindow *traffic = nullptr;
    QTableView *table = nullptr;
};

TEST_F(TrafficFlood, RowsReadFurtherUpStayInViewAsTheOldestGo)
{
    table->scrollTo(table->model()->index(10000, 0), QAbstractItemView::PositionAtTop);
    QCoreApplication::processEvents();
    ASSERT_EQ(topRow(), QStringLiteral("earlier 10000"));
    floodWithADownload();
    EXPECT_EQ(traffic->model().rowCount(), ui::TrafficTableModel::MaxRows);
    EXPECT_NE(traffic->model().row(0).bytes, QByteArray("earlier 0")) << "the flood did not reach the view";
    EXPECT_EQ(topRow(), QStringLiteral("earlier 10000"));
}

TEST_F(TrafficFlood, TheNewestRowsStayFollowedAfterTheFilterIsCleared)
{
    table->scrollToBottom();
    QCoreApplication::processEvents();
    auto *filter = traffic->findChild<QLineEdit *>(QStringLiteral("TrafficFilter"));
    filter->setText(QStringLiteral("earlier 1999"));
    EXPECT_EQ(table->model()->rowCount(), 11);
    filter->clear();
    QCoreApplication::processEvents();
    EXPECT_TRUE(showsNewest());
    floodWithADownload();
    EXPECT_TRUE(showsNewest()) << topRow().toStdString();
    EXPECT_TRUE(topRow().startsWith(QStringLiteral("babble "))) << topRow().toStdString();
}

// Minimised, the window is still open: what comes meanwhile is kept, and so is what was there.
TEST_F(TrafficFlood, AMinimisedWindowKeepsItsRowsAndListens)
{
    traffic->setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    floodWithADownload();
    traffic->setWindowState(Qt::WindowNoState);
    QCoreApplication::processEvents();
    ASSERT_EQ(traffic->model().rowCount(), ui::TrafficTableModel::MaxRows);
    const QString newest = shownRow(traffic->model().row(ui::TrafficTableModel::MaxRows - 1));
    EXPECT_TRUE(newest.startsWith(QStringLiteral("COM 1 received babble "))) << newest.toStdString();
    EXPECT_EQ(traffic->model().row(0).source, QStringLiteral("COM 2"));
}

} // namespace
