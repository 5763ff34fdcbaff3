#include "protocol/commands.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

using namespace protocol;

TEST(CommandsTest, PriorityDefaultsInTheSignsAttributeOrder)
{
    const PriorityCodes codes{.font = 3, .style = 0, .color = 1, .speed = 4, .alignment = 2, .pause = 5, .beep = 1};
    EXPECT_EQ(priorityDefaultsCommand(2, codes, u"30"_s), u"<DF pr=2 f=3 c=1 s=0 a=2 sp=4 p=5 b=1 t=30>");
}

TEST(CommandsTest, NothingSelectedIsSentAsMinusOne)
{
    const PriorityCodes codes{.font = -1, .style = 2, .color = 0, .speed = 1, .alignment = 0, .pause = 0, .beep = 0};
    EXPECT_EQ(priorityDefaultsCommand(0, codes, u"5"_s), u"<DF pr=0 f=-1 c=0 s=2 a=0 sp=1 p=0 b=0 t=5>");
    EXPECT_EQ(priorityDefaultsCommand(4, PriorityCodes{}, QString()),
              u"<DF pr=4 f=-1 c=-1 s=-1 a=-1 sp=-1 p=-1 b=-1 t=>");
}

TEST(CommandsTest, TypedTextIsSentUnchanged)
{
    EXPECT_EQ(priorityDefaultsCommand(1, PriorityCodes{}, u"<3>%1"_s),
              u"<DF pr=1 f=-1 c=-1 s=-1 a=-1 sp=-1 p=-1 b=-1 t=<3>%1>");
    EXPECT_EQ(userCommand(u"RE<SET>"_s), u"<UC>RE<SET>");
    EXPECT_EQ(userCommand(QString()), u"<UC>");
    EXPECT_EQ(linkCommand(3, u"100,200"_s, 1), u"<link id=3 cap=100,200 pr=1>");
    EXPECT_EQ(linkCommand(5, u"1234567"_s, 2), u"<link id=5 cap=1234567 pr=2>");
    EXPECT_EQ(linkCommand(0, u"%1"_s, 0), u"<link id=0 cap=%1 pr=0>");
}

struct FixedCase {
    const char *name;
    std::function<QString()> build;
    const char *text;
};

class FixedCommandTest : public ::testing::TestWithParam<FixedCase> {};

TEST_P(FixedCommandTest, HasItsExactText)
{
    EXPECT_EQ(GetParam().build(), QString::fromLatin1(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Commands, FixedCommandTest, ::testing::Values(
    FixedCase{"AutoId", [] { return idModeCommand(true); }, "<id=auto>"},
    FixedCase{"UserId", [] { return idModeCommand(false); }, "<id=user>"},
    FixedCase{"RemoveLink", [] { return removeLinkCommand(5); }, "<link id=5 cap=0>"},
    FixedCase{"ForceOn", forceId0OnCommand, "<FORCE id=0>"},
    FixedCase{"ForceOff", forceIdOffCommand, "<FORCE_ID_OFF>"},
    FixedCase{"FactoryDefaults", factoryDefaultsCommand, "<FD>"},
    FixedCase{"ReadConfiguration", readConfigurationCommand, "DOWNLOAD_ALL"}),
    [](const auto &info) { return std::string(info.param.name); });

struct UnsendableCase {
    QString text;
    std::optional<QString> first;
};

class UnsendableTest : public ::testing::TestWithParam<UnsendableCase> {};

TEST_P(UnsendableTest, NamesTheFirstCharacterBeyondLatin1AndSendsNothing)
{
    EXPECT_EQ(firstUnsendableChar(GetParam().text), GetParam().first);
}

INSTANTIATE_TEST_SUITE_P(Texts, UnsendableTest, ::testing::Values(
    UnsendableCase{u"caf\u00e9 \u00ff"_s, std::nullopt},
    UnsendableCase{u"a\u00e9\u20acb\u0100"_s, u"\u20ac"_s},
    UnsendableCase{u"ab\U0001F600c\u20ac"_s, u"\U0001F600"_s},
    UnsendableCase{u"a"_s + QChar(0xD83D), QString(QChar(0xD83D))},
    UnsendableCase{QChar(0xD83D) + u"x"_s, QString(QChar(0xD83D))},
    UnsendableCase{QString(QChar(0xDE00)) + u"\U0001F600"_s, QString(QChar(0xDE00))}));

struct RefusalCase {
    const char *name;
    QString command;
    std::optional<QString> why;
};

class WhyUnsendableTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(WhyUnsendableTest, RefusesWhatTheSignCannotTakeAndSaysWhy)
{
    EXPECT_EQ(whyUnsendable(GetParam().command), GetParam().why);
}

INSTANTIATE_TEST_SUITE_P(Commands, WhyUnsendableTest, ::testing::Values(
    RefusalCase{"Short", u"<UC>RESET"_s, std::nullopt},
    RefusalCase{"Empty", QString(), std::nullopt},
    RefusalCase{"AtTheLimit", QString(1023, u'9'), std::nullopt},
    RefusalCase{"OnePast", QString(1024, u'9'), u"The command is 1024 characters long; the sign takes at most 1023."_s},
    RefusalCase{"TestMessage", u"<id=0 f=0 s=0 c=0 a=0 b=0 p=0 sp=0 t=0>"_s + QString(100000, u'x'),
                u"The command is 100039 characters long; the sign takes at most 1023."_s},
    RefusalCase{"LineFeedsTakeRoom", QString(1023, u'\n') + u'x', u"The command is 1024 characters long; the sign takes at most 1023."_s},
    // A command edited by hand with its own CR: each part is a command of its own to the sign.
    RefusalCase{"TwoThatFit", QString(1023, u'a') + u'\r' + QString(1023, u'b'), std::nullopt},
    RefusalCase{"SecondTooLong", u"a\r"_s + QString(1024, u'b'), u"The command is 1024 characters long; the sign takes at most 1023."_s},
    RefusalCase{"BeyondLatin1", u"<UC>12\u20ac"_s, u"The sign cannot show the character \"\u20ac\"; remove it and try again."_s},
    RefusalCase{"StoredCodesAreSent", u"<UC>\u00aa\u00b0\u00ff"_s, std::nullopt}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
