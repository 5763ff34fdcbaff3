#include "ui/ports/porttexts.h"

#include <QCoreApplication>
#include <QStringList>

namespace ui {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("PortsDialog", text);
}

} // namespace

QString adapterText(const QString &description, const QString &manufacturer, const QString &vendorProduct,
                    const QString &serialNumber)
{
    QStringList details;
    if (!manufacturer.isEmpty())
        details << manufacturer;
    if (!vendorProduct.isEmpty())
        details << vendorProduct;
    if (!serialNumber.isEmpty())
        details << tr("serial %1").arg(serialNumber);
    const QString joined = details.join(QStringLiteral(", "));
    if (description.isEmpty())
        return joined;
    return joined.isEmpty() ? description : QStringLiteral("%1 (%2)").arg(description, joined);
}

QString adapterChoiceText(const signlink::SerialAdapter &adapter)
{
    const QString about =
        adapterText(adapter.description, adapter.manufacturer, adapter.vendorProductText(), adapter.serialNumber);
    return about.isEmpty() ? adapter.device : QStringLiteral("%1: %2").arg(adapter.device, about);
}

QString portToolTip(const signlink::ComPortInfo &port)
{
    const QString com = QStringLiteral("COM %1: ").arg(port.comNumber);
    switch (port.kind) {
    case signlink::PortEntry::Kind::Network: {
        if (!port.networkAddress)
            return com + tr("a serial device server on the network");
        const QString note = signlink::plainTextNote(*port.networkAddress);
        return com + tr("%1 (a serial device server on the network)").arg(port.networkAddress->text())
               + (note.isEmpty() ? QString() : u'\n' + note.left(1).toUpper() + note.mid(1) + u'.');
    }
    case signlink::PortEntry::Kind::Invalid:
        return port.problem;
    case signlink::PortEntry::Kind::Device:
        break;
    }
    if (!port.present)
        return com + tr("%1, not present").arg(port.devicePath);
    const QString about =
        adapterText(port.description, port.manufacturer, port.vendorProductText(), port.serialNumber);
    return com + (about.isEmpty() ? port.devicePath : QStringLiteral("%1, %2").arg(port.devicePath, about));
}

} // namespace ui
