#pragma once

#include "link/tlsparameters.h"

#include <QSslConfiguration>
#include <QString>

#include <optional>

namespace signlink {

// The TLS settings of one connection made with `options`: the server must prove who it is
// (peer verification on, always), against the system's authorities or only those in the CA
// file; a client certificate and its key when given; no session carried over from an earlier
// connection, so that every opening checks the server afresh. The files are read each time,
// so a changed file counts from the next opening.
//
// Returns what is wrong instead, as a few words naming the file: "the CA file /x/ca.pem does not
// exist". Whether the key belongs to the certificate is found out when the connection starts.
std::optional<QString> makeTlsConfiguration(const TlsOptions &options, QSslConfiguration *configuration);

// Whether this computer can speak TLS at all, and if not, why, as a few words.
std::optional<QString> tlsUnavailable();

// The TLS library in use, as a support report names it: "OpenSSL 3.0.x ..." or why there is none.
QString tlsLibraryText();

} // namespace signlink
