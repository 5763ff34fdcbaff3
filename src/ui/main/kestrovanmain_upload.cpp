// "Upload to Sign" and "Force Upload": one flagged item per tick of UploadTimer, priorities first,
// then the ID mode, the user command and the links.
#include "ui/main/kestrovanmain.h"

#include "link/timers.h"
#include "protocol/commands.h"
#include "protocol/numbers.h"
#include "ui/common/uiservices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace ui {

namespace {

constexpr int UnitsPerItem = 20;

QString uploadItemName(int item)
{
    if (item < config::PriorityCount)
        return KestrovanMain::tr("Priority %1").arg(item);
    if (item == config::PriorityCount)
        return KestrovanMain::tr("the ID mode");
    if (item == config::PriorityCount + 1)
        return KestrovanMain::tr("the user command");
    return KestrovanMain::tr("ID %1").arg(item - config::UploadCommandCount);
}

QString unsendableText(const QString &field, const QString &character)
{
    return KestrovanMain::tr("%1 holds the character \"%2\", which the sign cannot show.\r\n"
                             "Remove it and upload again.").arg(field, character);
}

} // namespace

bool KestrovanMain::checkUploadInputs()
{
    // A timeout box that holds no whole number would give the sign garbage and the comparison
    // with the sign nothing to compare; the operator mends it first.
    const auto rows = priorityRows();
    for (int n = 0; n < config::PriorityCount; ++n) {
        const QString text = rows[n].timeout->text();
        if (!protocol::strictInt16(text)) {
            m_services.message(this, QString(),
                               tr("The timeout of priority %1 is \"%2\".\r\n"
                                  "It must be a whole number from -32768 to 32767.").arg(n).arg(text),
                               UiServices::Icon::Warning);
            return false;
        }
    }
    // Checked as the commands they go out in, so that one longer than the sign takes is refused
    // before anything is sent rather than cut off on the wire.
    const auto refuse = [this](const QString &field, const QString &text, const QString &command) {
        if (const std::optional<QString> bad = protocol::firstUnsendableChar(text)) {
            m_services.message(this, QString(), unsendableText(field, *bad), UiServices::Icon::Warning);
            return true;
        }
        if (const std::optional<QString> why = protocol::whyUnsendable(command)) {
            m_services.message(this, QString(), field + QStringLiteral(":\r\n") + *why, UiServices::Icon::Warning);
            return true;
        }
        return false;
    };
    const QString user = usercmd1->text();
    if (refuse(tr("The user defined reset command"), user, protocol::userCommand(user)))
        return false;
    for (int i = 0; i < config::LinkCount; ++i) {
        const QString capcode = Capcode0[i]->text();
        if (refuse(tr("The capcode of ID %1").arg(i), capcode, protocol::linkCommand(i, capcode, 4)))
            return false;
    }
    return true;
}

void KestrovanMain::UploadAll_Click()
{
    if (!checkUploadInputs())
        return;

    const config::ConfigValues values = currentValues();
    for (int n = 0; n < config::PriorityCount; ++n) {
        const config::PriorityDefaults &p = values.priorities[n];
        const protocol::PriorityCodes codes{p.font, p.style, p.color, p.speed, p.alignment, p.pause, p.beep};
        m_config.uploadCommands[n] = protocol::priorityDefaultsCommand(n, codes, p.timeout);
    }
    m_config.uploadCommands[5] = protocol::idModeCommand(values.autoId == 1);
    m_config.uploadCommands[6] = protocol::userCommand(values.userCommand);

    if (getChangedRows() == 0)
        showStatus(QStringLiteral("Nothing to Upload"));

    ProgressUploadAll->setMaximum(1 + UnitsPerItem * m_config.flags.countSet());

    if (!openSignPortOrSay())
        return;

    m_lastSentItem.reset();
    m_refusedItems.clear();
    // What an earlier upload's refusals said is over once these items go again.
    if (!m_refusalStatus.isEmpty() && Textout->text() == m_refusalStatus)
        TextClear_Timer();
    m_refusalStatus.clear();
    signlink::startTimer(UploadTimer);
    DownloadAll->setEnabled(false);
    UploadAll->setEnabled(false);
    UploadAll->setText(QStringLiteral("Writing..."));
    ProgressUploadAll->setValue(0);
    ProgressUploadAll->setVisible(true);
    refreshPortActions();
}

void KestrovanMain::ForceUpload_Click()
{
    // Checked before the flags are set, so a refused upload leaves them as they were.
    if (!checkUploadInputs())
        return;
    m_config.flags.setAll();
    UploadAll_Click();
}

bool KestrovanMain::sendUploadItem(const QString &command)
{
    if (!MSComm2->isOpen()) {
        // Someone closed the port under the sequence; the item stays pending.
        if (UploadTimer.isActive()) {
            endUpload();
            showStatus(tr("The upload stopped because the port was closed"));
        }
        return false;
    }
    if (!writeCommand(command)) {
        endUpload();
        const std::optional<QString> bad = protocol::firstUnsendableChar(command);
        m_services.message(this, QString(),
                           bad ? unsendableText(tr("A capcode"), *bad)
                               : tr("The sign did not take the command; the upload stopped.\r\n"
                                    "The items not yet sent will go with the next upload."));
        return false;
    }
    return true;
}

void KestrovanMain::UploadTimer_Timer()
{
    config::ChangeFlags &flags = m_config.flags;

    const int max = ProgressUploadAll->maximum();
    const int value = ProgressUploadAll->value();
    if (max > 1) {
        if (max > value)
            ProgressUploadAll->setValue(max >= value + UnitsPerItem ? value + UnitsPerItem : max);
        else
            ProgressUploadAll->setVisible(false);
    }

    // Priorities, then ID mode, then user command: the texts built when the upload started.
    bool *const items[] = {&flags.priorityChanged[0], &flags.priorityChanged[1], &flags.priorityChanged[2],
                           &flags.priorityChanged[3], &flags.priorityChanged[4], &flags.autoIdChanged,
                           &flags.userCmdChanged};
    for (int k = 0; k < config::UploadCommandCount; ++k) {
        if (!*items[k])
            continue;
        if (sendUploadItem(m_config.uploadCommands[k])) {
            *items[k] = false;
            m_lastSentItem = k;
        }
        return;
    }

    linkCommand.clear();
    unlinkCommand.clear();
    for (int i = 0; i < config::LinkCount; ++i) {
        if (!flags.linkChanged[i])
            continue;
        flags.linkChanged[i] = false;
        if (protocol::leadingNumber(Capcode0[i]->text()) == 0) {
            // An empty box or a capcode 0 removes the link.
            Capcode0[i]->clear();
            Pri0[i]->setCurrentIndex(-1);
            linkCommand = protocol::removeLinkCommand(i);
        } else {
            unlinkCommand = protocol::removeLinkCommand(i);
            if (Pri0[i]->currentIndex() < 0)
                Pri0[i]->setCurrentIndex(0);
            linkCommand = protocol::linkCommand(i, Capcode0[i]->text(), Pri0[i]->currentIndex());
        }
        // Kept here: a tick that runs during the pause below sets the members anew.
        const QString removal = unlinkCommand;
        const QString link = linkCommand;
        if (!removal.isEmpty() && !sendUploadItem(removal)) {
            flags.linkChanged[i] = true;
            return;
        }
        m_lastSentItem = config::UploadCommandCount + i;
        if (!Sleep(15))
            return;
        if (!sendUploadItem(link))
            flags.linkChanged[i] = true;
        return;
    }

    finishUpload();
}

void KestrovanMain::finishUpload()
{
    const QList<int> refused = m_refusedItems;
    endUpload();
    if (!refused.isEmpty()) {
        QStringList names;
        for (const int item : refused)
            names << uploadItemName(item);
        // Shown for its full time, not cut short by the clearing of an earlier answer.
        TextClear.stop();
        const QString count = refused.size() == 1 ? tr("1 item") : tr("%1 items").arg(refused.size());
        m_refusalStatus = tr("The sign refused %1: %2. They stay marked and go with the next upload.")
                              .arg(count, names.join(QStringLiteral(", ")));
        showStatus(m_refusalStatus);
        m_closeAfterUpload = false;
        return;
    }
    if (m_closeAfterUpload) {
        m_closeAfterUpload = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void KestrovanMain::endUpload()
{
    // What the sign refused is not on it: the next upload sends it again.
    for (const int item : std::as_const(m_refusedItems)) {
        if (item < config::PriorityCount)
            m_config.flags.priorityChanged[item] = true;
        else if (item == config::PriorityCount)
            m_config.flags.autoIdChanged = true;
        else if (item == config::PriorityCount + 1)
            m_config.flags.userCmdChanged = true;
        else
            m_config.flags.linkChanged[item - config::UploadCommandCount] = true;
    }
    m_refusedItems.clear();
    m_lastSentItem.reset();
    if (MSComm2->isOpen())
        MSComm2->close();
    UploadTimer.stop();
    UploadFactoryDef->setEnabled(true);
    DownloadAll->setEnabled(true);
    UploadAll->setEnabled(true);
    UploadAll->setText(QStringLiteral("Upload to Sign"));
    ProgressUploadAll->setVisible(false);
    refreshPortActions();
    updatePendingMarks();
}

} // namespace ui
