#pragma once

#include "link/tlsparameters.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace signlink {

// A sign behind a serial device server on the network: raw TCP passes the bytes unchanged,
// RFC 2217 wraps them in telnet and sets the server's serial line from here. Either may run
// inside TLS, which keeps others on the network from reading or sending the sign's traffic.
struct NetworkAddress {
    enum class Protocol { RawTcp, Rfc2217 };

    NetworkAddress() = default;
    NetworkAddress(Protocol protocol, QString host, quint16 port, std::optional<TlsOptions> tls = std::nullopt)
        : protocol(protocol), host(std::move(host)), port(port), tls(std::move(tls))
    {
    }

    Protocol protocol = Protocol::RawTcp;
    QString host;  // a name, an IPv4 address, or an IPv6 address without its brackets
    quint16 port = 0;
    std::optional<TlsOptions> tls;  // tls:// and rfc2217+tls://: inside TLS, checked so

    // As an operator writes it: tcp://sign:4001, rfc2217://[::1]:4001,
    // tls://sign:4443?fingerprint=SHA256:AB:...
    QString text() const;
    bool operator==(const NetworkAddress &) const = default;
};

// Reads tcp://HOST:PORT, rfc2217://HOST:PORT, tls://HOST:PORT and rfc2217+tls://HOST:PORT (the
// scheme in any case), the last two with optional parameters after "?" (see TlsOptions).
// Without a value, `problem` says what is wrong in a few words, e.g. "the port must be 1 to
// 65535". Files named in parameters are only read when the port opens.
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

// The longest port map file read: an address is one line, with room for the paths of its
// certificate files.
inline constexpr qsizetype MaxAddressFileSize = 4096;

// Reads the contents of the port map file `path` for COM `comNumber`: one line of UTF-8 holding
// an address, with blanks around it and one final line break allowed.
PortEntry parseAddressFile(int comNumber, const QString &path, const QByteArray &contents);

} // namespace signlink
