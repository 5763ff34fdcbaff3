#pragma once

#include "link/portinventory.h"

#include <QString>

namespace ui {

// How the port windows name an adapter and a COM number, in one place so that the Ports dialog
// and the main window's Comport list say the same.

// "FT232R USB UART (FTDI, 0403:6001, serial A1234567)"; empty when nothing is known.
QString adapterText(const QString &description, const QString &manufacturer, const QString &vendorProduct,
                    const QString &serialNumber);

// An adapter as the Ports dialog offers it: "/dev/ttyUSB0: FT232R USB UART (FTDI, 0403:6001, ...)".
QString adapterChoiceText(const signlink::SerialAdapter &adapter);

// What COM n opens, as a tool tip: its device and adapter, "not present" when the device is
// missing, the address of a network entry (and a line saying so when its traffic is not
// encrypted), or why its entry is unusable.
QString portToolTip(const signlink::ComPortInfo &port);

} // namespace ui
