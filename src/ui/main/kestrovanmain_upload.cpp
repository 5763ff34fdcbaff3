// "Upload to Sign" and "Force Upload": the session sends one flagged item per tick of
// UploadTimer; the window starts it and shows how it ended.
#include "ui/main/kestrovanmain.h"

#include "ui/common/uiservices.h"

#include <QLabel>
#include <QTimer>

namespace ui {

void KestrovanMain::UploadAll_Click()
{
    beginUpload(false);
}

void KestrovanMain::ForceUpload_Click()
{
    beginUpload(true);
}

void KestrovanMain::beginUpload(bool force)
{
    const session::ConfigSession::UploadStart start = m_session.startUpload(selectedPortNumber(), force);
    m_backupStatus = start.backupNote.value_or(QString());
    if (start.refusal) {
        m_services.message(this, QString(), *start.refusal, UiServices::Icon::Warning);
        return;
    }
    if (!start.opening.ok()) {
        m_services.message(this, QString(), signlink::cannotOpenPortMessage(selectedPortNumber(), start.opening),
                           UiServices::Icon::Warning);
        return;
    }
    // What an earlier upload's refusals said is over once these items go again.
    if (!m_refusalStatus.isEmpty() && Textout->text().endsWith(m_refusalStatus))
        TextClear_Timer();
    m_refusalStatus.clear();
}

QString KestrovanMain::uploadStatus(const QString &text) const
{
    using Activity = session::ConfigSession::Activity;
    const Activity activity = m_session.activity();
    return activity == Activity::Uploading || activity == Activity::Verifying ? withBackupStatus(text) : text;
}

QString KestrovanMain::withBackupStatus(const QString &text) const
{
    if (m_backupStatus.isEmpty() || text.contains(m_backupStatus))
        return text;
    return text.isEmpty() ? m_backupStatus : m_backupStatus + QStringLiteral("\r\n") + text;
}

void KestrovanMain::UploadTimer_Timer()
{
    m_session.uploadTick();
}

void KestrovanMain::onUploadEnded(const session::UploadOutcome &outcome)
{
    updatePendingMarks();
    if (!outcome.stopText.isEmpty()) {
        if (outcome.stopIsWarning)
            m_services.message(this, QString(), withBackupStatus(outcome.stopText), UiServices::Icon::Warning);
        else
            showStatus(withBackupStatus(outcome.stopText));
    }
    m_refusalStatus = outcome.refusalText();
    if (!m_refusalStatus.isEmpty()) {
        // Shown for its full time, not cut short by the clearing of an earlier answer.
        TextClear.stop();
        showStatus(withBackupStatus(m_refusalStatus));
    } else if (!m_backupStatus.isEmpty() && !outcome.verifying && outcome.stopText.isEmpty()) {
        // The missing backup stays in the final status, with the sign's last answer, for its
        // full time (the check's result says it when one follows).
        TextClear.stop();
        showStatus(withBackupStatus(Textout->text()));
    }
    // A check that follows decides whether the window may close.
    if (outcome.verifying)
        return;
    const bool closing = m_closeAfterUpload;
    m_closeAfterUpload = false;
    if (closing && outcome.completed && outcome.refused.isEmpty())
        QTimer::singleShot(0, this, &QWidget::close);
}

} // namespace ui
