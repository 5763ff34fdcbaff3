#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace config {

// The windows that show option lists; each gets its own set for a model.
enum class OptionWindow { Main, DefaultMessage, TestMessage };

// The state the speed and alignment selectors take after a rebuild.
enum class SelectorState { Enable, Disable, Leave };

// A change a branch makes to a control other than the option lists: the control's name (its
// objectName), which property, and the new value (bool for Visible/Enabled, text for Caption).
struct ControlChange {
    enum class Property { Visible, Enabled, Caption };
    QString control;
    Property property = Property::Visible;
    QVariant value;
    friend bool operator==(const ControlChange &, const ControlChange &) = default;
};

// The option lists one window gets for one model. Entry i of a list has code i: the sign
// receives the position, and placeholders ("----", "---") keep the positions aligned.
struct ModelOptionSet {
    QStringList font, style, color, speed, alignment, pause, beep;
    SelectorState speedState = SelectorState::Leave;
    SelectorState alignmentState = SelectorState::Leave;
    QList<ControlChange> extra;
    bool appendTimeFormats = false;  // append the eight time formats and select position 0
};

// Which option set `window` gets for `model` (compared exactly and case-sensitively).
ModelOptionSet SelectOptionSet(const QString &model, OptionWindow window);

// The standard lists, filled into the main window at start-up before any model is known.
ModelOptionSet standardOptionSet();

// "Priority 0" .. "Priority 4", the lists of the link rows.
QStringList linkPriorityLabels();

// The eight time formats in format-number order ("hh:mm:ss" .. "mm'dd'yy").
QStringList timeFormatEntries();

// Screen colour of a standard colour code for previews in the test-message window.
struct Rgb {
    int red = 0, green = 0, blue = 0;
    friend bool operator==(const Rgb &, const Rgb &) = default;
};
Rgb previewColor(int colorCode);  // codes outside 0..12 give black

} // namespace config
