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
    if (!m_refusalStatus.isEmpty() && Textout->text() == m_refusalStatus)
        TextClear_Timer();
    m_refusalStatus.clear();
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
            m_services.message(this, QString(), outcome.stopText, UiServices::Icon::Warning);
        else
            showStatus(outcome.stopText);
    }
    m_refusalStatus = outcome.refusalText();
    if (!m_refusalStatus.isEmpty()) {
        // Shown for its full time, not cut short by the clearing of an earlier answer.
        TextClear.stop();
        showStatus(m_refusalStatus);
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
