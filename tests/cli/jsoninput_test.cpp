// Parts of a configuration given as JSON: refused with the key and the value before any sign is
// touched, and once the sign's model is known, laid over what it holds.
#include "cli/jsoninput.h"

#include "config/catalogue.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

cli::JsonInputResult parsed(const char *json)
{
    return cli::parseJsonInput(QByteArray(json));
}

struct Refused {
    const char *name;
    const char *json;
    const char *said;  // the whole message
};

class RefusedInput : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedInput, NamesTheKeyAndTheValue)
{
    const cli::JsonInputResult result = parsed(GetParam().json);
    EXPECT_FALSE(result.input);
    EXPECT_EQ(result.error.toStdString(), std::string(GetParam().said));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, RefusedInput,
    ::testing::Values(
        Refused{"TimeoutNoNumber", R"({"priorities": [{"priority": 0, "timeout": "x"}]})",
                "priorities[0].timeout: \"x\" is no whole number from -32768 to 32767"},
        Refused{"TimeoutFraction", R"({"priorities": [{"priority": 0, "timeout": 2.5}]})",
                "priorities[0].timeout: 2.5 is no whole number"},
        Refused{"TimeoutBeyondSixteenBits", R"({"priorities": [{"priority": 0, "timeout": 40000}]})",
                "priorities[0].timeout: 40000 is out of range (-32768 to 32767)"},
        Refused{"PriorityOutOfRange", R"({"priorities": [{"priority": 1}, {"priority": 7, "timeout": 30}]})",
                "priorities[1].priority: 7 is out of range (0 to 4)"},
        Refused{"PriorityAsText", R"({"priorities": [{"priority": "2"}]})", "priorities[0].priority: \"2\" is no whole number"},
        Refused{"PriorityMissing", R"({"priorities": [{"timeout": 30}]})", "priorities[0]: no \"priority\" (0 to 4) to say which"},
        Refused{"PriorityTwice", R"({"priorities": [{"priority": 2}, {"priority": 2, "timeout": 5}]})",
                "priorities[1].priority: 2 is given again (first in priorities[0])"},
        Refused{"UnknownPriorityKey", R"({"priorities": [{"priority": 1, "colour": "Red"}]})",
                "priorities[0].colour: unknown key; a priority takes priority, font, style, color, speed, alignment, "
                "pause, beep, timeout"},
        Refused{"UnknownTopKey", R"({"prioritys": []})",
                "prioritys: unknown key; the configuration takes priorities, links, autoId, model, build, unreadable, "
                "userCommand"},
        Refused{"UserCommand", R"({"userCommand": "RESET"})", "userCommand: \"RESET\": write does not send the user command"},
        // A long value is cut short in the message, never inside a character.
        Refused{"LongValueShortened", R"({"userCommand": "éééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééééé"})",
                "userCommand: \"éééééééééééééééééééééééééééééééééééééééééééééééééééééééé...: write does not send the user command"},
        Refused{"ChoiceOfWrongType", R"({"priorities": [{"priority": 1, "font": true}]})",
                "priorities[0].font: true is no list position, label or {\"position\": N}"},
        Refused{"NegativePosition", R"({"priorities": [{"priority": 1, "color": {"position": -1}}]})",
                "priorities[0].color.position: -1 is out of range (0 to 32767)"},
        Refused{"EmptyChoice", R"({"priorities": [{"priority": 1, "beep": {}}]})",
                "priorities[0].beep: {} holds neither a position nor a label"},
        Refused{"EmptyLabel", R"({"priorities": [{"priority": 1, "speed": " "}]})",
                "priorities[0].speed: an empty label names no entry"},
        Refused{"LinkIdOutOfRange", R"({"links": [{"id": 9, "capcodes": ["1234567"]}]})",
                "links[0].id: 9 is out of range (0 to 7)"},
        Refused{"LinkIdTwice", R"({"links": [{"id": 3, "capcodes": []}, {"id": 3, "priority": 1}]})",
                "links[1].id: 3 is given again (first in links[0])"},
        Refused{"CapcodeAsNumber", R"({"links": [{"id": 2, "capcodes": [1234567]}]})",
                "links[0].capcodes[0]: 1234567 is no capcode (a text of digits)"},
        Refused{"CapcodeWithACommand", "{\"links\": [{\"id\": 2, \"capcodes\": [\"1\\r<FD>\"]}]}",
                "links[0].capcodes[0]: \"1\\r<FD>\" is no capcode (a text of digits)"},
        Refused{"CapcodeZero", R"({"links": [{"id": 2, "capcodes": ["000"]}]})",
                "links[0].capcodes[0]: \"000\" is no capcode; [] removes the link"},
        Refused{"CapcodesNoList", R"({"links": [{"id": 2, "capcodes": "1234567"}]})",
                "links[0].capcodes: \"1234567\" is no list of capcodes"},
        Refused{"PriorityOfARemovedLink", R"({"links": [{"id": 2, "capcodes": [], "priority": 1}]})",
                "links[0].priority: a link that capcodes [] removes has no priority"},
        Refused{"LinkPriorityOutOfRange", R"({"links": [{"id": 2, "priority": 5}]})",
                "links[0].priority: 5 is out of range (0 to 4)"},
        Refused{"AutoIdNumber", R"({"autoId": 1})", "autoId: 1 is neither true nor false"},
        Refused{"PrioritiesNoList", R"({"priorities": {"priority": 1}})", "priorities: {\"priority\":1} is no list"},
        Refused{"NotJson", "{\"autoId\": tru}", "standard input: no JSON: illegal value near byte 12"},
        Refused{"Empty", "  \n", "standard input: empty; give the configuration as one JSON object"},
        Refused{"List", "[]", "standard input: the configuration must be one JSON object {...}"}),
    [](const ::testing::TestParamInfo<Refused> &info) { return std::string(info.param.name); });

TEST(JsonInput, MoreThanAConfigurationIsRefusedUnread)
{
    const QByteArray huge = "{\"model\": \"" + QByteArray(cli::LargestJsonInput, 'x') + "\"}";
    EXPECT_TRUE(cli::parseJsonInput(huge).error.startsWith(QStringLiteral("standard input: more than")));
}

// What read --json prints for a sign goes back in as it is, once its user command is taken out.
TEST(JsonInput, ReadsTheShapeReadPrints)
{
    const cli::JsonInputResult result = parsed(R"({"model": "RW2290", "build": "41", "unreadable": [],
        "priorities": [{"priority": 3, "font": {"position": 1, "label": "Small Normal 5 row"}, "timeout": "20",
                        "beep": {"position": 2, "label": null}}],
        "links": [{"id": 0, "capcodes": ["1000000", "1000001"], "priority": 0}, {"id": 1, "capcodes": [], "priority": null}],
        "autoId": false})");
    ASSERT_TRUE(result.input) << result.error.toStdString();
    const cli::JsonInput &input = *result.input;
    ASSERT_EQ(input.priorities.size(), 1);
    EXPECT_EQ(input.priorities[0].priority, 3);
    EXPECT_EQ(input.priorities[0].timeout, QStringLiteral("20"));
    EXPECT_EQ(input.priorities[0].attributes[0]->label, QStringLiteral("Small Normal 5 row"));
    EXPECT_EQ(input.priorities[0].attributes[6]->position, 2);
    EXPECT_FALSE(input.priorities[0].attributes[2]);
    ASSERT_EQ(input.links.size(), 2);
    EXPECT_EQ(input.links[0].capcodes, (QStringList{QStringLiteral("1000000"), QStringLiteral("1000001")}));
    EXPECT_EQ(input.links[1].capcodes, QStringList());
    EXPECT_FALSE(input.links[1].priority);
    EXPECT_EQ(input.autoId, false);
}

// A sign as read: every row at position 1 with 10 s, ID 4 linked at priority 2, user IDs.
config::LedFileRecord signAsRead()
{
    config::LedFileRecord record;
    record.model = QStringLiteral("RW2290");
    for (config::PriorityDefaults &p : record.priorities)
        p = {1, 1, 1, 1, 1, 1, 1, QStringLiteral("10")};
    record.links[4] = {QStringLiteral("5554444"), 2};
    return record;
}

struct Laid {
    const char *name;
    const char *json;
    // What differs from signAsRead() afterwards, or the error.
    std::function<void(config::LedFileRecord &)> change;
    const char *error = "";
};

class LaidOver : public ::testing::TestWithParam<Laid> {};

TEST_P(LaidOver, ChangesOnlyWhatIsGiven)
{
    const cli::JsonInputResult result = parsed(GetParam().json);
    ASSERT_TRUE(result.input) << result.error.toStdString();
    const QString model = QStringLiteral("RW2290");
    const cli::JsonInput::Applied applied =
        result.input->appliedOver(signAsRead(), model, config::SelectOptionSet(model, config::OptionWindow::Main));
    const QString error = QString::fromUtf8(GetParam().error);
    if (!error.isEmpty()) {
        EXPECT_FALSE(applied.record);
        EXPECT_TRUE(applied.error.startsWith(error)) << applied.error.toStdString();
        return;
    }
    ASSERT_TRUE(applied.record) << applied.error.toStdString();
    config::LedFileRecord expected = signAsRead();
    GetParam().change(expected);
    EXPECT_EQ(*applied.record, expected);
}

const QStringList &rw2290Colors()
{
    static const QStringList colors = config::SelectOptionSet(QStringLiteral("RW2290"), config::OptionWindow::Main).color;
    return colors;
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, LaidOver,
    ::testing::Values(
        Laid{"Nothing", "{}", [](config::LedFileRecord &) {}},
        Laid{"TimeoutAlone", R"({"priorities": [{"priority": 2, "timeout": 60}]})",
             [](config::LedFileRecord &r) { r.priorities[2].timeout = QStringLiteral("60"); }},
        Laid{"TimeoutTextWithLeadingZero", R"({"priorities": [{"priority": 2, "timeout": "060"}]})",
             [](config::LedFileRecord &r) { r.priorities[2].timeout = QStringLiteral("60"); }},
        Laid{"LabelInAnyCase", R"({"priorities": [{"priority": 0, "color": "rED", "font": 3}]})",
             [](config::LedFileRecord &r) {
                 r.priorities[0].color = qint16(rw2290Colors().indexOf(QStringLiteral("Red")));
                 r.priorities[0].font = 3;
             }},
        Laid{"PositionAndLabelAgreeing", R"({"priorities": [{"priority": 4, "color": {"position": 3, "label": "Red"}}]})",
             [](config::LedFileRecord &r) { r.priorities[4].color = 3; }},
        Laid{"NewLinkKeepsThePriorityShown", R"({"links": [{"id": 4, "capcodes": ["1", "2"]}]})",
             [](config::LedFileRecord &r) { r.links[4].capcode = QStringLiteral("1,2"); }},
        Laid{"LinkPriorityAlone", R"({"links": [{"id": 4, "priority": 0}]})",
             [](config::LedFileRecord &r) { r.links[4].priority = 0; }},
        Laid{"RemovedLink", R"({"links": [{"id": 4, "capcodes": []}]})",
             [](config::LedFileRecord &r) { r.links[4] = {}; }},
        Laid{"AutoId", R"({"autoId": true})", [](config::LedFileRecord &r) { r.autoId = 1; }},
        Laid{"LabelTheModelLacks", R"({"priorities": [{"priority": 1, "font": "Huge"}]})", {},
             "priorities[0].font: no \"Huge\" on a RW2290; choose one of 0 Small, 1 Small Normal 5 row"},
        Laid{"PositionPastTheList", R"({"priorities": [{"priority": 1, "pause": 500}]})", {},
             "priorities[0].pause: position 500 is not in the list of a RW2290; choose one of 0 "},
        Laid{"PositionAndLabelDisagreeing", R"({"priorities": [{"priority": 1, "color": {"position": 1, "label": "Red"}}]})",
             {}, "priorities[0].color: position 1 is \"Light Red\" on a RW2290, not \"Red\""},
        Laid{"PriorityForAnIdWithoutLink", R"({"links": [{"id": 6, "priority": 1}]})", {},
             "links[0].priority: ID 6 has no capcode on the sign; give its capcodes as well"}),
    [](const ::testing::TestParamInfo<Laid> &info) { return std::string(info.param.name); });

} // namespace
