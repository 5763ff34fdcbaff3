#pragma once

#include "protocol/defaultmessage.h"
#include "session/defaultmessagesession.h"
#include "ui/common/signdialog.h"

#include <QTimer>

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace ui {

class KestrovanMain;
class ListBox;

// The sign's idle ("default") message: its text with line breaks and time fields, its display
// values, the time display on idle, and the sign's clock. The text comes from the sign or from
// the configuration file the main window has open, and goes back to the main window when the
// window closes. What goes to the sign, when, and what its answers mean, is the session's; the
// window hands it the controls' values and shows what it reports.
//
// The window loads when it is first shown (so that it is modal by then and the main window
// cannot start a conflicting action meanwhile); a test may call Form_Load() itself.
//
// What the editor holds is only handed back, or uploaded, once it is a message someone meant:
// what the sign sent, what the file held, or what the operator typed. A sign that never answers
// leaves the editor empty, Upload refused, and the main window's message as it was.
//
// A message handed back that the sign does not hold is marked so in the main window, which then
// shows it here the next time instead of reading the sign over it: a message can be prepared at
// a desk without a sign and saved with the configuration.
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

    // The editor text with CR LF line breaks, as the sign's encoder and the main window take it.
    QString editorText() const;
    // Puts a text with CR LF line breaks into the editor. It counts as a known message (Upload
    // takes it, closing hands it back), but not as the operator's change.
    void setEditorText(const QString &text);
    bool timeDisplayOn() const;
    // Whether the operator changed the text or a list since the message was read, loaded or
    // uploaded (closing then asks what to do with the change). An editor that nothing has
    // filled has nothing to send, whatever the lists show.
    bool hasUnsentChanges() const { return m_editorKnown && m_operatorEdits != m_syncedEdits; }

    // --- controls ---
    QPlainTextEdit *defaultMessage = nullptr;
    ListBox *fontList = nullptr, *ColorList = nullptr, *StyleList = nullptr, *AlignmentList = nullptr,
            *SpeedList = nullptr, *PauseList = nullptr;
    QLabel *Label_TimeFormat = nullptr;
    QComboBox *TimeFormat = nullptr;
    QPushButton *InsertTime = nullptr;
    QLabel *Label_OR = nullptr;
    QPushButton *TimeOnIdle = nullptr;
    QLabel *TimeDisplayStatus = nullptr;
    QPushButton *Upload = nullptr, *Download = nullptr, *SetTime = nullptr, *Exit = nullptr;
    QLineEdit *Test = nullptr;

private:
    // What goes to the sign, with its pauses, when the port closes, and what the answers mean.
    session::DefaultMessageSession m_session;

public:
    QTimer &ComClose;    // 50 ms: counts closeCountdown down, then closes the port (the session's)
    QTimer &SleepTimer;  // 10 ms: the ticks of the pauses between commands (the session's)

    // --- state ---
    qint16 &closeCountdown;
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

    // Closing by any means (Exit, the title bar, Esc) ends here.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    // What the window's port is doing: a read can be cut short by closing the window, a write
    // (and the sequence it belongs to) is let finish first.
    enum class Transfer { None, Reading, Writing };
    // The message as the main window keeps it: the editor text and the six list positions.
    struct HeldMessage {
        QString text;
        protocol::DefaultMessageCodes codes;
        friend bool operator==(const HeldMessage &, const HeldMessage &) = default;
    };
    // The six lists by attribute; there is no beep list here.
    struct DisplayLists {
        ListBox *font, *style, *color, *speed, *alignment, *pause, *beep;
    };

    static QString downloadCaption() { return QStringLiteral("Download from Sign"); }
    static QString uploadCaption() { return QStringLiteral("Upload to Sign"); }

    void buildControls();
    void connectHandlers();
    void connectSession();
    DisplayLists displayLists() const;
    // The message the main window keeps: from its .led file, or handed back before.
    void loadFromFile();
    void setTimeFormatEntries(int count);
    protocol::DefaultMessageCodes displayCodes() const;
    bool anyChangeFlag() const;
    // Every button that opens or writes the port is off until the transfer ends; `button`
    // (when given) shows `caption` meanwhile.
    void beginBusy(QPushButton *button, const QString &caption, Transfer transfer);
    // A read of the sign's message begins: the main window's file name goes, the window is busy.
    void beginRead();
    // The session's conversation could not begin: says why and gives the buttons back.
    bool began(const session::MessageStart &start);
    void leaveBusy();
    void enableListsForTimeDisplay();
    // The session's reports.
    void commandsSent();
    void timeDisplaySwitched(bool on, bool readFollows);
    void applyDump(const protocol::DefaultMessageDump &dump);
    void conversationEnded(const session::MessageOutcome &outcome);
    // Says in `Ack` why the editor cannot go to the sign as it stands; true when it cannot.
    bool refuseUpload();
    bool busy() const { return m_transfer != Transfer::None; }
    // The operator changed the text: it is a message now, and a change (a list choice only
    // counts as a change).
    void operatorEdited();
    void editorTextChanged();
    // The editor and the lists now show what the sign or the file holds.
    void holdingKnownMessage();
    HeldMessage currentMessage() const;
    void handBack(const HeldMessage &message);
    // Asks what becomes of unsent changes; false when the window is to stay open.
    bool settleUnsentChanges(std::optional<HeldMessage> &handedBack);

    bool m_loaded = false;
    bool m_closed = false;
    Transfer m_transfer = Transfer::None;
    bool m_closeWhenIdle = false;      // closing waits for the running write to end
    bool m_editorKnown = false;        // the editor holds a message from the sign, a file or the operator
    bool m_settingText = false;        // the window itself changes the editor
    int m_operatorEdits = 0;           // the operator's changes, counted
    int m_syncedEdits = 0;             // ... as far as the sign or the file has them
    std::optional<HeldMessage> m_known;  // the message as last read, loaded or uploaded
    std::optional<HeldMessage> m_onSign;  // ... as last read from the sign or uploaded to it
    // The upload under way: what it sends, and how many of the operator's changes that holds.
    std::optional<HeldMessage> m_uploading;
    bool m_uploadingMessage = false;   // ... and whether the message itself goes (not only the time)
    int m_uploadingEdits = 0;
};

} // namespace ui
