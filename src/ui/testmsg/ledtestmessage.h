#pragma once

#include "config/attribute.h"
#include "protocol/testmessage.h"
#include "session/testmessagesession.h"
#include "ui/common/signdialog.h"
#include "ui/testmsg/composeredit.h"

#include <QTimer>

class QCheckBox;
class QComboBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace ui {

class ListBox;

// "Send Test Message": composes a one-off message with font and colour changes inside its text,
// starting from the display defaults of a priority row of the main window (and writing changes
// back into that row while "Save changes to Priority" is ticked), and sends it to the sign. It
// can also read the sign's default message and set the sign's clock. What goes to the sign, and
// what its answers mean, is the session's; the window shows them.
class LEDTestMessage final : public SignDialog {
    Q_OBJECT
public:
    explicit LEDTestMessage(KestrovanMain &main);
    ~LEDTestMessage() override;

    // Rebuilds the seven attribute lists and the time controls for a model; nothing selected.
    void ApplyModelOptions(const QString &model, const QString &build);

    // Whether font, colour and alignment choices apply to the selection only.
    bool isMultiColorMode() const { return multiColorMode; }

    // --- controls ---
    ComposerEdit *ColorTextBox = nullptr;
    ListBox *fontList = nullptr, *StyleList = nullptr, *ColorList = nullptr, *AlignmentList = nullptr,
            *SpeedList = nullptr, *PauseList = nullptr, *BeepList = nullptr;
    QLineEdit *Timeout = nullptr;
    QComboBox *MsgID = nullptr;
    QComboBox *MsgPri = nullptr;
    QCheckBox *SaveSettings = nullptr;
    QLabel *Label4 = nullptr;  // "Color"; a double-click toggles multi-colour mode
    QLabel *Label_TimeFormat = nullptr;
    QComboBox *TimeFormat = nullptr;
    QPushButton *InsertTime = nullptr;
    QLineEdit *Test = nullptr;  // the encoded command with its CR; a double-click sends it as it is
    QPlainTextEdit *defaultMessage = nullptr;
    QPushButton *Upload = nullptr;
    QPushButton *Download = nullptr;
    QPushButton *SetTime = nullptr;

private:
    // What goes to the sign, when the port closes, and what the answers mean.
    session::TestMessageSession m_session;

public:
    QTimer &ComClose;  // 500 ms: its first tick closes the port

public slots:
    void Upload_Click();
    void Download_Click();
    void SetTime_Click();
    void InsertTime_Click();
    void MsgPri_Click();
    void SaveSettings_Click();
    void Label4_DblClick();
    void Test_DblClick();
    void ColorTextBox_Change();
    void Timeout_Change();
    void ComClose_Timer();

    void fontList_Click();
    void StyleList_Click();
    void ColorList_Click();
    void AlignmentList_Click();
    void SpeedList_Click();
    void PauseList_Click();
    void BeepList_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using Attribute = config::Attribute;

    // The buttons' own captions, given back when a conversation ends.
    static QString uploadCaption() { return QStringLiteral("Send Message to Sign"); }
    static QString downloadCaption() { return QStringLiteral("Download from Pager"); }

    void Form_Load();
    void buildControls();
    QLayout *buildSettingsColumn();
    QLayout *buildListRow();
    QLayout *buildCommandPanel();
    QLayout *buildButtonRow();
    void connectHandlers();

    ListBox *listOf(Attribute attribute) const;
    // A choice from a list, by the user or by the window: write-through, the editor (unless
    // `updateEditor` is false), the encoder.
    void attributeChosen(Attribute attribute, bool updateEditor);
    // Selects `position` in the list and handles it as the user's click would be.
    void choose(Attribute attribute, int position, bool updateEditor);
    void writeThrough(Attribute attribute);
    void applyToEditor(Attribute attribute);

    // Reads the editor and the lists into the command and puts it, with its CR, into `Test`.
    protocol::EncodedTestMessage runEncoder();

    // Turns busy with `button` showing `caption` while the session's conversation runs; says why
    // and stays usable when it could not begin.
    bool begin(const session::MessageStart &start, QPushButton *button, const QString &caption);
    void conversationEnded(const session::MessageOutcome &outcome);
    void applyDump(const protocol::DefaultMessageDump &dump);

    bool multiColorMode = false;
    bool m_busy = false;  // a command was written and the port waits for its closing tick
    bool m_fillingLists = false;  // lists being rebuilt: no handling of their changes
    int m_encoderDepth = 0;
    protocol::EncodedTestMessage m_encoded;  // what `Test` shows
};

} // namespace ui
