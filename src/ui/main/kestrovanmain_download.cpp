// "Download from Sign": the configuration request and what its dump puts into the window.
#include "ui/main/kestrovanmain.h"

#include "config/attribute.h"
#include "config/catalogue.h"
#include "config/dumplists.h"
#include "link/timers.h"
#include "protocol/commands.h"
#include "protocol/configdump.h"
#include "ui/common/signdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace ui {

namespace {

template <typename T>
void takeIfPresent(T &target, const std::optional<T> &value)
{
    if (value)
        target = *value;
}

} // namespace

void KestrovanMain::DownloadAll_Click()
{
    m_config.configFileName.clear();
    const int position = ComportsList->currentIndex();
    signlink::OpenResult result = openSignPort();
    if (result.ok()) {
        DownloadAll->setEnabled(false);
        DownloadAll->setText(QStringLiteral("Reading..."));
        m_downloadClock.start();
        m_requestPort = position + 1;
        m_linesSinceRequest = 0;
        m_dumpSinceRequest = false;
        if (writeCommand(protocol::readConfigurationCommand())) {
            signlink::startTimer(ComClose);
            refreshPortActions();
            return;
        }
        // The port took nothing: give the button back rather than waiting for an answer.
        MSComm2->close();
        DownloadAll->setText(QStringLiteral("Download from Sign"));
        DownloadAll->setEnabled(true);
        result = {signlink::OpenError::Other, tr("the request could not be written")};
    }
    reportFailedOpening(position, result);
}

void KestrovanMain::reportFailedOpening(int position, const signlink::OpenResult &result)
{
    // The port list item itself shows why; choosing it still selects the same port number. The
    // item is too narrow for a whole sentence, so its tool tip and the status line carry it too.
    if (position < 0)
        return;
    ComportsList->setItemText(position, QString::number(position + 1) + QStringLiteral("-") + result.description);
    ComportsList->setItemData(position, result.description, Qt::ToolTipRole);
    showStatus(tr("COM %1 could not be opened: %2").arg(position + 1).arg(result.description));
}

void KestrovanMain::applyConfigDump(const QString &line)
{
    protocol::ConfigDump dump = protocol::readConfigDump(line);
    // A value no list of this model holds is left out rather than shown as "nothing selected",
    // which the next upload would send.
    const QStringList unreadable =
        config::dropValuesOutsideLists(dump, config::SelectOptionSet(dump.model, config::OptionWindow::Main));

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
        const protocol::DumpPriorityRow &in = dump.priorities[n];
        config::PriorityBaseline &base = m_config.baseline.priorities[n];
        const PriorityRowControls &row = rows[n];
        for (const config::Attribute attribute : config::AllAttributes) {
            takeIfPresent(config::attributeOf(base, attribute), config::attributeOf(in, attribute));
            selectListPosition(config::attributeOf(row, attribute), config::attributeOf(base, attribute));
        }
        takeIfPresent(base.timeout, in.timeout);
        row.timeout->setText(QString::number(base.timeout));
    }

    for (int i = 0; i < config::LinkCount; ++i) {
        const protocol::DumpLinkRow &in = dump.links[i];
        // A dump that stops short of the link section leaves the rows it does not cover alone.
        if (!dump.linksComplete && !in.named)
            continue;
        Capcode0[i]->clear();
        Pri0[i]->setCurrentIndex(-1);
        if (!in.named) {
            // A whole dump that names no link for this ID says the sign holds none: the baseline
            // says so too, or the row would count as changed right after reading the sign.
            m_config.baseline.links[i] = {};
            continue;
        }
        Capcode0[i]->setText(in.capcode);
        m_config.baseline.links[i].capcode = in.capcode;
        if (in.priority) {
            selectListPosition(Pri0[i], *in.priority);
            m_config.baseline.links[i].priority = in.priorityText.value_or(QString::number(*in.priority));
        }
    }

    if (dump.autoId) {
        AutoID->setChecked(*dump.autoId);
        TestLabel->setText(*dump.autoId ? QStringLiteral("Auto ID True") : QStringLiteral("Auto ID False"));
        m_config.baseline.autoId = *dump.autoId ? 1 : 0;
    }

    m_config.flags.priorityChanged.fill(false);
    m_config.flags.linkChanged.fill(false);

    if (dump.userCommand) {
        usercmd1->setText(*dump.userCommand);
        m_config.baseline.userCommand = *dump.userCommand;
    }

    // The controls changed one by one while the baseline caught up; compare once more, whole.
    updatePendingMarks();
    if (!unreadable.isEmpty())
        showStatus(tr("The sign reported values the lists of model \"%1\" do not hold (%2); those settings "
                      "were left as they were.").arg(dump.model, unreadable.join(QStringLiteral(", "))));

    // A changed firmware count may call for the reminder; it comes once the whole
    // configuration is shown behind it.
    if (FCount->text() != countBefore)
        checkFirmwareCount();
}

} // namespace ui
