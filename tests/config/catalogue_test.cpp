#include "config/catalogue.h"

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <string>

using namespace config;
using Prop = ControlChange::Property;
using State = SelectorState;

namespace {

const char *windowName(OptionWindow w)
{
    switch (w) {
    case OptionWindow::Main: return "Main";
    case OptionWindow::DefaultMessage: return "DefaultMessage";
    case OptionWindow::TestMessage: return "TestMessage";
    }
    return "?";
}

// ---- Shape of the set each window gets ----

struct SetCase {
    const char *model;
    OptionWindow window;
    std::array<int, 7> sizes;  // font, style, color, speed, alignment, pause, beep
    State speed, alignment;
    bool appendTimeFormats;
};

class SetShape : public testing::TestWithParam<SetCase> {};

TEST_P(SetShape, ListLengthsAndSelectorStates)
{
    const SetCase &c = GetParam();
    const ModelOptionSet s = SelectOptionSet(QString::fromLatin1(c.model), c.window);
    const std::array<int, 7> sizes = {int(s.font.size()),  int(s.style.size()), int(s.color.size()),
                                      int(s.speed.size()), int(s.alignment.size()),
                                      int(s.pause.size()), int(s.beep.size())};
    EXPECT_EQ(sizes, c.sizes);
    EXPECT_EQ(s.speedState, c.speed);
    EXPECT_EQ(s.alignmentState, c.alignment);
    EXPECT_EQ(s.appendTimeFormats, c.appendTimeFormats);
}

constexpr std::array<int, 7> Standard{25, 28, 13, 5, 3, 10, 3};
constexpr std::array<int, 7> Kt420{25, 23, 13, 5, 3, 10, 3};
constexpr std::array<int, 7> Qb7{4, 24, 17, 11, 9, 10, 3};
constexpr std::array<int, 7> Empty{0, 0, 0, 0, 0, 0, 0};
constexpr auto MainWin = OptionWindow::Main;
constexpr auto DefWin = OptionWindow::DefaultMessage;
constexpr auto TestWin = OptionWindow::TestMessage;

INSTANTIATE_TEST_SUITE_P(
    Catalogue, SetShape,
    testing::Values(
        SetCase{"KT420", MainWin, Kt420, State::Disable, State::Disable, false},
        SetCase{"QB7", MainWin, Qb7, State::Enable, State::Enable, false},
        SetCase{"RW2290", MainWin, Standard, State::Enable, State::Enable, false},
        SetCase{"", MainWin, Standard, State::Enable, State::Enable, false},
        SetCase{"kt420", MainWin, Standard, State::Enable, State::Enable, false},
        SetCase{"QB7 ", MainWin, Standard, State::Enable, State::Enable, false},
        SetCase{"KT420", TestWin, Kt420, State::Disable, State::Disable, false},
        SetCase{"QB7", TestWin, Qb7, State::Enable, State::Enable, false},
        SetCase{"PN360", TestWin, Standard, State::Leave, State::Leave, true},
        SetCase{"kt420", TestWin, Standard, State::Leave, State::Leave, true},
        SetCase{"KT420", DefWin, {4, 23, 13, 5, 3, 10, 0}, State::Disable, State::Disable, false},
        SetCase{"RW2290", DefWin, {25, 28, 13, 5, 3, 10, 0}, State::Leave, State::Leave, true},
        SetCase{"PN360", DefWin, {25, 28, 13, 5, 3, 10, 0}, State::Leave, State::Leave, true},
        SetCase{"QB7", DefWin, Empty, State::Leave, State::Leave, false},
        SetCase{"", DefWin, Empty, State::Leave, State::Leave, false},
        SetCase{"rw2290", DefWin, Empty, State::Leave, State::Leave, false}),
    [](const testing::TestParamInfo<SetCase> &info) {
        std::string model = *info.param.model ? info.param.model : "empty";
        for (char &ch : model)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return std::string(windowName(info.param.window)) + "_" + model + "_" + std::to_string(info.index);
    });

// ---- Controls other than the lists ----

struct ExtraCase {
    const char *model;
    OptionWindow window;
    QList<ControlChange> extra;
};

class ControlChanges : public testing::TestWithParam<ExtraCase> {};

TEST_P(ControlChanges, PerBranch)
{
    EXPECT_EQ(SelectOptionSet(QString::fromLatin1(GetParam().model), GetParam().window).extra,
              GetParam().extra);
}

ControlChange shown(const char *c) { return {c, Prop::Visible, true}; }
ControlChange hidden(const char *c) { return {c, Prop::Visible, false}; }

INSTANTIATE_TEST_SUITE_P(
    Catalogue, ControlChanges,
    testing::Values(
        ExtraCase{"QB7", MainWin, {{"Label12", Prop::Caption, QStringLiteral("Timeout")}}},
        ExtraCase{"KT420", MainWin, {}},
        ExtraCase{"", MainWin, {}},
        ExtraCase{"KT420", DefWin, {shown("TimeFormat"), shown("Label_TimeFormat"), hidden("InsertTime"),
                                 shown("Label_OR"), shown("TimeOnIdle"), shown("TimeDisplayStatus")}},
        ExtraCase{"RW2290", DefWin, {shown("TimeFormat"), shown("Label_TimeFormat"), shown("InsertTime"),
                                  hidden("Label_OR"), hidden("TimeOnIdle"), hidden("TimeDisplayStatus")}},
        ExtraCase{"PN360", DefWin, {hidden("TimeFormat"), hidden("Label_TimeFormat"), hidden("InsertTime"),
                                 hidden("Label_OR"), shown("TimeOnIdle"), shown("TimeDisplayStatus")}},
        ExtraCase{"QB7", DefWin, {}},
        ExtraCase{"KT420", TestWin, {hidden("TimeFormat"), hidden("Label_TimeFormat"), hidden("InsertTime")}},
        ExtraCase{"QB7", TestWin, {}},
        ExtraCase{"", TestWin, {shown("TimeFormat"), shown("Label_TimeFormat"), shown("InsertTime")}}));

// ---- Codes of named entries ----

TEST(Catalogue, Kt420FontsKeepTheStandardCodes)
{
    const QStringList main = SelectOptionSet("KT420", MainWin).font;
    EXPECT_EQ(main.indexOf("Normal"), 6);
    EXPECT_EQ(main.indexOf("Fat"), 7);
    EXPECT_EQ(main.indexOf("Tall"), 19);
    EXPECT_EQ(main.indexOf("Large"), 21);
    EXPECT_EQ(main[0], "----");
    EXPECT_EQ(main.count("----"), 21);
    EXPECT_EQ(SelectOptionSet("KT420", DefWin).font, QStringList({"Normal", "Fat", "Tall", "Large"}));
}

class Kt420Colours : public testing::TestWithParam<OptionWindow> {};

TEST_P(Kt420Colours, SameCodesInEveryWindow)
{
    const QStringList c = SelectOptionSet("KT420", GetParam()).color;
    EXPECT_EQ(c.indexOf("Orange"), 8);
    EXPECT_EQ(c.indexOf("Green"), 4);
    EXPECT_EQ(c.indexOf("Red"), 3);
    EXPECT_EQ(c.count("---"), 10);
}

INSTANTIATE_TEST_SUITE_P(Catalogue, Kt420Colours, testing::Values(MainWin, DefWin, TestWin));

TEST(Catalogue, RepeatedLabelsKeepDistinctCodes)
{
    const ModelOptionSet qb7 = SelectOptionSet("QB7", TestWin);
    EXPECT_EQ(qb7.color.indexOf("White"), 7);
    EXPECT_EQ(qb7.color.lastIndexOf("White"), 16);
    EXPECT_EQ(qb7.color.mid(13), QStringList({"Blue", "Purple", "Cyan", "White"}));
    EXPECT_EQ(qb7.speed[10], "11 (Slowest)");
    EXPECT_EQ(qb7.style[11], "Scroll left");
    EXPECT_EQ(qb7.alignment[8], "Right Bottom");

    const ModelOptionSet kt = SelectOptionSet("KT420", MainWin);
    EXPECT_EQ(kt.style[17], "Cover DOWN");
    EXPECT_EQ(kt.style.indexOf("Cover DOWN"), 11);
    EXPECT_EQ(kt.style[12], "Boarder");

    const ModelOptionSet standard = standardOptionSet();
    EXPECT_EQ(standard.font[9], "Seven Row Color Shade");
    EXPECT_EQ(standard.font[14], standard.font[9]);
}

TEST(Catalogue, StandardSetEntries)
{
    const ModelOptionSet s = standardOptionSet();
    EXPECT_EQ(s.font[24], "Shade 31");
    EXPECT_EQ(s.style[6], "Roll in");
    EXPECT_EQ(s.style[27], "roll+hold");
    EXPECT_EQ(s.color[8], "Orange");
    EXPECT_EQ(s.color[12], "Black");
    EXPECT_EQ(s.speed, QStringList({"Fastest", "Faster", "Normal", "Slow", "Slower"}));
    EXPECT_EQ(s.alignment, QStringList({"Left", "Right", "Center"}));
    EXPECT_EQ(s.pause.first(), "0");
    EXPECT_EQ(s.pause.last(), "9");
    EXPECT_EQ(s.beep, QStringList({"OFF", "Normal", "Fast"}));
    EXPECT_TRUE(s.extra.isEmpty());

    // A download from an unknown model shows what start-up filled in.
    const ModelOptionSet unknown = SelectOptionSet("XYZ", MainWin);
    EXPECT_EQ(unknown.font, s.font);
    EXPECT_EQ(unknown.style, s.style);
    EXPECT_EQ(unknown.color, s.color);
}

TEST(Catalogue, FixedLists)
{
    EXPECT_EQ(linkPriorityLabels(),
              QStringList({"Priority 0", "Priority 1", "Priority 2", "Priority 3", "Priority 4"}));
    EXPECT_EQ(timeFormatEntries(),
              QStringList({"hh:mm:ss", "hh:mm:ss A/PM", "hh:mm", "hh:mm A/PM", "mm/dd/yyyy",
                           "yyyy-mm-dd", "dd.MM yyyy", "mm'dd'yy"}));
}

class PreviewColour : public testing::TestWithParam<std::pair<int, Rgb>> {};

TEST_P(PreviewColour, OfCode)
{
    EXPECT_EQ(previewColor(GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Catalogue, PreviewColour,
                         testing::Values(std::pair{0, Rgb{118, 129, 97}}, std::pair{6, Rgb{85, 43, 0}},
                                         std::pair{8, Rgb{255, 138, 21}}, std::pair{11, Rgb{128, 128, 128}},
                                         std::pair{12, Rgb{0, 0, 0}}, std::pair{13, Rgb{0, 0, 0}},
                                         std::pair{-1, Rgb{0, 0, 0}}, std::pair{1, Rgb{255, 0, 0}}));

} // namespace
