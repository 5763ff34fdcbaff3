// Closing the default-message window: what becomes of an edited message, and what goes back
// to the main window.
#include "ui/defaultmsg/kestrovandefaultmessage.h"

#include "config/ledfile.h"
#include "ui/common/uiservices.h"
#include "ui/main/kestrovanmain.h"

#include <QPushButton>

namespace ui {

void KestrovanDefaultMessage::Exit_Click()
{
    close();
}

void KestrovanDefaultMessage::done(int result)
{
    if (!m_closed) {
        if (m_transfer == Transfer::Writing) {
            // The sequence on the port ends first (cut short, the sign would be left half
            // set), and nothing follows it; the window closes when it has.
            m_closeWhenIdle = true;
            m_session.windUp();
            return;
        }
        m_closeWhenIdle = false;
        std::optional<HeldMessage> handedBack;
        if (!settleUnsentChanges(handedBack))
            return;
        m_closed = true;
        if (handedBack)
            handBack(*handedBack);
    }
    // Nothing keeps the port once the window is gone from the screen.
    m_session.abort();
    if (busy())
        leaveBusy();
    SignDialog::done(result);
}

bool KestrovanDefaultMessage::settleUnsentChanges(std::optional<HeldMessage> &handedBack)
{
    // Only a message someone meant goes back: not an editor that nothing has filled, and not a
    // text whose characters would come back as breaks and time fields.
    const auto meant = [this]() -> std::optional<HeldMessage> {
        if (!m_editorKnown || protocol::firstStoredCodeChar(editorText()))
            return std::nullopt;
        return currentMessage();
    };
    if (!hasUnsentChanges()) {
        handedBack = meant();
        return true;
    }
    // Keeping comes first: without a sign it is the only way to keep the work, and a kept
    // message is marked and asked about again before the main window closes.
    enum { KeepAnswer, UploadAnswer, CancelAnswer };
    const QList<UiServices::Answer> answers{{tr("Keep"), UiServices::Answer::Role::Accept},
                                            {uploadCaption(), UiServices::Answer::Role::Accept},
                                            {tr("Cancel"), UiServices::Answer::Role::Reject}};
    const int answer = m_main.services().question(
        this, windowTitle(),
        tr("The default message was changed and not uploaded to the sign.\r\n"
           "Keep it with the configuration (File > Save writes it), or upload it now?"),
        answers);
    switch (answer) {
    case KeepAnswer:
        handedBack = meant();
        if (!handedBack) {
            // The characters themselves are the trouble: `Ack` names them.
            if (const std::optional<QChar> code = protocol::firstStoredCodeChar(editorText()))
                showAck(protocol::storedCodeRefusedText(*code));
            return false;
        }
        return true;
    case UploadAnswer:
        Upload_Click();
        // Refused or failed: `Ack` says why and the window stays. Under way: it closes when done.
        m_closeWhenIdle = busy();
        return false;
    default:
        return false;
    }
}

void KestrovanDefaultMessage::handBack(const HeldMessage &message)
{
    const protocol::DefaultMessageCodes &c = message.codes;
    m_main.SaveDefaultMsg(message.text, qint16(c.font), qint16(c.color), qint16(c.style), qint16(c.align),
                          qint16(c.speed), qint16(c.pause));
    m_main.SetupDefaultMsg->setToolTip(config::defaultMsgToolTip(m_main.signConfig()));
    // What came from the main window unchanged keeps its mark as it was.
    if (m_onSign && message == *m_onSign)
        m_main.setDefaultMsgUnsent(false);
    else if (!m_known || message != *m_known)
        m_main.setDefaultMsgUnsent(true);
}

} // namespace ui
