#pragma once

#include "link/portentry.h"
#include "link/portmap.h"

#include <QString>

#include <optional>

namespace signlink {

// Changes to the port map folder, as the Ports dialog makes them. Each one replaces the entry
// COMn in a single step: the new entry is made beside it under another name and renamed over
// it, so that a port opened meanwhile finds the old entry or the new one, never a half-written
// file or none at all. Each returns nothing on success, else a sentence naming the COM number
// and the entry.

// COMn becomes a symbolic link to `device` (a /dev/serial/by-id/ name or a device node).
[[nodiscard]] std::optional<QString> linkEntry(const PortMap &map, int comNumber, const QString &device);

// COMn becomes a regular file holding the address as one line.
[[nodiscard]] std::optional<QString> writeAddressEntry(const PortMap &map, int comNumber,
                                                       const NetworkAddress &address);

// COMn goes, so that the default table holds again. Without an entry there is nothing to do.
[[nodiscard]] std::optional<QString> resetEntry(const PortMap &map, int comNumber);

} // namespace signlink
