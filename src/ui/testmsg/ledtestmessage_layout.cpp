// The test-message window's controls: where each sits, its caption, its spoken name, and which
// handler each one's change reaches.
#include "ui/testmsg/ledtestmessage.h"

#include "ui/common/accessibility.h"
#include "ui/common/listbox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <limits>

namespace ui {

namespace {

QLabel *captionFor(QWidget *control, const char *name, const QString &caption, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setBuddy(control);
    return label;
}

} // namespace

void LEDTestMessage::buildControls()
{
    ColorTextBox = new ComposerEdit(this);
    ColorTextBox->setObjectName(QStringLiteral("ColorTextBox"));
    nameControl(ColorTextBox, QStringLiteral("Message"));

    auto *top = new QHBoxLayout;
    top->addWidget(ColorTextBox, 1);
    top->addLayout(buildSettingsColumn());

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 2);
    layout->addLayout(buildListRow());
    layout->addLayout(buildCommandPanel(), 1);
    layout->addLayout(buildButtonRow());

    auto *clockRow = new QHBoxLayout;
    clockRow->addWidget(DateTime);
    auto *hint = new QLabel(QStringLiteral("Set Computer Clock to change time"), this);
    hint->setObjectName(QStringLiteral("Label_ClockHint"));
    clockRow->addWidget(hint);
    clockRow->addStretch();
    layout->addLayout(clockRow);
    layout->addWidget(Progress);
    layout->addWidget(Ack);
}

QLayout *LEDTestMessage::buildSettingsColumn()
{
    auto makeDropDown = [this](const char *name, const QString &spoken) {
        auto *list = new QComboBox(this);
        list->setObjectName(QString::fromLatin1(name));
        // As wide as its longest entry, which no layout may cut short.
        list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        list->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
        nameCombo(list, spoken);
        return list;
    };
    Timeout = new QLineEdit(this);
    Timeout->setObjectName(QStringLiteral("Timeout"));
    nameControl(Timeout, QStringLiteral("Timeout"));
    MsgID = makeDropDown("MsgID", QStringLiteral("Message ID"));
    MsgPri = makeDropDown("MsgPri", QStringLiteral("Message priority"));
    SaveSettings = new QCheckBox(QStringLiteral("Save changes to Priority"), this);
    SaveSettings->setObjectName(QStringLiteral("SaveSettings"));

    TimeFormat = makeDropDown("TimeFormat", QStringLiteral("Time format"));
    Label_TimeFormat = captionFor(TimeFormat, "Label_TimeFormat", QStringLiteral("Time Format"), this);
    InsertTime = new QPushButton(QStringLiteral("Insert Time"), this);
    InsertTime->setObjectName(QStringLiteral("InsertTime"));
    InsertTime->setAutoDefault(false);

    auto *grid = new QGridLayout;
    const std::pair<QWidget *, QLabel *> rows[] = {
        {Timeout, captionFor(Timeout, "Label_Timeout", QStringLiteral("Timeout"), this)},
        {MsgID, captionFor(MsgID, "Label_MsgID", QStringLiteral("Message ID"), this)},
        {MsgPri, captionFor(MsgPri, "Label_MsgPri", QStringLiteral("Priority"), this)},
    };
    int row = 0;
    for (const auto &[control, caption] : rows) {
        grid->addWidget(caption, row, 0);
        grid->addWidget(control, row, 1);
        ++row;
    }
    grid->addWidget(SaveSettings, row++, 0, 1, 2);
    grid->addWidget(Label_TimeFormat, row, 0);
    auto *time = new QHBoxLayout;
    time->addWidget(TimeFormat);
    time->addWidget(InsertTime);
    grid->addLayout(time, row++, 1);
    grid->setRowStretch(row, 1);
    return grid;
}

QLayout *LEDTestMessage::buildListRow()
{
    auto makeList = [this](const char *name, const QString &spoken) {
        auto *list = new ListBox(this);
        list->setObjectName(QString::fromLatin1(name));
        list->setSpokenName(spoken);
        return list;
    };
    fontList = makeList("fontList", QStringLiteral("Font"));
    StyleList = makeList("StyleList", QStringLiteral("Style"));
    ColorList = makeList("ColorList", QStringLiteral("Color"));
    AlignmentList = makeList("AlignmentList", QStringLiteral("Alignment"));
    SpeedList = makeList("SpeedList", QStringLiteral("Speed"));
    PauseList = makeList("PauseList", QStringLiteral("Pause"));
    BeepList = makeList("BeepList", QStringLiteral("Beep"));

    Label4 = captionFor(ColorList, "Label4", QStringLiteral("Color"), this);
    Label4->setToolTip(QStringLiteral("Double-click to colour parts of the message"));

    // Side by side, each under its caption: five rows of each list in view, and the window
    // still low enough for a small screen.
    auto *grid = new QGridLayout;
    const std::pair<ListBox *, QLabel *> columns[] = {
        {fontList, captionFor(fontList, "Label_Font", QStringLiteral("Font"), this)},
        {StyleList, captionFor(StyleList, "Label_Style", QStringLiteral("Style"), this)},
        {ColorList, Label4},
        {AlignmentList, captionFor(AlignmentList, "Label_Alignment", QStringLiteral("Alignment"), this)},
        {SpeedList, captionFor(SpeedList, "Label_Speed", QStringLiteral("Speed"), this)},
        {PauseList, captionFor(PauseList, "Label_Pause", QStringLiteral("Pause"), this)},
        {BeepList, captionFor(BeepList, "Label_Beep", QStringLiteral("Beep"), this)},
    };
    // Captions wider than their list keep apart from the next one.
    grid->setHorizontalSpacing(fontMetrics().averageCharWidth() * 2);
    int column = 0;
    for (const auto &[list, caption] : columns) {
        grid->addWidget(caption, 0, column);
        grid->addWidget(list, 1, column);
        ++column;
    }
    return grid;
}

QLayout *LEDTestMessage::buildCommandPanel()
{
    Test = new QLineEdit(this);
    Test->setObjectName(QStringLiteral("Test"));
    Test->setToolTip(QStringLiteral("Double-click to send this command as it stands"));
    // A long composition must not be cut short here: a double-click sends what this box holds.
    Test->setMaxLength(std::numeric_limits<int>::max());
    nameControl(Test, QStringLiteral("Command"));

    defaultMessage = new QPlainTextEdit(this);
    defaultMessage->setObjectName(QStringLiteral("defaultMessage"));
    defaultMessage->setTabChangesFocus(true);
    defaultMessage->setMinimumHeight(defaultMessage->fontMetrics().lineSpacing() * 2 + 12);
    nameControl(defaultMessage, QStringLiteral("Default message"));

    auto *panel = new QGridLayout;
    panel->addWidget(captionFor(Test, "Label_Test", QStringLiteral("Command"), this), 0, 0);
    panel->addWidget(Test, 0, 1);
    panel->addWidget(captionFor(defaultMessage, "Label_DefaultMessage", QStringLiteral("Default Message"), this), 1,
                     0, Qt::AlignTop);
    panel->addWidget(defaultMessage, 1, 1);
    panel->setColumnStretch(1, 1);
    return panel;
}

QLayout *LEDTestMessage::buildButtonRow()
{
    auto makeButton = [this](const char *name, const QString &caption) {
        auto *button = new QPushButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        return button;
    };
    Upload = makeButton("Upload", uploadCaption());
    Download = makeButton("Download", downloadCaption());
    SetTime = makeButton("SetTime", QStringLiteral("Set LED Sign Time"));

    auto *row = new QHBoxLayout;
    row->addWidget(Upload);
    row->addWidget(Download);
    row->addWidget(SetTime);
    return row;
}

void LEDTestMessage::connectHandlers()
{
    connect(Upload, &QPushButton::clicked, this, &LEDTestMessage::Upload_Click);
    connect(Download, &QPushButton::clicked, this, &LEDTestMessage::Download_Click);
    connect(SetTime, &QPushButton::clicked, this, &LEDTestMessage::SetTime_Click);
    connect(InsertTime, &QPushButton::clicked, this, &LEDTestMessage::InsertTime_Click);
    connect(MsgPri, &QComboBox::activated, this, &LEDTestMessage::MsgPri_Click);
    connect(SaveSettings, &QCheckBox::toggled, this, &LEDTestMessage::SaveSettings_Click);
    connect(ColorTextBox, &ComposerEdit::edited, this, &LEDTestMessage::ColorTextBox_Change);
    connect(Timeout, &QLineEdit::textChanged, this, &LEDTestMessage::Timeout_Change);
    // The message ID is part of the command, so the command is rebuilt when it changes.
    connect(MsgID, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_fillingLists)
            runEncoder();
    });

    // A user's choice arrives as `activated` (also when the entry was already chosen, which
    // applies it to a new selection in multi-colour mode); the window's own choices go through
    // choose(), which calls the same handlers.
    connect(fontList, &ListBox::activated, this, &LEDTestMessage::fontList_Click);
    connect(StyleList, &ListBox::activated, this, &LEDTestMessage::StyleList_Click);
    connect(ColorList, &ListBox::activated, this, &LEDTestMessage::ColorList_Click);
    connect(AlignmentList, &ListBox::activated, this, &LEDTestMessage::AlignmentList_Click);
    connect(SpeedList, &ListBox::activated, this, &LEDTestMessage::SpeedList_Click);
    connect(PauseList, &ListBox::activated, this, &LEDTestMessage::PauseList_Click);
    connect(BeepList, &ListBox::activated, this, &LEDTestMessage::BeepList_Click);

    Label4->installEventFilter(this);
    Test->installEventFilter(this);
}

} // namespace ui
