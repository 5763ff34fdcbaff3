#include "ui/defaultmsg/kestrovandefaultmessage.h"

#include "config/catalogue.h"
#include "config/ledfile.h"
#include "config/attribute.h"
#include "protocol/clock.h"
#include "protocol/commands.h"
#include "session/sentences.h"
#include "ui/common/accessibility.h"
#include "ui/common/listbox.h"
#include "ui/common/signdialog.h"
#include "ui/common/uiservices.h"
#include "ui/main/kestrovanmain.h"

#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScopedValueRollback>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>
#include <QVBoxLayout>

#include <iterator>
#include <utility>

namespace ui {

namespace {

const QString DownloadCaption = QStringLiteral("Download from Sign");
const QString UploadCaption = QStringLiteral("Upload to Sign");

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    // Enter in a list must not write to the sign.
    button->setAutoDefault(false);
    return button;
}

ListBox *makeList(QWidget *parent, const char *name, const QString &accessibleName)
{
    auto *list = new ListBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setSpokenName(accessibleName);
    return list;
}

QComboBox *makeDropDown(QWidget *parent, const char *name, const QString &accessibleName)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    // As wide as its longest entry, which no layout may cut short.
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    list->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    nameCombo(list, accessibleName);
    return list;
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &caption)
{
    auto *label = new QLabel(caption, parent);
    if (name)
        label->setObjectName(QString::fromLatin1(name));
    return label;
}

void setState(QWidget *control, config::SelectorState state)
{
    if (state != config::SelectorState::Leave)
        control->setEnabled(state == config::SelectorState::Enable);
}

const QString NotReadYet = QStringLiteral(
    "The sign's message has not been read: type the message, or read it with \"Download from Sign\", "
    "before you upload.");

QString noAnswer(int port)
{
    return session::noAnswerText(QStringLiteral("COM %1").arg(port));
}

QString storedCodeRefused(QChar code)
{
    return QStringLiteral("The default message cannot hold the character \"%1\": the sign keeps it as a line "
                          "break or a time field. Remove it and try again.")
        .arg(code);
}

} // namespace

KestrovanDefaultMessage::KestrovanDefaultMessage(KestrovanMain &main)
    : SignDialog(main, &main),
      m_messages(MSComm1, 50, this),
      ComClose(m_messages.ComClose),
      SleepTimer(m_messages.SleepTimer),
      closeCountdown(m_messages.closeCountdown)
{
    setObjectName(QStringLiteral("KestrovanDefaultMessage"));
    setWindowTitle(QStringLiteral("Setup Default Message"));
    buildControls();
    connectHandlers();
}

KestrovanDefaultMessage::~KestrovanDefaultMessage() = default;

void KestrovanDefaultMessage::buildControls()
{
    // The message and the time fields that go into it.
    auto *messageBox = new QGroupBox(tr("Message"), this);
    defaultMessage = new QPlainTextEdit(messageBox);
    defaultMessage->setObjectName(QStringLiteral("defaultMessage"));
    defaultMessage->setTabChangesFocus(true);
    defaultMessage->setMinimumWidth(360);
    defaultMessage->setMinimumHeight(defaultMessage->fontMetrics().lineSpacing() * 4 + 12);
    nameControl(defaultMessage, QStringLiteral("Message"));

    Label_TimeFormat = makeLabel(messageBox, "Label_TimeFormat", QStringLiteral("Time Format"));
    TimeFormat = makeDropDown(messageBox, "TimeFormat", QStringLiteral("Time format"));
    Label_TimeFormat->setBuddy(TimeFormat);
    InsertTime = makeButton(messageBox, "InsertTime", QStringLiteral("Insert Time"));
    Label_OR = makeLabel(messageBox, "Label_OR", QStringLiteral("OR"));
    TimeOnIdle = makeButton(messageBox, "TimeOnIdle", QStringLiteral("Time Display on Idle"));
    TimeDisplayStatus = makeLabel(messageBox, "TimeDisplayStatus", protocol::timeDisplayStatusText(false));
    describeValueLabel(TimeDisplayStatus, QStringLiteral("Time display"));

    auto *timeRow = new QHBoxLayout;
    timeRow->addWidget(Label_TimeFormat);
    timeRow->addWidget(TimeFormat);
    timeRow->addWidget(InsertTime);
    timeRow->addSpacing(8);
    timeRow->addWidget(Label_OR);
    timeRow->addSpacing(8);
    timeRow->addWidget(TimeOnIdle);
    timeRow->addWidget(TimeDisplayStatus);
    timeRow->addStretch(1);

    auto *messageLayout = new QVBoxLayout(messageBox);
    messageLayout->addWidget(defaultMessage, 1);
    messageLayout->addLayout(timeRow);

    // How the sign shows it: the lists side by side, each under its caption, so that the window
    // stays low enough for a small screen.
    auto *displayBox = new QGroupBox(tr("Display"), this);
    fontList = makeList(displayBox, "fontList", QStringLiteral("Font"));
    ColorList = makeList(displayBox, "ColorList", QStringLiteral("Color"));
    StyleList = makeList(displayBox, "StyleList", QStringLiteral("Style"));
    AlignmentList = makeList(displayBox, "AlignmentList", QStringLiteral("Alignment"));
    SpeedList = makeList(displayBox, "SpeedList", QStringLiteral("Speed"));
    PauseList = makeList(displayBox, "PauseList", QStringLiteral("Pause"));
    auto *displayLayout = new QGridLayout(displayBox);
    const std::pair<const char *, ListBox *> columns[] = {{"&Font", fontList},     {"&Color", ColorList},
                                                          {"St&yle", StyleList},   {"&Alignment", AlignmentList},
                                                          {"S&peed", SpeedList},   {"Pa&use", PauseList}};
    // Captions wider than their list keep apart from the next one.
    displayLayout->setHorizontalSpacing(fontMetrics().averageCharWidth() * 2);
    int column = 0;
    for (const auto &[caption, list] : columns) {
        QLabel *label = makeLabel(displayBox, nullptr, tr(caption));
        label->setBuddy(list);
        displayLayout->addWidget(label, 0, column);
        displayLayout->addWidget(list, 1, column);
        ++column;
    }

    Upload = makeButton(this, "Upload", UploadCaption);
    Download = makeButton(this, "Download", DownloadCaption);
    SetTime = makeButton(this, "SetTime", QStringLiteral("Set LED Sign Time"));
    Exit = makeButton(this, "Exit", QStringLiteral("Exit"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Upload);
    buttons->addWidget(Download);
    buttons->addWidget(SetTime);
    buttons->addStretch(1);
    buttons->addWidget(Exit);

    auto *clockRow = new QHBoxLayout;
    clockRow->addWidget(DateTime);
    clockRow->addSpacing(12);
    clockRow->addWidget(makeLabel(this, "ClockHint", QStringLiteral("Set Computer Clock to change time")));
    clockRow->addStretch(1);

    Test = new QLineEdit(this);
    Test->setObjectName(QStringLiteral("Test"));
    Test->setReadOnly(true);
    nameControl(Test, QStringLiteral("Command"));
    auto *commandRow = new QHBoxLayout;
    QLabel *commandCaption = makeLabel(this, nullptr, tr("Command"));
    commandCaption->setBuddy(Test);
    commandRow->addWidget(commandCaption);
    commandRow->addWidget(Test, 1);

    auto *outer = new QVBoxLayout(this);
    outer->addWidget(messageBox, 1);
    outer->addWidget(displayBox);
    outer->addLayout(buttons);
    outer->addLayout(clockRow);
    outer->addWidget(Ack);
    outer->addWidget(Progress);
    outer->addLayout(commandRow);
}

void KestrovanDefaultMessage::connectHandlers()
{
    const std::pair<ListBox *, void (KestrovanDefaultMessage::*)()> lists[] = {
        {fontList, &KestrovanDefaultMessage::fontList_Click},
        {ColorList, &KestrovanDefaultMessage::ColorList_Click},
        {StyleList, &KestrovanDefaultMessage::StyleList_Click},
        {AlignmentList, &KestrovanDefaultMessage::AlignmentList_Click},
        {SpeedList, &KestrovanDefaultMessage::SpeedList_Click},
        {PauseList, &KestrovanDefaultMessage::PauseList_Click}};
    // `activated` comes only from the operator's choice, never from the window selecting.
    for (const auto &[list, handler] : lists)
        connect(list, &ListBox::activated, this, handler);
    connect(TimeFormat, &QComboBox::activated, this, &KestrovanDefaultMessage::TimeFormat_Click);
    connect(defaultMessage, &QPlainTextEdit::textChanged, this, &KestrovanDefaultMessage::editorTextChanged);

    connect(InsertTime, &QPushButton::clicked, this, &KestrovanDefaultMessage::InsertTime_Click);
    connect(TimeOnIdle, &QPushButton::clicked, this, &KestrovanDefaultMessage::TimeOnIdle_Click);
    connect(Upload, &QPushButton::clicked, this, &KestrovanDefaultMessage::Upload_Click);
    connect(Download, &QPushButton::clicked, this, &KestrovanDefaultMessage::Download_Click);
    connect(SetTime, &QPushButton::clicked, this, &KestrovanDefaultMessage::SetTime_Click);
    connect(Exit, &QPushButton::clicked, this, &KestrovanDefaultMessage::Exit_Click);
    connect(&m_messages, &session::MessageSession::closed, this, &KestrovanDefaultMessage::portClosed);
    connect(&m_messages, &session::MessageSession::writeFailed, this,
            [this](int, const QString &command) { writeFailed(command); });
    connect(&m_messages, &session::MessageSession::written, this, [this](int, const QString &command) {
        // The command box follows the upload: the time display's command once the message has
        // gone, and the reset after it.
        if (command == protocol::resetCommand())
            Test->setText(Test->text() + QStringLiteral(" , RESET"));
        else if (m_timeCommand && command != *m_timeCommand)
            Test->setText(*m_timeCommand);
    });
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
    // Loading pauses with events going on; it runs once the window is fully on the screen, not
    // in the middle of being shown.
    QMetaObject::invokeMethod(this, &KestrovanDefaultMessage::Form_Load, Qt::QueuedConnection);
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

    if (m_main.IsDefMsgEmpty()) {
        // "Data downloaded successfully" waits for the sign's dump; the closing step says when
        // none came.
        m_readForLoad = true;
        if (readFromSign() == Outcome::WindowGone)
            return;
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

void KestrovanDefaultMessage::writeFailed(const QString &command)
{
    if (const std::optional<QString> bad = protocol::firstUnsendableChar(command))
        showAck(protocol::cannotShowText(*bad));
    else
        showAck(tr("The sign did not take the command."));
    abortOperation();
}

void KestrovanDefaultMessage::beginBusy(QPushButton *button, const QString &caption, Transfer transfer)
{
    m_transfer = transfer;
    for (QPushButton *action : {Upload, Download, SetTime, TimeOnIdle})
        action->setEnabled(false);
    if (button)
        button->setText(caption);
}

void KestrovanDefaultMessage::leaveBusy()
{
    m_transfer = Transfer::None;
    Download->setText(DownloadCaption);
    Upload->setText(UploadCaption);
    for (QPushButton *action : {Upload, Download, SetTime, TimeOnIdle})
        action->setEnabled(true);
    if (m_closeWhenIdle) {
        // Closing was asked for while the write ran; it goes on from the event loop, outside the
        // handler that ended the write.
        QMetaObject::invokeMethod(this, &KestrovanDefaultMessage::reject, Qt::QueuedConnection);
    }
}

void KestrovanDefaultMessage::startCloseCountdown(qint16 ticks)
{
    m_messages.startCloseCountdown(ticks);
}

void KestrovanDefaultMessage::enableListsForTimeDisplay()
{
    const bool off = !timeDisplayOn();
    fontList->setEnabled(off);
    StyleList->setEnabled(off);
    PauseList->setEnabled(off);
}

// An operation that cannot go on: the port is let go and the window is usable again.
void KestrovanDefaultMessage::abortOperation()
{
    m_messages.abort();
    m_link.clearLine();
    m_readPending = false;
    leaveBusy();
    enableListsForTimeDisplay();
}

bool KestrovanDefaultMessage::refuseUpload(bool timeOn)
{
    if (!m_editorKnown) {
        // Nothing came from the sign, a file or the operator: an upload would replace the
        // sign's message by an empty one.
        showAck(NotReadYet);
        return true;
    }
    if (timeOn)
        return false;  // the text does not go to the sign while it shows the time
    if (const std::optional<QChar> code = protocol::firstStoredCodeChar(editorText())) {
        showAck(storedCodeRefused(*code));
        return true;
    }
    return false;
}

void KestrovanDefaultMessage::Upload_Click()
{
    if (busy())
        return;
    const bool timeOn = timeDisplayOn();
    if (refuseUpload(timeOn))
        return;
    Test->clear();
    const HeldMessage sending = currentMessage();
    const int editsSent = m_operatorEdits;
    const std::optional<QString> command =
        protocol::defaultMessageUploadCommand(sending.codes, sending.text, timeOn);
    if (command)
        Test->setText(*command);
    m_timeCommand.reset();
    if (timeOn && anyChangeFlag())
        m_timeCommand = protocol::timeOnIdleCommand(displayCodes(), TimeFormat->currentIndex());

    beginBusy(Upload, QStringLiteral("Writing..."), Transfer::Writing);
    const session::MessageSession::Start start =
        runPlan(session::defaultMessageUploadPlan(command, m_timeCommand), [this, command] {
            if (command)
                return;
            // The sign has no command for a message while it shows the time on idle.
            showAck(protocol::removeMessageHint());
            if (m_timeCommand)
                Test->setText(*m_timeCommand);
        });
    if (start.gone || !start.ok() || !start.completed)
        return;

    // The sign has what was sent; changes made while it went out are still the operator's own.
    m_known = sending;
    m_syncedEdits = editsSent;
    if (command)
        m_onSign = sending;
    startProgress();
    RemoveAck.stop();
}

session::MessageSession::Start KestrovanDefaultMessage::runPlan(const session::MessagePlan &plan,
                                                               const std::function<void()> &opened)
{
    const int port = m_main.selectedPortNumber();
    const session::MessageSession::Start start = m_messages.run(port, plan, opened);
    if (start.gone)
        return start;
    if (!start.opening.ok()) {
        showAck(signlink::cannotOpenPortMessage(port, start.opening));
        leaveBusy();
    } else if (!start.written) {
        writeFailed(plan.steps.first().command);
    }
    return start;
}

KestrovanDefaultMessage::Outcome KestrovanDefaultMessage::readFromSign()
{
    m_main.DeleteConfigFileName();
    beginBusy(Download, QStringLiteral("Reading..."), Transfer::Reading);
    m_timeCommand.reset();
    // The dump may come while the pause after the request still runs.
    m_readHeardLine = false;
    m_readPort = m_main.selectedPortNumber();
    const session::MessageSession::Start start =
        runPlan(session::defaultMessageReadPlan(), [this] { m_readPending = true; });
    if (start.gone)
        return Outcome::WindowGone;
    if (!start.ok() || !start.completed)
        return Outcome::Failed;  // lost or closed meanwhile; the buttons are back already
    startProgress();
    return Outcome::Done;
}

void KestrovanDefaultMessage::Download_Click()
{
    if (busy())
        return;
    m_readForLoad = false;
    readFromSign();
}

void KestrovanDefaultMessage::TimeOnIdle_Click()
{
    // Busy from here to the end of the read that follows: a write in between would find the
    // port closed under it.
    if (busy())
        return;
    beginBusy(nullptr, QString(), Transfer::Writing);
    m_timeCommand.reset();
    const bool switchOn = !timeDisplayOn();
    const session::MessageSession::Start start =
        runPlan(session::timeDisplayPlan(switchOn), [this, switchOn] { fontList->setEnabled(!switchOn); });
    if (start.gone || !start.ok() || !start.completed)
        return;  // the port was lost meanwhile: the buttons are back and `Ack` says why
    if (switchOn && !editorText().isEmpty())
        showAck(protocol::removeMessageHint());
    TimeDisplayStatus->setText(protocol::timeDisplayStatusText(switchOn));
    if (m_closeWhenIdle) {
        // The window is closing: the switch is done, the read that would follow is not needed.
        leaveBusy();
        return;
    }
    m_readForLoad = false;
    readFromSign();
}

void KestrovanDefaultMessage::SetTime_Click()
{
    if (busy())
        return;
    // One reading of the clock, so date, time and weekday belong together.
    const session::MessagePlan plan = session::clockPlan(QDateTime::currentDateTime());
    const int port = m_main.selectedPortNumber();
    m_timeCommand.reset();
    const session::MessageSession::Start start = m_messages.run(port, plan);
    if (!start.opening.ok()) {
        showAck(signlink::cannotOpenPortMessage(port, start.opening));
        return;
    }
    if (!start.written) {
        writeFailed(plan.steps.first().command);
        return;
    }
    beginBusy(Upload, QStringLiteral("Writing..."), Transfer::Writing);
    startProgress();
    RemoveAck.stop();
}

void KestrovanDefaultMessage::ComClose_Timer()
{
    m_messages.closeTick();
}

void KestrovanDefaultMessage::portClosed(bool wasOpen)
{
    m_link.clearLine();
    const bool unanswered = m_readPending;
    m_readPending = false;
    if (wasOpen) {
        if (unanswered) {
            // The editor keeps what it had; Upload stays refused until there is a message.
            showAck(m_readHeardLine ? tr("The sign answered, but did not send its default message.")
                                    : noAnswer(m_readPort));
        }
        leaveBusy();
    }
    enableListsForTimeDisplay();
}

void KestrovanDefaultMessage::ProcessReply(const QString &line)
{
    using Kind = protocol::DefaultMessageReply::Kind;
    const protocol::DefaultMessageReply reply =
        protocol::interpretDefaultMessageReply(line, timeDisplayOn(), editorText().isEmpty(), m_readPending);
    if (!line.isEmpty())
        m_readHeardLine = true;
    switch (reply.kind) {
    case Kind::Nothing:
        break;
    case Kind::ShowStatus:
        showAck(reply.status);
        break;
    case Kind::TimeDisplay:
        TimeDisplayStatus->setText(protocol::timeDisplayStatusText(reply.timeDisplayOn));
        break;
    case Kind::Dump: {
        // Only the answer to a read is taken. Anything else that reads as a dump (a sign that
        // sends its configuration unasked after an upload) would replace the editor and the
        // held message with whatever its fields hold.
        if (!m_readPending)
            break;
        const protocol::DefaultMessageDump &dump = reply.dump;
        const DisplayLists lists = displayLists();
        for (const config::Attribute attribute : config::AllAttributes) {
            ListBox *list = config::attributeOf(lists, attribute);
            const std::optional<qint16> &value = config::attributeOf(dump, attribute);
            if (list && value)
                selectListPosition(list, *value);
        }
        if (!dump.text)
            break;  // a line that only looks like a dump
        setEditorText(*dump.text);
        holdingKnownMessage();
        m_onSign = m_known;
        if (m_readPending && m_readForLoad)
            showAck(QStringLiteral("Data downloaded successfully from LED Sign"));
        m_readPending = false;
        break;
    }
    }
}

void KestrovanDefaultMessage::connectionLost()
{
    // The base has said so in `Ack` and the port is closed; what the window held is let go.
    m_messages.connectionLost();
    m_link.clearLine();
    m_readPending = false;
    leaveBusy();
    enableListsForTimeDisplay();
}

// ---- Closing ----

void KestrovanDefaultMessage::Exit_Click()
{
    close();
}

void KestrovanDefaultMessage::done(int result)
{
    if (!m_closed) {
        if (m_transfer == Transfer::Writing) {
            // The sequence on the port ends first (cut short, the sign would be left half
            // set); the window closes when it has.
            m_closeWhenIdle = true;
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
    m_messages.abort();
    m_link.clearLine();
    m_readPending = false;
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
                                            {UploadCaption, UiServices::Answer::Role::Accept},
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
            // The characters themselves are the trouble; `Ack` names them.
            refuseUpload(false);
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
