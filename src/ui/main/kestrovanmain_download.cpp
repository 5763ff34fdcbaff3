// "Download from Sign": the configuration request and what its dump puts into the window.
#include "ui/main/kestrovanmain.h"

#include "config/attribute.h"
#include "session/sentences.h"
#include "ui/common/signdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace ui {

void KestrovanMain::DownloadAll_Click()
{
    // A request that cannot start says why through the session (reportFailedOpening).
    m_session.startRead(selectedPortNumber());
}

void KestrovanMain::reportFailedOpening(int position, const signlink::OpenResult &result)
{
    // The port list item itself shows why; choosing it still selects the same port number. The
    // item is too narrow for a whole sentence, so its tool tip and the status line carry it too.
    if (position < 0 || position >= ComportsList->count())
        return;
    ComportsList->setItemText(position, QString::number(position + 1) + QStringLiteral("-") + result.description);
    ComportsList->setItemData(position, result.description, Qt::ToolTipRole);
    showStatus(tr("COM %1 could not be opened: %2").arg(position + 1).arg(result.description));
}

void KestrovanMain::applyConfigDump(const QString &line)
{
    // As if the line had come from the sign.
    m_session.handleLine(line.toLatin1());
}

void KestrovanMain::applyConfiguration(const session::ReadConfiguration &read)
{
    const protocol::ConfigDump &dump = read.dump;
    const config::ShownConfiguration &shown = read.shown;

    LEDSignModel->setText(dump.model);
    const QString countBefore = FCount->text();
    if (dump.build) {
        FCount->setText(*dump.build);
        FCount->setToolTip(QStringLiteral("Firmware Count"));
        FCountLabel->setToolTip(QStringLiteral("Firmware Count"));
    } else {
        FCount->setText(QStringLiteral("Not Available"));
        const QString tip = QStringLiteral("Firmware Count is available in version 3.9 and above");
        FCount->setToolTip(tip);
        FCountLabel->setToolTip(tip);
    }

    if (!LEDSignModel->text().isEmpty())
        ShowPriority_Click();

    m_modelNumber = dump.model;
    if (dump.build)
        m_buildNumber = *dump.build;

    // The lists are rebuilt before anything is selected, so positions refer to this model's lists.
    ApplyModelOptions(m_modelNumber, m_buildNumber);

    const auto rows = priorityRows();
    for (int n = 0; n < config::PriorityCount; ++n) {
        const PriorityRowControls &row = rows[n];
        for (const config::Attribute attribute : config::AllAttributes)
            selectListPosition(config::attributeOf(row, attribute), config::attributeOf(shown.priorities[n], attribute));
        row.timeout->setText(QString::number(shown.priorities[n].timeout));
    }

    for (int i = 0; i < config::LinkCount; ++i) {
        const std::optional<config::ShownLink> &link = shown.links[i];
        if (!link)
            continue;
        Capcode0[i]->setText(link->capcode);
        Pri0[i]->setCurrentIndex(-1);
        if (link->priority)
            selectListPosition(Pri0[i], *link->priority);
    }

    if (shown.autoId) {
        AutoID->setChecked(*shown.autoId);
        TestLabel->setText(*shown.autoId ? QStringLiteral("Auto ID True") : QStringLiteral("Auto ID False"));
    }
    if (shown.userCommand)
        usercmd1->setText(*shown.userCommand);

    // The controls changed one by one while the baseline was already new; compare once more.
    updatePendingMarks();
    // Read as far as it goes, as the tolerant reader does; the operator learns what did not come.
    QStringList notes;
    if (!read.missing.isEmpty())
        notes << session::incompleteAnswerText(read.missing) + tr(" What it did not send was left as it was.");
    if (!read.unreadable.isEmpty())
        notes << tr("The sign reported values the lists of model \"%1\" do not hold (%2); those settings "
                    "were left as they were.").arg(dump.model, read.unreadable.join(QStringLiteral(", ")));
    if (!notes.isEmpty())
        showStatus(notes.join(QStringLiteral("\r\n")));

    // A changed firmware count may call for the reminder; it comes once the whole
    // configuration is shown behind it.
    if (FCount->text() != countBefore)
        checkFirmwareCount();
}

} // namespace ui
