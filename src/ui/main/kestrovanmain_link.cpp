// The main window's side of the sign link: its connection, what the session reports and the
// status line.
#include "ui/main/kestrovanmain.h"

#include "session/sentences.h"
#include "session/wire.h"

#include "link/timers.h"
#include "ui/common/uiservices.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

namespace ui {

void KestrovanMain::connectSession()
{
    // The main window drops an unfinished line after ten quiet ticks of DataTimeout.
    MSComm2.setLineTimeout(10);
    connect(&m_session, &session::ConfigSession::activityChanged, this, &KestrovanMain::refreshPortActions);
    connect(&m_session, &session::ConfigSession::status, this, &KestrovanMain::showStatus);
    connect(&m_session, &session::ConfigSession::keptStatus, this, [this] { showStatus(Textout->text()); });
    connect(&m_session, &session::ConfigSession::configurationRead, this, &KestrovanMain::applyConfiguration);
    connect(&m_session, &session::ConfigSession::readEnded, this, [this](const session::ReadOutcome &outcome) {
        // Without this the button only flickers, and the operator cannot tell a silent sign
        // from one that holds nothing.
        if (const QString text = outcome.failureText(); !text.isEmpty())
            showStatus(text);
    });
    connect(&m_session, &session::ConfigSession::readNotStarted, this,
            [this](int comNumber, const signlink::OpenResult &result) { reportFailedOpening(comNumber - 1, result); });
    connect(&m_session, &session::ConfigSession::linkAdjusted, this,
            [this](int id, const QString &capcode, int priority) {
                Capcode0[id]->setText(capcode);
                Pri0[id]->setCurrentIndex(priority);
            });
    connect(&m_session, &session::ConfigSession::progressChanged, this, &KestrovanMain::showProgress);
    connect(&m_session, &session::ConfigSession::uploadEnded, this, &KestrovanMain::onUploadEnded);
    connect(&m_session, &session::ConfigSession::connectionLost, this, &KestrovanMain::onConnectionLost);
    connect(&m_session, &session::ConfigSession::verifyEnded, this, &KestrovanMain::onVerifyEnded);
    connect(&m_session, &session::ConfigSession::comparisonRead, this, &KestrovanMain::onComparisonRead);
    // A port closed before the line drained has cut the last command short.
    connect(&MSComm2, &signlink::SignLink::outputUnsent, this, &KestrovanMain::showStatus);
}

int KestrovanMain::selectedPortNumber() const
{
    return ComportsList->currentIndex() + 1;
}

signlink::OpenResult KestrovanMain::openSignPort()
{
    return MSComm2.open(selectedPortNumber());
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
    return session::sendCommand(MSComm2, command);
}

void KestrovanMain::closeSignPort()
{
    MSComm2.close();
}

void KestrovanMain::MSComm2_OnComm()
{
    MSComm2.readWaiting();
}

void KestrovanMain::DataTimeout_Timer()
{
    MSComm2.lineTimeoutTick();
}

void KestrovanMain::ComClose_Timer()
{
    m_session.closeTick();
}

void KestrovanMain::TextClear_Timer()
{
    TextClear.stop();
    // An upload without a backup says so until it ends.
    if (const QString standing = uploadStatus(QString()); !standing.isEmpty()) {
        Textout->setText(standing);
        return;
    }
    Textout->clear();
    Textout->setVisible(false);
}

void KestrovanMain::showStatus(const QString &text)
{
    Textout->setText(uploadStatus(text));
    Textout->setVisible(true);
    signlink::startTimer(TextClear);
}

void KestrovanMain::showProgress(const session::UploadProgress &progress)
{
    ProgressUploadAll->setMaximum(progress.maximum);
    // A value outside the new range leaves the bar reset, as the bar itself does.
    if (progress.value < ProgressUploadAll->minimum() || progress.value > progress.maximum)
        ProgressUploadAll->reset();
    else
        ProgressUploadAll->setValue(progress.value);
    ProgressUploadAll->setVisible(progress.visible);
}

void KestrovanMain::onConnectionLost(const QString &description, bool duringUpload)
{
    QString text = session::connectionLostText(description);
    if (duringUpload)
        text = withBackupStatus(text);
    showStatus(text);
    // An upload that stops half way must say so: what was not sent stays pending.
    if (duringUpload)
        m_services.message(this, QString(), text + tr("\r\nThe items not yet sent will go with the next upload."),
                           UiServices::Icon::Warning);
}

} // namespace ui
