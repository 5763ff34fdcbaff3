#include "ui/common/accessibility.h"

#include <QComboBox>
#include <QLabel>

namespace ui {

void nameControl(QWidget *control, const QString &name)
{
    control->setAccessibleName(name);
}

void nameCombo(QComboBox *combo, const QString &name)
{
    combo->setAccessibleName(name);
    combo->setAccessibleDescription(name);
}

void describeValueLabel(QLabel *label, const QString &role)
{
    label->setAccessibleDescription(role);
}

} // namespace ui
