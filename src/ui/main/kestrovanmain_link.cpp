// The main window's side of the sign link: opening and closing the port, writing commands,
// assembling reply lines, the line time-out, the pause routine and the status line.
#include "ui/main/kestrovanmain.h"

#include "link/timers.h"
#include "protocol/commands.h"
#include "protocol/replyinterpreter.h"
#include "ui/common/uiservices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace ui {

int KestrovanMain::selectedPortNumber() const
{
    return ComportsList->currentIndex() + 1;
}

signlink::OpenResult KestrovanMain::openSignPort()
{
    MSComm2->setCommPort(selectedPortNumber());
    return MSComm2->open();
}

bool KestrovanMain::openSignPortOrSay()
{
    const signlink::OpenResult result = openSignPort();
    if (!result.ok())
        m_services.message(this, QString(), signlink::cannotOpenPortMessage(selectedPortNumber(), result),
                           UiServices::Icon::Warning);
    return result.ok();
}

bool KestrovanMain::writeCommand(const QString &command)
{
    const std::optional<QByteArray> bytes = protocol::wireBytes(command);
    if (!bytes)
        return false;
    return MSComm2->output(*bytes);
}

void KestrovanMain::closeSignPort()
{
    MSComm2->close();
}

void KestrovanMain::MSComm2_OnComm()
{
    while (MSComm2->inBufferCount() >= 1) {
        const char c = MSComm2->input();
        rxCountdown = 10;
        signlink::startTimer(DataTimeout);
        if (std::optional<QByteArray> line = rxLine.append(c)) {
            DataTimeout.stop();
            interpretReply(QString::fromLatin1(*line));
        }
    }
}

void KestrovanMain::DataTimeout_Timer()
{
    if (rxCountdown > 0) {
        --rxCountdown;
        return;
    }
    DataTimeout.stop();
    rxLine.clear();
}

void KestrovanMain::SleepTimer_Timer()
{
    ++sleepTicks;
}

bool KestrovanMain::Sleep(qint16 count)
{
    return signlink::sleepTicks(this, SleepTimer, sleepTicks, count);
}

void KestrovanMain::ComClose_Timer()
{
    // A dump still coming in is not cut off: while the characters of an unfinished line keep
    // arriving, wait another tick, up to 2 s after the request.
    constexpr qint64 LongestDump = 2000;
    if (MSComm2->isOpen() && !rxLine.isEmpty() && DataTimeout.isActive()
        && m_downloadClock.isValid() && m_downloadClock.elapsed() < LongestDump)
        return;
    ComClose.stop();
    if (!MSComm2->isOpen())
        return;
    MSComm2->close();
    DownloadAll->setText(QStringLiteral("Download from Sign"));
    DownloadAll->setEnabled(true);
    UploadAll->setEnabled(true);
    UploadFactoryDef->setEnabled(true);
    refreshPortActions();
    if (!m_dumpSinceRequest)
        reportSilentSign();
}

void KestrovanMain::reportSilentSign()
{
    // Without this the button only flickers, and the operator cannot tell a silent sign from
    // one that holds nothing.
    if (m_linesSinceRequest == 0)
        showStatus(tr("No answer from the sign on COM %1. Check the cable, the power and the COM number.")
                       .arg(m_requestPort));
    else
        showStatus(tr("The sign on COM %1 answered, but did not send its configuration.").arg(m_requestPort));
}

void KestrovanMain::TextClear_Timer()
{
    Textout->clear();
    Textout->setVisible(false);
    TextClear.stop();
}

void KestrovanMain::showStatus(const QString &text)
{
    Textout->setText(text);
    Textout->setVisible(true);
    signlink::startTimer(TextClear);
}

void KestrovanMain::interpretReply(const QString &line)
{
    ++m_linesSinceRequest;
    const protocol::ReplyAction action = protocol::interpretReply(line, ProgressUploadAll->value());
    switch (action.kind) {
    case protocol::ReplyAction::Kind::Nothing:
        break;
    case protocol::ReplyAction::Kind::Refused:
        // The answer belongs to the item sent last; it goes again with the next upload.
        if (UploadTimer.isActive() && m_lastSentItem && !m_refusedItems.contains(*m_lastSentItem))
            m_refusedItems.append(*m_lastSentItem);
        break;
    case protocol::ReplyAction::Kind::ShowStatus:
        showStatus(action.status);
        break;
    case protocol::ReplyAction::Kind::ShowKeptStatus:
        showStatus(Textout->text());
        break;
    case protocol::ReplyAction::Kind::ConfigDump:
        // A dump the sign sends unasked during an upload would clear the flags of the items not
        // yet sent and put the sign's old values over them.
        if (UploadTimer.isActive()) {
            showStatus(tr("The sign sent its configuration during the upload; it was not applied, "
                          "and the items not yet sent still go."));
            break;
        }
        m_dumpSinceRequest = true;
        applyConfigDump(line);
        break;
    }
}

void KestrovanMain::onConnectionLost(const QString &description)
{
    const bool uploading = UploadTimer.isActive();
    restoreAfterLostConnection();
    const QString text = tr("The connection to the sign was lost: %1").arg(description);
    showStatus(text);
    // An upload that stops half way must say so: what was not sent stays pending.
    if (uploading)
        m_services.message(this, QString(), text + tr("\r\nThe items not yet sent will go with the next upload."),
                           UiServices::Icon::Warning);
}

void KestrovanMain::restoreAfterLostConnection()
{
    ComClose.stop();
    if (UploadTimer.isActive())
        endUpload();
    UploadTimer.stop();
    FactoryDef.stop();
    if (MSComm2->isOpen())
        MSComm2->close();
    DownloadAll->setText(QStringLiteral("Download from Sign"));
    UploadAll->setText(QStringLiteral("Upload to Sign"));
    DownloadAll->setEnabled(true);
    UploadAll->setEnabled(true);
    UploadFactoryDef->setEnabled(true);
    AutoID->setEnabled(true);
    ProgressUploadAll->setVisible(false);
    refreshPortActions();
}

} // namespace ui
