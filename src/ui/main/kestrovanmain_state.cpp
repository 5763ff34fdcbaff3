// What the main window shows about itself: which actions may talk to the sign now, which items
// the sign does not hold yet, and the question before changes the sign does not hold are lost.
#include "ui/main/kestrovanmain.h"

#include "ui/common/uiservices.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace ui {

namespace {

const QString BaseTitle = QStringLiteral("Sign Configuration Manager ver 4.8b");

void markChanged(QLabel *caption, bool changed)
{
    if (caption->font().bold() == changed)
        return;
    QFont font = caption->font();
    font.setBold(changed);
    caption->setFont(font);
    // Bold is not spoken; the description says it.
    caption->setToolTip(changed ? KestrovanMain::tr("Changed; the sign does not hold this yet") : QString());
    caption->setAccessibleDescription(caption->toolTip());
}

} // namespace

bool KestrovanMain::portBusy() const
{
    return m_session.busy();
}

void KestrovanMain::refreshPortActions()
{
    // Every way to the port waits while a sequence holds it; its own button says which.
    using Activity = session::ConfigSession::Activity;
    const Activity activity = m_session.activity();
    DownloadAll->setText(activity == Activity::Reading || activity == Activity::Comparing
                             ? QStringLiteral("Reading...")
                             : QStringLiteral("Download from Sign"));
    UploadAll->setText(activity == Activity::Uploading   ? QStringLiteral("Writing...")
                       : activity == Activity::Verifying ? QStringLiteral("Verifying...")
                                                         : QStringLiteral("Upload to Sign"));
    const bool idle = activity == Activity::Idle;
    for (QWidget *control : std::initializer_list<QWidget *>{DownloadAll, UploadAll, ForceUpload, UploadFactoryDef,
                                                             SetupDefaultMsg, SendTestMsg, AutoID, ForceOnID0})
        control->setEnabled(idle);
    for (QAction *action : {signOpenFile, signOpenBackup, signCompare})
        action->setEnabled(idle);
}

config::ChangeFlags KestrovanMain::pendingItems() const
{
    config::Baseline baseline = m_config.baseline;
    config::ChangeFlags flags = m_config.flags;
    config::getChangedRows(currentValues(), baseline, flags);
    return flags;
}

void KestrovanMain::updatePendingMarks()
{
    const config::ChangeFlags pending = pendingItems();
    QLabel *const rows[] = {Label0, Label1, Label2, Label3, Label4};
    for (int n = 0; n < config::PriorityCount; ++n)
        markChanged(rows[n], pending.priorityChanged[n]);
    QLabel *const links[] = {LabelID0, LabelID1, LabelID2, LabelID3, LabelID4, LabelID5, LabelID6, LabelID7};
    for (int i = 0; i < config::LinkCount; ++i)
        markChanged(links[i], pending.linkChanged[i]);
    setWindowTitle(pending.any() || m_defaultMsgUnsent ? u'*' + BaseTitle : BaseTitle);
}

void KestrovanMain::setDefaultMsgUnsent(bool unsent)
{
    m_defaultMsgUnsent = unsent;
    // The button's tool tip shows the message itself; the mark is its bold caption and, for a
    // screen reader, its description.
    QFont font = SetupDefaultMsg->font();
    font.setBold(unsent);
    SetupDefaultMsg->setFont(font);
    SetupDefaultMsg->setAccessibleDescription(unsent ? tr("Changed; the sign does not hold this yet") : QString());
    updatePendingMarks();
}

void KestrovanMain::watchForEdits()
{
    // Every way a value changes (the operator, a download, a file, the test-message window
    // writing into a priority row) goes through these signals.
    const auto update = [this] { updatePendingMarks(); };
    for (const PriorityRowControls &row : priorityRows()) {
        for (QComboBox *list : {row.font, row.style, row.color, row.speed, row.alignment, row.pause, row.beep})
            connect(list, &QComboBox::currentIndexChanged, this, update);
        connect(row.timeout, &QLineEdit::textChanged, this, update);
    }
    for (int i = 0; i < config::LinkCount; ++i) {
        connect(Capcode0[i], &QLineEdit::textChanged, this, update);
        connect(Pri0[i], &QComboBox::currentIndexChanged, this, update);
    }
    connect(usercmd1, &QLineEdit::textChanged, this, update);
    connect(AutoID, &QCheckBox::toggled, this, update);
}

void KestrovanMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // The first key press goes to reading the sign, not to the logo (Space would open a browser).
    if (!m_focusGiven) {
        m_focusGiven = true;
        DownloadAll->setFocus(Qt::ActiveWindowFocusReason);
    }
}

void KestrovanMain::closeEvent(QCloseEvent *event)
{
    if (portBusy()) {
        // Closing now would cut the sequence off half way; each of them ends within seconds.
        event->ignore();
        showStatus(tr("The sign is still being written or read; close again when it is done."));
        return;
    }
    const bool items = pendingItems().any();
    if (!items && !m_defaultMsgUnsent) {
        event->accept();
        return;
    }
    // The default message does not go with Upload to Sign: its own window uploads it. After an
    // upload that closes the window, this question comes again for the message alone.
    using Answer = UiServices::Answer;
    QString text;
    QList<Answer> answers;
    if (items) {
        text = m_defaultMsgUnsent
                   ? tr("The sign does not hold every change shown here yet, nor the default message kept here.\r\n"
                        "Upload the changes before closing? The default message goes to the sign from "
                        "\"Setup Default Message\".")
                   : tr("The sign does not hold every change shown here yet.\r\nUpload them before closing?");
        answers.append({tr("&Upload to Sign"), Answer::Role::Accept});
    } else {
        text = tr("The sign does not hold the default message kept here.\r\n"
                  "Open \"Setup Default Message\" to upload it before closing?");
        answers.append({tr("Setup &Default Message"), Answer::Role::Accept});
    }
    answers.append({{tr("&Discard"), Answer::Role::Destructive}, {tr("Cancel"), Answer::Role::Reject}});
    switch (m_services.question(this, QString(), text, answers)) {
    case 0:
        event->ignore();
        if (!items) {
            // Opened once the close event is over, not inside it.
            QTimer::singleShot(0, this, &KestrovanMain::SetupDefaultMsg_Click);
            return;
        }
        m_closeAfterUpload = true;
        UploadAll_Click();
        // An upload that did not start (a refused input, a port that would not open) has said
        // why; the window stays.
        if (!UploadTimer.isActive())
            m_closeAfterUpload = false;
        return;
    case 1:
        event->accept();
        return;
    default:
        event->ignore();
        return;
    }
}

} // namespace ui
