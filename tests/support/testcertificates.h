#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// Certificates and keys made with Debian's openssl when a test starts, in a folder of their
// own; nothing of them is kept in the repository. Each name stands for a PEM certificate
// NAME.pem with its key NAME.key:
//   ca         an authority;
//   server     made out to localhost and 127.0.0.1, signed by ca;
//   wrongname  made out to sign.example only, signed by ca;
//   expired    like server, expired yesterday;
//   selfsigned made out to 127.0.0.1, signed by itself, as a device server's own certificate;
//   other      another such one, as after the device made itself a new certificate;
//   clientca   the authority a server takes client certificates from;
//   client     a client certificate signed by clientca;
//   stranger   a client certificate signed by itself.
// Besides: "mismatched.key", a key that belongs to no certificate here, and "notpem.pem", a file
// of text.
class TestCertificates {
public:
    // Makes them all. False with `error` set when openssl is missing or fails.
    bool make(QString *error);

    QString pem(const QString &name) const { return m_dir.filePath(name + QStringLiteral(".pem")); }
    QString key(const QString &name) const { return m_dir.filePath(name + QStringLiteral(".key")); }
    QString folder() const { return m_dir.path(); }
    // The SHA-256 of certificate `name`, as "SHA256:AB:CD:...".
    QString fingerprint(const QString &name) const;

private:
    bool openssl(const QStringList &arguments, QString *error);
    bool selfSigned(const QString &name, const QString &subject, const QString &names, QString *error);
    bool signedBy(const QString &authority, const QString &name, const QString &names, int days, QString *error);

    QTemporaryDir m_dir;
};

} // namespace testsupport
