// A sign that misbehaves on the line while one of the secondary windows listens: an endless
// line, a line feed every byte, CR LF line ends, bytes 128 to 255. The window keeps going, holds
// no more than a line's worth, and reads the next proper answer.
#include "mainwindowfixture.h"

#include "ui/common/listbox.h"
#include "ui/defaultmsg/kestrovandefaultmessage.h"
#include "ui/testmsg/ledtestmessage.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

using testsupport::FakeSignPort;
using testsupport::MainWindowHarness;

struct Babble {
    const char *name;
    QByteArray bytes;
};

QByteArray highBytes()
{
    QByteArray bytes;
    for (int b = 128; b <= 255; ++b)
        bytes.append(char(b));
    return bytes + ":" + bytes + ",\xaa,\xff,\x80\n";
}

const Babble Babbles[] = {
    {"EndlessLine", QByteArray(1024 * 1024, 'x')},
    {"LineFeedEveryByte", QByteArray(20000, '\n')},
    {"HighBytes", highBytes()},
    {"CrLfAnswers", "error\r\nTIME:IDLE:1\r\n"},
};

// Opens the window's port the way it would be while waiting for an answer: the test-message
// window's Download from Pager, the default-message window's load (it reads the sign's message).
template <typename Window>
void listen(Window &window);
template <>
void listen(ui::LEDTestMessage &window)
{
    window.Download->click();
}
template <>
void listen(ui::KestrovanDefaultMessage &window)
{
    window.Form_Load();
}

template <typename Window>
void keepsGoingAndReadsTheNextAnswer(const Babble &babble)
{
    MainWindowHarness h;
    Window window(*h.window);
    FakeSignPort &port = *h.ports.back();
    listen(window);
    ASSERT_TRUE(port.isOpen());
    port.feedNow(babble.bytes);
    // An endless line would end at the next line feed; this one is dropped with it.
    port.feedNow("\ndone\n");
    EXPECT_EQ(window.Ack->text(), QStringLiteral("Upload Successfull"));
    for (QComboBox *list : window.template findChildren<QComboBox *>())
        EXPECT_LT(list->currentIndex(), list->count()) << list->objectName().toStdString();
    for (ui::ListBox *list : window.template findChildren<ui::ListBox *>())
        EXPECT_LT(list->currentIndex(), list->count()) << list->objectName().toStdString();
}

class SecondaryWindowBabble : public ::testing::TestWithParam<Babble> {};

TEST_P(SecondaryWindowBabble, TestMessageWindowKeepsGoing)
{
    keepsGoingAndReadsTheNextAnswer<ui::LEDTestMessage>(GetParam());
}

TEST_P(SecondaryWindowBabble, DefaultMessageWindowKeepsGoing)
{
    keepsGoingAndReadsTheNextAnswer<ui::KestrovanDefaultMessage>(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Sign, SecondaryWindowBabble, ::testing::ValuesIn(Babbles),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
