#include "ui/testmsg/ledtestmessage.h"

#include "config/attribute.h"
#include "config/catalogue.h"
#include "protocol/commands.h"
#include "protocol/defaultmessage.h"
#include "ui/common/listbox.h"
#include "ui/main/kestrovanmain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>

namespace ui {

namespace {

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

} // namespace

LEDTestMessage::LEDTestMessage(KestrovanMain &main)
    : SignDialog(main, &main), m_session(m_link, this), ComClose(m_session.ComClose)
{
    setObjectName(QStringLiteral("LEDTestMessage"));
    setWindowTitle(QStringLiteral("Send Test Message"));
    buildControls();

    connect(&m_session, &session::MessageSession::said, this, &LEDTestMessage::showAck);
    connect(&m_session, &session::MessageSession::sent, this, &LEDTestMessage::startProgress);
    connect(&m_session, &session::MessageSession::dumpRead, this, &LEDTestMessage::applyDump);
    connect(&m_session, &session::MessageSession::finished, this, &LEDTestMessage::conversationEnded);
    connectHandlers();
    Form_Load();
}

// The session lets the port go with the window; the connection closes its device after it.
LEDTestMessage::~LEDTestMessage() = default;

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
    const bool wholeText = !multiColorMode;
    if (attribute == Attribute::Font) {
        if (const auto font = protocol::fontAttributes(position))
            ColorTextBox->applyFont(*font, wholeText);
    } else if (attribute == Attribute::Color) {
        if (const auto color = protocol::previewColor(position))
            ColorTextBox->applyColor(*color, wholeText);
    } else if (attribute == Attribute::Alignment) {
        if (const auto alignment = protocol::editorAlignment(position))
            ColorTextBox->applyAlignment(*alignment, wholeText);
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
    ColorTextBox->keepCaretFormat(protocol::previewColor(ColorList->currentIndex()),
                                  protocol::fontAttributes(fontList->currentIndex()));
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
        protocol::encodeTestMessage(ColorTextBox->composition(), MsgID->currentIndex(), lists, Timeout->text());

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

bool LEDTestMessage::begin(const session::MessageStart &start, QPushButton *button, const QString &caption)
{
    if (!start.ok()) {
        showAck(start.text);
        return false;
    }
    m_busy = true;
    for (QPushButton *action : {Upload, Download, SetTime})
        action->setEnabled(false);
    button->setText(caption);
    return true;
}

void LEDTestMessage::Upload_Click()
{
    // One command at a time: the closing tick of the first would close the port under the next.
    if (m_busy)
        return;
    const protocol::EncodedTestMessage encoded = runEncoder();
    if (begin(m_session.send(m_main.selectedPortNumber(), encoded.command), Upload, QStringLiteral("Writing...")))
        RemoveAck.stop();
}

void LEDTestMessage::Test_DblClick()
{
    // The command as it stands, edited by hand or not, and one more CR.
    if (m_busy)
        return;
    if (begin(m_session.send(m_main.selectedPortNumber(), Test->text()), Upload, QStringLiteral("Writing...")))
        RemoveAck.stop();
}

void LEDTestMessage::Download_Click()
{
    if (!m_busy)
        begin(m_session.read(m_main.selectedPortNumber()), Download, QStringLiteral("Reading..."));
}

void LEDTestMessage::SetTime_Click()
{
    if (m_busy)
        return;
    if (begin(m_session.setClock(m_main.selectedPortNumber(), QDateTime::currentDateTime()), Upload,
              QStringLiteral("Writing...")))
        RemoveAck.stop();
}

void LEDTestMessage::ComClose_Timer()
{
    m_session.closeTick();
}

void LEDTestMessage::conversationEnded(const session::MessageOutcome &outcome)
{
    if (!outcome.text.isEmpty())
        showAck(outcome.text);
    m_busy = false;
    Upload->setText(uploadCaption());
    Download->setText(downloadCaption());
    for (QPushButton *action : {Upload, Download, SetTime})
        action->setEnabled(true);
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
