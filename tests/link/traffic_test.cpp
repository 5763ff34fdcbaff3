#include "link/signlink.h"
#include "link/traffic.h"

#include "fakesignport.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace {

using signlink::TrafficLog;
using signlink::TrafficRow;

struct RenderCase {
    const char *name;
    QByteArray bytes;
    QString shown;
};

class TrafficRendering : public ::testing::TestWithParam<RenderCase> {};

TEST_P(TrafficRendering, ShowsEveryByteSoThatItCanBeToldApart)
{
    EXPECT_EQ(signlink::visibleText(GetParam().bytes), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, TrafficRendering,
    ::testing::Values(
        RenderCase {"command_with_cr", "<DF pr=0 f=1>\r", QStringLiteral("<DF pr=0 f=1><CR>")},
        RenderCase {"crlf_reply", "done\r\n", QStringLiteral("done<CR><LF>")},
        RenderCase {"stored_line_break", QByteArray("A\xAA" "B", 3), QStringLiteral("A<line break>B")},
        RenderCase {"time_fields", QByteArray("\xAB\xB2", 2), QStringLiteral("<time field 0><time field 7>")},
        RenderCase {"controls_as_hex", QByteArray("\x00\x01\x1B\x7F", 4), QStringLiteral("\\x00\\x01\\x1B\\x7F")},
        RenderCase {"c1_bytes_as_hex", QByteArray("\x80\x9F", 2), QStringLiteral("\\x80\\x9F")},
        RenderCase {"latin1_letters", QByteArray("caf\xE9 \xA9\xB3\xFF", 8), QStringLiteral(u"café ©³ÿ")},
        RenderCase {"backslash_cannot_fake_an_escape", "\\x41", QStringLiteral("\\\\x41")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TrafficRendering, HexShowsEveryByte)
{
    EXPECT_EQ(signlink::hexText(QByteArray("<\xAA\r", 3)), QStringLiteral("3C AA 0D"));
}

TEST(TrafficLogTest, KeepsOnlyTheRecentRowsAndPassesRowsOnOnlyWhileSomeoneListens)
{
    TrafficLog log;
    QSignalSpy passed(&log, &TrafficLog::rowRecorded);
    for (int n = 0; n < 3 * TrafficLog::RecentRows; ++n)
        log.record({0, 0, QStringLiteral("COM 1"), TrafficRow::Direction::Received, QByteArray::number(n), {}});
    EXPECT_EQ(passed.count(), 0);
    const QList<TrafficRow> recent = log.recentRows();
    ASSERT_EQ(recent.size(), TrafficLog::RecentRows);
    EXPECT_EQ(recent.last().bytes, QByteArray::number(3 * TrafficLog::RecentRows - 1));
    EXPECT_EQ(recent.first().bytes, QByteArray::number(2 * TrafficLog::RecentRows));

    log.listen();
    log.record({0, 0, QStringLiteral("COM 1"), TrafficRow::Direction::Sent, "x\r", {}});
    ASSERT_EQ(passed.count(), 1);
    EXPECT_GT(passed[0][0].value<TrafficRow>().serial, recent.last().serial);
    log.stopListening();
    log.record({0, 0, QStringLiteral("COM 1"), TrafficRow::Direction::Sent, "y\r", {}});
    EXPECT_EQ(passed.count(), 1);
}

TEST(TrafficLogTest, AHugeRowKeepsItsStartAndSaysHowLongItWas)
{
    TrafficLog log;
    log.record({0, 0, QStringLiteral("COM 1"), TrafficRow::Direction::Received, QByteArray(1 << 20, 'x'), {}});
    const TrafficRow row = log.recentRows().last();
    EXPECT_EQ(row.bytes.size(), TrafficLog::MaxRowBytes);
    EXPECT_TRUE(row.meaning.startsWith(QStringLiteral("1048576 bytes"))) << row.meaning.toStdString();
}

// The link reports what it writes, each line it receives and each line it drops, with what the
// reader of a line made of it.
TEST(TrafficLogTest, TheLinkReportsWritesLinesDropsAndMeanings)
{
    TrafficLog log;
    auto owned = std::make_unique<testsupport::FakeSignPort>();
    testsupport::FakeSignPort &port = *owned;
    port.setTrafficLog(&log);
    signlink::SignLink link(std::move(owned));
    QObject::connect(&link, &signlink::SignLink::lineReceived, &link, [&](const QByteArray &line) {
        if (line == "done")
            link.explainLastLine(QStringLiteral("Upload Successfull"));
    });
    ASSERT_TRUE(link.open(3).ok());
    ASSERT_TRUE(link.send("<UC>RESET\r"));
    port.feedNow("done\n");
    port.feedNow(QByteArray(signlink::LineBuffer::MaxLineLength + 100, 'z') + "\n");

    const QList<TrafficRow> rows = log.recentRows();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].direction, TrafficRow::Direction::Sent);
    EXPECT_EQ(rows[0].bytes, QByteArray("<UC>RESET\r"));
    EXPECT_EQ(rows[0].source, QStringLiteral("COM 3"));
    EXPECT_EQ(rows[1].direction, TrafficRow::Direction::Received);
    EXPECT_EQ(rows[1].meaning, QStringLiteral("Upload Successfull"));
    EXPECT_EQ(rows[2].direction, TrafficRow::Direction::Dropped);
    EXPECT_LE(rows[2].bytes.size(), 80);
}

} // namespace
