// Where a window opens beside another: on the first side with room for it, level with the other
// window where the screen allows, smaller when no side holds it whole, and always on the screen.
#include "ui/common/placement.h"

#include "qtprinters.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QWidget>

namespace {

struct Placement {
    const char *name;
    QRect anchor;
    QSize wanted;
    QRect expected;
    QRect screen = QRect(0, 0, 1920, 1080);
    QSize smallest = QSize(300, 200);
};

class BesideWindow : public ::testing::TestWithParam<Placement> {};

TEST_P(BesideWindow, Places)
{
    const Placement &p = GetParam();
    const QRect placed = ui::besideWindow(p.anchor, p.wanted, p.smallest, p.screen, 8);
    EXPECT_EQ(placed, p.expected);
    EXPECT_TRUE(p.screen.contains(placed)) << "off the screen";
}

INSTANTIATE_TEST_SUITE_P(
    Sides, BesideWindow,
    ::testing::Values(
        Placement{"Right", QRect(100, 50, 900, 600), QSize(800, 500), QRect(1008, 50, 800, 500)},
        Placement{"RightLevelAsFarAsTheScreenAllows", QRect(100, 700, 900, 300), QSize(800, 500),
                  QRect(1008, 580, 800, 500)},
        Placement{"LeftWhenTheRightIsFull", QRect(1000, 100, 900, 600), QSize(800, 500), QRect(192, 100, 800, 500)},
        Placement{"BelowWhenNeitherSideHasRoom", QRect(0, 0, 1000, 500), QSize(800, 400), QRect(0, 508, 800, 400),
                  QRect(0, 0, 1280, 1024)},
        Placement{"AboveWhenNothingElseHasRoom", QRect(0, 600, 1000, 424), QSize(800, 400), QRect(0, 192, 800, 400),
                  QRect(0, 0, 1280, 1024)},
        Placement{"SmallerOnTheRoomiestSide", QRect(0, 0, 900, 600), QSize(840, 500), QRect(0, 608, 840, 416),
                  QRect(0, 0, 1280, 1024)},
        Placement{"OverTheAnchorWhenNoSideHoldsEvenTheSmallest", QRect(0, 0, 800, 600), QSize(840, 500),
                  QRect(0, 0, 800, 500), QRect(0, 0, 800, 600)},
        Placement{"OnTheScreenBesideAnAnchorOffIt", QRect(-1000, 0, 900, 600), QSize(800, 500),
                  QRect(0, 0, 800, 500)},
        Placement{"OnASecondScreenToTheRight", QRect(1920, 0, 900, 600), QSize(800, 500), QRect(2828, 0, 800, 500),
                  QRect(1920, 0, 2560, 1440)}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PlaceBeside, MovesAWindowNotYetShownBesideAShownOne)
{
    QWidget anchor;
    anchor.setGeometry(20, 30, 200, 150);
    anchor.show();
    QWidget window;
    window.resize(300, 200);
    ui::placeBeside(window, anchor);
    const QRect available = anchor.screen()->availableGeometry();
    ASSERT_GE(available.width(), 20 + 200 + 8 + 300) << "the test screen is too small";
    // Level with the anchor's frame, a gap to its right; the window keeps its size.
    EXPECT_EQ(window.frameGeometry().topLeft(), anchor.frameGeometry().topRight() + QPoint(1 + 8, 0));
    EXPECT_EQ(window.size(), QSize(300, 200));
}

} // namespace
