// The default-message, test-message and Ports windows show every text whole, at the default font
// and at 14 pt, for every kind of sign, and their minimum size fits a small screen. The same tests
// run once more at twice the scale (QT_SCALE_FACTOR=2, a test entry of its own).
#include "layoutcheck.h"
#include "mainwindowfixture.h"

#include "fakeadapters.h"
#include "fakeuiservices.h"

#include "link/mappedsignport.h"
#include "ui/defaultmsg/kestrovandefaultmessage.h"
#include "ui/ports/portsdialog.h"
#include "ui/testmsg/ledtestmessage.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <ostream>

namespace {

using testsupport::MainWindowHarness;

struct LayoutCase {
    const char *name;
    const char *model;  // what the sign reported; empty: no sign read yet
    int pointSize;      // 0: the desktop's font
};

void PrintTo(const LayoutCase &c, std::ostream *out)
{
    *out << c.name;
}

class SecondaryLayout : public ::testing::TestWithParam<LayoutCase> {
protected:
    void SetUp() override
    {
        m_font = QApplication::font();
        if (GetParam().pointSize > 0) {
            QFont larger = m_font;
            larger.setPointSize(GetParam().pointSize);
            QApplication::setFont(larger);
        }
        const QString model = QString::fromLatin1(GetParam().model);
        if (!model.isEmpty())
            h.window->applyConfigDump(model + QStringLiteral(",41:"));
    }
    void TearDown() override { QApplication::setFont(m_font); }

    // Laid out at its own size (or its smallest, for a window that may be wider than adjustSize()
    // allows on the test platform's small screen); at the desktop's font it must also fit the
    // small screen.
    enum class Sizing { Own, Smallest };
    void expectWhole(QWidget &window, Sizing sizing = Sizing::Own)
    {
        if (sizing == Sizing::Smallest)
            window.resize(window.minimumSizeHint());
        else
            window.adjustSize();
        QCoreApplication::processEvents();
        EXPECT_EQ(layoutcheck::clippedTexts(window), QStringList());
        if (GetParam().pointSize == 0) {
            const QSize minimum = window.minimumSizeHint();
            const QSize room = layoutcheck::smallScreen();
            EXPECT_TRUE(layoutcheck::fitsScreen(window, room))
                << minimum.width() << "x" << minimum.height() << " in " << room.width() << "x" << room.height();
        }
    }

    MainWindowHarness h;

private:
    QFont m_font;
};

TEST_P(SecondaryLayout, DefaultMessageWindowShowsItsTextsWhole)
{
    ui::KestrovanDefaultMessage window(*h.window);
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.isLoaded(); }));
    // The read of the loading is over: the buttons have their captions and `Ack` its longest text.
    while (window.SleepTimer.isActive() || window.ComClose.isActive()) {
        if (window.ComClose.isActive())
            window.ComClose_Timer();
        else
            QTest::qWait(5);
    }
    ASSERT_FALSE(window.Ack->text().isEmpty());
    expectWhole(window);
}

TEST_P(SecondaryLayout, TestMessageWindowShowsItsTextsWhole)
{
    ui::LEDTestMessage window(*h.window);
    window.show();
    expectWhole(window);
}

TEST_P(SecondaryLayout, PortsDialogShowsItsTextsWhole)
{
    // Every COM number unplugged, so that Find Sign ends at once with its longest sentence.
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/ports");
    ASSERT_TRUE(QDir().mkpath(folder));
    for (int com = 1; com <= 12; ++com)
        ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("gone")), folder + QStringLiteral("/COM%1").arg(com)));
    const signlink::SerialAdapter adapter = testsupport::ftdiAdapter(QStringLiteral("/dev/ttyUSB0"));
    testsupport::FakeUiServices services;
    const signlink::PortMap map(folder);
    ui::PortsDialog window({map, {[adapter] { return QList<signlink::SerialAdapter>{adapter}; }, {}},
                            [map] { return std::make_unique<signlink::MappedSignPort>(map); }, services, 5});
    window.show();
    QPushButton *find = window.findChild<QPushButton *>(QStringLiteral("FindSign"));
    ASSERT_NE(find, nullptr);
    find->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return find->isEnabled(); }));
    expectWhole(window, Sizing::Smallest);
}

INSTANTIATE_TEST_SUITE_P(
    Signs, SecondaryLayout,
    ::testing::Values(LayoutCase{"NoSignYet", "", 0}, LayoutCase{"RW2290", "RW2290", 0},
                      LayoutCase{"KT420", "KT420", 0}, LayoutCase{"PN360", "PN360", 0}, LayoutCase{"QB7", "QB7", 0},
                      LayoutCase{"NoSignYetAt14pt", "", 14}, LayoutCase{"RW2290At14pt", "RW2290", 14},
                      LayoutCase{"KT420At14pt", "KT420", 14}, LayoutCase{"QB7At14pt", "QB7", 14}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
