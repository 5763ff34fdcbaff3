#include "ui/defaultmsg/kestrovandefaultmessage.h"

#include "config/attribute.h"
#include "config/catalogue.h"
#include "config/ledfile.h"
#include "ui/common/listbox.h"
#include "ui/common/uiservices.h"
#include "ui/main/kestrovanmain.h"

#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

#include <iterator>

namespace ui {

namespace {

void setState(QWidget *control, config::SelectorState state)
{
    if (state != config::SelectorState::Leave)
        control->setEnabled(state == config::SelectorState::Enable);
}

const QString NotReadYet = QStringLiteral(
    "The sign's message has not been read: type the message, or read it with \"Download from Sign\", "
    "before you upload.");

} // namespace

KestrovanDefaultMessage::KestrovanDefaultMessage(KestrovanMain &main)
    : SignDialog(main, &main),
      m_session(m_link,
                [this] {
                    return session::DefaultMessageSession::Shown{timeDisplayOn(), editorText().isEmpty()};
                },
                this),
      ComClose(m_session.ComClose),
      SleepTimer(m_session.SleepTimer),
      closeCountdown(m_session.closeCountdown)
{
    setObjectName(QStringLiteral("KestrovanDefaultMessage"));
    setWindowTitle(QStringLiteral("Setup Default Message"));
    buildControls();
    connectHandlers();
    connectSession();
}

KestrovanDefaultMessage::~KestrovanDefaultMessage() = default;

void KestrovanDefaultMessage::connectSession()
{
    using Session = session::DefaultMessageSession;
    connect(&m_session, &Session::said, this, &KestrovanDefaultMessage::showAck);
    connect(&m_session, &Session::commandShown, Test, &QLineEdit::setText);
    connect(&m_session, &Session::timeDisplayReported, this,
            [this](bool on) { TimeDisplayStatus->setText(protocol::timeDisplayStatusText(on)); });
    connect(&m_session, &Session::timeDisplaySwitched, this, &KestrovanDefaultMessage::timeDisplaySwitched);
    connect(&m_session, &Session::dumpRead, this, &KestrovanDefaultMessage::applyDump);
    connect(&m_session, &Session::sent, this, &KestrovanDefaultMessage::commandsSent);
    connect(&m_session, &Session::finished, this, &KestrovanDefaultMessage::conversationEnded);
}

KestrovanDefaultMessage::DisplayLists KestrovanDefaultMessage::displayLists() const
{
    return {fontList, StyleList, ColorList, SpeedList, AlignmentList, PauseList, nullptr};
}

// ---- Loading ----

void KestrovanDefaultMessage::showEvent(QShowEvent *event)
{
    SignDialog::showEvent(event);
    m_closed = false;
    Form_Load();
}

void KestrovanDefaultMessage::Form_Load()
{
    if (m_loaded)
        return;
    m_loaded = true;

    ApplyModelOptions(m_main.LEDSignModelNumber(), m_main.LEDSignBuildNumber());
    Test->clear();
    setTimeFormatEntries(m_main.LEDSignModel->text() == u"KT420" ? 4 : protocol::TimeTokenCount);
    // The first format is chosen, but its token does not replace the editor text: from a sign
    // that never answers it would stay there, and the next Upload would write it over the
    // sign's own message.
    TimeFormat->setCurrentIndex(0);
    timeFormatChanged = true;

    // "Data downloaded successfully" waits for the sign's dump; the closing step says when none
    // came.
    if (const std::optional<session::MessageStart> read =
            m_session.load(m_main.selectedPortNumber(), !m_main.IsDefMsgEmpty())) {
        if (read->ok())
            beginRead();
        else
            showAck(read->text);
    } else {
        loadFromFile();
    }
    fontChanged = colorChanged = styleChanged = alignChanged = speedChanged = pauseChanged = false;
}

void KestrovanDefaultMessage::ApplyModelOptions(const QString &model, const QString &build)
{
    Q_UNUSED(build);  // the build number selects nothing
    const config::ModelOptionSet set = config::SelectOptionSet(model, config::OptionWindow::DefaultMessage);
    const DisplayLists lists = displayLists();
    for (const config::Attribute attribute : config::AllAttributes) {
        if (ListBox *list = config::attributeOf(lists, attribute))
            refillList(list, config::attributeOf(set, attribute));
    }
    setState(SpeedList, set.speedState);
    setState(AlignmentList, set.alignmentState);
    applyControlChanges(this, set.extra);
    if (set.appendTimeFormats) {
        setTimeFormatEntries(protocol::TimeTokenCount);
        TimeFormat->setCurrentIndex(0);
    }
}

void KestrovanDefaultMessage::setTimeFormatEntries(int count)
{
    // Each format once, in format-number order, whoever fills the list.
    TimeFormat->clear();
    TimeFormat->addItems(config::timeFormatEntries().mid(0, count));
}

void KestrovanDefaultMessage::loadFromFile()
{
    // The fields themselves, not getDefaultMsg's joined text: a message or a file name holding
    // "," would not split back into the eight fields and the message would be lost.
    const config::SignConfig &held = m_main.signConfig();
    setEditorText(protocol::decodeStoredMessage(held.DefMsg));
    selectListPosition(fontList, held.DefFont);
    selectListPosition(ColorList, held.DefColor);
    selectListPosition(StyleList, held.DefStyle);
    selectListPosition(AlignmentList, held.DefAlign);
    selectListPosition(SpeedList, held.DefSpeed);
    selectListPosition(PauseList, held.DefPause);
    holdingKnownMessage();
    if (held.configFileName.isEmpty())
        showAck(tr("This is the default message kept for the configuration; the sign does not hold it yet."));
    else
        showAck(QStringLiteral("Getting data from File ") + held.configFileName);
}

// ---- The editor ----

QString KestrovanDefaultMessage::editorText() const
{
    // The raw text keeps a no-break space (byte 160) as it is; toPlainText() would make it a
    // space. Paragraphs become CR LF.
    QString text = defaultMessage->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return text;
}

void KestrovanDefaultMessage::setEditorText(const QString &text)
{
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    {
        const QScopedValueRollback setting(m_settingText, true);
        defaultMessage->setPlainText(plain);
    }
    m_editorKnown = true;
}

void KestrovanDefaultMessage::editorTextChanged()
{
    if (!m_settingText)
        operatorEdited();
}

void KestrovanDefaultMessage::operatorEdited()
{
    m_editorKnown = true;
    ++m_operatorEdits;
}

void KestrovanDefaultMessage::holdingKnownMessage()
{
    m_known = currentMessage();
    m_syncedEdits = m_operatorEdits;
}

KestrovanDefaultMessage::HeldMessage KestrovanDefaultMessage::currentMessage() const
{
    return {editorText(), displayCodes()};
}

bool KestrovanDefaultMessage::timeDisplayOn() const
{
    return TimeDisplayStatus->text() == protocol::timeDisplayStatusText(true);
}

protocol::DefaultMessageCodes KestrovanDefaultMessage::displayCodes() const
{
    protocol::DefaultMessageCodes codes;
    codes.font = fontList->currentIndex();
    codes.color = ColorList->currentIndex();
    codes.style = StyleList->currentIndex();
    codes.align = AlignmentList->currentIndex();
    codes.speed = SpeedList->currentIndex();
    codes.pause = PauseList->currentIndex();
    return codes;
}

bool KestrovanDefaultMessage::anyChangeFlag() const
{
    return fontChanged || colorChanged || styleChanged || alignChanged || speedChanged || pauseChanged
           || timeFormatChanged;
}

void KestrovanDefaultMessage::fontList_Click() { fontChanged = true; ++m_operatorEdits; }
void KestrovanDefaultMessage::ColorList_Click() { colorChanged = true; ++m_operatorEdits; }
void KestrovanDefaultMessage::StyleList_Click() { styleChanged = true; ++m_operatorEdits; }
void KestrovanDefaultMessage::SpeedList_Click() { speedChanged = true; ++m_operatorEdits; }
void KestrovanDefaultMessage::PauseList_Click() { pauseChanged = true; ++m_operatorEdits; }

void KestrovanDefaultMessage::AlignmentList_Click()
{
    alignChanged = true;
    ++m_operatorEdits;
    const Qt::Alignment shown[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter};
    const int position = AlignmentList->currentIndex();
    if (position < 0 || position >= int(std::size(shown)))
        return;
    // Aligning the text is no change of the text.
    const QScopedValueRollback setting(m_settingText, true);
    QTextOption option = defaultMessage->document()->defaultTextOption();
    option.setAlignment(shown[position]);
    defaultMessage->document()->setDefaultTextOption(option);
}

void KestrovanDefaultMessage::TimeFormat_Click()
{
    if (TimeFormat->currentIndex() >= 0) {
        setEditorText(protocol::timeTokenFor(TimeFormat->currentText()));
        operatorEdited();
    }
    timeFormatChanged = true;
}

void KestrovanDefaultMessage::InsertTime_Click()
{
    if (TimeFormat->currentIndex() < 0)
        return;
    // The operator's insertion: the editor's change handler counts it.
    QTextCursor end = defaultMessage->textCursor();
    end.movePosition(QTextCursor::End);
    end.insertText(protocol::timeTokenFor(TimeFormat->currentText()));
    defaultMessage->setTextCursor(end);
}

// ---- Talking to the sign ----

void KestrovanDefaultMessage::beginBusy(QPushButton *button, const QString &caption, Transfer transfer)
{
    m_transfer = transfer;
    for (QPushButton *action : {Upload, Download, SetTime, TimeOnIdle})
        action->setEnabled(false);
    if (button)
        button->setText(caption);
}

void KestrovanDefaultMessage::beginRead()
{
    // From now on the default message counts as coming from the sign.
    m_main.DeleteConfigFileName();
    beginBusy(Download, QStringLiteral("Reading..."), Transfer::Reading);
}

bool KestrovanDefaultMessage::began(const session::MessageStart &start)
{
    if (start.ok())
        return true;
    showAck(start.text);
    leaveBusy();
    enableListsForTimeDisplay();
    return false;
}

void KestrovanDefaultMessage::leaveBusy()
{
    m_transfer = Transfer::None;
    m_uploading.reset();
    Download->setText(downloadCaption());
    Upload->setText(uploadCaption());
    for (QPushButton *action : {Upload, Download, SetTime, TimeOnIdle})
        action->setEnabled(true);
    if (m_closeWhenIdle) {
        // Closing was asked for while the write ran; it goes on from the event loop, outside the
        // handler that ended the write.
        QMetaObject::invokeMethod(this, &KestrovanDefaultMessage::reject, Qt::QueuedConnection);
    }
}

void KestrovanDefaultMessage::enableListsForTimeDisplay()
{
    const bool off = !timeDisplayOn();
    fontList->setEnabled(off);
    StyleList->setEnabled(off);
    PauseList->setEnabled(off);
}

bool KestrovanDefaultMessage::refuseUpload()
{
    // Nothing came from the sign, a file or the operator: an upload would replace the sign's
    // message by an empty one.
    if (!m_editorKnown)
        showAck(NotReadYet);
    return !m_editorKnown;
}

void KestrovanDefaultMessage::Upload_Click()
{
    if (busy() || refuseUpload())
        return;
    Test->clear();
    const HeldMessage sending = currentMessage();
    const bool timeOn = timeDisplayOn();
    beginBusy(Upload, QStringLiteral("Writing..."), Transfer::Writing);
    m_uploading = sending;
    m_uploadingEdits = m_operatorEdits;
    m_uploadingMessage = protocol::defaultMessageUploadCommand(sending.codes, sending.text, timeOn).has_value();
    began(m_session.upload(m_main.selectedPortNumber(),
                           {sending.codes, sending.text, timeOn, anyChangeFlag(), TimeFormat->currentIndex()}));
}

void KestrovanDefaultMessage::commandsSent()
{
    if (m_uploading) {
        // The sign has what was sent; changes made while it went out are still the operator's own.
        m_known = m_uploading;
        m_syncedEdits = m_uploadingEdits;
        if (m_uploadingMessage)
            m_onSign = m_uploading;
        RemoveAck.stop();
    }
    startProgress();
}

void KestrovanDefaultMessage::Download_Click()
{
    if (busy())
        return;
    beginRead();
    began(m_session.read(m_main.selectedPortNumber()));
}

void KestrovanDefaultMessage::TimeOnIdle_Click()
{
    // Busy from here to the end of the read that follows: a write in between would find the
    // port closed under it.
    if (busy())
        return;
    const bool switchOn = !timeDisplayOn();
    beginBusy(nullptr, QString(), Transfer::Writing);
    if (began(m_session.switchTimeDisplay(m_main.selectedPortNumber(), switchOn)))
        fontList->setEnabled(!switchOn);
}

void KestrovanDefaultMessage::timeDisplaySwitched(bool on, bool readFollows)
{
    TimeDisplayStatus->setText(protocol::timeDisplayStatusText(on));
    if (readFollows)
        beginRead();
}

void KestrovanDefaultMessage::SetTime_Click()
{
    if (busy())
        return;
    // One reading of the clock, so date, time and weekday belong together.
    if (!began(m_session.setClock(m_main.selectedPortNumber(), QDateTime::currentDateTime())))
        return;
    beginBusy(Upload, QStringLiteral("Writing..."), Transfer::Writing);
    RemoveAck.stop();
}

void KestrovanDefaultMessage::ComClose_Timer()
{
    m_session.closeTick();
}

void KestrovanDefaultMessage::applyDump(const protocol::DefaultMessageDump &dump)
{
    const DisplayLists lists = displayLists();
    for (const config::Attribute attribute : config::AllAttributes) {
        ListBox *list = config::attributeOf(lists, attribute);
        const std::optional<qint16> &value = config::attributeOf(dump, attribute);
        if (list && value)
            selectListPosition(list, *value);
    }
    if (!dump.text)
        return;  // a line that only looks like a dump
    setEditorText(*dump.text);
    holdingKnownMessage();
    m_onSign = m_known;
}

void KestrovanDefaultMessage::conversationEnded(const session::MessageOutcome &outcome)
{
    // The editor keeps what it had when no message came; Upload stays refused until there is one.
    if (!outcome.text.isEmpty())
        showAck(outcome.text);
    leaveBusy();
    enableListsForTimeDisplay();
}

} // namespace ui
