// The secondary windows by keyboard alone: Tab walks every enabled control once and comes back
// to where it began, Shift+Tab walks the same way back, and no control keeps the focus (the
// editors pass Tab on instead of typing it).
#include "mainwindowfixture.h"

#include "ui/defaultmsg/kestrovandefaultmessage.h"
#include "ui/testmsg/ledtestmessage.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>

#include <algorithm>
#include <memory>

namespace {

using testsupport::MainWindowHarness;

// The controls Tab should reach: shown, enabled, taking focus by Tab.
QList<QWidget *> tabStops(const QWidget &window)
{
    QList<QWidget *> stops;
    for (QWidget *w : window.findChildren<QWidget *>()) {
        if (w->isVisibleTo(&window) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy())
            stops << w;
    }
    return stops;
}

QStringList names(const QList<QWidget *> &widgets)
{
    QStringList list;
    for (const QWidget *w : widgets)
        list << (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName());
    return list;
}

// Presses `key` until the focus is back on `start` (or a bound is reached); the widgets that had
// the focus on the way, `start` first.
QList<QWidget *> walk(QWidget *start, Qt::Key key, int bound)
{
    QList<QWidget *> visited;
    QWidget *now = start;
    do {
        visited << now;
        QTest::keyClick(now, key);
        now = QApplication::focusWidget();
    } while (now && now != start && visited.size() < bound);
    if (now != start)
        visited << nullptr;  // never came back
    return visited;
}

void expectNoTrap(QWidget &window, QWidget *start)
{
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    start->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), start);

    const QList<QWidget *> stops = tabStops(window);
    const QList<QWidget *> forward = walk(start, Qt::Key_Tab, int(stops.size()) + 5);
    ASSERT_FALSE(forward.contains(nullptr)) << names(forward).join(u' ').toStdString();
    QStringList seen = names(forward), expected = names(stops);
    std::sort(seen.begin(), seen.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(seen, expected);  // each once, none left out

    QList<QWidget *> backward = walk(start, Qt::Key_Backtab, int(stops.size()) + 5);
    ASSERT_FALSE(backward.contains(nullptr)) << names(backward).join(u' ').toStdString();
    std::reverse(backward.begin() + 1, backward.end());
    EXPECT_EQ(names(backward), names(forward));
}

TEST(SecondaryKeyboard, TestMessageWindowHasNoKeyboardTrap)
{
    MainWindowHarness h;
    ui::LEDTestMessage window(*h.window);
    window.show();
    QTest::keyClicks(window.ColorTextBox, QStringLiteral("Hi"));
    expectNoTrap(window, window.ColorTextBox);
    // Tab moved on rather than going into the message.
    EXPECT_EQ(window.ColorTextBox->toPlainText(), QStringLiteral("Hi"));
    EXPECT_EQ(window.defaultMessage->toPlainText(), QString());
}

TEST(SecondaryKeyboard, DefaultMessageWindowHasNoKeyboardTrap)
{
    MainWindowHarness h;
    h.window->applyConfigDump(QStringLiteral("KT420,41:"));  // every time control shown
    ui::KestrovanDefaultMessage window(*h.window);
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.isLoaded(); }));
    while (window.ComClose.isActive())
        window.ComClose_Timer();
    expectNoTrap(window, window.defaultMessage);
    EXPECT_EQ(window.editorText(), QString());
}

} // namespace
