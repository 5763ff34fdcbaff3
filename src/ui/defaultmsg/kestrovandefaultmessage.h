#pragma once

#include "protocol/defaultmessage.h"
#include "link/timers.h"
#include "ui/common/signdialog.h"

#include <QTimer>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace ui {

class KestrovanMain;

// The sign's idle ("default") message: its text with line breaks and time fields, its display
// values, the time display on idle, and the sign's clock. The text comes from the sign or from
// the configuration file the main window has open, and goes back to the main window when the
// window closes.
//
// The window loads when it is first shown (so that it is modal by then and the main window
// cannot start a conflicting action meanwhile); a test may call Form_Load() itself.
class KestrovanDefaultMessage : public SignDialog {
    Q_OBJECT
public:
    explicit KestrovanDefaultMessage(KestrovanMain &main);
    ~KestrovanDefaultMessage() override;

    // Fills the lists for the model and the message from the sign or the file. Runs once.
    void Form_Load();
    bool isLoaded() const { return m_loaded; }
    // Rebuilds the six display lists (and the time controls) for a model.
    void ApplyModelOptions(const QString &model, const QString &build);

    // Waits `count` ticks of SleepTimer (10 ms each) while window events go on. False when the
    // window was destroyed meanwhile.
    bool Sleep(qint16 count) { return signlink::sleepTicks(this, SleepTimer, sleepTicks, count); }

    // The editor text with CR LF line breaks, as the sign's encoder and the main window take it.
    QString editorText() const;
    // Puts a text with CR LF line breaks into the editor.
    void setEditorText(const QString &text);
    bool timeDisplayOn() const;

    // --- controls ---
    QPlainTextEdit *defaultMessage = nullptr;
    QComboBox *fontList = nullptr, *ColorList = nullptr, *StyleList = nullptr, *AlignmentList = nullptr,
              *SpeedList = nullptr, *PauseList = nullptr;
    QLabel *Label_TimeFormat = nullptr;
    QComboBox *TimeFormat = nullptr;
    QPushButton *InsertTime = nullptr;
    QLabel *Label_OR = nullptr;
    QPushButton *TimeOnIdle = nullptr;
    QLabel *TimeDisplayStatus = nullptr;
    QPushButton *Upload = nullptr, *Download = nullptr, *SetTime = nullptr, *Exit = nullptr;
    QLineEdit *Test = nullptr;

    QTimer ComClose;    // 50 ms: counts closeCountdown down, then closes the port
    QTimer SleepTimer;  // 10 ms: the ticks of Sleep

    // --- state ---
    qint16 closeCountdown = 0;
    bool fontChanged = false, colorChanged = false, styleChanged = false, alignChanged = false,
         speedChanged = false, pauseChanged = false, timeFormatChanged = false;

public slots:
    void fontList_Click();
    void ColorList_Click();
    void StyleList_Click();
    void AlignmentList_Click();
    void SpeedList_Click();
    void PauseList_Click();
    void TimeFormat_Click();
    void InsertTime_Click();
    void TimeOnIdle_Click();
    void Upload_Click();
    void Download_Click();
    void SetTime_Click();
    void Exit_Click();
    void ComClose_Timer();
    void SleepTimer_Timer();

    // Closing by any means (Exit, the title bar, Esc) ends here.
    void done(int result) override;

protected:
    void ProcessReply(const QString &line) override;
    void connectionLost() override;
    void showEvent(QShowEvent *event) override;

private:
    enum class Outcome { Done, Failed, WindowGone };

    void buildControls();
    void connectHandlers();
    Outcome readFromSign();
    void loadFromFile();
    void setTimeFormatEntries(int count);
    protocol::DefaultMessageCodes displayCodes() const;
    bool anyChangeFlag() const;
    // Writes one command; false when it did not go out (`Ack` then says why).
    bool send(const QString &command);
    void beginBusy(QPushButton *button, const QString &caption);
    void leaveBusy();
    void abortOperation();
    void startCloseCountdown(qint16 ticks);
    void enableListsForTimeDisplay();
    void closingStep();

    qint16 sleepTicks = 0;
    bool m_loaded = false;
    bool m_closed = false;
};

} // namespace ui
