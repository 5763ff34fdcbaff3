#pragma once

#include "link/portinventory.h"

namespace testsupport {

// A USB serial adapter as QSerialPortInfo describes a common one, on `device`.
inline signlink::SerialAdapter ftdiAdapter(const QString &device)
{
    signlink::SerialAdapter adapter;
    adapter.device = device;
    adapter.description = QStringLiteral("FT232R USB UART");
    adapter.manufacturer = QStringLiteral("FTDI");
    adapter.serialNumber = QStringLiteral("A1234567");
    adapter.vendorId = 0x0403;
    adapter.productId = 0x6001;
    return adapter;
}

} // namespace testsupport
