// Knowing what the sign holds: the check after an upload, "Compare with Sign" and the backups
// made before each upload. The session reads and compares; the window says what came of it.
#include "ui/main/kestrovanmain.h"

#include "session/sentences.h"
#include "ui/common/uiservices.h"
#include "ui/main/configdifferences.h"
#include "ui/main/preferences.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QSettings>
#include <QTimer>

namespace ui {

namespace {

const QString VerifyKey = QStringLiteral("verifyAfterUpload");

} // namespace

void KestrovanMain::loadPreferences()
{
    const bool verify = Preferences().value(VerifyKey, false).toBool();
    signVerify->setChecked(verify);
    m_session.setVerifyAfterUpload(verify);
}

void KestrovanMain::signVerify_Click(bool checked)
{
    m_session.setVerifyAfterUpload(checked);
    Preferences settings;
    settings.setValue(VerifyKey, checked);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        showStatus(tr("The choice could not be kept for the next start: %1 cannot be written.")
                       .arg(settings.fileName()));
}

void KestrovanMain::onVerifyEnded(const session::VerifyOutcome &outcome)
{
    using Result = session::VerifyOutcome::Result;
    updatePendingMarks();
    const bool closing = std::exchange(m_closeAfterUpload, false);
    // What the upload itself said (no backup, items the sign refused) stays in front of the
    // check's result.
    const QString refusal = m_refusalStatus.isEmpty() ? QString() : m_refusalStatus + QStringLiteral("\r\n");
    const QString upload = m_backupStatus.isEmpty() ? refusal : m_backupStatus + QStringLiteral("\r\n") + refusal;
    if (outcome.result == Result::Verified) {
        TextClear.stop();
        showStatus(upload + outcome.text());
        if (closing)
            QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    if (!outcome.lostConnection) {
        TextClear.stop();
        showStatus(upload + outcome.text());
    }
    if (outcome.differences.isEmpty()) {
        // The upload itself went through; only the check did not. A lost connection's own
        // message follows in the status line.
        const QString sent = refusal.isEmpty() ? upload + tr("Every item of the upload was sent.\r\n") : upload;
        m_services.message(this, QString(), sent + outcome.text(), UiServices::Icon::Warning);
        return;
    }
    const QString summary = outcome.result == Result::Differs
                                ? outcome.text() + tr("\r\nThe items below are marked and go with the next upload.")
                                : outcome.text();
    showDifferences(tr("Verify After Upload"), upload + summary, outcome.differences, true);
}

void KestrovanMain::showDifferences(const QString &title, const QString &summary,
                                    const QList<config::ConfigDifference> &differences, bool offerUploadAgain)
{
    // Shown once the answer's handling is over: "Upload Again" opens the port the read just
    // closed, which must not happen inside the read's own frame.
    QTimer::singleShot(0, this, [this, title, summary, differences, offerUploadAgain] {
        ConfigDifferences dialog(title, summary, differences, offerUploadAgain, this);
        if (m_services.execDialog(dialog) != QDialog::Accepted || !offerUploadAgain || portBusy())
            return;
        m_session.flagForUpload(differences);
        beginUpload(false);
    });
}

void KestrovanMain::signCompare_Click()
{
    if (portBusy())
        return;
    // With a file open, the operator may mean the file as it was saved rather than the window.
    const QString file = m_config.configFileName;
    bool compareFile = false;
    if (!file.isEmpty()) {
        using Answer = UiServices::Answer;
        const int answer = m_services.question(
            this, QString(), tr("Compare the sign with what this window shows, or with the file %1?").arg(file),
            {{tr("This &Window"), Answer::Role::Accept}, {tr("The &File"), Answer::Role::Accept},
             {tr("Cancel"), Answer::Role::Reject}});
        if (answer != 0 && answer != 1)
            return;
        compareFile = answer == 1;
    }
    if (compareFile) {
        // The file as opening it would show it: lines it lacks leave what the window shows.
        const config::LedReadResult read = readLedActions(file);
        if (read.error) {
            m_services.message(this, QString(), read.error->message(), UiServices::Icon::Critical);
            return;
        }
        config::LedFileRecord record = currentRecord();
        for (const config::LedFileAction &action : read.actions)
            config::applyLedAction(action, record);
        m_compareHere = config::comparedFromLedFile(record);
        m_compareSubject = tr("the file %1").arg(QFileInfo(file).fileName());
    } else {
        m_compareHere = config::comparedFromValues(currentValues());
        m_compareSubject = tr("this window");
    }
    const signlink::OpenResult result = m_session.startComparison(selectedPortNumber());
    if (!result.ok())
        m_services.message(this, QString(), signlink::cannotOpenPortMessage(selectedPortNumber(), result),
                           UiServices::Icon::Warning);
}

void KestrovanMain::onComparisonRead(const session::ReadBack &readBack)
{
    if (const QString failure = readBack.failureText(); !failure.isEmpty()) {
        showStatus(failure);
        m_services.message(this, QString(), tr("The sign's configuration could not be read: %1").arg(failure),
                           UiServices::Icon::Warning);
        return;
    }
    const protocol::ConfigDump &dump = *readBack.dump;
    const QList<config::ConfigDifference> differences =
        config::differencesFromSign(dump, m_compareHere);
    QString summary =
        differences.isEmpty()
            ? tr("The sign on COM %1 holds what %2 shows.").arg(readBack.comNumber).arg(m_compareSubject)
        : differences.size() == 1
            ? tr("The sign on COM %1 differs from %2 in 1 setting.").arg(readBack.comNumber).arg(m_compareSubject)
            : tr("The sign on COM %1 differs from %2 in %3 settings.")
                  .arg(readBack.comNumber)
                  .arg(m_compareSubject)
                  .arg(differences.size());
    // What a cut answer did not carry is listed as not read; the summary says why.
    if (const QList<protocol::MissingPart> missing = protocol::missingParts(dump); !missing.isEmpty())
        summary += QStringLiteral("\r\n") + session::incompleteAnswerText(missing);
    // The positions of one model's lists name other entries in another's.
    if (!LEDSignModel->text().isEmpty() && LEDSignModel->text() != dump.model)
        summary += tr("\r\nThe sign reports model %1; the lists here are those of model %2.")
                       .arg(dump.model, LEDSignModel->text());
    showDifferences(tr("Compare with Sign"), summary, differences, false);
}

void KestrovanMain::signOpenBackup_Click()
{
    const QString folder = m_session.backups().path();
    if (!QFileInfo(folder).isDir()) {
        m_services.message(this, QString(),
                           tr("No backup has been made yet. A backup of the sign is made before every upload, in %1.")
                               .arg(folder));
        return;
    }
    openLedFile(folder);
}

} // namespace ui
