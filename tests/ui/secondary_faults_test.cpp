// A sign that misbehaves on the line while one of the secondary windows listens: an endless
// line, a line feed every byte, CR LF line ends, bytes 128 to 255. The window keeps going, holds
// no more than a line's worth, and reads the next proper answer.
#include "mainwindowfixture.h"

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

class TestMessageWindowBabble : public ::testing::TestWithParam<Babble> {};

TEST_P(TestMessageWindowBabble, KeepsGoingAndReadsTheNextAnswer)
{
    MainWindowHarness h;
    ui::LEDTestMessage window(*h.window);
    FakeSignPort &port = *h.ports.back();
    window.Download->click();
    ASSERT_TRUE(port.isOpen());
    port.feedNow(GetParam().bytes);
    // An endless line would end at the next line feed; this one is dropped with it.
    port.feedNow("\ndone\n");
    EXPECT_EQ(window.Ack->text(), QStringLiteral("Upload Successfull"));
    for (QComboBox *list : window.findChildren<QComboBox *>())
        EXPECT_LT(list->currentIndex(), list->count()) << list->objectName().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Sign, TestMessageWindowBabble, ::testing::ValuesIn(Babbles),
                         [](const auto &info) { return std::string(info.param.name); });

class DefaultMessageWindowBabble : public ::testing::TestWithParam<Babble> {};

TEST_P(DefaultMessageWindowBabble, KeepsGoingAndReadsTheNextAnswer)
{
    MainWindowHarness h;
    ui::KestrovanDefaultMessage window(*h.window);
    FakeSignPort &port = *h.ports.back();
    window.Form_Load();  // reads the message from the sign: the port stays open for its answer
    ASSERT_TRUE(port.isOpen());
    port.feedNow(GetParam().bytes);
    port.feedNow("\ndone\n");
    EXPECT_EQ(window.Ack->text(), QStringLiteral("Upload Successfull"));
    for (QComboBox *list : window.findChildren<QComboBox *>())
        EXPECT_LT(list->currentIndex(), list->count()) << list->objectName().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Sign, DefaultMessageWindowBabble, ::testing::ValuesIn(Babbles),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
