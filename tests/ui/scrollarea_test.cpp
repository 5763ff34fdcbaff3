// The scroll area a screen reader walks: its children stay the same while its scroll bars come
// and go, and a child asked for by a number it does not have is nothing rather than a crash.
#include "ui/common/scrollarea.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QScrollBar>

namespace {

class ScrollAreaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto *content = new QWidget;
        content->setMinimumSize(400, 300);
        area.setWidget(content);
        area.setWidgetResizable(true);
        showAt(QSize(600, 500));
        iface = QAccessible::queryAccessibleInterface(&area);
        ASSERT_NE(iface, nullptr);
    }

    void showAt(const QSize &size)
    {
        area.resize(size);
        area.show();
        QApplication::processEvents();
    }

    ui::ScrollArea area;
    QAccessibleInterface *iface = nullptr;
};

TEST_F(ScrollAreaTest, KeepsItsChildrenWhileItsScrollBarsComeAndGo)
{
    ASSERT_FALSE(area.verticalScrollBar()->isVisible());
    const int counted = iface->childCount();
    EXPECT_EQ(iface->child(0)->object(), area.viewport()) << "the controls stay where a reader found them";

    showAt(QSize(200, 150));
    ASSERT_TRUE(area.verticalScrollBar()->isVisible());
    EXPECT_EQ(iface->childCount(), counted);

    // A reader that counted while the bars were there asks for the last of them afterwards.
    showAt(QSize(600, 500));
    ASSERT_FALSE(area.horizontalScrollBar()->isVisible());
    for (int i = 0; i < counted; ++i)
        ASSERT_NE(iface->child(i), nullptr) << i;
    EXPECT_EQ(iface->child(counted), nullptr);
    EXPECT_EQ(iface->child(-1), nullptr);
}

TEST_F(ScrollAreaTest, HiddenScrollBarsAreToldInvisible)
{
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface *child = iface->child(i);
        const auto *widget = qobject_cast<QWidget *>(child->object());
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(bool(child->state().invisible), !widget->isVisible()) << widget->objectName().toStdString();
    }
}

} // namespace
