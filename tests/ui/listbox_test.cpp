// The list box of the secondary windows: one chosen row or none (-1), the operator's choices
// reported by activated() and the window's own never, no way for the operator to clear a
// choice, the chosen row in view, and room for its widest entry and five rows.
#include "ui/common/listbox.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <ostream>

namespace {

using ui::ListBox;

QStringList entries(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QStringLiteral("Entry %1").arg(i);
    return list;
}

class ListBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.addItems(entries(25));
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    }
    QPoint centreOf(int row) { return list.visualItemRect(list.item(row)).center(); }
    bool inView(int row)
    {
        return list.viewport()->rect().contains(list.visualItemRect(list.item(row)));
    }

    ListBox list;
    QSignalSpy chosen{&list, &ListBox::activated};
};

TEST_F(ListBoxTest, TheWindowsChoicesAreShownButNotReported)
{
    EXPECT_EQ(list.currentIndex(), -1);
    list.setCurrentIndex(20);
    EXPECT_EQ(list.currentIndex(), 20);
    EXPECT_EQ(list.currentText(), QStringLiteral("Entry 20"));
    EXPECT_TRUE(inView(20));
    list.setCurrentIndex(-1);
    EXPECT_EQ(list.currentIndex(), -1);
    EXPECT_TRUE(list.currentText().isEmpty());
    list.setCurrentIndex(25);  // outside the list: nothing chosen
    EXPECT_EQ(list.currentIndex(), -1);
    EXPECT_EQ(list.itemText(3), QStringLiteral("Entry 3"));
    EXPECT_TRUE(list.itemText(99).isEmpty());
    EXPECT_EQ(chosen.count(), 0);
}

TEST_F(ListBoxTest, FocusAloneChoosesNothing)
{
    // Tabbing into a list marks its first row as Qt's current one; that is no choice.
    list.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
    list.clearFocus();
    list.setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(list.hasFocus());
    EXPECT_EQ(list.currentRow(), 0);
    EXPECT_EQ(list.currentIndex(), -1);
    EXPECT_EQ(chosen.count(), 0);
}

struct InputCase {
    const char *name;
    int before;  // chosen before the input; -1 for none
    std::function<void(ListBox &, QPoint)> input;  // gets the centre of row 3
    int after;
    int reports;  // activated() raised
};

void PrintTo(const InputCase &c, std::ostream *out)
{
    *out << c.name;
}

class ListBoxInput : public ListBoxTest, public ::testing::WithParamInterface<InputCase> {};

TEST_P(ListBoxInput, ChoosesAsTheOperatorMeansAndReportsIt)
{
    list.setCurrentIndex(GetParam().before);
    list.setFocus();
    GetParam().input(list, centreOf(3));
    EXPECT_EQ(list.currentIndex(), GetParam().after);
    ASSERT_EQ(chosen.count(), GetParam().reports);
    for (const QList<QVariant> &report : chosen)
        EXPECT_EQ(report.at(0).toInt(), GetParam().after);
    if (GetParam().after >= 0) {
        EXPECT_TRUE(inView(GetParam().after));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ListBoxInput,
    ::testing::Values(
        InputCase{"Click", 0, [](ListBox &l, QPoint p) { QTest::mouseClick(l.viewport(), Qt::LeftButton, {}, p); }, 3, 1},
        InputCase{"ClickOnTheChosenRowAgain", 3,
                  [](ListBox &l, QPoint p) { QTest::mouseClick(l.viewport(), Qt::LeftButton, {}, p); }, 3, 1},
        InputCase{"CtrlClickDoesNotClear", 3,
                  [](ListBox &l, QPoint p) { QTest::mouseClick(l.viewport(), Qt::LeftButton, Qt::ControlModifier, p); },
                  3, 1},
        InputCase{"ClickBelowTheEntries", 2,
                  [](ListBox &l, QPoint) {
                      l.clear();
                      l.addItems(entries(3));
                      l.setCurrentIndex(2);
                      QTest::mouseClick(l.viewport(), Qt::LeftButton, {}, QPoint(5, l.viewport()->height() - 2));
                  },
                  2, 0},
        InputCase{"ArrowDown", 3, [](ListBox &l, QPoint) { QTest::keyClick(&l, Qt::Key_Down); }, 4, 1},
        InputCase{"ArrowDownWithNothingChosen", -1, [](ListBox &l, QPoint) { QTest::keyClick(&l, Qt::Key_Down); }, 0,
                  1},
        InputCase{"EndKey", 3, [](ListBox &l, QPoint) { QTest::keyClick(&l, Qt::Key_End); }, 24, 1},
        InputCase{"SpaceChoosesTheChosenAgain", 3, [](ListBox &l, QPoint) { QTest::keyClick(&l, Qt::Key_Space); }, 3,
                  1},
        InputCase{"CtrlSpaceDoesNotClear", 3,
                  [](ListBox &l, QPoint) { QTest::keyClick(&l, Qt::Key_Space, Qt::ControlModifier); }, 3, 1},
        InputCase{"EscapeChoosesNothing", 3, [](ListBox &l, QPoint) { QTest::keyClick(&l, Qt::Key_Escape); }, 3, 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ListBoxSize, ShowsTheWidestEntryAndFiveRowsWhateverItHolds)
{
    for (const QStringList &content : {entries(2), entries(25), QStringList{QStringLiteral("Seven Row Wide Shade Fancy")}}) {
        ListBox list;
        list.addItems(content);
        list.resize(list.minimumSizeHint());
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
        EXPECT_GE(list.viewport()->width(), list.sizeHintForColumn(0)) << content.front().toStdString();
        EXPECT_GE(list.viewport()->height(), ListBox::VisibleRows * list.sizeHintForRow(0))
            << content.front().toStdString();
    }
}

} // namespace
