#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace signlink {

// How a connection inside TLS makes sure it talks to the right server, as the parameters after
// "?" of a tls:// or rfc2217+tls:// address give it. Without any, the server's certificate must
// chain to an authority the system trusts and be made out to the host.
struct TlsOptions {
    QString caFile;          // ca=: trust the authorities in this PEM file instead of the system's
    QByteArray fingerprint;  // fingerprint=SHA256:...: the SHA-256 of the one certificate to accept
    QString certFile;        // cert= and key=: a client certificate and its key, both PEM
    QString keyFile;

    bool operator==(const TlsOptions &) const = default;
};

// Reads "ca=/etc/ca.pem&fingerprint=SHA256:AB:...", the text after "?". Values may be
// percent-encoded; paths must be absolute. Without a value, `problem` says what is wrong.
std::optional<TlsOptions> parseTlsParameters(QStringView query, QString *problem);

// The parameters as text() writes them: "?" and each one given, in a fixed order, with the
// characters that would end a value percent-encoded; empty when none is given.
QString tlsParametersText(const TlsOptions &options);

// "SHA256:AB:CD:..." (or the 64 digits without colons, in any case) as the 32 bytes it stands for.
std::optional<QByteArray> parseFingerprint(QStringView text);
// The 32 bytes as "SHA256:AB:CD:...", the one spelling the tool writes.
QString fingerprintText(const QByteArray &sha256);

} // namespace signlink
