#include "link/tlscredentials.h"

#include <QFile>
#include <QFileInfo>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>

namespace signlink {

namespace {

// Certificates and keys are a few KB; a file far larger is not one.
constexpr qint64 MaxPemFileSize = 1024 * 1024;

std::optional<QByteArray> readFile(const QString &what, const QString &path, QString *problem)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        *problem = QStringLiteral("the %1 %2 does not exist").arg(what, path);
        return std::nullopt;
    }
    if (!info.isFile()) {
        *problem = QStringLiteral("the %1 %2 is not a file").arg(what, path);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = QStringLiteral("the %1 %2 cannot be read: %3").arg(what, path, file.errorString());
        return std::nullopt;
    }
    const QByteArray data = file.read(MaxPemFileSize + 1);
    if (data.size() > MaxPemFileSize) {
        *problem = QStringLiteral("the %1 %2 is too large to be a PEM file").arg(what, path);
        return std::nullopt;
    }
    return data;
}

std::optional<QList<QSslCertificate>> readCertificates(const QString &what, const QString &path, QString *problem)
{
    const std::optional<QByteArray> data = readFile(what, path, problem);
    if (!data)
        return std::nullopt;
    const QList<QSslCertificate> certificates = QSslCertificate::fromData(*data, QSsl::Pem);
    if (certificates.isEmpty()) {
        *problem = QStringLiteral("the %1 %2 holds no certificate in PEM form").arg(what, path);
        return std::nullopt;
    }
    return certificates;
}

std::optional<QSslKey> readKey(const QString &path, QString *problem)
{
    const std::optional<QByteArray> data = readFile(QStringLiteral("key file"), path, problem);
    if (!data)
        return std::nullopt;
    for (QSsl::KeyAlgorithm algorithm : {QSsl::Rsa, QSsl::Ec, QSsl::Dsa}) {
        const QSslKey key(*data, algorithm, QSsl::Pem, QSsl::PrivateKey);
        if (!key.isNull())
            return key;
    }
    *problem = data->contains("ENCRYPTED")
                   ? QStringLiteral("the key file %1 is protected by a passphrase, which the tool cannot ask for; store "
                                    "the key without one, readable only by you").arg(path)
                   : QStringLiteral("the key file %1 holds no private key in PEM form").arg(path);
    return std::nullopt;
}

} // namespace

std::optional<QString> tlsUnavailable()
{
    if (QSslSocket::supportsSsl())
        return std::nullopt;
    return QStringLiteral("this computer cannot use TLS: Qt found no working TLS backend (install libssl3 and "
                          "Qt's network library with its OpenSSL plugin, libqt6network6)");
}

QString tlsLibraryText()
{
    if (const std::optional<QString> why = tlsUnavailable())
        return *why;
    return QStringLiteral("%1 (Qt backend %2)").arg(QSslSocket::sslLibraryVersionString(), QSslSocket::activeBackend());
}

std::optional<QString> makeTlsConfiguration(const TlsOptions &options, QSslConfiguration *configuration)
{
    QSslConfiguration made = QSslConfiguration::defaultConfiguration();
    made.setPeerVerifyMode(QSslSocket::VerifyPeer);
    made.setProtocol(QSsl::SecureProtocols);
    // A session resumed from an earlier connection would skip the server's certificate; a server
    // that changed its certificate since must be found out.
    made.setSessionTicket({});
    made.setSslOption(QSsl::SslOptionDisableSessionSharing, true);
    // Lets the socket report a session ticket: OpenSSL servers send it right after a TLS 1.3
    // handshake that they accepted, which is how the opening learns that in time. It is kept
    // with this connection only.
    made.setSslOption(QSsl::SslOptionDisableSessionPersistence, false);
    QString problem;
    if (!options.caFile.isEmpty()) {
        const std::optional<QList<QSslCertificate>> authorities =
            readCertificates(QStringLiteral("CA file"), options.caFile, &problem);
        if (!authorities)
            return problem;
        // Only the authorities named: the entry says whom to trust.
        made.setCaCertificates(*authorities);
    }
    if (!options.certFile.isEmpty()) {
        const std::optional<QList<QSslCertificate>> chain =
            readCertificates(QStringLiteral("certificate file"), options.certFile, &problem);
        if (!chain)
            return problem;
        const std::optional<QSslKey> key = readKey(options.keyFile, &problem);
        if (!key)
            return problem;
        made.setLocalCertificateChain(*chain);
        made.setPrivateKey(*key);
    }
    *configuration = made;
    return std::nullopt;
}

} // namespace signlink
