#include "testcertificates.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QStandardPaths>

namespace testsupport {

namespace {

// EC keys: made in milliseconds, unlike RSA ones.
const QStringList NewKey = {QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                            QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};

} // namespace

bool TestCertificates::openssl(const QStringList &arguments, QString *error)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    if (program.isEmpty()) {
        *error = QStringLiteral("openssl is not installed (./test.sh installs it; or apt-get install openssl)");
        return false;
    }
    QProcess process;
    process.setWorkingDirectory(m_dir.path());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *error = QStringLiteral("openssl %1 failed: %2").arg(arguments.join(u' '), QString::fromLocal8Bit(process.readAll()));
        return false;
    }
    return true;
}

bool TestCertificates::selfSigned(const QString &name, const QString &subject, const QString &names, QString *error)
{
    QStringList arguments = QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + NewKey;
    arguments << QStringLiteral("-keyout") << name + QStringLiteral(".key") << QStringLiteral("-out")
              << name + QStringLiteral(".pem") << QStringLiteral("-days") << QStringLiteral("30")
              << QStringLiteral("-subj") << subject;
    if (!names.isEmpty())
        arguments << QStringLiteral("-addext") << QStringLiteral("subjectAltName=") + names;
    return openssl(arguments, error);
}

bool TestCertificates::signedBy(const QString &authority, const QString &name, const QString &names, int days,
                                QString *error)
{
    QFile extensions(m_dir.filePath(name + QStringLiteral(".ext")));
    if (!extensions.open(QIODevice::WriteOnly)
        || extensions.write(QStringLiteral("subjectAltName=%1\n").arg(names).toLatin1()) < 0) {
        *error = extensions.errorString();
        return false;
    }
    extensions.close();
    return openssl(QStringList{QStringLiteral("req")} + NewKey
                       + QStringList{QStringLiteral("-keyout"), name + QStringLiteral(".key"), QStringLiteral("-out"),
                                     name + QStringLiteral(".csr"), QStringLiteral("-subj"), QStringLiteral("/CN=") + name},
                   error)
           && openssl({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), name + QStringLiteral(".csr"),
                       QStringLiteral("-CA"), authority + QStringLiteral(".pem"), QStringLiteral("-CAkey"),
                       authority + QStringLiteral(".key"), QStringLiteral("-CAcreateserial"), QStringLiteral("-out"),
                       name + QStringLiteral(".pem"), QStringLiteral("-days"), QString::number(days),
                       QStringLiteral("-extfile"), name + QStringLiteral(".ext")},
                      error);
}

bool TestCertificates::make(QString *error)
{
    if (!m_dir.isValid()) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    const QString here = QStringLiteral("DNS:localhost,IP:127.0.0.1");
    if (!(selfSigned(QStringLiteral("ca"), QStringLiteral("/CN=Test CA"), {}, error)
          && signedBy(QStringLiteral("ca"), QStringLiteral("server"), here, 30, error)
          && signedBy(QStringLiteral("ca"), QStringLiteral("wrongname"), QStringLiteral("DNS:sign.example"), 30, error)
          // Valid until the day before it was made.
          && signedBy(QStringLiteral("ca"), QStringLiteral("expired"), here, -1, error)
          && selfSigned(QStringLiteral("selfsigned"), QStringLiteral("/CN=Device"), QStringLiteral("IP:127.0.0.1"), error)
          && selfSigned(QStringLiteral("other"), QStringLiteral("/CN=Device"), QStringLiteral("IP:127.0.0.1"), error)
          && selfSigned(QStringLiteral("clientca"), QStringLiteral("/CN=Client CA"), {}, error)
          && signedBy(QStringLiteral("clientca"), QStringLiteral("client"), QStringLiteral("DNS:operator"), 30, error)
          && selfSigned(QStringLiteral("stranger"), QStringLiteral("/CN=Stranger"), {}, error)
          && openssl({QStringLiteral("genpkey"), QStringLiteral("-algorithm"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                      QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-out"), QStringLiteral("mismatched.key")},
                     error)))
        return false;
    QFile text(pem(QStringLiteral("notpem")));
    if (!text.open(QIODevice::WriteOnly) || text.write("This is no certificate.\n") < 0) {
        *error = text.errorString();
        return false;
    }
    return true;
}

QString TestCertificates::fingerprint(const QString &name) const
{
    const QList<QSslCertificate> certificates = QSslCertificate::fromPath(pem(name));
    if (certificates.isEmpty())
        return {};
    return QStringLiteral("SHA256:") + QString::fromLatin1(certificates.first().digest(QCryptographicHash::Sha256).toHex(':').toUpper());
}

} // namespace testsupport
