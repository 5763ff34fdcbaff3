#include "ui/common/elidinglabel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

namespace ui {

ElidingLabel::ElidingLabel(QWidget *parent, int widestCharacters)
    : QLabel(parent), m_widestCharacters(widestCharacters)
{
    setTextFormat(Qt::PlainText);
}

QSize ElidingLabel::sizeHint() const
{
    const QSize whole = QLabel::sizeHint();
    const int widest = fontMetrics().averageCharWidth() * m_widestCharacters + 2 * margin();
    return {std::min(whole.width(), widest), whole.height()};
}

QSize ElidingLabel::minimumSizeHint() const
{
    return {fontMetrics().horizontalAdvance(QStringLiteral("…")) * 2, QLabel::minimumSizeHint().height()};
}

bool ElidingLabel::isElided() const
{
    return fontMetrics().horizontalAdvance(text()) > contentsRect().width();
}

void ElidingLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect area = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
    style()->drawItemText(&painter, area, int(alignment()), palette(), isEnabled(), shown, foregroundRole());
}

bool ElidingLabel::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && isElided()) {
        const QString own = toolTip();
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(),
                           own.isEmpty() ? text() : text() + u'\n' + own, this);
        return true;
    }
    return QLabel::event(event);
}

} // namespace ui
