#pragma once

#include <QString>

class QComboBox;
class QLabel;
class QWidget;

namespace ui {

// A control without a caption of its own gets a name a screen reader can speak.
void nameControl(QWidget *control, const QString &name);

// A combo box gets the name as its description too: Qt on Linux announces a combo box by its
// current item rather than by its name.
void nameCombo(QComboBox *combo, const QString &name);

// A label that shows a value keeps the value as what is read out (no accessible name of its
// own) and says what the value is in its description.
void describeValueLabel(QLabel *label, const QString &role);

} // namespace ui
