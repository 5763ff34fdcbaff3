// A command on its way to the wire: its bytes, and what is refused before the link sees it.
#include "session/wire.h"

#include "fakesignport.h"
#include "link/signlink.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace Qt::Literals::StringLiterals;

QString latin1High()
{
    // The sign's stored line-break and field bytes must survive the trip unchanged.
    QString high;
    for (char16_t c = 0xA0; c <= 0xFF; ++c)
        high += QChar(c);
    return high;
}

struct Encoding {
    const char *name;
    QString command;
    std::optional<QByteArray> bytes;
};

class CommandBytes : public ::testing::TestWithParam<Encoding> {};

TEST_P(CommandBytes, AreOneByteACharacterAndOneCrOrNothing)
{
    EXPECT_EQ(session::commandBytes(GetParam().command), GetParam().bytes);

    // Through a link: one write of exactly those bytes, or none at all.
    auto fake = std::make_unique<testsupport::FakeSignPort>();
    testsupport::FakeSignPort &port = *fake;
    signlink::SignLink link(std::move(fake));
    ASSERT_TRUE(link.open(1).ok());
    EXPECT_EQ(session::sendCommand(link, GetParam().command), GetParam().bytes.has_value());
    EXPECT_EQ(port.writes, GetParam().bytes ? QList<QByteArray>{*GetParam().bytes} : QList<QByteArray>{});
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandBytes,
    ::testing::Values(
        Encoding{"Plain", u"<UC>"_s, QByteArray("<UC>\r")},
        Encoding{"Empty", QString(), QByteArray("\r")},
        Encoding{"Latin1High", latin1High(), latin1High().toLatin1() + '\r'},
        Encoding{"BeyondLatin1", u"<UC>\u20ac"_s, std::nullopt},
        Encoding{"AtTheLimit", QString(1023, u'9'), QByteArray(1023, '9') + '\r'},
        // The sign would keep only the first part of a longer command and act on it.
        Encoding{"OnePastTheLimit", QString(1024, u'9'), std::nullopt},
        // A command edited by hand with its own CR: each part is a command of its own to the sign.
        Encoding{"TwoThatFit", QString(1023, u'a') + u'\r' + QString(1023, u'b'),
                 QByteArray(1023, 'a') + '\r' + QByteArray(1023, 'b') + '\r'}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
