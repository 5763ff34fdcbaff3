#include "ui/common/scrollarea.h"

#include <QAccessibleWidget>

namespace ui {

namespace {

// Asked by Qt for each class of an object, most derived first, before its own interfaces: so it
// is this one that answers for a ScrollArea, not the one for QScrollArea.
QAccessibleInterface *steadyInterface(const QString &className, QObject *object)
{
    if (className != QLatin1StringView(ScrollArea::staticMetaObject.className()))
        return nullptr;
    auto *area = qobject_cast<ScrollArea *>(object);
    return area ? new QAccessibleWidget(area, QAccessible::Client) : nullptr;
}

} // namespace

ScrollArea::ScrollArea(QWidget *parent) : QScrollArea(parent)
{
    // Qt keeps one list of these for the process and adds a function once however often it
    // is installed.
    QAccessible::installFactory(steadyInterface);
}

} // namespace ui
