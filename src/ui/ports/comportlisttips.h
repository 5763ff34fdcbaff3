#pragma once

#include "link/portinventory.h"
#include "link/portmap.h"

#include <QObject>
#include <QTimer>

class QComboBox;

namespace ui {

// Keeps the main window's Comport list telling what each COM number opens: each item's tool tip
// names its device and adapter, items without a device are greyed with "not present" in the tool
// tip (and stay selectable), and the list's own tool tip is that of the item chosen. It looks
// again whenever the list is opened, so an adapter plugged in meanwhile shows. The captions stay
// "COM 1".."COM 12"; an item whose text says why its port failed to open keeps that text and
// the sentence in its tool tip.
class ComportListTips final : public QObject {
    Q_OBJECT
public:
    // Lives as long as `list`, as its child.
    ComportListTips(QComboBox *list, signlink::PortMap map, signlink::AdapterSources adapters);

    // Reads the port map and the adapters again and updates the items.
    void refresh();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showChosenTip();

    QComboBox *m_list;
    signlink::PortMap m_map;
    signlink::AdapterSources m_adapters;
    QTimer m_soon;  // items added one by one are looked at once, after the last
};

} // namespace ui
