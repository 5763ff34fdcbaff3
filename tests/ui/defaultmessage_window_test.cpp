// The default-message window on a scripted port: loading from the sign and from a file, the
// time formats, the upload encoding, time on idle, replies, the closing countdown, the clock
// command, closing, and ports that fail.
#include "mainwindowfixture.h"
#include "ptypair.h"

#include "ui/common/listbox.h"
#include "ui/defaultmsg/kestrovandefaultmessage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include <functional>
#include <memory>
#include <ostream>

namespace {

using testsupport::FakeSignPort;
using testsupport::MainWindowHarness;
using testsupport::waitUntil;
using ui::KestrovanDefaultMessage;

const QString Downloaded = QStringLiteral("Data downloaded successfully from LED Sign");
const QString Hint = QStringLiteral("Remove message and Click \"Upload to Sign\" to display Time");

// The texts written to `port`, each checked for its single closing CR and stripped of it.
QStringList sentTexts(const FakeSignPort &port)
{
    QStringList texts;
    for (const QByteArray &write : port.writes) {
        EXPECT_TRUE(write.endsWith('\r')) << write.toStdString();
        EXPECT_EQ(write.count('\r'), 1) << write.toStdString();
        EXPECT_FALSE(write.contains('\n')) << write.toStdString();
        texts.append(QString::fromLatin1(write.chopped(write.endsWith('\r') ? 1 : 0)));
    }
    return texts;
}

// Parameters print as their case name.
template <typename Case>
    requires requires(const Case &c) { c.name; }
void PrintTo(const Case &c, std::ostream *out)
{
    *out << c.name;
}

// What the operator's choice in a list does (the window reacts to `activated` only).
template <typename List>
void choose(List *list, int position)
{
    list->setCurrentIndex(position);
    emit list->activated(position);
}

class DefaultMessageWindow : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // The sign last reported `model` (the main window's dump sets number and caption).
    void signReports(const QString &model) { main.applyConfigDump(model + QStringLiteral(",41:")); }

    // Opens a .led file through File > Open, so the main window holds its name.
    void openFile(const QString &name, const QByteArray &content)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        h.services.nextFileNames.push_back(path);
        main.signOpenFile->trigger();
        ASSERT_FALSE(main.IsDefMsgEmpty());
    }

    // Makes the window and shows it, which loads it.
    void openWindow()
    {
        w = std::make_unique<KestrovanDefaultMessage>(main);
        w->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return w->isLoaded(); }));
    }
    // Opens the window and lets the load's request time out, so the port is free again.
    void openWindowIdle()
    {
        openWindow();
        finishCountdown();
    }
    FakeSignPort &port() { return *h.ports.back(); }
    // Lets the pauses between commands run until the closing countdown has begun.
    void untilCountdown() { ASSERT_TRUE(QTest::qWaitFor([&] { return w->ComClose.isActive(); })); }
    // Lets the pauses between commands run and counts the closing countdown down, until the
    // conversation (and any that follows it) has let the port go.
    void finishCountdown()
    {
        while (w->SleepTimer.isActive() || w->ComClose.isActive()) {
            if (w->ComClose.isActive())
                w->ComClose_Timer();
            else
                QTest::qWait(5);
        }
    }
    bool usable() const
    {
        return w->Upload->isEnabled() && w->Download->isEnabled() && w->SetTime->isEnabled()
               && w->Upload->text() == QStringLiteral("Upload to Sign")
               && w->Download->text() == QStringLiteral("Download from Sign");
    }
    // The time shown on idle over an empty editor, the port free: an Upload now runs the whole
    // time sequence with its pauses.
    void showTimeOnIdle()
    {
        signReports(QStringLiteral("KT420"));
        openWindowIdle();
        port().writes.clear();
        w->TimeDisplayStatus->setText(QStringLiteral("is ON"));
        w->setEditorText(QString());
    }
    // Runs `what` at the `tick`th tick of the pauses that follow.
    void atPauseTick(int tick, std::function<void()> what)
    {
        auto ticks = std::make_shared<int>(0);
        QObject::connect(&w->SleepTimer, &QTimer::timeout, w.get(), [=] {
            if (++*ticks == tick)
                what();
        });
    }
    // The window's writes after the load's request.
    QStringList sentSinceLoad()
    {
        QStringList all = sentTexts(port());
        if (!all.isEmpty() && all.front() == QStringLiteral("DOWNLOAD_DEFAULT_MSG"))
            all.removeFirst();
        return all;
    }

    QTemporaryDir dir;
    MainWindowHarness h;
    ui::KestrovanMain &main = *h.window;
    std::unique_ptr<KestrovanDefaultMessage> w;
};

// ---- The window itself ----

TEST_F(DefaultMessageWindow, NamesEveryControlAsTheOperatorAndAScreenReaderKnowIt)
{
    openWindowIdle();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Setup Default Message"));
    EXPECT_EQ(w->objectName(), QStringLiteral("KestrovanDefaultMessage"));
    EXPECT_EQ(w->parent(), &main);

    const QMap<QString, QString> captions{{"InsertTime", "Insert Time"},    {"TimeOnIdle", "Time Display on Idle"},
                                          {"Upload", "Upload to Sign"},    {"Download", "Download from Sign"},
                                          {"SetTime", "Set LED Sign Time"}, {"Exit", "Exit"}};
    for (auto it = captions.begin(); it != captions.end(); ++it) {
        auto *button = w->findChild<QPushButton *>(it.key());
        ASSERT_NE(button, nullptr) << it.key().toStdString();
        EXPECT_EQ(button->text(), it.value());
    }
    EXPECT_EQ(w->findChild<QLabel *>(QStringLiteral("Label_TimeFormat"))->text(), QStringLiteral("Time Format"));
    EXPECT_EQ(w->findChild<QLabel *>(QStringLiteral("Label_OR"))->text(), QStringLiteral("OR"));
    EXPECT_EQ(w->TimeDisplayStatus->text(), QStringLiteral("is OFF"));
    bool hint = false;
    for (QLabel *label : w->findChildren<QLabel *>())
        hint = hint || label->text() == QStringLiteral("Set Computer Clock to change time");
    EXPECT_TRUE(hint);

    const QMap<QString, QString> spoken{{"fontList", "Font"},       {"ColorList", "Color"},
                                        {"StyleList", "Style"},     {"AlignmentList", "Alignment"},
                                        {"SpeedList", "Speed"},     {"PauseList", "Pause"},
                                        {"TimeFormat", "Time format"}};
    for (auto it = spoken.begin(); it != spoken.end(); ++it) {
        // The display values are list boxes, the time format a drop-down list.
        QWidget *list = it.key() == u"TimeFormat" ? static_cast<QWidget *>(w->findChild<QComboBox *>(it.key()))
                                                  : w->findChild<ui::ListBox *>(it.key());
        ASSERT_NE(list, nullptr) << it.key().toStdString();
        EXPECT_EQ(list->accessibleName(), it.value());
        EXPECT_EQ(list->accessibleDescription(), it.value());
    }
    EXPECT_EQ(w->findChild<QPlainTextEdit *>(QStringLiteral("defaultMessage"))->accessibleName(), QStringLiteral("Message"));
    EXPECT_EQ(w->findChild<QLineEdit *>(QStringLiteral("Test"))->accessibleName(), QStringLiteral("Command"));
    EXPECT_EQ(w->TimeDisplayStatus->accessibleDescription(), QStringLiteral("Time display"));
    EXPECT_TRUE(w->TimeDisplayStatus->accessibleName().isEmpty());
    EXPECT_EQ(w->Ack->accessibleDescription(), QStringLiteral("Status"));
    EXPECT_EQ(w->DateTime->accessibleDescription(), QStringLiteral("Clock"));
}

// ---- Loading ----

TEST_F(DefaultMessageWindow, WithoutAFileReadsTheMessageFromTheSignOnTheChosenPort)
{
    signReports(QStringLiteral("PN360"));
    main.ComportsList->setCurrentIndex(3);
    openWindow();

    EXPECT_EQ(sentTexts(port()), QStringList{QStringLiteral("DOWNLOAD_DEFAULT_MSG")});
    EXPECT_EQ(port().openedPorts, QList<int>{4});
    // Success is claimed when the message has come, not when it was asked for.
    EXPECT_TRUE(w->Ack->text().isEmpty());
    EXPECT_EQ(w->Download->text(), QStringLiteral("Reading..."));
    EXPECT_FALSE(w->Download->isEnabled());
    EXPECT_FALSE(w->Upload->isEnabled());
    untilCountdown();
    EXPECT_EQ(w->closeCountdown, 20);

    port().feed(QByteArray("PN360:5,6,7,1,2,3,0,0,Hello\xaaWorld \xad\n"));
    ASSERT_TRUE(waitUntil([&] { return w->editorText() == QStringLiteral("Hello\r\nWorld <hh:mm>"); }));
    EXPECT_EQ(w->Ack->text(), Downloaded);
    EXPECT_TRUE(w->RemoveAck.isActive());
    EXPECT_EQ(w->fontList->currentIndex(), 5);
    EXPECT_EQ(w->StyleList->currentIndex(), 6);
    EXPECT_EQ(w->ColorList->currentIndex(), 7);
    EXPECT_EQ(w->SpeedList->currentIndex(), 1);
    EXPECT_EQ(w->AlignmentList->currentIndex(), 2);
    EXPECT_EQ(w->PauseList->currentIndex(), 3);
    // The choices of the load are no operator's changes, but the format choice counts.
    EXPECT_FALSE(w->fontChanged || w->colorChanged || w->styleChanged || w->alignChanged || w->speedChanged
                 || w->pauseChanged);
    EXPECT_TRUE(w->timeFormatChanged);
}

struct FileCase {
    const char *name;
    const char *fileName;
    QByteArray storedMessage;  // what SaveDefaultMsg or the file puts into DefMsg
    bool viaFile;              // true: the .led file's DefaultMsg line; false: SaveDefaultMsg
    QString expectedText;
};

class DefaultMessageFromFile : public DefaultMessageWindow, public ::testing::WithParamInterface<FileCase> {};

TEST_P(DefaultMessageFromFile, ShowsTheWholeHeldMessageWithItsValues)
{
    const FileCase &c = GetParam();
    signReports(QStringLiteral("RW2290"));
    QByteArray file = "Com:1\r\n";
    if (c.viaFile) {
        file += "DefaultMsg:" + c.storedMessage + "\r\nDefaultFont:3\r\nDefaultColor:4\r\nDefaultStyle:5\r\n"
                "DefaultAlignment:2\r\nDefaultSpeed:1\r\nDefaultPause:6\r\n";
    } else {
        main.SaveDefaultMsg(QString::fromLatin1(c.storedMessage), 3, 4, 5, 2, 1, 6);
    }
    openFile(QString::fromLatin1(c.fileName), file);
    const QString path = dir.filePath(QString::fromLatin1(c.fileName));
    openWindow();

    EXPECT_TRUE(port().writes.isEmpty());
    EXPECT_EQ(w->editorText(), c.expectedText);
    EXPECT_EQ(w->defaultMessage->toPlainText(), QString(c.expectedText).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    EXPECT_EQ(w->fontList->currentIndex(), 3);
    EXPECT_EQ(w->ColorList->currentIndex(), 4);
    EXPECT_EQ(w->StyleList->currentIndex(), 5);
    EXPECT_EQ(w->AlignmentList->currentIndex(), 2);
    EXPECT_EQ(w->SpeedList->currentIndex(), 1);
    EXPECT_EQ(w->PauseList->currentIndex(), 6);
    EXPECT_EQ(w->Ack->text(), QStringLiteral("Getting data from File ") + path);
    EXPECT_TRUE(usable());
    EXPECT_FALSE(main.IsDefMsgEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Held, DefaultMessageFromFile,
    ::testing::Values(
        FileCase{"StoredFormFromTheFile", "sign.led", QByteArray("Open\xaa\xab till \xb2"), true,
                 QStringLiteral("Open\r\n<hh:mm:ss> till <mm'dd'yy>")},
        FileCase{"EditedFormKeptByTheWindow", "sign.led", QByteArray("Open\r\n<hh:mm A/PM>"), false,
                 QStringLiteral("Open\r\n<hh:mm A/PM>")},
        FileCase{"CommasInTheMessage", "sign.led", QByteArray("Open, daily, 9-5"), true,
                 QStringLiteral("Open, daily, 9-5")},
        FileCase{"CommaInTheFileName", "shop, north.led", QByteArray("Welcome"), false, QStringLiteral("Welcome")},
        FileCase{"ColonsAndCommasTogether", "a,b.led", QByteArray("shop.com: open,\xaa<hh:mm>, daily"), true,
                 QStringLiteral("shop.com: open,\r\n<hh:mm>, daily")}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Lists and time formats per model ----

struct ModelCase {
    const char *name;
    const char *model;           // what the sign reported
    const char *caption;         // the main window's model caption when it differs (from a file)
    int fonts;                   // entries of fontList
    int formats;                 // entries of TimeFormat
    QStringList hidden;          // time controls hidden
    bool speedAndAlignEnabled;
};

class DefaultMessageModels : public DefaultMessageWindow, public ::testing::WithParamInterface<ModelCase> {};

TEST_P(DefaultMessageModels, FillsTheListsAndTimeControlsForTheModel)
{
    const ModelCase &c = GetParam();
    signReports(QString::fromLatin1(c.model));
    if (c.caption)
        main.LEDSignModel->setText(QString::fromLatin1(c.caption));
    openWindowIdle();

    EXPECT_EQ(w->fontList->count(), c.fonts);
    EXPECT_EQ(w->PauseList->count(), c.fonts ? 10 : 0);
    EXPECT_EQ(w->SpeedList->isEnabled(), c.speedAndAlignEnabled);
    EXPECT_EQ(w->AlignmentList->isEnabled(), c.speedAndAlignEnabled);
    QStringList entries;
    for (int i = 0; i < w->TimeFormat->count(); ++i)
        entries << w->TimeFormat->itemText(i);
    EXPECT_EQ(entries, QStringList({"hh:mm:ss", "hh:mm:ss A/PM", "hh:mm", "hh:mm A/PM", "mm/dd/yyyy", "yyyy-mm-dd",
                                    "dd.MM yyyy", "mm'dd'yy"})
                           .mid(0, c.formats));
    EXPECT_EQ(w->TimeFormat->currentIndex(), 0);

    QStringList hidden;
    for (const char *name : {"TimeFormat", "Label_TimeFormat", "InsertTime", "Label_OR", "TimeOnIdle", "TimeDisplayStatus"}) {
        QWidget *control = w->findChild<QWidget *>(QString::fromLatin1(name));
        ASSERT_NE(control, nullptr) << name;
        if (!control->isVisible())
            hidden << QString::fromLatin1(name);
    }
    EXPECT_EQ(hidden, c.hidden);

    // Choosing a format replaces the whole text by its token.
    w->setEditorText(QStringLiteral("old text"));
    w->timeFormatChanged = false;
    choose(w->TimeFormat, c.formats - 1);
    EXPECT_EQ(w->editorText(), QLatin1Char('<') + entries.last() + QLatin1Char('>'));
    EXPECT_TRUE(w->timeFormatChanged);
}

INSTANTIATE_TEST_SUITE_P(
    Models, DefaultMessageModels,
    ::testing::Values(
        ModelCase{"KT420", "KT420", nullptr, 4, 4, {"InsertTime"}, false},
        ModelCase{"RW2290", "RW2290", nullptr, 25, 8, {"Label_OR", "TimeOnIdle", "TimeDisplayStatus"}, true},
        ModelCase{"PN360", "PN360", nullptr, 25, 8, {"TimeFormat", "Label_TimeFormat", "InsertTime", "Label_OR"}, true},
        ModelCase{"OtherModelHasNoLists", "ZX9", nullptr, 0, 8, {}, true},
        ModelCase{"QB7HasNoLists", "QB7", nullptr, 0, 8, {}, true},
        ModelCase{"KT420CaptionFromAFile", "RW2290", "KT420", 25, 4, {"Label_OR", "TimeOnIdle", "TimeDisplayStatus"},
                  true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(DefaultMessageWindow, InsertTimeAppendsTheChosenTokenAtTheEnd)
{
    signReports(QStringLiteral("RW2290"));
    openWindowIdle();
    w->setEditorText(QStringLiteral("Now\r\nit is "));
    w->defaultMessage->moveCursor(QTextCursor::Start);
    w->TimeFormat->setCurrentIndex(3);
    w->InsertTime->click();
    EXPECT_EQ(w->editorText(), QStringLiteral("Now\r\nit is <hh:mm A/PM>"));
}

TEST_F(DefaultMessageWindow, ListClicksSetTheirFlagsAndAlignmentAlignsTheEditor)
{
    signReports(QStringLiteral("RW2290"));
    openWindowIdle();
    w->resize(700, 400);
    w->setEditorText(QStringLiteral("x"));
    const int leftX = w->defaultMessage->cursorRect().x();

    const std::pair<ui::ListBox *, bool *> lists[] = {{w->fontList, &w->fontChanged},   {w->ColorList, &w->colorChanged},
                                                    {w->StyleList, &w->styleChanged}, {w->SpeedList, &w->speedChanged},
                                                    {w->PauseList, &w->pauseChanged}, {w->AlignmentList, &w->alignChanged}};
    for (const auto &[list, flag] : lists) {
        EXPECT_FALSE(*flag) << list->objectName().toStdString();
        choose(list, 1);
        EXPECT_TRUE(*flag) << list->objectName().toStdString();
    }
    EXPECT_EQ(w->defaultMessage->document()->defaultTextOption().alignment(), Qt::AlignRight);
    EXPECT_GT(w->defaultMessage->cursorRect().x(), leftX + 100);
    choose(w->AlignmentList, 2);
    EXPECT_EQ(w->defaultMessage->document()->defaultTextOption().alignment(), Qt::AlignHCenter);
    choose(w->AlignmentList, 0);
    EXPECT_EQ(w->defaultMessage->document()->defaultTextOption().alignment(), Qt::AlignLeft);
}

// ---- Upload ----

struct UploadCase {
    const char *name;
    QString editor;  // with CR LF breaks
    int font, color, style, align, speed, pause;
    QByteArray expected;  // the bytes before the CR
};

class DefaultMessageUpload : public DefaultMessageWindow, public ::testing::WithParamInterface<UploadCase> {};

TEST_P(DefaultMessageUpload, WritesTheEncodedCommandAndGoesBusy)
{
    const UploadCase &c = GetParam();
    signReports(QStringLiteral("RW2290"));
    openWindowIdle();
    port().writes.clear();
    w->setEditorText(c.editor);
    const std::pair<ui::ListBox *, int> choices[] = {{w->fontList, c.font},        {w->ColorList, c.color},
                                                   {w->StyleList, c.style},      {w->AlignmentList, c.align},
                                                   {w->SpeedList, c.speed},      {w->PauseList, c.pause}};
    for (const auto &[list, position] : choices)
        list->setCurrentIndex(position);

    w->Upload->click();
    ASSERT_EQ(port().writes, QList<QByteArray>{c.expected + '\r'});
    EXPECT_EQ(w->Test->text(), QString::fromLatin1(c.expected));
    EXPECT_EQ(w->Upload->text(), QStringLiteral("Writing..."));
    EXPECT_FALSE(w->Upload->isEnabled());
    EXPECT_FALSE(w->Download->isEnabled());
    EXPECT_EQ(w->closeCountdown, 10);
    EXPECT_TRUE(w->ComClose.isActive());
    EXPECT_TRUE(w->Progress->isVisible());
    EXPECT_TRUE(w->signPort().isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Encoding, DefaultMessageUpload,
    ::testing::Values(
        UploadCase{"EmptyEditorRemovesTheMessage", QString(), 1, 2, 3, 0, 1, 2, "<del id=def>"},
        UploadCase{"ExampleWithBreakAndToken", QStringLiteral("Open\r\n<hh:mm>"), 2, 1, 0, 2, 3, 4,
                   "<DF f=2 c=1 s=0 a=2 sp=3 p=4>Open$L$T2"},
        UploadCase{"TrailingBreakDropped", QStringLiteral("A\r\nB\r\n"), 0, 0, 0, 0, 0, 0,
                   "<DF f=0 c=0 s=0 a=0 sp=0 p=0>A$LB"},
        UploadCase{"EveryToken", QStringLiteral("<hh:mm:ss><hh:mm:ss A/PM><hh:mm><hh:mm A/PM><mm/dd/yyyy>"
                                                "<yyyy-mm-dd><dd.MM yyyy><mm'dd'yy>"),
                   -1, -1, -1, -1, -1, -1, "<DF f=-1 c=-1 s=-1 a=-1 sp=-1 p=-1>$T0$T1$T2$T3$T4$T5$T6$T7"},
        UploadCase{"Latin1BytesAsThemselves", QString::fromLatin1("Caf\xe9\xa0\xb5"), 24, 12, 27, 2, 4, 9,
                   "<DF f=24 c=12 s=27 a=2 sp=4 p=9>Caf\xe9\xa0\xb5"},
        UploadCase{"TokenCaseMatters", QStringLiteral("<HH:MM>"), 0, 0, 0, 0, 0, 0, "<DF f=0 c=0 s=0 a=0 sp=0 p=0><HH:MM>"}),
    [](const auto &info) { return std::string(info.param.name); });

struct TimeOnUploadCase {
    const char *name;
    QString editor;
    QStringList expected;  // the writes
    QString ack;
};

class DefaultMessageUploadTimeOn : public DefaultMessageWindow,
                                   public ::testing::WithParamInterface<TimeOnUploadCase> {};

TEST_P(DefaultMessageUploadTimeOn, FollowsWithTheTimeCommandAndARestart)
{
    const TimeOnUploadCase &c = GetParam();
    signReports(QStringLiteral("KT420"));
    openWindowIdle();
    port().writes.clear();
    w->TimeDisplayStatus->setText(QStringLiteral("is ON"));
    w->setEditorText(c.editor);
    for (ui::ListBox *list : {w->fontList, w->ColorList, w->StyleList, w->AlignmentList, w->SpeedList, w->PauseList})
        list->setCurrentIndex(1);
    choose(w->ColorList, 4);
    w->TimeFormat->setCurrentIndex(2);
    w->Ack->clear();

    w->Upload->click();
    untilCountdown();
    EXPECT_EQ(sentTexts(port()), c.expected);
    EXPECT_EQ(w->Test->text(), c.expected[c.expected.size() - 2] + QStringLiteral(" , RESET"));
    EXPECT_EQ(w->Ack->text(), c.ack);
    EXPECT_EQ(w->Upload->text(), QStringLiteral("Writing..."));
    EXPECT_FALSE(w->Download->isEnabled());
    EXPECT_EQ(w->closeCountdown, 10);
    EXPECT_TRUE(w->colorChanged);  // the flags stay

    finishCountdown();
    EXPECT_TRUE(usable());
    EXPECT_FALSE(w->signPort().isOpen());
    // While the time shows on idle, font, style and pause are the time's own.
    EXPECT_FALSE(w->fontList->isEnabled());
    EXPECT_FALSE(w->StyleList->isEnabled());
    EXPECT_FALSE(w->PauseList->isEnabled());
    EXPECT_TRUE(w->ColorList->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    TimeDisplayOn, DefaultMessageUploadTimeOn,
    ::testing::Values(
        TimeOnUploadCase{"EmptyEditor", QString(),
                         {"<del id=def>", "<TIME f=1 c=4 s=1 a=1 sp=1 p=1 fm=2>IDLE ON", "RESET"}, QString()},
        // No default-message command exists for this state: only the time command goes out.
        TimeOnUploadCase{"MessageInTheEditor", QStringLiteral("Hello"),
                         {"<TIME f=1 c=4 s=1 a=1 sp=1 p=1 fm=2>IDLE ON", "RESET"}, Hint}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(DefaultMessageWindow, TimeDisplayOnWithNothingChangedWritesOnlyTheMessageCommand)
{
    signReports(QStringLiteral("KT420"));
    openWindowIdle();
    port().writes.clear();
    w->timeFormatChanged = false;
    w->setEditorText(QString());
    w->TimeDisplayStatus->setText(QStringLiteral("is ON"));
    w->Upload->click();
    EXPECT_EQ(sentTexts(port()), QStringList{QStringLiteral("<del id=def>")});
    EXPECT_EQ(w->Test->text(), QStringLiteral("<del id=def>"));
}

// ---- Time display on idle ----

TEST_F(DefaultMessageWindow, TimeDisplayOnIdleSwitchesOnAndOffAndReadsTheMessageBack)
{
    signReports(QStringLiteral("KT420"));
    openWindowIdle();
    port().writes.clear();
    w->setEditorText(QStringLiteral("Hello"));

    w->TimeOnIdle->click();
    untilCountdown();
    EXPECT_EQ(sentTexts(port()), QStringList({"<TIME>IDLE ON", "DOWNLOAD_DEFAULT_MSG"}));
    EXPECT_EQ(port().openedPorts.size(), 3);  // the load, the switch, the read
    EXPECT_GE(port().closeCount, 2);
    EXPECT_EQ(w->TimeDisplayStatus->text(), QStringLiteral("is ON"));
    EXPECT_EQ(w->Ack->text(), Hint);
    EXPECT_FALSE(w->fontList->isEnabled());
    EXPECT_EQ(w->Download->text(), QStringLiteral("Reading..."));
    EXPECT_EQ(w->closeCountdown, 20);
    EXPECT_TRUE(main.IsDefMsgEmpty());
    finishCountdown();
    EXPECT_TRUE(usable());
    EXPECT_FALSE(w->StyleList->isEnabled());

    port().writes.clear();
    w->TimeOnIdle->click();
    EXPECT_TRUE(w->fontList->isEnabled());
    untilCountdown();
    EXPECT_EQ(sentTexts(port()), QStringList({"<TIME>IDLE OFF", "DOWNLOAD_DEFAULT_MSG"}));
    EXPECT_EQ(w->TimeDisplayStatus->text(), QStringLiteral("is OFF"));
    finishCountdown();
    EXPECT_TRUE(w->StyleList->isEnabled());
    EXPECT_TRUE(w->PauseList->isEnabled());
}

TEST_F(DefaultMessageWindow, SwitchingOnWithAnEmptyEditorGivesNoHint)
{
    signReports(QStringLiteral("PN360"));
    openWindowIdle();
    w->setEditorText(QString());
    w->Ack->clear();
    w->TimeOnIdle->click();
    untilCountdown();
    EXPECT_EQ(w->TimeDisplayStatus->text(), QStringLiteral("is ON"));
    EXPECT_TRUE(w->Ack->text().isEmpty());
}

// ---- Replies ----

TEST_F(DefaultMessageWindow, ADumpNobodyAskedForLeavesTheEditorAndTheListsAlone)
{
    signReports(QStringLiteral("RW2290"));
    openWindowIdle();
    w->setEditorText(QStringLiteral("Mine"));
    for (ui::ListBox *list : {w->fontList, w->StyleList, w->ColorList, w->SpeedList, w->AlignmentList, w->PauseList})
        list->setCurrentIndex(2);
    w->Upload->click();
    ASSERT_TRUE(w->signPort().isOpen());
    // The sign follows its answer with its configuration, unasked.
    port().feedNow("default stored\nRW2290,41:66,67,67,50,51,50,21,100,64,65,65,49\n");
    EXPECT_EQ(w->Ack->text(), QStringLiteral("Default message uploaded successfully"));
    // Without a read waiting, "done" acknowledges, even in a line shaped like a dump.
    port().feedNow("RW2290:65,66,67,49,50,48,0,0,well done\n");
    EXPECT_EQ(w->Ack->text(), QStringLiteral("Upload Successfull"));
    EXPECT_EQ(w->editorText(), QStringLiteral("Mine"));
    for (ui::ListBox *list : {w->fontList, w->StyleList, w->ColorList, w->SpeedList, w->AlignmentList, w->PauseList})
        EXPECT_EQ(list->currentIndex(), 2) << list->objectName().toStdString();
}

struct ReplyCase {
    const char *name;
    QByteArray line;       // without its LF
    bool timeOn;
    QString editor;        // before the reply
    QString ack;           // after it ("" = unchanged empty)
    QString status;        // TimeDisplayStatus after it
    QString editorAfter;
    QList<int> lists;      // font, style, colour, speed, alignment, pause after it
};

class DefaultMessageReplies : public DefaultMessageWindow, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(DefaultMessageReplies, AreReadAsTheSignMeansThem)
{
    const ReplyCase &c = GetParam();
    signReports(QStringLiteral("RW2290"));
    openWindow();  // the read request holds the port open
    for (ui::ListBox *list : {w->fontList, w->StyleList, w->ColorList, w->SpeedList, w->AlignmentList, w->PauseList})
        list->setCurrentIndex(2);
    w->setEditorText(c.editor);
    w->TimeDisplayStatus->setText(QString::fromLatin1(c.timeOn ? "is ON" : "is OFF"));
    w->Ack->clear();

    port().feedNow(c.line + "\n");
    EXPECT_EQ(w->Ack->text(), c.ack);
    EXPECT_EQ(w->TimeDisplayStatus->text(), c.status);
    EXPECT_EQ(w->editorText(), c.editorAfter);
    const QList<int> lists{w->fontList->currentIndex(),  w->StyleList->currentIndex(),
                           w->ColorList->currentIndex(), w->SpeedList->currentIndex(),
                           w->AlignmentList->currentIndex(), w->PauseList->currentIndex()};
    EXPECT_EQ(lists, c.lists);
}

const QList<int> Unchanged{2, 2, 2, 2, 2, 2};

INSTANTIATE_TEST_SUITE_P(
    Lines, DefaultMessageReplies,
    ::testing::Values(
        ReplyCase{"Done", "done", false, "x", "Upload Successfull", "is OFF", "x", Unchanged},
        ReplyCase{"TimeOn", "TIME:IDLE:1", false, "x", "", "is ON", "x", Unchanged},
        ReplyCase{"DefaultStored", "default stored", false, "x", "Default message uploaded successfully", "is OFF",
                  "x", Unchanged},
        ReplyCase{"Rw2290DumpIsOffset", "RW2290:65,66,67,49,50,48,0,0,Hi\xaathere \xad", false, "x", Downloaded, "is OFF",
                  "Hi\r\nthere <hh:mm>", {1, 1, 2, 1, 1, 0}},
        ReplyCase{"DumpWithoutTextKeepsTheEditor", "PN360:1,2,3", false, "x", "", "is OFF", "x", {1, 2, 3, 2, 2, 2}}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- The clock ----

TEST_F(DefaultMessageWindow, SetTimeWritesTheComputersClockAndGoesBusy)
{
    signReports(QStringLiteral("RW2290"));
    openWindowIdle();
    port().writes.clear();
    w->Ack->setText(QStringLiteral("earlier"));
    w->RemoveAck.start();

    const QDateTime before = QDateTime::currentDateTime();
    w->SetTime->click();
    const QDateTime after = QDateTime::currentDateTime();

    const QStringList sent = sentTexts(port());
    ASSERT_EQ(sent.size(), 1);
    static const QRegularExpression form(
        QStringLiteral("^<Time time=(\\d\\d:\\d\\d:\\d\\d) date=(\\d{4}/\\d\\d/\\d\\d)-([0-6])>SET TIME$"));
    const QRegularExpressionMatch m = form.match(sent[0]);
    ASSERT_TRUE(m.hasMatch()) << sent[0].toStdString();
    const QDateTime sentTime(QDate::fromString(m.captured(2), QStringLiteral("yyyy/MM/dd")),
                             QTime::fromString(m.captured(1), QStringLiteral("HH:mm:ss")));
    ASSERT_TRUE(sentTime.isValid());
    EXPECT_GE(sentTime, before.addMSecs(-before.time().msec()));
    EXPECT_LE(sentTime, after);
    EXPECT_EQ(m.captured(3).toInt(), sentTime.date().dayOfWeek() % 7);

    EXPECT_FALSE(w->SetTime->isEnabled());
    EXPECT_FALSE(w->Download->isEnabled());
    EXPECT_FALSE(w->Upload->isEnabled());
    EXPECT_EQ(w->Upload->text(), QStringLiteral("Writing..."));
    EXPECT_EQ(w->closeCountdown, 10);
    EXPECT_TRUE(w->Progress->isVisible());
    EXPECT_FALSE(w->RemoveAck.isActive());
    EXPECT_TRUE(w->Test->text().isEmpty());
}

// ---- Closing ----

using CloseAction = void (*)(KestrovanDefaultMessage &);

struct CloseCase {
    const char *name;
    CloseAction close;
};

class DefaultMessageClosing : public DefaultMessageWindow, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(DefaultMessageClosing, HandsTheMessageBackOnce)
{
    signReports(QStringLiteral("RW2290"));
    openWindow();  // still holding the port for the read
    w->setEditorText(QStringLiteral("Line, one\r\n<hh:mm>"));
    const std::pair<ui::ListBox *, int> choices[] = {{w->fontList, 4},      {w->ColorList, 5}, {w->StyleList, 6},
                                                   {w->AlignmentList, 2}, {w->SpeedList, 3}, {w->PauseList, 7}};
    for (const auto &[list, position] : choices)
        list->setCurrentIndex(position);

    GetParam().close(*w);
    EXPECT_FALSE(w->isVisible());
    const config::SignConfig &held = main.signConfig();
    EXPECT_EQ(held.DefMsg, QStringLiteral("Line, one\r\n<hh:mm>"));
    EXPECT_EQ(QList<int>({held.DefFont, held.DefColor, held.DefStyle, held.DefAlign, held.DefSpeed, held.DefPause}),
              QList<int>({4, 5, 6, 2, 3, 7}));
    EXPECT_EQ(main.SetupDefaultMsg->toolTip(),
              QStringLiteral("Message:Line, one\r\n<hh:mm>, Font:4, Color:5, Style:6, Align:2, Speed:3, Pause:7"));
    EXPECT_FALSE(w->signPort().isOpen());
    EXPECT_FALSE(w->ComClose.isActive());

    // A second close of the closed window hands nothing back again.
    main.SaveDefaultMsg(QStringLiteral("kept"), 0, 0, 0, 0, 0, 0);
    w->close();
    w->reject();
    EXPECT_EQ(main.signConfig().DefMsg, QStringLiteral("kept"));
}

TEST_P(DefaultMessageClosing, BeforeASilentSignAnswersLeavesTheHeldMessageAlone)
{
    signReports(QStringLiteral("RW2290"));
    main.SaveDefaultMsg(QStringLiteral("Held, message"), 1, 2, 3, 2, 1, 4);
    main.SetupDefaultMsg->setToolTip(QStringLiteral("before"));
    openWindow();  // the read waits for an answer that will not come
    choose(w->fontList, 3);  // a list alone makes no message

    GetParam().close(*w);
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(h.services.questions.isEmpty());
    const config::SignConfig &held = main.signConfig();
    EXPECT_EQ(held.DefMsg, QStringLiteral("Held, message"));
    EXPECT_EQ(QList<int>({held.DefFont, held.DefColor, held.DefStyle, held.DefAlign, held.DefSpeed, held.DefPause}),
              QList<int>({1, 2, 3, 2, 1, 4}));
    EXPECT_EQ(main.SetupDefaultMsg->toolTip(), QStringLiteral("before"));
    EXPECT_FALSE(w->signPort().isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, DefaultMessageClosing,
    ::testing::Values(CloseCase{"Exit", [](KestrovanDefaultMessage &d) { d.Exit->click(); }},
                      CloseCase{"TitleBarClose", [](KestrovanDefaultMessage &d) { d.close(); }},
                      CloseCase{"Escape", [](KestrovanDefaultMessage &d) { QTest::keyClick(&d, Qt::Key_Escape); }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(DefaultMessageWindow, OpenedThroughTheServicesItClosesWithExit)
{
    signReports(QStringLiteral("RW2290"));
    openFile(QStringLiteral("sign.led"), "DefaultMsg:From file\r\n");
    w = std::make_unique<KestrovanDefaultMessage>(main);
    h.services.onDialog = [](QDialog &dialog) {
        auto &d = static_cast<KestrovanDefaultMessage &>(dialog);
        d.setEditorText(d.editorText() + QStringLiteral("\r\nand more"));
        d.Exit->click();
    };
    h.services.execDialog(*w);
    EXPECT_EQ(h.services.dialogsShown, QStringList{QStringLiteral("KestrovanDefaultMessage")});
    EXPECT_EQ(main.signConfig().DefMsg, QStringLiteral("From file\r\nand more"));
}

// ---- Ports that fail ----

using Action = void (*)(KestrovanDefaultMessage &);

struct FailCase {
    const char *name;
    Action action;
};

class DefaultMessagePortFailure : public DefaultMessageWindow, public ::testing::WithParamInterface<FailCase> {};

TEST_P(DefaultMessagePortFailure, APortThatWillNotOpenIsNamedAndTheWindowStaysUsable)
{
    signReports(QStringLiteral("KT420"));
    openWindowIdle();
    port().writes.clear();
    main.ComportsList->setCurrentIndex(6);
    w->setEditorText(QStringLiteral("Open"));
    port().failNextOpens({signlink::OpenError::Busy, QStringLiteral("/dev/ttyUSB2 is already open.")});

    GetParam().action(*w);
    EXPECT_EQ(w->Ack->text(), QStringLiteral("Cannot Open Port:7\r\n/dev/ttyUSB2 is already open."));
    EXPECT_TRUE(port().writes.isEmpty());
    EXPECT_TRUE(usable());
    EXPECT_TRUE(w->TimeOnIdle->isEnabled());
    EXPECT_FALSE(w->ComClose.isActive());
    EXPECT_EQ(w->TimeDisplayStatus->text(), QStringLiteral("is OFF"));

    port().succeedOpens();
    w->Download->click();
    EXPECT_EQ(sentTexts(port()), QStringList{QStringLiteral("DOWNLOAD_DEFAULT_MSG")});
}

INSTANTIATE_TEST_SUITE_P(
    Actions, DefaultMessagePortFailure,
    ::testing::Values(FailCase{"Upload", [](KestrovanDefaultMessage &d) { d.Upload->click(); }},
                      FailCase{"Download", [](KestrovanDefaultMessage &d) { d.Download->click(); }},
                      FailCase{"SetTime", [](KestrovanDefaultMessage &d) { d.SetTime->click(); }},
                      FailCase{"TimeOnIdle", [](KestrovanDefaultMessage &d) { d.TimeOnIdle->click(); }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(DefaultMessageWindow, LoadingFromAPortThatWillNotOpenDoesNotClaimADownload)
{
    main.applyConfigDump(QStringLiteral("RW2290,41:"));
    // The window's port is made with the window, so its failure is scripted from the factory's
    // next port: make the window, then fail, then show.
    w = std::make_unique<KestrovanDefaultMessage>(main);
    port().failNextOpens({signlink::OpenError::NoSuchPort, QStringLiteral("COM 1 does not exist.")});
    w->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->isLoaded(); }));
    EXPECT_EQ(w->Ack->text(), QStringLiteral("Cannot Open Port:1\r\nPlease Change Comport"));
    EXPECT_TRUE(port().writes.isEmpty());
    EXPECT_TRUE(usable());
}

TEST_F(DefaultMessageWindow, APortLostDuringTheReadGivesTheButtonsBack)
{
    signReports(QStringLiteral("RW2290"));
    openWindow();
    ASSERT_FALSE(w->Download->isEnabled());
    port().failWhileOpen(QStringLiteral("the device went away"));
    EXPECT_TRUE(usable());
    EXPECT_FALSE(w->ComClose.isActive());
    EXPECT_THAT(w->Ack->text().toStdString(), ::testing::HasSubstr("connection to the sign was lost"));
    EXPECT_THAT(w->Ack->text().toStdString(), ::testing::HasSubstr("the device went away"));
}

TEST_F(DefaultMessageWindow, ACharacterBeyondLatin1IsNamedAndNothingIsSent)
{
    signReports(QStringLiteral("RW2290"));
    openWindowIdle();
    port().writes.clear();
    w->setEditorText(QStringLiteral("Price 5\u20ac"));
    w->Upload->click();
    EXPECT_TRUE(port().writes.isEmpty());
    EXPECT_THAT(w->Ack->text().toStdString(), ::testing::HasSubstr("\u20ac"));
    EXPECT_TRUE(usable());
    EXPECT_FALSE(w->signPort().isOpen());
    EXPECT_FALSE(w->ComClose.isActive());
}

TEST_F(DefaultMessageWindow, AWriteThePortRefusesIsReported)
{
    signReports(QStringLiteral("RW2290"));
    openWindowIdle();
    port().refuseWrites(true);
    w->SetTime->click();
    EXPECT_EQ(w->Ack->text(), QStringLiteral("The command could not be written to COM 1."));
    EXPECT_TRUE(usable());
    EXPECT_FALSE(w->signPort().isOpen());
}

// ---- A sign that does not answer ----

const QString NoAnswer = QStringLiteral("No answer from the sign on COM 1. Check the cable, the power and the COM number.");

struct FillCase {
    const char *name;
    void (*fill)(KestrovanDefaultMessage &);
    const char *command;  // what Upload then writes
};

class DefaultMessageSilentSign : public DefaultMessageWindow, public ::testing::WithParamInterface<FillCase> {};

TEST_P(DefaultMessageSilentSign, SaysSoAndUploadsOnlyWhatTheOperatorPutIntoTheEditor)
{
    signReports(QStringLiteral("RW2290"));
    openWindow();
    // The format is chosen, but no placeholder stands in for the sign's message.
    EXPECT_TRUE(w->editorText().isEmpty());
    EXPECT_EQ(w->TimeFormat->currentIndex(), 0);
    EXPECT_TRUE(w->timeFormatChanged);
    finishCountdown();
    EXPECT_EQ(w->Ack->text(), NoAnswer);
    EXPECT_TRUE(w->editorText().isEmpty());
    EXPECT_TRUE(usable());

    port().writes.clear();
    w->Upload->click();
    EXPECT_TRUE(port().writes.isEmpty());
    EXPECT_EQ(port().openedPorts.size(), 1);  // the load's read only
    EXPECT_THAT(w->Ack->text().toStdString(), ::testing::HasSubstr("has not been read"));
    EXPECT_TRUE(usable());

    GetParam().fill(*w);
    w->Upload->click();
    EXPECT_EQ(sentTexts(port()), QStringList{QString::fromLatin1(GetParam().command)});
}

INSTANTIATE_TEST_SUITE_P(
    Filled, DefaultMessageSilentSign,
    ::testing::Values(
        FillCase{"Typing", [](KestrovanDefaultMessage &d) { QTest::keyClicks(d.defaultMessage, QStringLiteral("Hi")); },
                 "<DF f=-1 c=-1 s=-1 a=-1 sp=-1 p=-1>Hi"},
        FillCase{"TypingAndDeletingAgain",
                 [](KestrovanDefaultMessage &d) {
                     QTest::keyClicks(d.defaultMessage, QStringLiteral("x"));
                     QTest::keyClick(d.defaultMessage, Qt::Key_Backspace);
                 },
                 "<del id=def>"},
        FillCase{"InsertTime",
                 [](KestrovanDefaultMessage &d) {
                     d.TimeFormat->setCurrentIndex(2);
                     d.InsertTime->click();
                 },
                 "<DF f=-1 c=-1 s=-1 a=-1 sp=-1 p=-1>$T2"},
        FillCase{"ChoosingAFormat", [](KestrovanDefaultMessage &d) { choose(d.TimeFormat, 3); },
                 "<DF f=-1 c=-1 s=-1 a=-1 sp=-1 p=-1>$T3"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(DefaultMessageWindow, AnAnswerWithoutAMessageIsNoDownload)
{
    signReports(QStringLiteral("PN360"));
    openWindow();
    port().feedNow("PN360:1,2,3\n");
    EXPECT_TRUE(w->Ack->text().isEmpty());
    EXPECT_EQ(w->fontList->currentIndex(), 1);  // what it did send is taken
    finishCountdown();
    EXPECT_EQ(w->Ack->text(), QStringLiteral("The sign on COM 1 answered, but did not send its default message."));

    port().writes.clear();
    w->Upload->click();
    EXPECT_TRUE(port().writes.isEmpty());
}

TEST_F(DefaultMessageWindow, DownloadFromASilentSignSaysSoAndKeepsTheEditor)
{
    signReports(QStringLiteral("RW2290"));
    openWindowIdle();
    w->setEditorText(QStringLiteral("Mine"));
    main.ComportsList->setCurrentIndex(2);
    w->Download->click();
    finishCountdown();
    EXPECT_EQ(w->Ack->text(), QStringLiteral("No answer from the sign on COM 3. Check the cable, the power and the COM number."));
    EXPECT_EQ(w->editorText(), QStringLiteral("Mine"));
}

// ---- Unsent changes when the window closes ----

struct QuestionCase {
    const char *name;
    void (*change)(KestrovanDefaultMessage &);  // null: nothing changed
    int answer;                                 // -1: none expected
    bool closesAtOnce;
    QStringList uploads;  // everything written after the load
    const char *held;     // the main window's message in the end
    int heldColor;
    bool unsent;          // ... marked there as not on the sign
};

// Positions of the answers of the closing question.
constexpr int Keep = 0, UploadIt = 1, CancelIt = 2;

class DefaultMessageUnsent : public DefaultMessageWindow, public ::testing::WithParamInterface<QuestionCase> {};

void typeAtTheEnd(KestrovanDefaultMessage &d)
{
    d.defaultMessage->moveCursor(QTextCursor::End);
    QTest::keyClicks(d.defaultMessage, QStringLiteral("!"));
}

TEST_P(DefaultMessageUnsent, AreKeptUploadedOrLeftAsTheOperatorSays)
{
    const QuestionCase &c = GetParam();
    signReports(QStringLiteral("RW2290"));
    main.SaveDefaultMsg(QStringLiteral("Before"), 0, 0, 0, 0, 0, 0);
    openWindow();
    port().feedNow("RW2290:65,66,67,49,50,48,0,0,Welcome\n");
    finishCountdown();
    port().writes.clear();
    if (c.change)
        c.change(*w);
    if (c.answer >= 0)
        h.services.nextAnswers.push_back(c.answer);

    w->Exit->click();
    ASSERT_EQ(h.services.questions.size(), c.answer >= 0 ? 1 : 0);
    if (c.answer >= 0) {
        EXPECT_EQ(h.services.questions[0].title, QStringLiteral("Setup Default Message"));
        EXPECT_EQ(h.services.questions[0].captions, QStringList({"Keep", "Upload to Sign", "Cancel"}));
    }
    EXPECT_EQ(w->isVisible(), !c.closesAtOnce);
    if (c.answer == UploadIt) {
        // Uploaded: the window closes once the upload is over.
        finishCountdown();
        EXPECT_TRUE(waitUntil([&] { return !w->isVisible(); }));
    }
    EXPECT_EQ(sentTexts(port()), c.uploads);
    EXPECT_EQ(main.signConfig().DefMsg, QString::fromLatin1(c.held));
    EXPECT_EQ(main.signConfig().DefColor, c.heldColor);
    EXPECT_EQ(main.defaultMsgUnsent(), c.unsent);
    EXPECT_EQ(main.SetupDefaultMsg->font().bold(), c.unsent);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, DefaultMessageUnsent,
    ::testing::Values(
        QuestionCase{"NothingChanged", nullptr, -1, true, {}, "Welcome", 2, false},
        QuestionCase{"TextChangedKeep", typeAtTheEnd, Keep, true, {}, "Welcome!", 2, true},
        QuestionCase{"TextChangedUpload", typeAtTheEnd, UploadIt, false, {"<DF f=1 c=2 s=1 a=1 sp=1 p=0>Welcome!"},
                     "Welcome!", 2, false},
        QuestionCase{"TextChangedCancel", typeAtTheEnd, CancelIt, false, {}, "Before", 0, false},
        QuestionCase{"ListChangedKeep", [](KestrovanDefaultMessage &d) { choose(d.ColorList, 4); }, Keep, true, {},
                     "Welcome", 4, true},
        QuestionCase{"ChangedBackAndKept",
                     [](KestrovanDefaultMessage &d) {
                         typeAtTheEnd(d);
                         QTest::keyClick(d.defaultMessage, Qt::Key_Backspace);
                     },
                     Keep, true, {}, "Welcome", 2, false},
        QuestionCase{"UploadedBeforeClosing",
                     [](KestrovanDefaultMessage &d) {
                         typeAtTheEnd(d);
                         d.Upload->click();
                         while (d.ComClose.isActive())
                             d.ComClose_Timer();
                     },
                     -1, true, {"<DF f=1 c=2 s=1 a=1 sp=1 p=0>Welcome!"}, "Welcome!", 2, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(DefaultMessageWindow, AMessagePreparedWithoutASignIsKeptShownAgainAndSaved)
{
    signReports(QStringLiteral("RW2290"));
    openWindow();
    finishCountdown();  // no sign answers
    QTest::keyClicks(w->defaultMessage, QStringLiteral("Sale today"));
    choose(w->ColorList, 3);
    h.services.nextAnswers.push_back(Keep);
    w->Exit->click();
    ASSERT_FALSE(w->isVisible());
    EXPECT_EQ(main.signConfig().DefMsg, QStringLiteral("Sale today"));
    EXPECT_EQ(main.signConfig().DefColor, 3);
    EXPECT_TRUE(main.SetupDefaultMsg->toolTip().startsWith(QStringLiteral("Message:Sale today, Font:-1, Color:3")));
    EXPECT_TRUE(main.SetupDefaultMsg->font().bold());
    EXPECT_FALSE(main.SetupDefaultMsg->accessibleDescription().isEmpty());
    EXPECT_TRUE(main.windowTitle().startsWith(u'*'));

    // Opened again, the window shows it instead of reading the sign over it; closing it
    // unchanged asks nothing and leaves it marked.
    openWindow();
    EXPECT_TRUE(port().writes.isEmpty());
    EXPECT_EQ(w->editorText(), QStringLiteral("Sale today"));
    EXPECT_EQ(w->ColorList->currentIndex(), 3);
    EXPECT_THAT(w->Ack->text().toStdString(), ::testing::HasSubstr("the sign does not hold it yet"));
    w->Exit->click();
    EXPECT_EQ(h.services.questions.size(), 1);
    EXPECT_TRUE(main.defaultMsgUnsent());

    // File > Save writes it.
    const QString file = dir.filePath(QStringLiteral("desk.led"));
    h.services.nextFileNames.push_back(file);
    main.signSaveAs->trigger();
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray content = saved.readAll();
    EXPECT_TRUE(content.contains("\r\nDefaultMsg:Sale today\r\n")) << content.toStdString();
    EXPECT_TRUE(content.contains("\r\nDefaultColor:3\r\n")) << content.toStdString();

    // Uploaded from the window, it is on the sign: the mark goes.
    openWindow();
    w->Upload->click();
    finishCountdown();
    w->Exit->click();
    EXPECT_EQ(sentTexts(port()), QStringList{QStringLiteral("<DF f=-1 c=3 s=-1 a=-1 sp=-1 p=-1>Sale today")});
    EXPECT_FALSE(main.defaultMsgUnsent());
    EXPECT_FALSE(main.SetupDefaultMsg->font().bold());
    EXPECT_TRUE(main.IsDefMsgEmpty());
}

// ---- Busy means busy ----

struct BusyCase {
    const char *name;
    void (*start)(KestrovanDefaultMessage &);
    bool timeShowing;
};

class DefaultMessageBusy : public DefaultMessageWindow, public ::testing::WithParamInterface<BusyCase> {
protected:
    bool allOff() const
    {
        return !w->Upload->isEnabled() && !w->Download->isEnabled() && !w->SetTime->isEnabled()
               && !w->TimeOnIdle->isEnabled();
    }
    // Every action once more, by its handler as well as by its button.
    void tryEverything()
    {
        for (QPushButton *button : {w->Upload, w->Download, w->SetTime, w->TimeOnIdle})
            button->click();
        w->Upload_Click();
        w->Download_Click();
        w->SetTime_Click();
        w->TimeOnIdle_Click();
    }
};

TEST_P(DefaultMessageBusy, NothingElseOpensWritesOrClosesThePortUntilTheCloseStep)
{
    signReports(QStringLiteral("KT420"));  // the model with every time control
    openWindowIdle();
    w->setEditorText(GetParam().timeShowing ? QString() : QStringLiteral("Open"));
    if (GetParam().timeShowing)
        w->TimeDisplayStatus->setText(QStringLiteral("is ON"));
    port().writes.clear();

    // Inside the sequence's pauses, too.
    bool offInPauses = true;
    bool openInPauses = true;
    qsizetype writesBefore = -1;
    QObject::connect(&w->SleepTimer, &QTimer::timeout, w.get(), [&] {
        offInPauses = offInPauses && allOff();
        writesBefore = port().writes.size();
        tryEverything();
        openInPauses = openInPauses && w->signPort().isOpen() && port().writes.size() == writesBefore;
    });
    GetParam().start(*w);
    untilCountdown();
    EXPECT_TRUE(offInPauses);
    EXPECT_TRUE(openInPauses);
    ASSERT_TRUE(w->ComClose.isActive());
    EXPECT_TRUE(allOff());
    EXPECT_TRUE(w->InsertTime->isEnabled());
    const QStringList written = sentTexts(port());
    tryEverything();
    EXPECT_EQ(sentTexts(port()), written);
    EXPECT_TRUE(w->signPort().isOpen());

    finishCountdown();
    EXPECT_TRUE(usable());
    EXPECT_TRUE(w->TimeOnIdle->isEnabled());
    EXPECT_FALSE(w->signPort().isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Actions, DefaultMessageBusy,
    ::testing::Values(BusyCase{"Upload", [](KestrovanDefaultMessage &d) { d.Upload->click(); }, false},
                      BusyCase{"UploadWhileTheTimeShows", [](KestrovanDefaultMessage &d) { d.Upload->click(); }, true},
                      BusyCase{"Download", [](KestrovanDefaultMessage &d) { d.Download->click(); }, false},
                      BusyCase{"SetTime", [](KestrovanDefaultMessage &d) { d.SetTime->click(); }, false},
                      BusyCase{"TimeOnIdle", [](KestrovanDefaultMessage &d) { d.TimeOnIdle->click(); }, false}),
    [](const auto &info) { return std::string(info.param.name); });

struct SequenceCloseCase {
    const char *name;
    QPushButton *KestrovanDefaultMessage::*button;
    QStringList writes;
};

class DefaultMessageClosingMidSequence : public DefaultMessageWindow,
                                         public ::testing::WithParamInterface<SequenceCloseCase> {};

TEST_P(DefaultMessageClosingMidSequence, LetsTheSequenceFinishFirst)
{
    showTimeOnIdle();
    atPauseTick(5, [this] { w->close(); });
    (w.get()->*GetParam().button)->click();
    finishCountdown();
    EXPECT_EQ(sentTexts(port()), GetParam().writes);
    EXPECT_TRUE(waitUntil([&] { return !w->isVisible(); }));
    EXPECT_FALSE(w->signPort().isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, DefaultMessageClosingMidSequence,
    ::testing::Values(SequenceCloseCase{"UploadWhileTheTimeShows", &KestrovanDefaultMessage::Upload,
                                        {"<del id=def>", "<TIME f=-1 c=-1 s=-1 a=-1 sp=-1 p=-1 fm=0>IDLE ON", "RESET"}},
                      // The switch is made; the read that would follow it is not.
                      SequenceCloseCase{"TimeOnIdle", &KestrovanDefaultMessage::TimeOnIdle, {"<TIME>IDLE OFF"}}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Characters the stored form uses as codes ----

class DefaultMessageStoredCodes : public DefaultMessageWindow, public ::testing::WithParamInterface<int> {};

TEST_P(DefaultMessageStoredCodes, AreRefusedByNameAndNeverHandedBack)
{
    const QChar code(GetParam());
    const bool refused = GetParam() >= 170 && GetParam() <= 178;
    signReports(QStringLiteral("RW2290"));
    main.SaveDefaultMsg(QStringLiteral("kept"), 0, 0, 0, 0, 0, 0);
    openWindowIdle();
    port().writes.clear();
    const QString text = QStringLiteral("Temp 20") + code + u'C';
    w->setEditorText(text);

    w->Upload->click();
    if (refused) {
        EXPECT_TRUE(port().writes.isEmpty());
        EXPECT_FALSE(w->signPort().isOpen());
        EXPECT_TRUE(w->Ack->text().contains(QStringLiteral("\"") + code + u'"')) << w->Ack->text().toStdString();
        EXPECT_TRUE(usable());
    } else {
        EXPECT_EQ(sentTexts(port()), QStringList{QStringLiteral("<DF f=-1 c=-1 s=-1 a=-1 sp=-1 p=-1>") + text});
        finishCountdown();
    }
    // Kept on closing after a change, it is refused by name the same way, and the window stays.
    typeAtTheEnd(*w);
    w->Ack->clear();
    h.services.nextAnswers.push_back(Keep);
    w->Exit->click();
    EXPECT_EQ(w->isVisible(), refused);
    EXPECT_EQ(w->Ack->text().contains(QStringLiteral("\"") + code + u'"'), refused) << w->Ack->text().toStdString();
    EXPECT_EQ(main.signConfig().DefMsg, refused ? QStringLiteral("kept") : text + u'!');
}

INSTANTIATE_TEST_SUITE_P(Bytes, DefaultMessageStoredCodes, ::testing::Range(169, 180),
                         [](const auto &info) { return "Byte" + std::to_string(info.param); });

} // namespace
