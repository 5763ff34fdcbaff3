#include "ui/ports/comportlisttips.h"

#include "ui/ports/porttexts.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>

namespace ui {

ComportListTips::ComportListTips(QComboBox *list, signlink::PortMap map, signlink::AdapterSources adapters)
    : QObject(list), m_list(list), m_map(std::move(map)), m_adapters(std::move(adapters))
{
    m_soon.setSingleShot(true);
    m_soon.setInterval(0);
    connect(&m_soon, &QTimer::timeout, this, &ComportListTips::refresh);
    connect(m_list->model(), &QAbstractItemModel::rowsInserted, &m_soon, qOverload<>(&QTimer::start));
    // A failed opening rewrites an item's text and tool tip; the list's own tip follows it.
    connect(m_list->model(), &QAbstractItemModel::dataChanged, this, &ComportListTips::showChosenTip);
    connect(m_list, &QComboBox::currentIndexChanged, this, &ComportListTips::showChosenTip);
    // The drop-down is a window of its own; it is shown each time the list opens.
    m_list->view()->window()->installEventFilter(this);
    m_list->installEventFilter(this);
    if (m_list->count() > 0)
        m_soon.start();
}

bool ComportListTips::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_list && event->type() == QEvent::ToolTip)
        || (watched != m_list && event->type() == QEvent::Show))
        refresh();
    return QObject::eventFilter(watched, event);
}

void ComportListTips::refresh()
{
    m_soon.stop();
    const QList<signlink::ComPortInfo> ports = signlink::portInventory(m_map, signlink::presentAdapters(m_adapters));
    const QColor grey = m_list->palette().color(QPalette::Disabled, QPalette::Text);
    for (const signlink::ComPortInfo &port : ports) {
        const int row = port.comNumber - 1;
        if (row >= m_list->count())
            break;
        const bool missing = port.kind == signlink::PortEntry::Kind::Invalid
                             || (port.kind == signlink::PortEntry::Kind::Device && !port.present);
        m_list->setItemData(row, missing ? QVariant(grey) : QVariant(), Qt::ForegroundRole);
        if (m_list->itemText(row) != QStringLiteral("COM %1").arg(port.comNumber))
            continue;
        const QString tip = portToolTip(port);
        m_list->setItemData(row, tip, Qt::ToolTipRole);
        // Grey is not spoken; the description says it.
        m_list->setItemData(row, tip, Qt::AccessibleDescriptionRole);
    }
    showChosenTip();
}

void ComportListTips::showChosenTip()
{
    const int row = m_list->currentIndex();
    m_list->setToolTip(row < 0 ? QString() : m_list->itemData(row, Qt::ToolTipRole).toString());
}

} // namespace ui
