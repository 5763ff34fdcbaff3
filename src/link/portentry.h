#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace signlink {

// A sign behind a serial device server on the network: raw TCP passes the bytes unchanged,
// RFC 2217 wraps them in telnet and sets the server's serial line from here.
struct NetworkAddress {
    enum class Protocol { RawTcp, Rfc2217 };

    Protocol protocol = Protocol::RawTcp;
    QString host;  // a name, an IPv4 address, or an IPv6 address without its brackets
    quint16 port = 0;

    // As an operator writes it: tcp://sign:4001, rfc2217://[::1]:4001.
    QString text() const;
    bool operator==(const NetworkAddress &) const = default;
};

// Reads tcp://HOST:PORT or rfc2217://HOST:PORT (the scheme in any case). Without a value,
// `problem` says what is wrong in a few words, e.g. "the port must be 1 to 65535".
std::optional<NetworkAddress> parseNetworkAddress(QStringView text, QString *problem);

// What one COM number opens: a device (usually through a symbolic link in the port map folder),
// a network address read from a file there, or nothing because that file is unusable.
struct PortEntry {
    enum class Kind { Device, Network, Invalid };

    Kind kind = Kind::Device;
    QString device;          // Device: the path to open; empty when the COM number is outside 1..12
    NetworkAddress address;  // Network
    QString problem;         // Invalid: a sentence naming the COM number and what is wrong

    static PortEntry deviceAt(QString path) { return {Kind::Device, std::move(path), {}, {}}; }
    static PortEntry invalid(QString problem) { return {Kind::Invalid, {}, {}, std::move(problem)}; }
};

// The longest port map file read: an address is one short line.
inline constexpr qsizetype MaxAddressFileSize = 1024;

// Reads the contents of the port map file `path` for COM `comNumber`: one line holding an
// address, with blanks around it and one final line break allowed.
PortEntry parseAddressFile(int comNumber, const QString &path, const QByteArray &contents);

} // namespace signlink
