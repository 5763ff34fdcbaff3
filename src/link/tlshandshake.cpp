#include "link/tlshandshake.h"

#include <QCryptographicHash>
#include <QScopeGuard>
#include <QSslCertificate>
#include <QSslError>
#include <QSslSocket>

#include <algorithm>
#include <optional>

namespace signlink {

namespace {

// How often the wait after a TLS 1.3 handshake looks whether the server has spoken: a session
// ticket alone never makes the socket ready to read.
constexpr int SettleStepMs = 1;

QByteArray sha256(const QSslCertificate &certificate)
{
    return certificate.isNull() ? QByteArray() : certificate.digest(QCryptographicHash::Sha256);
}

// A text the server chose, made fit to quote: one short line of printable characters.
QString shown(const QString &text)
{
    constexpr qsizetype Longest = 60;
    QString out;
    for (QChar c : text.left(Longest))
        out += c.isPrint() ? c : QChar(u'?');
    return text.size() > Longest ? out + QStringLiteral("...") : out;
}

QString namesOf(const QSslCertificate &certificate)
{
    QStringList names;
    const auto alternatives = certificate.subjectAlternativeNames();
    for (auto it = alternatives.begin(); it != alternatives.end() && names.size() < 4; ++it)
        names << u'"' + shown(it.value()) + u'"';
    if (names.isEmpty()) {
        for (const QString &name : certificate.subjectInfo(QSslCertificate::CommonName))
            names << u'"' + shown(name) + u'"';
    }
    return names.isEmpty() ? QStringLiteral("no name") : names.join(QStringLiteral(", "));
}

QString dayOf(const QDateTime &time)
{
    return time.toUTC().toString(QStringLiteral("yyyy-MM-dd"));
}

// Why the server's certificate was not accepted, in words, each reason once.
QString certificateReasons(const QList<QSslError> &errors, const NetworkAddress &address,
                           const QSslCertificate &certificate, bool pinDiffers)
{
    const TlsOptions &options = *address.tls;
    QStringList reasons;
    if (pinDiffers)
        reasons << QStringLiteral("its certificate is not the one pinned (%1)").arg(fingerprintText(options.fingerprint));
    // A pin without a CA file replaces the chain: then nothing else is held against the server.
    const bool chainCounts = options.fingerprint.isEmpty() || !options.caFile.isEmpty();
    for (const QSslError &error : errors) {
        if (!chainCounts)
            break;
        QString reason;
        switch (error.error()) {
        case QSslError::SelfSignedCertificate:
        case QSslError::SelfSignedCertificateInChain:
        case QSslError::UnableToGetIssuerCertificate:
        case QSslError::UnableToGetLocalIssuerCertificate:
        case QSslError::UnableToVerifyFirstCertificate:
        case QSslError::CertificateUntrusted:
        case QSslError::CertificateRejected:
        case QSslError::InvalidCaCertificate:
            reason = options.caFile.isEmpty()
                         ? QStringLiteral("its certificate is not trusted (no authority this computer trusts has signed it)")
                         : QStringLiteral("its certificate is not trusted (the authority in %1 has not signed it)")
                               .arg(options.caFile);
            break;
        case QSslError::HostNameMismatch:
            reason = QStringLiteral("its certificate is made out to %1, not to \"%2\"").arg(namesOf(certificate), address.host);
            break;
        case QSslError::CertificateExpired:
            reason = QStringLiteral("its certificate expired on %1").arg(dayOf(certificate.expiryDate()));
            break;
        case QSslError::CertificateNotYetValid:
            reason = QStringLiteral("its certificate is not valid before %1").arg(dayOf(certificate.effectiveDate()));
            break;
        default:
            reason = QStringLiteral("its certificate: %1").arg(shown(error.errorString()));
            break;
        }
        if (!reasons.contains(reason))
            reasons << reason;
    }
    return reasons.join(QStringLiteral("; "));
}

QString certificateFailure(const QString &reasons, const QByteArray &fingerprint)
{
    const QString pin = fingerprintText(fingerprint);
    return QStringLiteral("did not prove that it is the server meant: %1. Nothing was sent. The server's certificate "
                          "has the fingerprint %2; compare it with the one on the device's label, and if they are "
                          "the same, pin it: ?fingerprint=%2 in the entry (Tools > Ports... offers \"Trust this "
                          "certificate\").")
        .arg(reasons, pin);
}

bool isClientCertificateAlert(QSsl::AlertType type)
{
    switch (type) {
    case QSsl::AlertType::BadCertificate:
    case QSsl::AlertType::UnsupportedCertificate:
    case QSsl::AlertType::CertificateRevoked:
    case QSsl::AlertType::CertificateExpired:
    case QSsl::AlertType::CertificateUnknown:
    case QSsl::AlertType::UnknownCa:
    case QSsl::AlertType::AccessDenied:
    case QSsl::AlertType::DecryptError:
    case QSsl::AlertType::CertificateRequired:
        return true;
    default:
        return false;
    }
}

// The server broke the connection off with an alert: what it said, in words.
QString alertFailure(QSsl::AlertType type, const QString &description, const TlsOptions &options)
{
    const QString said = shown(description);
    if (options.certFile.isEmpty() && (type == QSsl::AlertType::CertificateRequired || isClientCertificateAlert(type)))
        return QStringLiteral("asks for a client certificate (it said \"%1\"); name one in the entry with ?cert= and "
                              "&key=. Nothing was sent.").arg(said);
    if (!options.certFile.isEmpty() && isClientCertificateAlert(type))
        return QStringLiteral("did not accept the client certificate %1 (it said \"%2\"). Nothing was sent.")
            .arg(options.certFile, said);
    if (type == QSsl::AlertType::HandshakeFailure && options.certFile.isEmpty())
        return QStringLiteral("broke the TLS handshake off (it said \"%1\"); it may want a client certificate "
                              "(?cert= and &key=). Nothing was sent.").arg(said);
    return QStringLiteral("broke the TLS handshake off (it said \"%1\"). Nothing was sent.").arg(said);
}

} // namespace

TlsResult startTls(QSslSocket &socket, const NetworkAddress &address, const QSslConfiguration &configuration,
                   const QDeadlineTimer &deadline)
{
    const TlsOptions &options = *address.tls;
    const bool pinReplacesChain = !options.fingerprint.isEmpty() && options.caFile.isEmpty();
    socket.setSslConfiguration(configuration);
    socket.setPeerVerifyName(address.host);

    QList<QSslError> errors;
    QSslCertificate presented;
    bool alerted = false;
    QSsl::AlertType alertType = QSsl::AlertType::UnknownAlertMessage;
    QString alertText;
    bool heard = false;
    std::optional<QAbstractSocket::SocketError> failed;
    const QMetaObject::Connection connections[] = {
        QObject::connect(&socket, &QSslSocket::errorOccurred, &socket, [&](QAbstractSocket::SocketError error) {
            if (!failed)
                failed = error;
        }),
        QObject::connect(&socket, &QSslSocket::sslErrors, &socket,
                         [&](const QList<QSslError> &list) {
                             errors = list;
                             presented = socket.peerCertificate();
                             // The pinned certificate stands instead of the chain; any other fails.
                             if (pinReplacesChain && sha256(presented) == options.fingerprint)
                                 socket.ignoreSslErrors();
                         }),
        QObject::connect(&socket, &QSslSocket::alertReceived, &socket,
                         [&](QSsl::AlertLevel level, QSsl::AlertType type, const QString &description) {
                             if (level != QSsl::AlertLevel::Fatal || alerted)
                                 return;
                             alerted = true;
                             alertType = type;
                             alertText = description;
                         }),
        QObject::connect(&socket, &QSslSocket::newSessionTicketReceived, &socket, [&] { heard = true; }),
    };
    const auto disconnectAll = qScopeGuard([&] {
        for (const QMetaObject::Connection &connection : connections)
            QObject::disconnect(connection);
    });
    const auto left = [&deadline] { return int(std::max<qint64>(0, deadline.remainingTime())); };

    socket.startClientEncryption();
    // Settings the TLS library refused (a key that does not belong to the certificate) end the
    // attempt here; the socket would only wait out the deadline.
    const bool handshaken = failed != QAbstractSocket::SslInvalidUserDataError && socket.waitForEncrypted(left());
    bool encrypted = handshaken;
    if (handshaken && socket.sessionProtocol() == QSsl::TlsV1_3) {
        const QDeadlineTimer settle(std::min(TlsSettleMs, left()));
        while (!heard && !alerted && socket.bytesAvailable() == 0 && socket.state() == QAbstractSocket::ConnectedState
               && !settle.hasExpired())
            socket.waitForReadyRead(std::max(1, int(std::min<qint64>(SettleStepMs, settle.remainingTime()))));
        encrypted = !alerted && socket.state() == QAbstractSocket::ConnectedState;
    }

    TlsResult result;
    const QSslCertificate certificate = socket.peerCertificate().isNull() ? presented : socket.peerCertificate();
    result.serverFingerprint = sha256(certificate);
    const bool pinDiffers = !options.fingerprint.isEmpty() && !certificate.isNull()
                            && result.serverFingerprint != options.fingerprint;
    const QString reasons = certificate.isNull() ? QString() : certificateReasons(errors, address, certificate, pinDiffers);
    result.error = OpenError::Other;
    if (!reasons.isEmpty()) {
        result.error = OpenError::CertificateRejected;
        result.what = certificateFailure(reasons, result.serverFingerprint);
    } else if (encrypted) {
        result.error = OpenError::None;
    } else if (alerted) {
        result.what = alertFailure(alertType, alertText, options);
        // The server proved itself before it turned the client away: who it is helps to set
        // the client certificate up with the right device.
        if (!certificate.isNull())
            result.what += QStringLiteral(" The server's certificate has the fingerprint %1.")
                               .arg(fingerprintText(result.serverFingerprint));
    } else if (failed == QAbstractSocket::SslInvalidUserDataError && !options.certFile.isEmpty()) {
        result.what = QStringLiteral("cannot be offered the client certificate: the key %1 does not belong to the "
                                     "certificate %2. Nothing was sent.").arg(options.keyFile, options.certFile);
    } else if (handshaken && heard) {
        // A session ticket comes only once the server has taken the client.
        result.what = QStringLiteral("closed the connection right after the TLS handshake; check that the serial "
                                     "server behind it runs. Nothing was sent.");
    } else if (handshaken) {
        result.what = QStringLiteral("closed the connection right after the TLS handshake; it may want a client "
                                     "certificate (?cert= and &key=). Nothing was sent.");
    } else if (socket.state() == QAbstractSocket::ConnectedState && deadline.hasExpired()) {
        result.timedOut = true;
    } else if (socket.error() == QAbstractSocket::RemoteHostClosedError) {
        result.what = QStringLiteral("closed the connection during the TLS handshake; check that this port of the "
                                     "server speaks TLS.");
    } else {
        result.what = QStringLiteral("could not agree on TLS (%1); check that this port of the server speaks TLS.")
                          .arg(shown(socket.errorString()));
    }
    return result;
}

} // namespace signlink
