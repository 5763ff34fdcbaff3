#include "ui/testmsg/ledtestmessage.h"

#include "config/attribute.h"
#include "config/catalogue.h"
#include "link/timers.h"
#include "protocol/clock.h"
#include "protocol/commands.h"
#include "protocol/defaultmessage.h"
#include "ui/common/accessibility.h"
#include "ui/common/listbox.h"
#include "ui/main/kestrovanmain.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextEdit>
#include <QVBoxLayout>

#include <limits>

namespace ui {

namespace {

const QString uploadCaption = QStringLiteral("Send Message to Sign");
const QString downloadCaption = QStringLiteral("Download from Pager");

protocol::ComposedChar attributesOf(const QTextCharFormat &format, const QFont &defaultFont,
                                    const QColor &defaultColor)
{
    // What the format leaves unset is shown in the editor's default font and colour.
    const QFont font = format.font().resolve(defaultFont);
    const QColor color =
        format.foreground().style() == Qt::NoBrush ? defaultColor : format.foreground().color();
    protocol::ComposedChar c;
    c.font = {font.families().value(0, font.family()), font.pointSizeF(), font.bold(), font.italic()};
    c.color = {color.red(), color.green(), color.blue()};
    return c;
}

QTextCharFormat charFormatFor(const protocol::EditorFont &font)
{
    QTextCharFormat format;
    format.setFontFamilies({font.typeface});
    format.setFontPointSize(font.pointSize);
    format.setFontWeight(font.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(font.accent);
    return format;
}

QTextCharFormat charFormatFor(protocol::Rgb color)
{
    QTextCharFormat format;
    format.setForeground(QColor(color.red, color.green, color.blue));
    return format;
}

Qt::Alignment qtAlignment(protocol::EditorAlignment alignment)
{
    switch (alignment) {
    case protocol::EditorAlignment::Left: return Qt::AlignLeft;
    case protocol::EditorAlignment::Right: return Qt::AlignRight;
    case protocol::EditorAlignment::Center: return Qt::AlignHCenter;
    }
    return Qt::AlignLeft;
}

void setSelectorState(QWidget *list, config::SelectorState state)
{
    if (state != config::SelectorState::Leave)
        list->setEnabled(state == config::SelectorState::Enable);
}

// The order in which choosing a priority selects its values: a value outside this window's
// list ends the step, so the ones before it are taken and the ones after it are not.
constexpr std::array<config::Attribute, 7> priorityLoadOrder{
    config::Attribute::Font,  config::Attribute::Color,     config::Attribute::Style, config::Attribute::Speed,
    config::Attribute::Alignment, config::Attribute::Pause, config::Attribute::Beep};

QLabel *captionFor(QWidget *control, const char *name, const QString &caption, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setBuddy(control);
    return label;
}

} // namespace

QList<protocol::ComposedChar> readComposition(const QTextEdit &editor)
{
    const QTextDocument &document = *editor.document();
    const QFont defaultFont = document.defaultFont();
    // A character without a colour of its own counts in the desktop's text colour, as the
    // editor would show it with the desktop's colours; the window's dark preview shows it in a
    // colour of its own, which is no colour of the sign.
    const QColor defaultColor = QApplication::palette(&editor).color(QPalette::Text);

    QList<protocol::ComposedChar> chars;
    chars.reserve(document.characterCount());
    protocol::ComposedChar last = attributesOf(document.begin().charFormat(), defaultFont, defaultColor);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin()) {
            last.character = u'\n';
            chars.append(last);
        }
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            protocol::ComposedChar c = attributesOf(fragment.charFormat(), defaultFont, defaultColor);
            const QString text = fragment.text();
            for (const QChar character : text) {
                c.character = character;
                chars.append(c);
            }
            last = c;
        }
    }
    return chars;
}

LEDTestMessage::LEDTestMessage(KestrovanMain &main)
    : SignDialog(main, &main), m_messages(MSComm1, 500, this), ComClose(m_messages.ComClose)
{
    setObjectName(QStringLiteral("LEDTestMessage"));
    setWindowTitle(QStringLiteral("Send Test Message"));
    buildControls();

    // Whatever was left of an earlier answer belongs to no reply of the next command.
    connect(&m_messages, &session::MessageSession::aboutToWrite, this, [this] { m_link.clearLine(); });
    connect(&m_messages, &session::MessageSession::closed, this, &LEDTestMessage::endBusyState);
    connectHandlers();
    Form_Load();
}

// The connection closes its device when it goes.
LEDTestMessage::~LEDTestMessage() = default;

void LEDTestMessage::buildControls()
{
    ColorTextBox = new QTextEdit(this);
    ColorTextBox->setObjectName(QStringLiteral("ColorTextBox"));
    // Pasted text takes the attributes chosen here rather than bringing its own.
    ColorTextBox->setAcceptRichText(false);
    // Tab goes on to the next control; the sign has no tab character anyway.
    ColorTextBox->setTabChangesFocus(true);
    ColorTextBox->setMinimumHeight(ColorTextBox->fontMetrics().lineSpacing() * 3 + 12);
    // The preview on a dark panel, as a sign shows its light, so that every colour of the list
    // is readable whatever the desktop's colours (yellow vanishes on white, black on a dark
    // desktop). Only the background, and the colour characters without one of their own are
    // shown in, change; the encoder reads the characters' own colours (readComposition).
    QPalette preview = ColorTextBox->palette();
    preview.setColor(QPalette::Base, PreviewBackground);
    preview.setColor(QPalette::Text, PreviewDefaultText);
    ColorTextBox->setPalette(preview);
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
    Upload = makeButton("Upload", uploadCaption);
    Download = makeButton("Download", downloadCaption);
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
    connect(ColorTextBox, &QTextEdit::textChanged, this, &LEDTestMessage::ColorTextBox_Change);
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

void LEDTestMessage::Form_Load()
{
    ApplyModelOptions(m_main.LEDSignModelNumber(), m_main.LEDSignBuildNumber());
    {
        const QScopedValueRollback filling(m_fillingLists, true);
        QStringList ids;
        for (int id = 0; id < config::LinkCount; ++id)
            ids << QString::number(id);
        refillList(MsgID, ids);
        MsgID->setCurrentIndex(0);
        refillList(MsgPri, config::linkPriorityLabels());
    }
    MsgPri->setCurrentIndex(0);
    MsgPri_Click();
    multiColorMode = false;
    SaveSettings->setChecked(m_main.getSaveSettingsTick() != 0);
    runEncoder();
}

void LEDTestMessage::ApplyModelOptions(const QString &model, const QString &build)
{
    Q_UNUSED(build);  // selects nothing
    const config::ModelOptionSet set = config::SelectOptionSet(model, config::OptionWindow::TestMessage);
    const QScopedValueRollback filling(m_fillingLists, true);
    for (const config::Attribute attribute : config::AllAttributes)
        refillList(listOf(attribute), config::attributeOf(set, attribute));
    setSelectorState(SpeedList, set.speedState);
    setSelectorState(AlignmentList, set.alignmentState);
    applyControlChanges(this, set.extra);
    if (set.appendTimeFormats) {
        TimeFormat->addItems(config::timeFormatEntries());
        TimeFormat->setCurrentIndex(0);
    }
}

// ---- Attribute choices ----

ListBox *LEDTestMessage::listOf(Attribute attribute) const
{
    const struct {
        ListBox *font, *style, *color, *speed, *alignment, *pause, *beep;
    } lists{fontList, StyleList, ColorList, SpeedList, AlignmentList, PauseList, BeepList};
    return config::attributeOf(lists, attribute);
}

void LEDTestMessage::fontList_Click() { attributeChosen(Attribute::Font, true); }
void LEDTestMessage::StyleList_Click() { attributeChosen(Attribute::Style, true); }
void LEDTestMessage::ColorList_Click() { attributeChosen(Attribute::Color, true); }
void LEDTestMessage::AlignmentList_Click() { attributeChosen(Attribute::Alignment, true); }
void LEDTestMessage::SpeedList_Click() { attributeChosen(Attribute::Speed, true); }
void LEDTestMessage::PauseList_Click() { attributeChosen(Attribute::Pause, true); }
void LEDTestMessage::BeepList_Click() { attributeChosen(Attribute::Beep, true); }

void LEDTestMessage::choose(Attribute attribute, int position, bool updateEditor)
{
    listOf(attribute)->setCurrentIndex(position);
    attributeChosen(attribute, updateEditor);
}

void LEDTestMessage::attributeChosen(Attribute attribute, bool updateEditor)
{
    if (m_fillingLists)
        return;
    writeThrough(attribute);
    if (updateEditor)
        applyToEditor(attribute);
    runEncoder();
}

void LEDTestMessage::writeThrough(Attribute attribute)
{
    const int priority = MsgPri->currentIndex();
    if (!SaveSettings->isChecked() || priority < 0 || priority >= config::PriorityCount)
        return;
    QComboBox *target = config::attributeOf(m_main.priorityRows()[std::size_t(priority)], attribute);
    const int position = listOf(attribute)->currentIndex();
    if (position < target->count())
        target->setCurrentIndex(position);
}

void LEDTestMessage::applyToEditor(Attribute attribute)
{
    const int position = listOf(attribute)->currentIndex();
    if (attribute == Attribute::Font) {
        if (const auto font = protocol::fontAttributes(position))
            applyCharFormat(charFormatFor(*font));
    } else if (attribute == Attribute::Color) {
        if (const auto color = protocol::previewColor(position))
            applyCharFormat(charFormatFor(*color));
    } else if (attribute == Attribute::Alignment) {
        const auto alignment = protocol::editorAlignment(position);
        if (!alignment)
            return;
        const QScopedValueRollback updating(m_updatingEditor, true);
        if (multiColorMode) {
            ColorTextBox->setAlignment(qtAlignment(*alignment));
        } else {
            QTextBlockFormat format;
            format.setAlignment(qtAlignment(*alignment));
            QTextCursor all(ColorTextBox->document());
            all.select(QTextCursor::Document);
            all.mergeBlockFormat(format);
        }
    }
}

void LEDTestMessage::applyCharFormat(const QTextCharFormat &format)
{
    const QScopedValueRollback updating(m_updatingEditor, true);
    if (!multiColorMode) {
        // The whole text, through a cursor of its own: the operator's caret stays where it is.
        QTextCursor all(ColorTextBox->document());
        all.select(QTextCursor::Document);
        all.mergeCharFormat(format);
    }
    // The selection in multi-colour mode, and what is typed next in either mode.
    mergeCaretFormat(format);
}

void LEDTestMessage::mergeCaretFormat(const QTextCharFormat &format)
{
    ColorTextBox->mergeCurrentCharFormat(format);
    // The caret forgets its format whenever it is put anywhere in an empty editor (Select All,
    // a click), and then types in the format of the empty line itself: that line keeps the
    // format too.
    if (ColorTextBox->document()->isEmpty()) {
        QTextCursor line(ColorTextBox->document());
        QTextCharFormat kept = line.blockCharFormat();
        kept.merge(format);
        line.setBlockCharFormat(kept);
    }
}

void LEDTestMessage::MsgPri_Click()
{
    const int priority = MsgPri->currentIndex();
    if (priority < 0 || priority >= config::PriorityCount)
        return;
    const PriorityRowControls row = m_main.priorityRows()[std::size_t(priority)];
    for (const Attribute attribute : priorityLoadOrder) {
        const int position = config::attributeOf(row, attribute)->currentIndex();
        if (position >= listOf(attribute)->count())
            return;
        choose(attribute, position, true);
    }
    Timeout->setText(row.timeout->text());
}

void LEDTestMessage::Timeout_Change()
{
    const int priority = MsgPri->currentIndex();
    if (SaveSettings->isChecked() && priority >= 0 && priority < config::PriorityCount)
        m_main.priorityRows()[std::size_t(priority)].timeout->setText(Timeout->text());
    runEncoder();
}

void LEDTestMessage::SaveSettings_Click()
{
    m_main.setSaveSettingsTick(SaveSettings->isChecked() ? 1 : 0);
}

void LEDTestMessage::Label4_DblClick()
{
    multiColorMode = !multiColorMode;
    QFont font = Label4->font();
    font.setBold(multiColorMode);
    Label4->setFont(font);
}

// ---- The editor and the encoder ----

void LEDTestMessage::ColorTextBox_Change()
{
    if (m_updatingEditor)
        return;
    {
        const QScopedValueRollback updating(m_updatingEditor, true);
        QTextCharFormat caret;
        if (const auto color = protocol::previewColor(ColorList->currentIndex()))
            caret = charFormatFor(*color);
        // With the text gone the editor forgets every attribute; what is typed next gets the
        // lists' font again, not the editor's own.
        if (ColorTextBox->document()->isEmpty()) {
            if (const auto font = protocol::fontAttributes(fontList->currentIndex()))
                caret.merge(charFormatFor(*font));
        }
        if (caret.propertyCount() > 0)
            mergeCaretFormat(caret);
    }
    runEncoder();
}

void LEDTestMessage::InsertTime_Click()
{
    if (TimeFormat->currentIndex() < 0)
        return;
    // Appended where the text ends, in the attributes found there: the rest keeps its own.
    QTextCursor end(ColorTextBox->document());
    end.movePosition(QTextCursor::End);
    end.insertText(protocol::timeTokenFor(TimeFormat->currentText()));
}

protocol::EncodedTestMessage LEDTestMessage::runEncoder()
{
    protocol::PriorityCodes lists;
    for (const Attribute attribute : config::AllAttributes)
        config::attributeOf(lists, attribute) = listOf(attribute)->currentIndex();
    protocol::EncodedTestMessage encoded =
        protocol::encodeTestMessage(readComposition(*ColorTextBox), MsgID->currentIndex(), lists, Timeout->text());

    // The first font travels in " f=": the font list shows it, chosen as the operator would
    // (written through, and over the whole text unless in multi-colour mode). In multi-colour
    // mode the editor is left alone: the operator's selection, or the font just chosen for what
    // is typed next, must not turn into the first font. Choosing runs this encoder once more,
    // which then finds the list agreeing; the depth check stops it even where the editor could
    // not take the font.
    const std::optional<int> leading = encoded.leadingFontPosition;
    if (leading && *leading != fontList->currentIndex() && *leading < fontList->count() && m_encoderDepth == 0) {
        const QScopedValueRollback depth(m_encoderDepth, m_encoderDepth + 1);
        choose(Attribute::Font, *leading, !multiColorMode);
        return m_encoded;
    }
    m_encoded = encoded;
    Test->setText(encoded.command + u'\r');
    return encoded;
}

// ---- Talking to the sign ----

bool LEDTestMessage::refuseUnsendable(const std::optional<QString> &character)
{
    if (character)
        showAck(protocol::cannotShowText(*character));
    return character.has_value();
}

bool LEDTestMessage::sendCommand(const QString &command, QPushButton *busyButton, const QString &busyCaption)
{
    // One command at a time: the closing tick of the first would close the port under the next.
    if (m_busy || refuseUnsendable(protocol::firstUnsendableChar(command)))
        return false;
    const int port = m_main.selectedPortNumber();
    const session::MessageSession::Start start = m_messages.run(port, session::singleCommandPlan(command));
    if (!start.opening.ok()) {
        showAck(signlink::cannotOpenPortMessage(port, start.opening));
        return false;
    }
    if (!start.written) {
        showAck(tr("The command could not be written to COM %1.").arg(port));
        return false;
    }
    m_busy = true;
    for (QPushButton *action : {Upload, Download, SetTime})
        action->setEnabled(false);
    busyButton->setText(busyCaption);
    startProgress();
    return true;
}

void LEDTestMessage::Upload_Click()
{
    if (m_busy)
        return;
    const protocol::EncodedTestMessage encoded = runEncoder();
    if (refuseUnsendable(encoded.unsendable))
        return;
    if (sendCommand(encoded.command, Upload, QStringLiteral("Writing...")))
        RemoveAck.stop();
}

void LEDTestMessage::Test_DblClick()
{
    // The command as it stands, edited by hand or not, and one more CR.
    if (sendCommand(Test->text(), Upload, QStringLiteral("Writing...")))
        RemoveAck.stop();
}

void LEDTestMessage::Download_Click()
{
    m_reading = sendCommand(protocol::readDefaultMessageCommand(), Download, QStringLiteral("Reading..."));
}

void LEDTestMessage::SetTime_Click()
{
    // One reading of the clock, so that date, time and weekday belong together.
    if (sendCommand(protocol::setClockCommand(QDateTime::currentDateTime()), Upload, QStringLiteral("Writing...")))
        RemoveAck.stop();
}

void LEDTestMessage::ComClose_Timer()
{
    m_messages.closeTick();
}

void LEDTestMessage::endBusyState()
{
    m_busy = false;
    m_reading = false;
    Upload->setText(uploadCaption);
    Download->setText(downloadCaption);
    for (QPushButton *action : {Upload, Download, SetTime})
        action->setEnabled(true);
}

void LEDTestMessage::connectionLost()
{
    m_messages.connectionLost();
    m_link.clearLine();
    endBusyState();
}

void LEDTestMessage::ProcessReply(const QString &line)
{
    const protocol::TestMessageReply reply = protocol::interpretTestMessageReply(line);
    switch (reply.kind) {
    case protocol::TestMessageReply::Kind::Nothing:
        break;
    case protocol::TestMessageReply::Kind::ShowStatus:
        showAck(reply.status);
        break;
    case protocol::TestMessageReply::Kind::Dump:
        // Only the answer to Download is taken: a sign that sends its configuration unasked
        // would otherwise fill the lists, and with them priority 0 of the main window.
        if (m_reading)
            applyDump(reply.dump);
        break;
    }
}

void LEDTestMessage::applyDump(const protocol::DefaultMessageDump &dump)
{
    // In the dump's own order; it carries no beep.
    for (const Attribute attribute : config::AllAttributes) {
        const std::optional<qint16> &position = config::attributeOf(dump, attribute);
        // A position outside its list leaves that list as it is.
        if (position && *position >= 0 && *position < listOf(attribute)->count())
            choose(attribute, *position, true);
    }
    if (dump.text)
        defaultMessage->setPlainText(*dump.text);
}

bool LEDTestMessage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == Label4) {
            Label4_DblClick();
            return true;
        }
        if (watched == Test) {
            Test_DblClick();
            return true;
        }
    }
    return SignDialog::eventFilter(watched, event);
}

} // namespace ui
