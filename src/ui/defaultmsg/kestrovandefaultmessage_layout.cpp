// The default-message window's controls: where each sits, its caption, its spoken name, and
// which handler each one's change reaches.
#include "ui/defaultmsg/kestrovandefaultmessage.h"

#include "ui/common/accessibility.h"
#include "ui/common/listbox.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace ui {

namespace {

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

} // namespace

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

    Upload = makeButton(this, "Upload", uploadCaption());
    Download = makeButton(this, "Download", downloadCaption());
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
}

} // namespace ui
