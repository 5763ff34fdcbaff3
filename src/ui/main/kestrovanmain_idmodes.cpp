// Actions that change one sign setting at once: the ID mode, forced ID 0, factory defaults.
#include "ui/main/kestrovanmain.h"

#include "ui/common/uiservices.h"
#include "ui/main/warning.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>

namespace ui {

bool KestrovanMain::eventFilter(QObject *watched, QEvent *event)
{
    // The ID mode changes on the press of a mouse button; the box must not toggle again on the
    // release, so the check box never sees the mouse. The keyboard still toggles it and sends
    // nothing: the next upload finds the difference.
    if (watched == AutoID) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (AutoID->isEnabled())
                AutoID_MouseDown();
            return true;
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return true;
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void KestrovanMain::AutoID_MouseDown()
{
    // The box takes its new value once the port is open; a port that will not open leaves it.
    const bool toAuto = !AutoID->isChecked();
    const signlink::OpenResult result =
        m_session.switchIdMode(selectedPortNumber(), toAuto, [this, toAuto] { AutoID->setChecked(toAuto); });
    if (!result.ok())
        m_services.message(this, QString(), signlink::cannotOpenPortMessage(selectedPortNumber(), result),
                           UiServices::Icon::Warning);
}

void KestrovanMain::ForceOnID0_Click()
{
    const bool forced = ForceOnID0->isChecked();
    const signlink::OpenResult result = m_session.switchForcedId(selectedPortNumber(), forced, [this, forced] {
        QLabel *labels[] = {LabelID0, LabelID1, LabelID2, LabelID3, LabelID4, LabelID5, LabelID6, LabelID7};
        for (int i = 0; i < config::LinkCount; ++i)
            labels[i]->setText(QStringLiteral("ID   %1").arg(forced ? 0 : i));
    });
    if (!result.ok())
        m_services.message(this, QString(), signlink::cannotOpenPortMessage(selectedPortNumber(), result),
                           UiServices::Icon::Warning);
}

void KestrovanMain::UploadFactoryDef_Click()
{
    Warning warning(*this);
    m_services.execDialog(warning);
}

void KestrovanMain::FactoryDefaultsConfirmed()
{
    const session::ConfigSession::FactoryStart start = m_session.startFactoryDefaults(selectedPortNumber());
    if (!start.opening.ok())
        m_services.message(this, QString(), signlink::cannotOpenPortMessage(selectedPortNumber(), start.opening),
                           UiServices::Icon::Warning);
    else if (!start.refusedText.isEmpty())
        m_services.message(this, QString(), start.refusedText, UiServices::Icon::Critical);
}

void KestrovanMain::FactoryDef_Timer()
{
    m_session.factoryDefaultsTick();
}

} // namespace ui
