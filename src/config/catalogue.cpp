#include "config/catalogue.h"

#include <initializer_list>
#include <iterator>
#include <utility>

namespace config {

namespace {

// A list of `size` placeholders with the model's real options at their sign codes, so that
// every remaining entry keeps the position the sign expects.
QStringList withPlaceholders(int size, const QString &placeholder,
                             std::initializer_list<std::pair<int, const char *>> options)
{
    QStringList list(size, placeholder);
    for (const auto &[code, label] : options)
        list[code] = QString::fromLatin1(label);
    return list;
}

// ---- Lists shared by every model ----

QStringList pauseList()
{
    QStringList list;
    for (int i = 0; i < 10; ++i)
        list << QString::number(i);
    return list;
}

QStringList beepList() { return {"OFF", "Normal", "Fast"}; }

// ---- Standard set ----

QStringList standardFonts()
{
    return {"Small",
            "Small Normal 5 row",
            "Small Shade 5 row",
            "Small Wide 5 row",
            "Small Wide Shade 5 row",
            "Seven Row Normal",
            "Seven Row Shade",
            "Seven Row Wide",
            "Seven Row Wide Shade",
            "Seven Row Color Shade",
            "Seven Row Fancy",
            "Seven Row Shade Fancy",
            "Seven Row Wide Fancy",
            "Seven Row Wide Shade Fancy",
            "Seven Row Color Shade",
            "Ten Row Normal",
            "Ten Row Shade",
            "Ten Row Wide",
            "Ten Row Wide Shade",
            "15/16 Row Normal",
            "15/16 Row Shade",
            "15/16 Row Wide",
            "15/16 Row Wide Shade",
            "Shade 23",
            "Shade 31"};
}

QStringList standardColors()
{
    return {"Auto",   "Light Red", "Light Green", "Red",    "Green", "Yellow", "Brown",
            "Amber",  "Orange",    "Mix V1",      "Mix V2", "Mix H", "Black"};
}

QStringList standardStyles()
{
    return {"auto",      "flash",    "hold",     "interlock", "rolldown",   "rollup",   "Roll in",
            "rollout",   "rollleft", "rollright", "rotate",   "slide",      "snow",     "sparkle",
            "spray",     "starburst", "switch",  "twinkle",   "wipedown",   "wipeup",   "wipein",
            "wipeout",   "wipeleft", "wiperight", "cyclecolor", "clock",    "hold+roll", "roll+hold"};
}

QStringList standardSpeeds() { return {"Fastest", "Faster", "Normal", "Slow", "Slower"}; }

QStringList standardAlignments() { return {"Left", "Right", "Center"}; }

// ---- KT420 set ----

QStringList kt420Fonts()
{
    return withPlaceholders(25, QStringLiteral("----"),
                            {{6, "Normal"}, {7, "Fat"}, {19, "Tall"}, {21, "Large"}});
}

// The default-message window sends these fonts as 0 to 3.
QStringList kt420DefaultMessageFonts() { return {"Normal", "Fat", "Tall", "Large"}; }

QStringList kt420Colors()
{
    return withPlaceholders(13, QStringLiteral("---"), {{3, "Red"}, {4, "Green"}, {8, "Orange"}});
}

QStringList kt420Styles()
{
    return {"Auto Function",
            "Flash 5 Times",
            "Appear",
            "Cover -> <-",
            "Scroll out Downward",
            "Scroll out Upward",
            "Close -> <-",
            "Close <- ->",
            "Shift LEFT",
            "Shift Right",
            "Reform from left / right",
            "Cover DOWN",
            "Boarder",
            "Combine",
            "Split OUT",
            "Fold out",
            "Search",
            "Cover DOWN",
            "Cover UP",
            "Cover FROM EDGES",
            "Cover FROM CENTER",
            "Cover LEFT",
            "Cover RIGHT"};
}

// ---- QB7 set ----

QStringList qb7Fonts() { return {"8 pixel", "16 pixel", "24 pixel", "32 pixel"}; }

QStringList qb7Styles()
{
    return {// 0 to 7
            "Draw", "Draw", "Draw", "Draw", "Move up", "Move down", "Open from center(H)",
            "Open from center(V)",
            // 8 to 15
            "Move to left", "Move to right", "Draw", "Scroll left", "Draw", "Draw", "Draw", "Draw",
            // 16 to 23
            "Draw", "Draw", "Move down", "Shutter", "Shutter", "Shutter", "Shutter", "Draw"};
}

QStringList qb7Colors()
{
    return {"Red", "Red", "Green", "Red", "Green",  "Orange", "Red",  "White", "Orange",
            "Red", "Red", "Red",   "Red", "Blue",   "Purple", "Cyan", "White"};
}

QStringList qb7Speeds()
{
    return {"1 (Fastest)", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11 (Slowest)"};
}

QStringList qb7Alignments()
{
    return {"Left",     "Right",       "Center",        "Left Mid",    "Middle",
            "Right Mid", "Left Bottom", "Center Bottom", "Right Bottom"};
}

// ---- Whole sets, with every list a window can show ----

ModelOptionSet kt420Set()
{
    ModelOptionSet set;
    set.font = kt420Fonts();
    set.style = kt420Styles();
    set.color = kt420Colors();
    set.speed = standardSpeeds();
    set.alignment = standardAlignments();
    set.pause = pauseList();
    set.beep = beepList();
    // This model has one speed and one alignment: the operator may not change them.
    set.speedState = SelectorState::Disable;
    set.alignmentState = SelectorState::Disable;
    return set;
}

ModelOptionSet qb7Set()
{
    ModelOptionSet set;
    set.font = qb7Fonts();
    set.style = qb7Styles();
    set.color = qb7Colors();
    set.speed = qb7Speeds();
    set.alignment = qb7Alignments();
    set.pause = pauseList();
    set.beep = beepList();
    set.speedState = SelectorState::Enable;
    set.alignmentState = SelectorState::Enable;
    return set;
}

ControlChange visible(const char *control, bool shown)
{
    return {QString::fromLatin1(control), ControlChange::Property::Visible, shown};
}

ModelOptionSet mainWindowSet(const QString &model)
{
    if (model == u"KT420")
        return kt420Set();
    if (model == u"QB7") {
        ModelOptionSet set = qb7Set();
        set.extra << ControlChange{QStringLiteral("Label12"), ControlChange::Property::Caption,
                                   QStringLiteral("Timeout")};
        return set;
    }
    ModelOptionSet set = standardOptionSet();
    set.speedState = SelectorState::Enable;
    set.alignmentState = SelectorState::Enable;
    return set;
}

ModelOptionSet defaultMessageWindowSet(const QString &model)
{
    ModelOptionSet set;
    if (model == u"KT420") {
        set = kt420Set();
        set.font = kt420DefaultMessageFonts();
        set.extra << visible("TimeFormat", true) << visible("Label_TimeFormat", true)
                  << visible("InsertTime", false) << visible("Label_OR", true)
                  << visible("TimeOnIdle", true) << visible("TimeDisplayStatus", true);
    } else if (model == u"RW2290") {
        set = standardOptionSet();
        set.extra << visible("TimeFormat", true) << visible("Label_TimeFormat", true)
                  << visible("InsertTime", true) << visible("Label_OR", false)
                  << visible("TimeOnIdle", false) << visible("TimeDisplayStatus", false);
        set.appendTimeFormats = true;
    } else if (model == u"PN360") {
        set = standardOptionSet();
        set.extra << visible("TimeFormat", false) << visible("Label_TimeFormat", false)
                  << visible("InsertTime", false) << visible("Label_OR", false)
                  << visible("TimeOnIdle", true) << visible("TimeDisplayStatus", true);
        set.appendTimeFormats = true;
    }
    // This window has no beep list.
    set.beep.clear();
    return set;
}

ModelOptionSet testMessageWindowSet(const QString &model)
{
    if (model == u"KT420") {
        ModelOptionSet set = kt420Set();
        set.extra << visible("TimeFormat", false) << visible("Label_TimeFormat", false)
                  << visible("InsertTime", false);
        return set;
    }
    if (model == u"QB7")
        return qb7Set();
    ModelOptionSet set = standardOptionSet();
    set.extra << visible("TimeFormat", true) << visible("Label_TimeFormat", true)
              << visible("InsertTime", true);
    set.appendTimeFormats = true;
    return set;
}

} // namespace

ModelOptionSet SelectOptionSet(const QString &model, OptionWindow window)
{
    switch (window) {
    case OptionWindow::Main:
        return mainWindowSet(model);
    case OptionWindow::DefaultMessage:
        return defaultMessageWindowSet(model);
    case OptionWindow::TestMessage:
        return testMessageWindowSet(model);
    }
    return {};
}

ModelOptionSet standardOptionSet()
{
    ModelOptionSet set;
    set.font = standardFonts();
    set.style = standardStyles();
    set.color = standardColors();
    set.speed = standardSpeeds();
    set.alignment = standardAlignments();
    set.pause = pauseList();
    set.beep = beepList();
    return set;
}

QStringList linkPriorityLabels()
{
    QStringList list;
    for (int i = 0; i < 5; ++i)
        list << QStringLiteral("Priority %1").arg(i);
    return list;
}

QStringList timeFormatEntries()
{
    return {"hh:mm:ss",   "hh:mm:ss A/PM", "hh:mm",      "hh:mm A/PM",
            "mm/dd/yyyy", "yyyy-mm-dd",    "dd.MM yyyy", "mm'dd'yy"};
}

Rgb previewColor(int colorCode)
{
    static constexpr Rgb table[] = {
        {118, 129, 97}, {255, 0, 0},   {0, 255, 0},     {128, 0, 0},     {0, 128, 0},
        {240, 240, 0},  {85, 43, 0},   {200, 200, 0},   {255, 138, 21},  {128, 128, 128},
        {128, 128, 128}, {128, 128, 128}, {0, 0, 0},
    };
    if (colorCode < 0 || colorCode >= int(std::size(table)))
        return {};
    return table[colorCode];
}

} // namespace config
