#pragma once

#include "config/attribute.h"
#include "protocol/testmessage.h"
#include "session/messagesession.h"
#include "ui/common/signdialog.h"

#include <QColor>
#include <QList>
#include <QTimer>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTextCharFormat;
class QTextEdit;

namespace ui {

class ListBox;

// The editor's characters in text order, one record each with the attributes the sign's font
// and colour codes are read from. A paragraph break comes as '\n' with the attributes of the
// character before it, so that it changes nothing by itself. Attributes a character does not set
// come from the editor's default font and the desktop's text colour (not the colour the window
// shows such characters in on its dark preview). It walks the blocks and their fragments,
// reading each fragment's format once, so the cost grows with the length of the text only.
QList<protocol::ComposedChar> readComposition(const QTextEdit &editor);

// "Send Test Message": composes a one-off message with font and colour changes inside its text,
// starting from the display defaults of a priority row of the main window (and writing changes
// back into that row while "Save changes to Priority" is ticked), and sends it to the sign. It
// can also read the sign's default message and set the sign's clock.
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
    QTextEdit *ColorTextBox = nullptr;
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
    // What goes to the sign, and when the port closes, is decided there.
    session::MessageSession m_messages;

public:
    QTimer &ComClose;  // 500 ms: its first tick closes the port

    // The editor's dark, sign-like background: dark enough for yellow, amber and the light
    // colours, light enough that black, brown and dark red still show on it. And the colour it
    // shows characters in that have no colour of their own.
    static constexpr QColor PreviewBackground{84, 84, 84};
    static constexpr QColor PreviewDefaultText{224, 224, 224};

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
    void ProcessReply(const QString &line) override;
    void connectionLost() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using Attribute = config::Attribute;

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
    void applyCharFormat(const QTextCharFormat &format);
    // Merges `format` into what is typed next.
    void mergeCaretFormat(const QTextCharFormat &format);

    // Reads the editor and the lists into the command and puts it, with its CR, into `Test`.
    protocol::EncodedTestMessage runEncoder();

    // Opens the port and writes `command` (plus its CR); on success the window turns busy with
    // `busyButton` showing `busyCaption`. False, with `Ack` saying why, when nothing was sent.
    bool sendCommand(const QString &command, QPushButton *busyButton, const QString &busyCaption);
    // Names a character the sign cannot take in `Ack`; true when there is one.
    bool refuseUnsendable(const std::optional<QString> &character);
    void endBusyState();
    void applyDump(const protocol::DefaultMessageDump &dump);

    bool multiColorMode = false;
    bool m_busy = false;  // a command was written and the port waits for its closing tick
    bool m_reading = false;  // ... and it is the request for the default message
    bool m_fillingLists = false;  // lists being rebuilt: no handling of their changes
    bool m_updatingEditor = false;  // the window itself formats the editor text
    int m_encoderDepth = 0;
    protocol::EncodedTestMessage m_encoded;  // what `Test` shows
};

} // namespace ui
