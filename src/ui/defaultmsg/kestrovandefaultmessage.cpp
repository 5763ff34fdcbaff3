#include "ui/defaultmsg/kestrovandefaultmessage.h"

#include "config/catalogue.h"
#include "config/ledfile.h"
#include "protocol/clock.h"
#include "protocol/commands.h"
#include "ui/common/accessibility.h"
#include "ui/main/kestrovanmain.h"

#include "ui/common/signdialog.h"

#include <QComboBox>
#include <QDateTime>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
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

QComboBox *makeList(QWidget *parent, const char *name, const QString &accessibleName)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    list->setMinimumContentsLength(12);
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

} // namespace

KestrovanDefaultMessage::KestrovanDefaultMessage(KestrovanMain &main)
    : SignDialog(main, &main)
{
    setObjectName(QStringLiteral("KestrovanDefaultMessage"));
    setWindowTitle(QStringLiteral("Setup Default Message"));
    buildControls();

    ComClose.setParent(this);
    ComClose.setObjectName(QStringLiteral("ComClose"));
    ComClose.setInterval(50);
    SleepTimer.setParent(this);
    SleepTimer.setObjectName(QStringLiteral("SleepTimer"));
    SleepTimer.setInterval(10);
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
    defaultMessage->setMinimumSize(360, 110);
    nameControl(defaultMessage, QStringLiteral("Message"));

    Label_TimeFormat = makeLabel(messageBox, "Label_TimeFormat", QStringLiteral("Time Format"));
    TimeFormat = makeList(messageBox, "TimeFormat", QStringLiteral("Time format"));
    Label_TimeFormat->setBuddy(TimeFormat);
    InsertTime = makeButton(messageBox, "InsertTime", QStringLiteral("Insert Time"));
    Label_OR = makeLabel(messageBox, "Label_OR", QStringLiteral("OR"));
    TimeOnIdle = makeButton(messageBox, "TimeOnIdle", QStringLiteral("Time Display on Idle"));
    TimeDisplayStatus = makeLabel(messageBox, "TimeDisplayStatus", protocol::timeDisplayStatusText(false));
    describeValueLabel(TimeDisplayStatus, QStringLiteral("Time display"));

    auto *timeRow = new QHBoxLayout;
    timeRow->addWidget(Label_TimeFormat);
    timeRow->addWidget(TimeFormat, 1);
    timeRow->addWidget(InsertTime);
    timeRow->addSpacing(8);
    timeRow->addWidget(Label_OR);
    timeRow->addSpacing(8);
    timeRow->addWidget(TimeOnIdle);
    timeRow->addWidget(TimeDisplayStatus);

    auto *messageLayout = new QVBoxLayout(messageBox);
    messageLayout->addWidget(defaultMessage, 1);
    messageLayout->addLayout(timeRow);

    // How the sign shows it.
    auto *displayBox = new QGroupBox(tr("Display"), this);
    fontList = makeList(displayBox, "fontList", QStringLiteral("Font"));
    ColorList = makeList(displayBox, "ColorList", QStringLiteral("Color"));
    StyleList = makeList(displayBox, "StyleList", QStringLiteral("Style"));
    AlignmentList = makeList(displayBox, "AlignmentList", QStringLiteral("Alignment"));
    SpeedList = makeList(displayBox, "SpeedList", QStringLiteral("Speed"));
    PauseList = makeList(displayBox, "PauseList", QStringLiteral("Pause"));
    auto *displayLayout = new QFormLayout(displayBox);
    const std::pair<const char *, QComboBox *> rows[] = {{"&Font", fontList},     {"&Color", ColorList},
                                                          {"St&yle", StyleList},   {"&Alignment", AlignmentList},
                                                          {"S&peed", SpeedList},   {"Pa&use", PauseList}};
    for (const auto &[caption, list] : rows)
        displayLayout->addRow(tr(caption), list);

    auto *editing = new QHBoxLayout;
    editing->addWidget(messageBox, 1);
    editing->addWidget(displayBox, 0);

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
    outer->addLayout(editing, 1);
    outer->addLayout(buttons);
    outer->addLayout(clockRow);
    outer->addWidget(Ack);
    outer->addWidget(Progress);
    outer->addLayout(commandRow);
}

void KestrovanDefaultMessage::connectHandlers()
{
    const std::pair<QComboBox *, void (KestrovanDefaultMessage::*)()> lists[] = {
        {fontList, &KestrovanDefaultMessage::fontList_Click},
        {ColorList, &KestrovanDefaultMessage::ColorList_Click},
        {StyleList, &KestrovanDefaultMessage::StyleList_Click},
        {AlignmentList, &KestrovanDefaultMessage::AlignmentList_Click},
        {SpeedList, &KestrovanDefaultMessage::SpeedList_Click},
        {PauseList, &KestrovanDefaultMessage::PauseList_Click},
        {TimeFormat, &KestrovanDefaultMessage::TimeFormat_Click}};
    // `activated` comes only from the operator's choice, never from the window selecting.
    for (const auto &[list, handler] : lists)
        connect(list, &QComboBox::activated, this, handler);

    connect(InsertTime, &QPushButton::clicked, this, &KestrovanDefaultMessage::InsertTime_Click);
    connect(TimeOnIdle, &QPushButton::clicked, this, &KestrovanDefaultMessage::TimeOnIdle_Click);
    connect(Upload, &QPushButton::clicked, this, &KestrovanDefaultMessage::Upload_Click);
    connect(Download, &QPushButton::clicked, this, &KestrovanDefaultMessage::Download_Click);
    connect(SetTime, &QPushButton::clicked, this, &KestrovanDefaultMessage::SetTime_Click);
    connect(Exit, &QPushButton::clicked, this, &KestrovanDefaultMessage::Exit_Click);
    connect(&ComClose, &QTimer::timeout, this, &KestrovanDefaultMessage::ComClose_Timer);
    // Before any Sleep connects its own check, so the tick is counted when that check runs.
    connect(&SleepTimer, &QTimer::timeout, this, &KestrovanDefaultMessage::SleepTimer_Timer);
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
    TimeFormat->setCurrentIndex(0);
    TimeFormat_Click();

    if (m_main.IsDefMsgEmpty()) {
        switch (readFromSign()) {
        case Outcome::WindowGone:
            return;
        case Outcome::Done:
            showAck(QStringLiteral("Data downloaded successfully from LED Sign"));
            break;
        case Outcome::Failed:
            // `Ack` says why; claiming a download here would hide that.
            break;
        }
    } else {
        loadFromFile();
    }
    fontChanged = colorChanged = styleChanged = alignChanged = speedChanged = pauseChanged = false;
}

void KestrovanDefaultMessage::ApplyModelOptions(const QString &model, const QString &build)
{
    Q_UNUSED(build);  // the build number selects nothing
    const config::ModelOptionSet set = config::SelectOptionSet(model, config::OptionWindow::DefaultMessage);
    refillList(fontList, set.font);
    refillList(ColorList, set.color);
    refillList(StyleList, set.style);
    refillList(AlignmentList, set.alignment);
    refillList(SpeedList, set.speed);
    refillList(PauseList, set.pause);
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
    defaultMessage->setPlainText(plain);
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

void KestrovanDefaultMessage::fontList_Click() { fontChanged = true; }
void KestrovanDefaultMessage::ColorList_Click() { colorChanged = true; }
void KestrovanDefaultMessage::StyleList_Click() { styleChanged = true; }
void KestrovanDefaultMessage::SpeedList_Click() { speedChanged = true; }
void KestrovanDefaultMessage::PauseList_Click() { pauseChanged = true; }

void KestrovanDefaultMessage::AlignmentList_Click()
{
    alignChanged = true;
    const Qt::Alignment shown[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter};
    const int position = AlignmentList->currentIndex();
    if (position < 0 || position >= int(std::size(shown)))
        return;
    QTextOption option = defaultMessage->document()->defaultTextOption();
    option.setAlignment(shown[position]);
    defaultMessage->document()->setDefaultTextOption(option);
}

void KestrovanDefaultMessage::TimeFormat_Click()
{
    if (TimeFormat->currentIndex() >= 0)
        setEditorText(protocol::timeTokenFor(TimeFormat->currentText()));
    timeFormatChanged = true;
}

void KestrovanDefaultMessage::InsertTime_Click()
{
    if (TimeFormat->currentIndex() < 0)
        return;
    QTextCursor end = defaultMessage->textCursor();
    end.movePosition(QTextCursor::End);
    end.insertText(protocol::timeTokenFor(TimeFormat->currentText()));
    defaultMessage->setTextCursor(end);
}

// ---- Talking to the sign ----

bool KestrovanDefaultMessage::send(const QString &command)
{
    if (!signPort().isOpen())
        return false;  // lost meanwhile; `Ack` says so already
    if (writeCommand(command))
        return true;
    if (!protocol::firstUnsendableChar(command))
        showAck(tr("The sign did not take the command."));
    return false;
}

void KestrovanDefaultMessage::beginBusy(QPushButton *button, const QString &caption)
{
    Download->setEnabled(false);
    Upload->setEnabled(false);
    button->setText(caption);
}

void KestrovanDefaultMessage::leaveBusy()
{
    Download->setText(DownloadCaption);
    Upload->setText(UploadCaption);
    Download->setEnabled(true);
    Upload->setEnabled(true);
    SetTime->setEnabled(true);
    TimeOnIdle->setEnabled(true);
}

void KestrovanDefaultMessage::startCloseCountdown(qint16 ticks)
{
    closeCountdown = ticks;
    signlink::startTimer(ComClose);
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
    ComClose.stop();
    rxLine.clear();
    closeSignPort();
    leaveBusy();
    enableListsForTimeDisplay();
}

void KestrovanDefaultMessage::Upload_Click()
{
    Test->clear();
    const bool timeOn = timeDisplayOn();
    const std::optional<QString> command =
        protocol::defaultMessageUploadCommand(displayCodes(), editorText(), timeOn);
    if (command)
        Test->setText(*command);

    beginBusy(Upload, QStringLiteral("Writing..."));
    if (!openSignPort()) {
        leaveBusy();
        return;
    }
    if (command) {
        if (!send(*command)) {
            abortOperation();
            return;
        }
    } else {
        // The sign has no command for a message while it shows the time on idle.
        showAck(protocol::removeMessageHint());
    }

    if (timeOn && anyChangeFlag()) {
        const QString timeCommand = protocol::timeOnIdleCommand(displayCodes(), TimeFormat->currentIndex());
        Test->setText(timeCommand);
        if (!Sleep(20))
            return;
        if (!send(timeCommand)) {
            abortOperation();
            return;
        }
        if (!Sleep(50))
            return;
        if (!send(protocol::resetCommand())) {
            abortOperation();
            return;
        }
        Test->setText(Test->text() + QStringLiteral(" , RESET"));
    }

    startCloseCountdown(10);
    startProgress();
    RemoveAck.stop();
}

KestrovanDefaultMessage::Outcome KestrovanDefaultMessage::readFromSign()
{
    m_main.DeleteConfigFileName();
    beginBusy(Download, QStringLiteral("Reading..."));
    if (!openSignPort()) {
        leaveBusy();
        return Outcome::Failed;
    }
    if (!send(protocol::readDefaultMessageCommand())) {
        abortOperation();
        return Outcome::Failed;
    }
    if (!Sleep(10))
        return Outcome::WindowGone;
    if (!signPort().isOpen())
        return Outcome::Failed;  // lost or closed meanwhile; the buttons are back already
    startCloseCountdown(20);
    startProgress();
    return Outcome::Done;
}

void KestrovanDefaultMessage::Download_Click()
{
    readFromSign();
}

void KestrovanDefaultMessage::TimeOnIdle_Click()
{
    // Not twice at once: the second click would toggle from a state the sign has not taken yet.
    TimeOnIdle->setEnabled(false);
    if (!openSignPort()) {
        TimeOnIdle->setEnabled(true);
        return;
    }
    const bool switchOn = !timeDisplayOn();
    fontList->setEnabled(!switchOn);
    if (!send(switchOn ? protocol::timeIdleOnCommand() : protocol::timeIdleOffCommand())) {
        abortOperation();
        return;
    }
    if (!Sleep(10))
        return;
    closeSignPort();
    if (switchOn && !editorText().isEmpty())
        showAck(protocol::removeMessageHint());
    TimeDisplayStatus->setText(protocol::timeDisplayStatusText(switchOn));
    TimeOnIdle->setEnabled(true);
    readFromSign();
}

void KestrovanDefaultMessage::SetTime_Click()
{
    // One reading of the clock, so date, time and weekday belong together.
    const QString command = protocol::setClockCommand(QDateTime::currentDateTime());
    if (!openSignPort())
        return;
    if (!send(command)) {
        abortOperation();
        return;
    }
    SetTime->setEnabled(false);
    beginBusy(Upload, QStringLiteral("Writing..."));
    startCloseCountdown(10);
    startProgress();
    RemoveAck.stop();
}

void KestrovanDefaultMessage::ComClose_Timer()
{
    if (closeCountdown >= 1) {
        --closeCountdown;
        return;
    }
    rxLine.clear();
    ComClose.stop();
    if (signPort().isOpen()) {
        closeSignPort();
        leaveBusy();
    }
    enableListsForTimeDisplay();
}

void KestrovanDefaultMessage::SleepTimer_Timer()
{
    ++sleepTicks;
}

void KestrovanDefaultMessage::ProcessReply(const QString &line)
{
    using Kind = protocol::DefaultMessageReply::Kind;
    const protocol::DefaultMessageReply reply =
        protocol::interpretDefaultMessageReply(line, timeDisplayOn(), editorText().isEmpty());
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
        const protocol::DefaultMessageDump &dump = reply.dump;
        const std::pair<const std::optional<qint16> &, QComboBox *> values[] = {
            {dump.font, fontList},   {dump.style, StyleList},         {dump.color, ColorList},
            {dump.speed, SpeedList}, {dump.alignment, AlignmentList}, {dump.pause, PauseList}};
        for (const auto &[value, list] : values) {
            if (value)
                selectListPosition(list, *value);
        }
        if (dump.text)
            setEditorText(*dump.text);
        break;
    }
    }
}

void KestrovanDefaultMessage::connectionLost()
{
    // The base has said so in `Ack` and the port is closed; what the window held is let go.
    ComClose.stop();
    rxLine.clear();
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
        m_closed = true;
        closingStep();
    }
    // Nothing keeps the port once the window is gone from the screen.
    ComClose.stop();
    rxLine.clear();
    closeSignPort();
    SignDialog::done(result);
}

void KestrovanDefaultMessage::closingStep()
{
    m_main.SaveDefaultMsg(editorText(), qint16(fontList->currentIndex()), qint16(ColorList->currentIndex()),
                          qint16(StyleList->currentIndex()), qint16(AlignmentList->currentIndex()),
                          qint16(SpeedList->currentIndex()), qint16(PauseList->currentIndex()));
    m_main.SetupDefaultMsg->setToolTip(config::defaultMsgToolTip(m_main.signConfig()));
}

} // namespace ui
