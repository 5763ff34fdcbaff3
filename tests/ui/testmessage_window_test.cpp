// The test-message window on scripted ports: its controls per sign model, the write-through into
// the main window's priority rows, the encoder driven through the real editor and lists, what it
// writes, the replies it reads, and the port failing in its various ways.
#include "mainwindowfixture.h"
#include "ptypair.h"

#include "ui/common/listbox.h"
#include "ui/testmsg/ledtestmessage.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

namespace {

using testsupport::MainWindowHarness;
using testsupport::waitUntil;
using ui::LEDTestMessage;

// What a click on an entry amounts to: the entry is selected and the list reports the choice.
template <typename List>
void pick(List *list, int index)
{
    list->setCurrentIndex(index);
    emit list->activated(index);
}

class TestMessageWindow : public ::testing::Test {
protected:
    LEDTestMessage &open()
    {
        window = std::make_unique<LEDTestMessage>(main);
        window->show();
        return *window;
    }
    testsupport::FakeSignPort &port() { return *h.ports.back(); }
    void type(const QString &text) { QTest::keyClicks(window->ColorTextBox, text); }
    // The lists and the timeout of the worked example: ID 0, font 5, style 0, colour 1,
    // alignment 2, beep 0, pause 3, speed 2, timeout 10.
    void chooseExampleValues()
    {
        LEDTestMessage &w = *window;
        pick(w.MsgID, 0);
        pick(w.fontList, 5);
        pick(w.StyleList, 0);
        pick(w.ColorList, 1);
        pick(w.AlignmentList, 2);
        pick(w.BeepList, 0);
        pick(w.PauseList, 3);
        pick(w.SpeedList, 2);
        w.Timeout->setText(QStringLiteral("10"));
    }
    void selectText(int from, int to)
    {
        QTextCursor cursor = window->ColorTextBox->textCursor();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        window->ColorTextBox->setTextCursor(cursor);
    }
    bool buttonsIdle() const
    {
        const LEDTestMessage &w = *window;
        return w.Upload->isEnabled() && w.Download->isEnabled() && w.SetTime->isEnabled()
               && w.Upload->text() == QStringLiteral("Send Message to Sign")
               && w.Download->text() == QStringLiteral("Download from Pager") && !w.ComClose.isActive();
    }

    MainWindowHarness h;
    ui::KestrovanMain &main = *h.window;
    std::unique_ptr<LEDTestMessage> window;
};

// ---- Opening ----

TEST_F(TestMessageWindow, OpensWithItsControlsNamedCaptionedAndSpoken)
{
    LEDTestMessage &w = open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Send Test Message"));
    EXPECT_EQ(w.objectName(), QStringLiteral("LEDTestMessage"));
    EXPECT_EQ(w.parentWidget(), &main);
    EXPECT_EQ(w.Upload->text(), QStringLiteral("Send Message to Sign"));
    EXPECT_EQ(w.Download->text(), QStringLiteral("Download from Pager"));
    EXPECT_EQ(w.SetTime->text(), QStringLiteral("Set LED Sign Time"));
    EXPECT_EQ(w.InsertTime->text(), QStringLiteral("Insert Time"));
    EXPECT_EQ(w.SaveSettings->text(), QStringLiteral("Save changes to Priority"));
    EXPECT_EQ(w.Label4->text(), QStringLiteral("Color"));
    EXPECT_EQ(w.Label_TimeFormat->text(), QStringLiteral("Time Format"));
    bool hintShown = false;
    for (const QLabel *label : w.findChildren<QLabel *>())
        hintShown |= label->text() == QStringLiteral("Set Computer Clock to change time") && label->isVisible();
    EXPECT_TRUE(hintShown);

    const std::pair<QWidget *, const char *> spoken[] = {
        {w.fontList, "Font"},     {w.ColorList, "Color"},   {w.StyleList, "Style"},     {w.AlignmentList, "Alignment"},
        {w.SpeedList, "Speed"},   {w.PauseList, "Pause"},   {w.BeepList, "Beep"},       {w.Timeout, "Timeout"},
        {w.MsgID, "Message ID"},  {w.MsgPri, "Message priority"}, {w.TimeFormat, "Time format"},
        {w.ColorTextBox, "Message"}, {w.Test, "Command"},   {w.defaultMessage, "Default message"}};
    for (const auto &[control, name] : spoken) {
        EXPECT_EQ(control->accessibleName(), QString::fromLatin1(name)) << name;
        EXPECT_FALSE(control->objectName().isEmpty());
        if (qobject_cast<QComboBox *>(control) || qobject_cast<ui::ListBox *>(control)) {
            EXPECT_EQ(control->accessibleDescription(), QString::fromLatin1(name)) << name;
        }
    }
    EXPECT_TRUE(w.Ack->accessibleName().isEmpty());
    EXPECT_EQ(w.Ack->accessibleDescription(), QStringLiteral("Status"));

    ASSERT_EQ(w.MsgID->count(), 8);
    EXPECT_EQ(w.MsgID->itemText(7), QStringLiteral("7"));
    EXPECT_EQ(w.MsgID->currentIndex(), 0);
    ASSERT_EQ(w.MsgPri->count(), 5);
    EXPECT_EQ(w.MsgPri->itemText(4), QStringLiteral("Priority 4"));
    EXPECT_EQ(w.MsgPri->currentIndex(), 0);
    EXPECT_FALSE(w.isMultiColorMode());
    EXPECT_FALSE(w.Label4->font().bold());
    EXPECT_EQ(w.Test->text(), QStringLiteral("<id=0 f=-1 s=-1 c=-1 a=-1 b=-1 p=-1 sp=-1 t=>\r"));
    EXPECT_TRUE(port().writes.isEmpty());
}

struct Branch {
    const char *name;
    const char *model;
    bool timeControlsShown;
    bool speedAndAlignmentEnabled;
    int timeFormats;
    int fonts;
};

class TestMessageBranches : public TestMessageWindow, public ::testing::WithParamInterface<Branch> {};

TEST_P(TestMessageBranches, ListsAndTimeControlsFollowTheModel)
{
    const QString model = QString::fromLatin1(GetParam().model);
    if (!model.isEmpty())
        main.applyConfigDump(model + QStringLiteral(",41:"));
    ASSERT_EQ(main.LEDSignModelNumber(), model);
    LEDTestMessage &w = open();
    for (QWidget *control : {static_cast<QWidget *>(w.TimeFormat), static_cast<QWidget *>(w.Label_TimeFormat),
                             static_cast<QWidget *>(w.InsertTime)})
        EXPECT_EQ(control->isVisible(), GetParam().timeControlsShown) << control->objectName().toStdString();
    EXPECT_EQ(w.SpeedList->isEnabled(), GetParam().speedAndAlignmentEnabled);
    EXPECT_EQ(w.AlignmentList->isEnabled(), GetParam().speedAndAlignmentEnabled);
    ASSERT_EQ(w.TimeFormat->count(), GetParam().timeFormats);
    if (GetParam().timeFormats > 0) {
        EXPECT_EQ(w.TimeFormat->currentIndex(), 0);
        EXPECT_EQ(w.TimeFormat->itemText(7), QStringLiteral("mm'dd'yy"));
    }
    EXPECT_EQ(w.fontList->count(), GetParam().fonts);
    EXPECT_EQ(w.BeepList->count(), 3);
    EXPECT_EQ(w.PauseList->count(), 10);
}

INSTANTIATE_TEST_SUITE_P(Models, TestMessageBranches, ::testing::Values(
    Branch{"NoModelYet", "", true, true, 8, 25},
    Branch{"RW2290", "RW2290", true, true, 8, 25},
    Branch{"KT420", "KT420", false, false, 0, 25},
    Branch{"QB7", "QB7", true, true, 0, 4},
    Branch{"KT420InOtherCase", "kt420", true, true, 8, 25}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Write-through and the priority rows ----

struct ListCase {
    const char *name;
    ui::ListBox *LEDTestMessage::*list;
    QComboBox *ui::PriorityRowControls::*row;
    int position;
};

class TestMessageWriteThrough : public TestMessageWindow,
                                public ::testing::WithParamInterface<std::tuple<ListCase, bool>> {};

TEST_P(TestMessageWriteThrough, ReachesTheChosenPriorityOnlyWhileTicked)
{
    const auto &[list, ticked] = GetParam();
    LEDTestMessage &w = open();
    w.SaveSettings->setChecked(ticked);
    pick(w.MsgPri, 2);
    pick(w.*list.list, list.position);
    QTest::keyClicks(w.Timeout, QStringLiteral("45"));

    const auto rows = main.priorityRows();
    EXPECT_EQ((rows[2].*list.row)->currentIndex(), ticked ? list.position : -1);
    EXPECT_EQ(rows[2].timeout->text(), ticked ? QStringLiteral("45") : QString());
    EXPECT_EQ((rows[0].*list.row)->currentIndex(), -1);
    EXPECT_TRUE(w.Test->text().contains(QStringLiteral(" t=45>")));
}

INSTANTIATE_TEST_SUITE_P(Lists, TestMessageWriteThrough, ::testing::Combine(::testing::Values(
    ListCase{"Color", &LEDTestMessage::ColorList, &ui::PriorityRowControls::color, 3},
    ListCase{"Font", &LEDTestMessage::fontList, &ui::PriorityRowControls::font, 19},
    ListCase{"Style", &LEDTestMessage::StyleList, &ui::PriorityRowControls::style, 27},
    ListCase{"Alignment", &LEDTestMessage::AlignmentList, &ui::PriorityRowControls::alignment, 1},
    ListCase{"Speed", &LEDTestMessage::SpeedList, &ui::PriorityRowControls::speed, 4},
    ListCase{"Pause", &LEDTestMessage::PauseList, &ui::PriorityRowControls::pause, 9},
    ListCase{"Beep", &LEDTestMessage::BeepList, &ui::PriorityRowControls::beep, 2}), ::testing::Bool()),
    [](const auto &info) {
        return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "Ticked" : "Clear");
    });

TEST_F(TestMessageWindow, SaveSettingsIsRememberedThroughTheMainWindow)
{
    EXPECT_TRUE(open().SaveSettings->isChecked());  // ticked until the operator clears it
    window->SaveSettings->click();
    EXPECT_EQ(main.getSaveSettingsTick(), 0);
    EXPECT_FALSE(open().SaveSettings->isChecked());
    window->SaveSettings->click();
    EXPECT_EQ(main.getSaveSettingsTick(), 1);
    EXPECT_TRUE(open().SaveSettings->isChecked());
}

TEST_F(TestMessageWindow, ChoosingAPriorityLoadsItsRowAndLeavesTheRowsAlone)
{
    const auto rows = main.priorityRows();
    const auto setRow = [&](int n, std::array<int, 7> p, const char *timeout) {
        const ui::PriorityRowControls &r = rows[n];
        r.font->setCurrentIndex(p[0]);
        r.style->setCurrentIndex(p[1]);
        r.color->setCurrentIndex(p[2]);
        r.speed->setCurrentIndex(p[3]);
        r.alignment->setCurrentIndex(p[4]);
        r.pause->setCurrentIndex(p[5]);
        r.beep->setCurrentIndex(p[6]);
        r.timeout->setText(QString::fromLatin1(timeout));
    };
    setRow(1, {15, 2, 8, 0, 0, 1, 2}, "99");
    setRow(3, {7, 4, 2, 1, 2, 6, 1}, "25");
    const config::ConfigValues before = main.currentValues();

    LEDTestMessage &w = open();
    ASSERT_TRUE(w.SaveSettings->isChecked());
    pick(w.MsgPri, 3);
    EXPECT_EQ(w.fontList->currentIndex(), 7);
    EXPECT_EQ(w.StyleList->currentIndex(), 4);
    EXPECT_EQ(w.ColorList->currentIndex(), 2);
    EXPECT_EQ(w.SpeedList->currentIndex(), 1);
    EXPECT_EQ(w.AlignmentList->currentIndex(), 2);
    EXPECT_EQ(w.PauseList->currentIndex(), 6);
    EXPECT_EQ(w.BeepList->currentIndex(), 1);
    EXPECT_EQ(w.Timeout->text(), QStringLiteral("25"));
    EXPECT_EQ(w.Test->text(), QStringLiteral("<id=0 f=7 s=4 c=2 a=2 b=1 p=6 sp=1 t=25>\r"));

    pick(w.MsgPri, 1);
    EXPECT_EQ(w.Test->text(), QStringLiteral("<id=0 f=15 s=2 c=8 a=0 b=2 p=1 sp=0 t=99>\r"));
    EXPECT_EQ(main.currentValues().priorities, before.priorities);
}

// ---- The encoder through the editor ----

TEST_F(TestMessageWindow, PlainWordTravelsAloneAndTestHoldsTheCommandWithItsCr)
{
    open();
    chooseExampleValues();
    type(QStringLiteral("Hello"));
    EXPECT_EQ(window->Test->text(), QStringLiteral("<id=0 f=5 s=0 c=1 a=2 b=0 p=3 sp=2 t=10>Hello\r"));
    pick(window->MsgID, 6);
    EXPECT_EQ(window->Test->text(), QStringLiteral("<id=6 f=5 s=0 c=1 a=2 b=0 p=3 sp=2 t=10>Hello\r"));
}

TEST_F(TestMessageWindow, ChoicesApplyToTheWholeTextUntilMultiColourModeIsOn)
{
    LEDTestMessage &w = open();
    chooseExampleValues();
    type(QStringLiteral("Hi There"));
    pick(w.ColorList, 4);  // the whole text turns green: no code in it
    EXPECT_EQ(w.Test->text(), QStringLiteral("<id=0 f=5 s=0 c=4 a=2 b=0 p=3 sp=2 t=10>Hi There\r"));
    for (QTextBlock block = w.ColorTextBox->document()->begin(); block.isValid(); block = block.next())
        EXPECT_EQ(block.blockFormat().alignment(), Qt::AlignHCenter);

    QTest::mouseDClick(w.Label4, Qt::LeftButton);
    EXPECT_TRUE(w.isMultiColorMode());
    EXPECT_TRUE(w.Label4->font().bold());
    pick(w.ColorList, 1);  // for what is typed next
    type(QStringLiteral(" now"));
    EXPECT_EQ(w.Test->text(), QStringLiteral("<id=0 f=5 s=0 c=1 a=2 b=0 p=3 sp=2 t=10>$CEHi There $CBnow\r"));

    QTest::mouseDClick(w.Label4, Qt::LeftButton);
    EXPECT_FALSE(w.isMultiColorMode());
    EXPECT_FALSE(w.Label4->font().bold());
}

TEST_F(TestMessageWindow, WorkedExampleBuiltWithTheControls)
{
    LEDTestMessage &w = open();
    chooseExampleValues();
    type(QStringLiteral("HiThere"));
    QTest::mouseDClick(w.Label4, Qt::LeftButton);
    selectText(2, 7);
    pick(w.ColorList, 4);
    selectText(7, 7);
    pick(w.ColorList, 1);  // the command's colour again, with nothing selected
    EXPECT_EQ(w.Test->text(), QStringLiteral("<id=0 f=5 s=0 c=1 a=2 b=0 p=3 sp=2 t=10>Hi$CEThere\r"));

    // Insert Time appends its token and keeps the colours of the text before it.
    pick(w.TimeFormat, 2);
    w.InsertTime->click();
    EXPECT_EQ(w.ColorTextBox->toPlainText(), QStringLiteral("HiThere<hh:mm>"));
    EXPECT_EQ(w.Test->text(), QStringLiteral("<id=0 f=5 s=0 c=1 a=2 b=0 p=3 sp=2 t=10>Hi$CEThere$T2\r"));
}

TEST_F(TestMessageWindow, TheFirstFontOfTheTextIsShownInTheFontListAndWrittenThrough)
{
    LEDTestMessage &w = open();
    chooseExampleValues();
    pick(w.fontList, 22);
    type(QStringLiteral("Big"));
    QTest::mouseDClick(w.Label4, Qt::LeftButton);
    pick(w.fontList, 0);  // for what is typed next; the command still starts in font 22
    EXPECT_EQ(w.fontList->currentIndex(), 22);
    type(QStringLiteral("small"));
    QTest::keyClick(w.ColorTextBox, Qt::Key_Return);
    type(QStringLiteral("2"));
    EXPECT_EQ(w.Test->text(), QStringLiteral("<id=0 f=22 s=0 c=1 a=2 b=0 p=3 sp=2 t=10>Big$FAsmall$L2\r"));
    EXPECT_EQ(main.FontP0->currentIndex(), 22);
}

// Every way of emptying the editor (or of selecting all of an empty one) leaves the caret in the
// lists' font and colour: the first letter typed next must not go to the sign in another one.
struct EmptyingCase {
    const char *name;
    const char *typedBefore;
    void (*empty)(QTextEdit &editor);
};

class TestMessageEmptied : public TestMessageWindow, public ::testing::WithParamInterface<EmptyingCase> {};

TEST_P(TestMessageEmptied, TheNextTextTakesTheListsFontAndColourAgain)
{
    LEDTestMessage &w = open();
    chooseExampleValues();
    pick(w.fontList, 12);
    type(QString::fromLatin1(GetParam().typedBefore));
    GetParam().empty(*w.ColorTextBox);
    type(QStringLiteral("Hello"));
    const QList<protocol::ComposedChar> chars = ui::readComposition(*w.ColorTextBox);
    ASSERT_EQ(chars.size(), 5);
    for (const protocol::ComposedChar &c : chars) {
        EXPECT_EQ(c.font, protocol::fontAttributes(12)) << char(c.character.unicode());
        EXPECT_EQ(c.color, protocol::previewColor(1)) << char(c.character.unicode());
    }
    EXPECT_EQ(w.Test->text(), QStringLiteral("<id=0 f=12 s=0 c=1 a=2 b=0 p=3 sp=2 t=10>Hello\r"));
}

INSTANTIATE_TEST_SUITE_P(
    Ways, TestMessageEmptied,
    ::testing::Values(
        EmptyingCase{"SelectAllThenDelete", "old",
                     [](QTextEdit &e) {
                         e.selectAll();
                         QTest::keyClick(&e, Qt::Key_Delete);
                     }},
        EmptyingCase{"Backspaces", "old",
                     [](QTextEdit &e) {
                         for (int i = 0; i < 3; ++i)
                             QTest::keyClick(&e, Qt::Key_Backspace);
                     }},
        EmptyingCase{"CtrlAOverTheEmptyEditor", "", [](QTextEdit &e) { QTest::keyClick(&e, Qt::Key_A, Qt::ControlModifier); }},
        EmptyingCase{"ClickIntoTheEmptyEditor", "", [](QTextEdit &e) { QTest::mouseClick(e.viewport(), Qt::LeftButton); }},
        EmptyingCase{"CtrlAThenDeleteThenCtrlA", "old",
                     [](QTextEdit &e) {
                         QTest::keyClick(&e, Qt::Key_A, Qt::ControlModifier);
                         QTest::keyClick(&e, Qt::Key_Delete);
                         QTest::keyClick(&e, Qt::Key_A, Qt::ControlModifier);
                     }}),
    [](const auto &info) { return std::string(info.param.name); });

// The preview is drawn on the same dark panel under a light and a dark desktop, while what the
// encoder reads stays the characters' own colours: a character without one counts in the
// desktop's text colour, as it always has.
class TestMessagePreview : public TestMessageWindow, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        m_palette = QApplication::palette();
        if (GetParam()) {
            QPalette dark = m_palette;
            dark.setColor(QPalette::Base, Qt::black);
            dark.setColor(QPalette::Text, Qt::white);
            QApplication::setPalette(dark);
        }
    }
    void TearDown() override { QApplication::setPalette(m_palette); }

private:
    QPalette m_palette;
};

TEST_P(TestMessagePreview, IsDrawnOnTheDarkPanelAndEncodedByTheCharactersOwnColours)
{
    LEDTestMessage &w = open();
    EXPECT_EQ(w.ColorTextBox->palette().color(QPalette::Base), ui::ComposerEdit::PreviewBackground);
    EXPECT_EQ(w.ColorTextBox->palette().color(QPalette::Text), ui::ComposerEdit::PreviewDefaultText);

    // Nothing chosen in the colour list: the letters have no colour of their own.
    type(QStringLiteral("ab"));
    const QColor desktop = QApplication::palette(w.ColorTextBox).color(QPalette::Text);
    const QList<protocol::ComposedChar> plain = ui::readComposition(*w.ColorTextBox);
    ASSERT_EQ(plain.size(), 2);
    EXPECT_EQ(plain[0].color, (protocol::Rgb{desktop.red(), desktop.green(), desktop.blue()}));

    // Yellow and black keep their exact colours for the encoder (yellow is not the command's
    // colour here, so it gets its code).
    w.ColorTextBox->clear();
    pick(w.ColorList, 5);
    type(QStringLiteral("Y"));
    QTest::mouseDClick(w.Label4, Qt::LeftButton);
    pick(w.ColorList, 12);
    type(QStringLiteral("K"));
    EXPECT_TRUE(w.Test->text().endsWith(QStringLiteral(">$CFY$CMK\r"))) << w.Test->text().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Desktops, TestMessagePreview, ::testing::Bool(),
                         [](const auto &info) { return std::string(info.param ? "Dark" : "Light"); });

// ---- Writing ----

TEST_F(TestMessageWindow, SendWritesTestAndClosesOnTheFirstTickAfterHalfASecond)
{
    main.ComportsList->setCurrentIndex(4);
    LEDTestMessage &w = open();
    chooseExampleValues();
    type(QStringLiteral("Hello"));
    QElapsedTimer sent;
    sent.start();
    w.Upload->click();
    ASSERT_EQ(port().writes, QList<QByteArray>{w.Test->text().toLatin1()});
    EXPECT_EQ(port().writes[0].count('\r'), 1);
    EXPECT_EQ(port().openedPorts, QList<int>{5});
    EXPECT_EQ(w.Upload->text(), QStringLiteral("Writing..."));
    EXPECT_FALSE(w.Upload->isEnabled());
    EXPECT_FALSE(w.Download->isEnabled());
    EXPECT_TRUE(w.Progress->isVisible());
    EXPECT_TRUE(w.ComClose.isActive());

    port().feed("done\n");
    ASSERT_TRUE(waitUntil([&] { return w.Ack->text() == QStringLiteral("Upload Successfull"); }));
    ASSERT_TRUE(waitUntil([&] { return !port().isOpen(); }, 3000));
    EXPECT_GE(sent.elapsed(), 450);
    EXPECT_TRUE(buttonsIdle());
    EXPECT_EQ(port().writes.size(), 1);
}

TEST_F(TestMessageWindow, DoubleClickOnTestSendsTheCommandAsEditedWithOneMoreCr)
{
    LEDTestMessage &w = open();
    type(QStringLiteral("typed"));
    const QString edited = QStringLiteral("<id=3 f=1 s=0 c=1 a=0 b=0 p=0 sp=0 t=5>by hand\r");
    w.Test->setText(edited);
    QTest::mouseDClick(w.Test, Qt::LeftButton);
    ASSERT_EQ(port().writes, QList<QByteArray>{edited.toLatin1() + '\r'});
    EXPECT_EQ(w.Test->text(), edited);
    EXPECT_EQ(w.Upload->text(), QStringLiteral("Writing..."));
    EXPECT_FALSE(w.Download->isEnabled());
    EXPECT_TRUE(w.ComClose.isActive());
}

TEST_F(TestMessageWindow, DownloadFromPagerAsksForTheDefaultMessage)
{
    LEDTestMessage &w = open();
    w.Download->click();
    ASSERT_EQ(port().writes, QList<QByteArray>{"DOWNLOAD_DEFAULT_MSG\r"});
    EXPECT_EQ(w.Download->text(), QStringLiteral("Reading..."));
    EXPECT_FALSE(w.Download->isEnabled());
    EXPECT_FALSE(w.Upload->isEnabled());
    w.ComClose_Timer();
    EXPECT_FALSE(port().isOpen());
    EXPECT_TRUE(buttonsIdle());
}

TEST_F(TestMessageWindow, ClockCommandCarriesOneReadingAndTheNextReplyIsReadAsSent)
{
    LEDTestMessage &w = open();
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    w.SetTime->click();
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    ASSERT_EQ(port().writes.size(), 1);
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^<Time time=(\\d\\d:\\d\\d:\\d\\d) date=(\\d{4}/\\d\\d/\\d\\d)-([0-6])>SET TIME\r$"))
            .match(QString::fromLatin1(port().writes[0]));
    ASSERT_TRUE(m.hasMatch()) << port().writes[0].toStdString();
    const QDateTime sent = QDateTime::fromString(m.captured(2) + u' ' + m.captured(1), QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    EXPECT_GE(sent, before.addMSecs(-before.time().msec()));
    EXPECT_LE(sent, after);
    EXPECT_EQ(m.captured(3).toInt(), sent.date().dayOfWeek() % 7);
    EXPECT_FALSE(w.SetTime->isEnabled());
    EXPECT_FALSE(w.Upload->isEnabled());
    EXPECT_FALSE(w.Download->isEnabled());
    EXPECT_EQ(w.Upload->text(), QStringLiteral("Writing..."));

    // A dump nobody asked for is not taken; the one Download asks for is, as the sign sent it.
    port().feedNow("RW2290:65,66,67,49,50,48,0,0,Unasked\n");
    EXPECT_TRUE(w.defaultMessage->toPlainText().isEmpty());
    w.ComClose_Timer();
    w.Download->click();
    port().feedNow("RW2290:65,66,67,49,50,48,0,0,After the clock\n");
    EXPECT_EQ(w.defaultMessage->toPlainText(), QStringLiteral("After the clock"));
}

// ---- Replies ----

struct StatusCase {
    const char *name;
    const char *line;
    const char *ack;
};

class TestMessageReplies : public TestMessageWindow, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(TestMessageReplies, ShowTheSuccessAndNothingForARefusal)
{
    LEDTestMessage &w = open();
    w.Download->click();
    const QString command = w.Test->text();
    port().feedNow(GetParam().line);
    EXPECT_EQ(w.Ack->text(), QString::fromLatin1(GetParam().ack));
    EXPECT_EQ(w.Test->text(), command);
    EXPECT_TRUE(w.defaultMessage->toPlainText().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Lines, TestMessageReplies, ::testing::Values(
    StatusCase{"Done", "done\n", "Upload Successfull"},
    StatusCase{"Error", "Error\n", ""}),
    [](const auto &info) { return std::string(info.param.name); });

class TestMessageDump : public TestMessageWindow, public ::testing::WithParamInterface<const char *> {};

TEST_P(TestMessageDump, IsReducedByTheFixedOffsetsForEveryModelAndChosenAsClicks)
{
    LEDTestMessage &w = open();
    w.Download->click();
    port().feedNow(QByteArray(GetParam()) + ":65,66,67,49,50,48,0,0,Open\xaaNow \xad\n");
    EXPECT_EQ(w.fontList->currentIndex(), 1);
    EXPECT_EQ(w.StyleList->currentIndex(), 1);
    EXPECT_EQ(w.ColorList->currentIndex(), 2);
    EXPECT_EQ(w.SpeedList->currentIndex(), 1);
    EXPECT_EQ(w.AlignmentList->currentIndex(), 1);
    EXPECT_EQ(w.PauseList->currentIndex(), 0);
    EXPECT_EQ(w.defaultMessage->toPlainText(), QStringLiteral("Open\nNow <hh:mm>"));
    // As clicks: written through to priority 0 and encoded.
    EXPECT_EQ(main.FontP0->currentIndex(), 1);
    EXPECT_EQ(main.AlignmentP0->currentIndex(), 1);
    EXPECT_EQ(w.Test->text(), QStringLiteral("<id=0 f=1 s=1 c=2 a=1 b=-1 p=0 sp=1 t=>\r"));
}

INSTANTIATE_TEST_SUITE_P(Models, TestMessageDump, ::testing::Values("RW2290", "PN360", "KT420", "ZX9"));

TEST_F(TestMessageWindow, DumpPositionsOutsideTheListsAndShortOrClockLinesChangeNothing)
{
    LEDTestMessage &w = open();
    w.Download->click();
    port().feedNow("RW2290:200,60,67,49,50,48,0,0,Kept\n");
    EXPECT_EQ(w.fontList->currentIndex(), -1);
    EXPECT_EQ(w.StyleList->currentIndex(), -1);
    EXPECT_EQ(w.ColorList->currentIndex(), 2);
    EXPECT_EQ(w.defaultMessage->toPlainText(), QStringLiteral("Kept"));

    port().feedNow("RW2290:66,67,68,50,51,49,0\n");
    port().feedNow("<Time time=01:02:03 date=2024/03/05-2>set time:66,67,68,50,51,49,0,0,No\n");
    EXPECT_EQ(w.ColorList->currentIndex(), 2);
    EXPECT_EQ(w.PauseList->currentIndex(), 0);
    EXPECT_EQ(w.defaultMessage->toPlainText(), QStringLiteral("Kept"));
}

// ---- What cannot be sent, and ports that fail ----

TEST_F(TestMessageWindow, CharacterBeyondLatin1IsNamedAndNothingIsSentUntilRemoved)
{
    LEDTestMessage &w = open();
    chooseExampleValues();
    type(QStringLiteral("5 "));
    w.ColorTextBox->insertPlainText(QStringLiteral("\u20ac"));  // as pasted: keys give Latin-1 only
    w.Upload->click();
    EXPECT_TRUE(port().writes.isEmpty());
    EXPECT_EQ(port().openAttempts, 0);
    EXPECT_TRUE(w.Ack->text().contains(QStringLiteral("\"\u20ac\""))) << w.Ack->text().toStdString();
    EXPECT_TRUE(buttonsIdle());

    w.Test->setText(QStringLiteral("<id=0>\u0141\r"));
    QTest::mouseDClick(w.Test, Qt::LeftButton);
    EXPECT_TRUE(port().writes.isEmpty());
    EXPECT_TRUE(w.Ack->text().contains(QStringLiteral("\"\u0141\"")));

    QTest::keyClick(w.ColorTextBox, Qt::Key_Backspace);
    w.Upload->click();
    EXPECT_EQ(port().writes, QList<QByteArray>{"<id=0 f=5 s=0 c=1 a=2 b=0 p=3 sp=2 t=10>5 \r"});
}

struct Action {
    const char *name;
    void (*run)(LEDTestMessage &);
};

class TestMessagePortFailure : public TestMessageWindow, public ::testing::WithParamInterface<Action> {};

TEST_P(TestMessagePortFailure, CannotOpenIsReportedAndTheWindowStaysUsable)
{
    LEDTestMessage &w = open();
    main.ComportsList->setCurrentIndex(2);
    port().failNextOpens({signlink::OpenError::Busy, QStringLiteral("Another program is using the port.")});
    GetParam().run(w);
    EXPECT_TRUE(w.Ack->text().startsWith(QStringLiteral("Cannot Open Port:"))) << w.Ack->text().toStdString();
    EXPECT_TRUE(w.Ack->text().contains(QStringLiteral("3")));
    EXPECT_TRUE(w.Ack->text().contains(QStringLiteral("Another program is using the port.")));
    EXPECT_TRUE(port().writes.isEmpty());
    EXPECT_TRUE(buttonsIdle());

    port().succeedOpens();
    GetParam().run(w);
    EXPECT_EQ(port().writes.size(), 1);
    EXPECT_TRUE(w.ComClose.isActive());
}

TEST_P(TestMessagePortFailure, PortFailingWhileOpenEndsTheBusyState)
{
    LEDTestMessage &w = open();
    GetParam().run(w);
    ASSERT_TRUE(port().isOpen());
    port().failWhileOpen(QStringLiteral("the device was unplugged"));
    EXPECT_TRUE(w.Ack->text().contains(QStringLiteral("lost"))) << w.Ack->text().toStdString();
    EXPECT_TRUE(buttonsIdle());

    // A write the port refuses gives the buttons back too, and says so.
    port().refuseWrites(true);
    GetParam().run(w);
    EXPECT_FALSE(port().isOpen());
    EXPECT_TRUE(w.Ack->text().contains(QStringLiteral("could not be written"))) << w.Ack->text().toStdString();
    EXPECT_TRUE(buttonsIdle());
}

const Action Actions[] = {
    Action{"Send", [](LEDTestMessage &w) { w.Upload->click(); }},
    Action{"DownloadFromPager", [](LEDTestMessage &w) { w.Download->click(); }},
    Action{"SetTime", [](LEDTestMessage &w) { w.SetTime->click(); }},
    Action{"DoubleClickOnTest", [](LEDTestMessage &w) { QTest::mouseDClick(w.Test, Qt::LeftButton); }}};

INSTANTIATE_TEST_SUITE_P(Actions, TestMessagePortFailure, ::testing::ValuesIn(Actions),
                         [](const auto &info) { return std::string(info.param.name); });

class TestMessageBusy : public TestMessageWindow, public ::testing::WithParamInterface<Action> {};

TEST_P(TestMessageBusy, NothingElseReachesThePortUntilItsClosingTick)
{
    LEDTestMessage &w = open();
    type(QStringLiteral("Hi"));
    GetParam().run(w);
    ASSERT_EQ(port().writes.size(), 1);
    EXPECT_FALSE(w.Upload->isEnabled());
    EXPECT_FALSE(w.Download->isEnabled());
    EXPECT_FALSE(w.SetTime->isEnabled());
    EXPECT_TRUE(w.InsertTime->isEnabled());

    // Neither the command box nor a handler called by other means writes meanwhile.
    for (const Action &other : Actions)
        other.run(w);
    w.Upload_Click();
    w.Download_Click();
    w.SetTime_Click();
    w.Test_DblClick();
    EXPECT_EQ(port().writes.size(), 1);
    EXPECT_TRUE(port().isOpen());

    w.ComClose_Timer();
    EXPECT_FALSE(port().isOpen());
    EXPECT_TRUE(buttonsIdle());
    GetParam().run(w);
    EXPECT_EQ(port().writes.size(), 2);
}

INSTANTIATE_TEST_SUITE_P(Actions, TestMessageBusy, ::testing::ValuesIn(Actions),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
