// The windows against the simulated sign behind a TLS front (Debian's socat, which can also ask
// for a client certificate) with certificates openssl made for the test: a server that does not
// prove who it is gets nothing and the operator reads why, with the server's fingerprint; a
// pinned server that changes its certificate between two uploads is refused the second.
#include "comonesign.h"
#include "fakeuiservices.h"
#include "mainwindowdriving.h"
#include "portentryfile.h"
#include "qtprinters.h"
#include "signsimulator.h"
#include "testcertificates.h"
#include "tlsterminator.h"

#include "ui/main/kestrovanmain.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

using testsupport::waitUntil;

struct Server {
    const char *name;
    const char *certificate;  // the TLS front's
    bool wantsClient;         // the front asks for a client certificate signed by clientca
    const char *parameters;   // after "?": {ca}, {pin:NAME} and {dir} stand for the test's files
    const char *said;         // part of what the operator is told; empty when the sign is reached
    bool showsServer = true;  // the message names the fingerprint of the front's certificate
};

class TlsE2E : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(certificates.make(&error)) << error.toStdString();
        ASSERT_TRUE(sign.start({QStringLiteral("--tcp"), QStringLiteral("0"), QStringLiteral("--config"),
                                sign.sim.writeFile(QStringLiteral("start.conf"), "link2=3:100,200\n")},
                               &error))
            << error.toStdString();
    }
    void TearDown() override { window.reset(); }

    void startFront(const QString &certificate, bool wantsClient = false, quint16 at = 0)
    {
        QString error;
        ASSERT_TRUE(front.start(sign.sim.device().section(u':', -1).toUShort(),
                                {certificates.pem(certificate), certificates.key(certificate),
                                 wantsClient ? certificates.pem(QStringLiteral("clientca")) : QString(), at},
                                &error))
            << error.toStdString();
    }
    QString expand(QString text) const
    {
        for (const QString &name : {QStringLiteral("selfsigned"), QStringLiteral("other"), QStringLiteral("server"),
                                    QStringLiteral("wrongname"), QStringLiteral("expired")})
            text.replace(QStringLiteral("{pin:%1}").arg(name), certificates.fingerprint(name));
        return text.replace(QStringLiteral("{ca}"), certificates.pem(QStringLiteral("ca")))
            .replace(QStringLiteral("{dir}"), certificates.folder());
    }
    // COM 1 (the sign's own entry) becomes the TLS front's address with these parameters.
    QString pointComOneAtFront(const QString &parameters)
    {
        const QString address = QStringLiteral("tls://127.0.0.1:%1").arg(front.port())
                                + (parameters.isEmpty() ? QString() : u'?' + expand(parameters));
        EXPECT_TRUE(testsupport::writePortEntry(sign.xdg.path() + QStringLiteral("/signconfig/ports"), 1,
                                                address.toUtf8() + '\n'));
        return address;
    }
    void openWindow() { window = testsupport::ComOneSign::mainWindow(services); }
    bool idle() const { return testsupport::mainWindowIdle(*window); }

    testsupport::TestCertificates certificates;
    testsupport::ComOneSign sign;
    testsupport::TlsTerminator front;
    testsupport::FakeUiServices services;
    std::unique_ptr<ui::KestrovanMain> window;
};

class TlsServer : public TlsE2E, public ::testing::WithParamInterface<Server> {};

TEST_P(TlsServer, IsReachedOnlyWhenItProvesWhoItIs)
{
    const Server &s = GetParam();
    startFront(QString::fromLatin1(s.certificate), s.wantsClient);
    const QString address = pointComOneAtFront(QString::fromLatin1(s.parameters));
    openWindow();
    ui::KestrovanMain &w = *window;

    w.DownloadAll->click();
    if (!*s.said) {
        ASSERT_TRUE(waitUntil([&] { return idle(); }, 5000));
        EXPECT_EQ(w.Capcode0[2]->text(), QStringLiteral("100,200"));
        EXPECT_EQ(sign.sim.commands(), QStringList {QStringLiteral("DOWNLOAD_ALL")});
        return;
    }
    EXPECT_TRUE(idle());
    const QString said = expand(QString::fromLatin1(s.said));
    const QString item = w.ComportsList->itemText(0);
    // An entry that cannot be used is quoted, cut short.
    EXPECT_TRUE(item.startsWith(QStringLiteral("1-COM 1: ") + address + u' ')
                || item.startsWith(QStringLiteral("1-COM 1: \"") + address.left(40)))
        << item.toStdString();
    EXPECT_TRUE(item.contains(said)) << item.toStdString();
    const QString fingerprint = certificates.fingerprint(QString::fromLatin1(s.certificate));
    EXPECT_EQ(item.contains(QStringLiteral("The server's certificate has the fingerprint ") + fingerprint), s.showsServer)
        << item.toStdString();
    EXPECT_TRUE(sign.sim.commands().isEmpty());

    // The window stays usable: with the entry put right, the same server is read.
    pointComOneAtFront(QStringLiteral("fingerprint={pin:%1}").arg(QString::fromLatin1(s.certificate))
                       + (s.wantsClient ? QStringLiteral("&cert={dir}/client.pem&key={dir}/client.key") : QString()));
    ASSERT_TRUE(testsupport::runToIdle(w, w.DownloadAll, 5000, w.ComportsList->itemText(0)));
    EXPECT_EQ(w.Capcode0[2]->text(), QStringLiteral("100,200"));
    EXPECT_EQ(sign.sim.commands(), QStringList {QStringLiteral("DOWNLOAD_ALL")});
}

#define REFUSED "did not prove that it is the server meant: "

INSTANTIATE_TEST_SUITE_P(
    Servers, TlsServer,
    ::testing::Values(
        Server{"TrustedThroughTheNamedAuthority", "server", false, "ca={ca}", ""},
        Server{"Untrusted", "selfsigned", false, "",
               REFUSED "its certificate is not trusted (no authority this computer trusts has signed it). Nothing was "
                       "sent."},
        Server{"NameMismatch", "wrongname", false, "ca={ca}",
               REFUSED "its certificate is made out to \"sign.example\", not to \"127.0.0.1\". Nothing was sent."},
        Server{"Expired", "expired", false, "ca={ca}", REFUSED "its certificate expired on "},
        Server{"PinMatches", "selfsigned", false, "fingerprint={pin:selfsigned}", ""},
        Server{"PinDiffers", "selfsigned", false, "fingerprint={pin:other}",
               REFUSED "its certificate is not the one pinned ({pin:other}). Nothing was sent."},
        Server{"AsksForAClientCertificate", "server", true, "ca={ca}", "asks for a client certificate"},
        Server{"TakesTheClientCertificate", "server", true, "ca={ca}&cert={dir}/client.pem&key={dir}/client.key", ""},
        // Entries that cannot be used: said with the entry, before any connection.
        Server{"UnknownParameter", "server", false, "ca={ca}&verify=0",
               "unknown parameter \"verify\" (known: ca, fingerprint, cert, key)", false},
        Server{"MalformedFingerprint", "selfsigned", false, "fingerprint=SHA256:AB:CD",
               "the fingerprint must be SHA256: and 32 pairs of hexadecimal digits", false},
        Server{"MissingCaFile", "server", false, "ca={dir}/none.pem",
               "cannot be used: the CA file {dir}/none.pem does not exist. Nothing was sent.", false},
        Server{"CaFileNotPem", "server", false, "ca={dir}/notpem.pem",
               "cannot be used: the CA file {dir}/notpem.pem holds no certificate in PEM form. Nothing was sent.", false},
        Server{"MissingKeyFile", "server", true, "ca={ca}&cert={dir}/client.pem&key={dir}/none.key",
               "cannot be used: the key file {dir}/none.key does not exist. Nothing was sent.", false},
        Server{"KeyOfAnotherCertificate", "server", true, "ca={ca}&cert={dir}/client.pem&key={dir}/mismatched.key",
               "cannot be offered the client certificate: the key {dir}/mismatched.key does not belong to the "
               "certificate {dir}/client.pem. Nothing was sent.", false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(TlsE2E, PinnedServerThatChangesItsCertificateBetweenTwoUploadsGetsNothingTheSecondTime)
{
    startFront(QStringLiteral("selfsigned"));
    const quint16 at = front.port();
    pointComOneAtFront(QStringLiteral("fingerprint={pin:selfsigned}"));
    openWindow();
    ui::KestrovanMain &w = *window;
    ASSERT_TRUE(testsupport::runToIdle(w, w.DownloadAll, 5000));
    w.Capcode0[4]->setText(QStringLiteral("4711"));
    ASSERT_TRUE(testsupport::runToIdle(w, w.UploadAll, 10000, services.messages.value(0).text));
    EXPECT_TRUE(sign.sim.state().value(QStringLiteral("link4")).endsWith(QStringLiteral(":4711")));
    const QStringList before = sign.sim.commands();

    // The device server makes itself a new certificate, as after a factory reset, or another
    // machine takes its address.
    front.stop();
    startFront(QStringLiteral("other"), false, at);
    w.Capcode0[5]->setText(QStringLiteral("4712"));
    w.UploadAll->click();
    EXPECT_TRUE(idle());
    ASSERT_EQ(services.messages.size(), 1);
    EXPECT_TRUE(services.messages[0].text.contains(QStringLiteral("its certificate is not the one pinned")))
        << services.messages[0].text.toStdString();
    EXPECT_TRUE(services.messages[0].text.contains(certificates.fingerprint(QStringLiteral("other"))));
    EXPECT_EQ(sign.sim.commands(), before);
    // What was not sent stays to be sent.
    EXPECT_TRUE(w.signConfig().flags.linkChanged[5]);
}

} // namespace
