#include "ui/common/listbox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>

namespace ui {

ListBox::ListBox(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The width reserves a scroll bar; showing it always keeps the entries where they were
    // measured, whichever model filled the list.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The size follows the entries, which change with the sign model.
    const auto contentsChanged = [this] { updateGeometry(); };
    connect(model(), &QAbstractItemModel::rowsInserted, this, contentsChanged);
    connect(model(), &QAbstractItemModel::rowsRemoved, this, contentsChanged);
    connect(model(), &QAbstractItemModel::modelReset, this, contentsChanged);
}

int ListBox::currentIndex() const
{
    const QList<QListWidgetItem *> chosen = selectedItems();
    return chosen.isEmpty() ? -1 : row(chosen.front());
}

void ListBox::setCurrentIndex(int row)
{
    if (row < 0 || row >= count()) {
        setCurrentRow(-1);
        clearSelection();
        return;
    }
    setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    scrollToItem(item(row));
}

QString ListBox::itemText(int row) const
{
    const QListWidgetItem *entry = item(row);
    return entry ? entry->text() : QString();
}

QString ListBox::currentText() const
{
    return itemText(currentIndex());
}

void ListBox::setSpokenName(const QString &name)
{
    setAccessibleName(name);
    setAccessibleDescription(name);
}

int ListBox::rowHeight() const
{
    if (count() > 0)
        return qMax(sizeHintForRow(0), fontMetrics().height());
    return fontMetrics().height() + 2;
}

QSize ListBox::sizeHint() const
{
    ensurePolished();
    const int frame = 2 * frameWidth();
    // An empty list still keeps room for a few characters.
    const int entries = count() > 0 ? sizeHintForColumn(0) : fontMetrics().averageCharWidth() * 6;
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, verticalScrollBar());
    return {frame + entries + scrollBar + 2 * spacing(), frame + VisibleRows * (rowHeight() + spacing())};
}

QSize ListBox::minimumSizeHint() const
{
    return sizeHint();
}

void ListBox::finishChoice(int before, bool chose)
{
    int after = currentIndex();
    if (after < 0 && before >= 0) {
        setCurrentIndex(before);
        after = before;
    }
    if (chose && after >= 0)
        emit activated(after);
}

void ListBox::mousePressEvent(QMouseEvent *event)
{
    m_rowAtPress = currentIndex();
    m_pressOnItem = itemAt(event->position().toPoint()) != nullptr;
    if (!m_pressOnItem) {
        // Below the last entry: the list takes the focus and the choice stays as it is.
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QListWidget::mousePressEvent(event);
}

void ListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    mousePressEvent(event);
}

void ListBox::mouseMoveEvent(QMouseEvent *event)
{
    // Dragging over the entries moves the choice, but only from a press on one of them.
    if (m_pressOnItem)
        QListWidget::mouseMoveEvent(event);
}

void ListBox::mouseReleaseEvent(QMouseEvent *event)
{
    const bool pressed = m_pressOnItem && event->button() == Qt::LeftButton;
    m_pressOnItem = false;
    QListWidget::mouseReleaseEvent(event);
    if (pressed)
        finishChoice(m_rowAtPress, true);
}

void ListBox::keyPressEvent(QKeyEvent *event)
{
    const int before = currentIndex();
    QListWidget::keyPressEvent(event);
    bool chose = currentIndex() != before;
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Select:
    case Qt::Key_Enter:
    case Qt::Key_Return:
        // The chosen row once more, as Enter in an open drop-down list would.
        chose = true;
        event->accept();
        break;
    default:
        break;
    }
    finishChoice(before, chose);
}

void ListBox::showEvent(QShowEvent *event)
{
    QListWidget::showEvent(event);
    // Chosen before the list had its size: bring it into view now.
    if (QListWidgetItem *chosen = item(currentIndex()))
        scrollToItem(chosen);
}

} // namespace ui
