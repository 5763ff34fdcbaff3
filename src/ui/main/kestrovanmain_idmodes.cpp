// Actions that change one sign setting at once: the ID mode, forced ID 0, factory defaults.
#include "ui/main/kestrovanmain.h"

#include "link/timers.h"
#include "protocol/commands.h"
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

bool KestrovanMain::workflowHoldsPort() const
{
    return UploadTimer.isActive() || ComClose.isActive() || FactoryDef.isActive();
}

void KestrovanMain::AutoID_MouseDown()
{
    if (!openSignPortOrSay())
        return;
    if (AutoID->isChecked()) {
        AutoID->setChecked(false);
        writeCommand(protocol::idModeCommand(false));
    } else {
        AutoID->setChecked(true);
        writeCommand(protocol::idModeCommand(true));
    }
    AutoID->setEnabled(false);
    DownloadAll->setEnabled(false);
    UploadAll->setEnabled(false);
    ++m_switching;
    refreshPortActions();
    if (!Sleep(20))
        return;
    --m_switching;
    AutoID->setEnabled(true);
    // An upload or download that was already running keeps its port and its buttons.
    if (workflowHoldsPort()) {
        refreshPortActions();
        return;
    }
    closeSignPort();
    DownloadAll->setEnabled(true);
    UploadAll->setEnabled(true);
    refreshPortActions();
}

void KestrovanMain::ForceOnID0_Click()
{
    if (!openSignPortOrSay())
        return;
    QLabel *labels[] = {LabelID0, LabelID1, LabelID2, LabelID3, LabelID4, LabelID5, LabelID6, LabelID7};
    const bool forced = ForceOnID0->isChecked();
    for (int i = 0; i < config::LinkCount; ++i)
        labels[i]->setText(QStringLiteral("ID   %1").arg(forced ? 0 : i));
    writeCommand(forced ? protocol::forceId0OnCommand() : protocol::forceIdOffCommand());
    ++m_switching;
    refreshPortActions();
    if (!Sleep(20))
        return;
    --m_switching;
    if (!workflowHoldsPort())
        closeSignPort();
    refreshPortActions();
}

void KestrovanMain::UploadFactoryDef_Click()
{
    Warning warning(*this);
    m_services.execDialog(warning);
}

void KestrovanMain::FactoryDefaultsConfirmed()
{
    ProgressUploadAll->setMaximum(20);
    // Nothing is sent and nothing started when the port cannot be opened; the buttons stay.
    if (!openSignPortOrSay())
        return;
    UploadFactoryDef->setEnabled(false);
    DownloadAll->setEnabled(false);
    UploadAll->setEnabled(false);
    if (!writeCommand(protocol::factoryDefaultsCommand())) {
        closeSignPort();
        UploadFactoryDef->setEnabled(true);
        DownloadAll->setEnabled(true);
        UploadAll->setEnabled(true);
        m_services.message(this, QString(), tr("The sign did not take the factory defaults command."),
                           UiServices::Icon::Critical);
        return;
    }
    signlink::startTimer(FactoryDef);
    refreshPortActions();
}

void KestrovanMain::FactoryDef_Timer()
{
    FactoryDef.stop();
    if (MSComm2->isOpen())
        MSComm2->close();
    UploadFactoryDef->setEnabled(false);
    DownloadAll->setEnabled(false);
    UploadAll->setEnabled(false);
    DownloadAll_Click();
    // A failed request leaves the port closed and ComClose stopped; nothing would give the
    // buttons back then.
    if (!ComClose.isActive()) {
        UploadFactoryDef->setEnabled(true);
        DownloadAll->setEnabled(true);
        UploadAll->setEnabled(true);
    }
    refreshPortActions();
}

} // namespace ui
