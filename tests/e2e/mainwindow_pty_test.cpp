// The main window on a real pseudo-terminal, wired to COM 3 through the port map folder.
#include "fakeuiservices.h"
#include "ptypair.h"

#include "link/serialsignport.h"
#include "ui/main/kestrovanmain.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

namespace {

using testsupport::PtyPair;
using testsupport::waitUntil;

class MainWindowOnPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.isValid()) << "no pseudo-terminal: " << pty.error().toStdString();
        ASSERT_TRUE(config.isValid());
        const QString ports = config.path() + QStringLiteral("/signconfig/ports");
        ASSERT_TRUE(QDir().mkpath(ports));
        ASSERT_TRUE(QFile::link(pty.slavePath(), ports + QStringLiteral("/COM3")));
        ASSERT_TRUE(QFile::link(config.path() + QStringLiteral("/no-such-device"), ports + QStringLiteral("/COM4")));
        oldXdg = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        window = std::make_unique<ui::KestrovanMain>([] { return std::make_unique<signlink::SerialSignPort>(); },
                                                     services);
    }
    void TearDown() override
    {
        window.reset();
        qputenv("XDG_CONFIG_HOME", oldXdg);
    }

    PtyPair pty;
    QTemporaryDir config;
    QByteArray oldXdg;
    testsupport::FakeUiServices services;
    std::unique_ptr<ui::KestrovanMain> window;
};

TEST_F(MainWindowOnPty, CommandArrivesByteExactAndRepliesShowInOrderThenClear)
{
    ui::KestrovanMain &w = *window;
    w.ComportsList->setCurrentIndex(2);
    const signlink::OpenResult opened = w.openSignPort();
    ASSERT_TRUE(opened.ok()) << opened.description.toStdString();

    ASSERT_TRUE(w.writeCommand(QStringLiteral("<link id=5 cap=1234567 pr=2>")));
    QByteArray seen;
    ASSERT_TRUE(waitUntil([&] { seen += pty.readAvailable(); return seen.endsWith('\r'); }));
    EXPECT_EQ(seen, QByteArray("<link id=5 cap=1234567 pr=2>\r"));

    // One burst of several lines: each is interpreted in order, so the last one is what stays.
    ASSERT_TRUE(pty.write("linked 1\nAuto ID\nlinked 5\n"));
    QElapsedTimer sinceFirst;
    sinceFirst.start();
    ASSERT_TRUE(waitUntil([&] { return w.Textout->text() == QStringLiteral("Linked ID : 5"); }));
    EXPECT_FALSE(w.Textout->isHidden());

    // A later answer replaces the text, but the label still clears 5 s after the first one.
    QTest::qWait(1500);
    EXPECT_FALSE(w.Textout->isHidden());
    ASSERT_TRUE(pty.write("User ID\n"));
    ASSERT_TRUE(waitUntil([&] { return w.Textout->text() == QStringLiteral("Switched to User ID"); }));
    ASSERT_TRUE(waitUntil([&] { return w.Textout->isHidden(); }, 8000));
    EXPECT_GE(sinceFirst.elapsed(), 4900);
    EXPECT_LT(sinceFirst.elapsed(), 6200);
    EXPECT_TRUE(w.Textout->text().isEmpty());

    w.closeSignPort();
    EXPECT_FALSE(w.signPort().isOpen());
}

TEST_F(MainWindowOnPty, MapEntryPointingAtAMissingDeviceIs8002)
{
    window->ComportsList->setCurrentIndex(3);
    const signlink::OpenResult result = window->openSignPort();
    EXPECT_EQ(result.code(), 8002);
    EXPECT_FALSE(window->signPort().isOpen());
    EXPECT_FALSE(window->openSignPortOrSay());
    ASSERT_EQ(services.messages.size(), 1);
    EXPECT_EQ(services.messages[0].text, QStringLiteral("Cannot Open Port:4\r\nPlease Change Comport"));
}

TEST_F(MainWindowOnPty, UnpluggedDeviceClosesThePortAndSaysSo)
{
    ui::KestrovanMain &w = *window;
    w.ComportsList->setCurrentIndex(2);
    ASSERT_TRUE(w.openSignPort().ok());
    pty.hangUp();
    ASSERT_TRUE(waitUntil([&] { return !w.signPort().isOpen(); }));
    EXPECT_TRUE(w.Textout->text().contains(QStringLiteral("connection to the sign was lost")));
}

} // namespace
