#include "link/linebuffer.h"

#include <gtest/gtest.h>

#include <QList>

namespace {

QList<QByteArray> feedAll(signlink::LineBuffer &buffer, const QByteArray &bytes)
{
    QList<QByteArray> lines;
    for (char c : bytes) {
        if (auto line = buffer.append(c))
            lines.append(*line);
    }
    return lines;
}

struct FramingCase {
    const char *name;
    QByteArray input;
    QList<QByteArray> lines;
    QByteArray leftOver;
};

class LineFraming : public ::testing::TestWithParam<FramingCase> {};

TEST_P(LineFraming, SplitsAtLineFeedsOnly)
{
    signlink::LineBuffer buffer;
    EXPECT_EQ(feedAll(buffer, GetParam().input), GetParam().lines);
    EXPECT_EQ(buffer.text(), GetParam().leftOver);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LineFraming,
    ::testing::Values(
        FramingCase{"plain", "done\n", {"done"}, ""},
        FramingCase{"crlf_keeps_cr", "done\r\n", {"done\r"}, ""},
        FramingCase{"lfcr_moves_cr", "done\n\rnext\n", {"done", "\rnext"}, ""},
        FramingCase{"lone_lf_gives_empty_line", "\n", {""}, ""},
        FramingCase{"burst_in_order", "done\ndone\nlinked 3\n", {"done", "done", "linked 3"}, ""},
        FramingCase{"partial_stays", "abc", {}, "abc"},
        FramingCase{"high_bytes_kept", QByteArray("\xaa\xff:x\n", 5), {QByteArray("\xaa\xff:x", 4)}, ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(LineBuffer, DropsALineLongerThanTheCapUpToItsLineFeed)
{
    signlink::LineBuffer buffer;
    const QByteArray huge(signlink::LineBuffer::MaxLineLength + 10, 'x');
    EXPECT_TRUE(feedAll(buffer, huge).isEmpty());
    EXPECT_LE(buffer.text().size(), signlink::LineBuffer::MaxLineLength);
    // The rest of the oversized line is discarded with its line feed; the next line is whole.
    EXPECT_EQ(feedAll(buffer, "tail\ndone\n"), QList<QByteArray>{"done"});
}

TEST(LineBuffer, KeepsALineOfExactlyTheCap)
{
    signlink::LineBuffer buffer;
    const QByteArray full(signlink::LineBuffer::MaxLineLength, 'y');
    const QList<QByteArray> lines = feedAll(buffer, full + "\n");
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines.front().size(), signlink::LineBuffer::MaxLineLength);
}

TEST(LineBuffer, ClearEndsDiscarding)
{
    signlink::LineBuffer buffer;
    feedAll(buffer, QByteArray(signlink::LineBuffer::MaxLineLength + 1, 'x'));
    EXPECT_FALSE(buffer.isEmpty());
    buffer.clear();
    EXPECT_TRUE(buffer.isEmpty());
    EXPECT_EQ(feedAll(buffer, "ok\n"), QList<QByteArray>{"ok"});
}

} // namespace
