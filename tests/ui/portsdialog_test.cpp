// The Ports dialog in a private XDG_CONFIG_HOME with adapters of the test's own: what it shows,
// the port map entries it writes and removes, Find Sign over pseudo-terminals with the simulated
// sign on one of them, and how the main window opens it and takes its answer.
#include "fakeadapters.h"
#include "fakeuiservices.h"
#include "mainwindowfixture.h"
#include "ptypair.h"
#include "qtprinters.h"
#include "signsimulator.h"
#include "testcertificates.h"
#include "tlsterminator.h"

#include "link/mappedsignport.h"
#include "link/serialsignport.h"
#include "ui/main/kestrovanmain.h"
#include "ui/ports/portsdialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <map>

namespace {

using testsupport::waitUntil;
using FakeQuestion = testsupport::FakeUiServices::Question;

enum Column { Port, Device, Present, Adapter, Maker, Ids, Serial, Sign };

class PortsDialogTest : public ::testing::Test {
protected:
    PortsDialogTest() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(xdg.path())); }
    ~PortsDialogTest() override { qputenv("XDG_CONFIG_HOME", m_oldXdg); }

    void SetUp() override
    {
        ASSERT_TRUE(xdg.isValid());
        ASSERT_TRUE(QDir().mkpath(byId));
        ASSERT_TRUE(QDir().mkpath(ports));
        ftdi = testsupport::ftdiAdapter(makeDevice(QStringLiteral("ttyUSB0")));
        ASSERT_TRUE(QFile::link(ftdi.device, byId + QStringLiteral("/usb-FTDI_FT232R_A1234567-if00-port0")));
        plain.device = makeDevice(QStringLiteral("ttyUSB1"));
        plain.description = QStringLiteral("USB-Serial Controller");
        adapters = {ftdi, plain};
    }

    QString makeDevice(const QString &name)
    {
        QFile device(xdg.filePath(name));
        EXPECT_TRUE(device.open(QIODevice::WriteOnly));
        return QFileInfo(device.fileName()).canonicalFilePath();
    }

    std::unique_ptr<ui::PortsDialog> dialog(int com = 1)
    {
        return std::make_unique<ui::PortsDialog>(
            ui::PortsContext{signlink::PortMap(), {[this] { return adapters; }, byId},
                             [] { return std::make_unique<signlink::MappedSignPort>(); }, services, com});
    }
    QString entry(int com) const { return ports + QStringLiteral("/COM") + QString::number(com); }

    // A TLS server on this machine with the certificate `server` in front of a sign that only
    // listens, asking for a client certificate when `clientCa` is given; COM 5's entry names it
    // with the test authority as its CA file.
    struct TlsServer {
        testsupport::TestCertificates certificates;
        QTcpServer sign;
        testsupport::TlsTerminator front;
        QByteArray address;  // tls://127.0.0.1:port
        QByteArray line;     // the entry as written
    };
    void startTlsServer(TlsServer &t, const QString &server, const QString &clientCa = {})
    {
        QString error;
        ASSERT_TRUE(t.certificates.make(&error)) << error.toStdString();
        ASSERT_TRUE(t.sign.listen(QHostAddress::LocalHost, 0));
        ASSERT_TRUE(t.front.start(t.sign.serverPort(),
                                  {t.certificates.pem(server), t.certificates.key(server),
                                   clientCa.isEmpty() ? QString() : t.certificates.pem(clientCa), 0},
                                  &error))
            << error.toStdString();
        t.address = "tls://127.0.0.1:" + QByteArray::number(t.front.port());
        t.line = t.address + "?ca=" + t.certificates.pem(QStringLiteral("ca")).toUtf8() + '\n';
        ASSERT_TRUE(QDir().mkpath(ports));
        QFile file(entry(5));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(t.line);
    }

    template <typename T>
    static T *child(QWidget &parent, const char *name)
    {
        T *found = parent.findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static QString cell(QWidget &d, int com, Column column)
    {
        return child<QTableWidget>(d, "PortTable")->item(com - 1, column)->text();
    }

    QTemporaryDir xdg;
    const QString ports = xdg.path() + QStringLiteral("/signconfig/ports");
    const QString byId = xdg.path() + QStringLiteral("/by-id");
    signlink::SerialAdapter ftdi, plain;
    QList<signlink::SerialAdapter> adapters;
    testsupport::FakeUiServices services;

private:
    QByteArray m_oldXdg = qgetenv("XDG_CONFIG_HOME");
};

TEST_F(PortsDialogTest, ShowsTheAdaptersAndAssignsOneByItsStableName)
{
    auto d = dialog(7);
    QSignalSpy changed(d.get(), &ui::PortsDialog::portMapChanged);
    auto *list = child<QComboBox>(*d, "AdapterList");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->itemText(0), ftdi.device + QStringLiteral(": FT232R USB UART (FTDI, 0403:6001, serial A1234567)"));
    EXPECT_EQ(list->itemText(1), plain.device + QStringLiteral(": USB-Serial Controller"));
    EXPECT_EQ(d->selectedComNumber(), 7);
    EXPECT_FALSE(child<QPushButton>(*d, "ResetEntry")->isEnabled());

    list->setCurrentIndex(0);
    child<QPushButton>(*d, "AssignAdapter")->click();
    EXPECT_EQ(QFileInfo(entry(7)).symLinkTarget(), byId + QStringLiteral("/usb-FTDI_FT232R_A1234567-if00-port0"));
    EXPECT_EQ(changed.count(), 1);
    const QStringList row = {cell(*d, 7, Port), cell(*d, 7, Device), cell(*d, 7, Present), cell(*d, 7, Adapter),
                             cell(*d, 7, Maker), cell(*d, 7, Ids), cell(*d, 7, Serial)};
    EXPECT_EQ(row, (QStringList{QStringLiteral("COM 7"), ftdi.device, QStringLiteral("yes"), QStringLiteral("FT232R USB UART"),
                                QStringLiteral("FTDI"), QStringLiteral("0403:6001"), QStringLiteral("A1234567")}));

    // Without a by-id name the device itself is linked.
    list->setCurrentIndex(1);
    child<QPushButton>(*d, "AssignAdapter")->click();
    EXPECT_EQ(QFileInfo(entry(7)).symLinkTarget(), plain.device);
    EXPECT_EQ(cell(*d, 7, Adapter), QStringLiteral("USB-Serial Controller"));

    ASSERT_TRUE(child<QPushButton>(*d, "ResetEntry")->isEnabled());
    child<QPushButton>(*d, "ResetEntry")->click();
    EXPECT_FALSE(QFileInfo(entry(7)).isSymLink());
    EXPECT_EQ(cell(*d, 7, Device), QStringLiteral("/dev/ttyUSB2"));
    EXPECT_FALSE(child<QPushButton>(*d, "ResetEntry")->isEnabled());
    EXPECT_EQ(changed.count(), 3);
    EXPECT_TRUE(services.messages.isEmpty());
    EXPECT_TRUE(QDir(ports).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(PortsDialogTest, NetworkAddressBecomesAOneLineFile)
{
    auto d = dialog(4);
    auto *address = child<QLineEdit>(*d, "NetworkAddress");
    address->setText(QStringLiteral("  RFC2217://Sign-Server:04001 "));
    child<QPushButton>(*d, "SetAddress")->click();
    QFile file(entry(4));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("rfc2217://Sign-Server:4001\n"));
    EXPECT_FALSE(QFileInfo(entry(4)).isSymLink());
    EXPECT_EQ(cell(*d, 4, Device), QStringLiteral("rfc2217://Sign-Server:4001"));
    // Choosing the row again shows the address it holds.
    d->selectComNumber(3);
    EXPECT_TRUE(address->text().isEmpty());
    d->selectComNumber(4);
    EXPECT_EQ(address->text(), QStringLiteral("rfc2217://Sign-Server:4001"));
    EXPECT_TRUE(services.messages.isEmpty());
}

struct BadAddress {
    const char *name;
    const char *typed;
    const char *why;
};

class PortsDialogBadAddress : public PortsDialogTest, public ::testing::WithParamInterface<BadAddress> {};

TEST_P(PortsDialogBadAddress, IsRefusedWithTheComNumberAndTheEntryStaysAsItWas)
{
    ASSERT_TRUE(QFile::link(plain.device, entry(4)));
    auto d = dialog(4);
    QSignalSpy changed(d.get(), &ui::PortsDialog::portMapChanged);
    auto *address = child<QLineEdit>(*d, "NetworkAddress");
    address->setText(QString::fromUtf8(GetParam().typed));
    QTest::keyClick(address, Qt::Key_Return);
    ASSERT_EQ(services.messages.size(), 1);
    EXPECT_EQ(services.messages[0].text, QStringLiteral("COM 4: \"%1\" is not a network address (%2). Nothing was changed.")
                                             .arg(QString::fromUtf8(GetParam().typed).trimmed(), QString::fromUtf8(GetParam().why)));
    EXPECT_EQ(QFileInfo(entry(4)).symLinkTarget(), plain.device);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(cell(*d, 4, Adapter), QStringLiteral("USB-Serial Controller"));
}

INSTANTIATE_TEST_SUITE_P(
    Typed, PortsDialogBadAddress,
    ::testing::Values(BadAddress{"PortOutOfRange", "tcp://sign:99999", "the port must be 1 to 65535"},
                      BadAddress{"NoScheme", "sign-server:4001", "it must begin with tcp://, rfc2217://, tls:// or rfc2217+tls://"},
                      BadAddress{"Nothing", "   ", "it must begin with tcp://, rfc2217://, tls:// or rfc2217+tls://"},
                      BadAddress{"DevicePath", "/dev/ttyUSB0", "it must begin with tcp://, rfc2217://, tls:// or rfc2217+tls://"},
                      BadAddress{"RelativeCaPath", "tls://sign:4443?ca=ca.pem", "the ca path must be absolute (begin with /)"},
                      BadAddress{"Ipv6WithoutBrackets", "tcp://::1:4001",
                                 "an IPv6 address must be in brackets, as in tcp://[::1]:4001"},
                      BadAddress{"NotLatin1", "tcp://sign\u00e9\u4e2d:4001",
                                 "the host must be a name, an IPv4 address or an IPv6 address in brackets"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(PortsDialogTest, AnAddressNamingAFileThatCannotBeUsedIsRefused)
{
    auto d = dialog(4);
    child<QLineEdit>(*d, "NetworkAddress")->setText(QStringLiteral("tls://sign:4443?ca=/no/such/ca.pem"));
    child<QPushButton>(*d, "SetAddress")->click();
    ASSERT_EQ(services.messages.size(), 1);
    EXPECT_EQ(services.messages[0].text, QStringLiteral("COM 4: tls://sign:4443?ca=/no/such/ca.pem cannot be used: the CA "
                                                        "file /no/such/ca.pem does not exist. Nothing was changed."));
    EXPECT_FALSE(QFileInfo::exists(entry(4)));
}

// Whether what goes to the sign can be read on the way: said where the entry is shown, once.
struct Encryption {
    const char *name;
    const char *address;
    const char *present;
    bool noted;  // the row's tool tip carries the note
};

class PortsDialogEncryption : public PortsDialogTest, public ::testing::WithParamInterface<Encryption> {};

TEST_P(PortsDialogEncryption, IsShownWithTheEntry)
{
    auto d = dialog(6);
    child<QLineEdit>(*d, "NetworkAddress")->setText(QString::fromLatin1(GetParam().address));
    child<QPushButton>(*d, "SetAddress")->click();
    ASSERT_TRUE(services.messages.isEmpty()) << services.messages[0].text.toStdString();
    EXPECT_EQ(cell(*d, 6, Present), QString::fromLatin1(GetParam().present));
    const QString tip = child<QTableWidget>(*d, "PortTable")->item(5, Device)->toolTip();
    EXPECT_EQ(tip.contains(QStringLiteral("Not encrypted: others on the network can read and send what goes to the "
                                          "sign (tls:// or rfc2217+tls:// keeps it private).")),
              GetParam().noted)
        << tip.toStdString();
    EXPECT_EQ(child<QPushButton>(*d, "TrustCertificate")->isEnabled(), QString::fromLatin1(GetParam().present).endsWith(u"TLS"));
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, PortsDialogEncryption,
    ::testing::Values(Encryption{"PlainToAnotherMachine", "rfc2217://sign-server:4001", "network, not encrypted", true},
                      Encryption{"PlainToThisMachine", "tcp://127.0.0.1:4001", "network", false},
                      Encryption{"PlainToLocalhost", "tcp://localhost:4001", "network", false},
                      Encryption{"Tls", "tls://sign-server:4443", "network, TLS", false},
                      Encryption{"Rfc2217Tls", "rfc2217+tls://[2001:db8::7]:4443", "network, TLS", false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(PortsDialogTest, TrustThisCertificatePinsItOnlyOnceTheOperatorSaysSo)
{
    TlsServer server;
    ASSERT_NO_FATAL_FAILURE(startTlsServer(server, QStringLiteral("selfsigned")));
    const QByteArray &address = server.address;
    QTcpServer &sign = server.sign;
    const QString fingerprint = server.certificates.fingerprint(QStringLiteral("selfsigned"));
    const auto entryText = [this] {
        QFile written(entry(5));
        return written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
    };
    const QByteArray before = entryText();
    auto d = dialog(5);
    QSignalSpy changed(d.get(), &ui::PortsDialog::portMapChanged);
    auto *trust = child<QPushButton>(*d, "TrustCertificate");
    ASSERT_TRUE(trust->isEnabled());

    // Cancelled: the entry stays as it was.
    services.nextAnswers = {1};
    trust->click();
    ASSERT_EQ(services.questions.size(), 1);
    const FakeQuestion &asked = services.questions[0];
    EXPECT_EQ(asked.captions, (QStringList {QStringLiteral("Trust this certificate"), QStringLiteral("Cancel")}));
    EXPECT_TRUE(asked.text.contains(QStringLiteral("its certificate is not trusted"))) << asked.text.toStdString();
    EXPECT_TRUE(asked.text.endsWith(QStringLiteral("Trust this certificate? Compare its fingerprint with the one on the "
                                                   "device's label first:\n%1\nFrom then on COM 5 accepts this "
                                                   "certificate and no other.").arg(fingerprint)))
        << asked.text.toStdString();
    EXPECT_EQ(entryText(), before);
    EXPECT_EQ(changed.count(), 0);

    // Confirmed: the pin stands in the entry instead of the CA file, and the server passes.
    services.nextAnswers = {0};
    trust->click();
    EXPECT_EQ(entryText(), address + "?fingerprint=" + fingerprint.toLatin1() + '\n');
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(cell(*d, 5, Device), QString::fromLatin1(address) + QStringLiteral("?fingerprint=") + fingerprint);

    trust->click();
    EXPECT_EQ(services.questions.size(), 2);
    ASSERT_EQ(services.messages.size(), 1);
    EXPECT_EQ(services.messages[0].text, QStringLiteral("COM 5: the certificate of %1?fingerprint=%2 is the one pinned "
                                                        "already (%2).").arg(QString::fromLatin1(address), fingerprint));
    // The checks reached no sign: the connections carried nothing.
    QCoreApplication::processEvents();
    while (sign.hasPendingConnections()) {
        QTcpSocket *connection = sign.nextPendingConnection();
        connection->waitForReadyRead(100);
        EXPECT_TRUE(connection->readAll().isEmpty());
    }
}

// A server whose certificate holds but which wants a client certificate: nothing to trust.
TEST_F(PortsDialogTest, TrustThisCertificateOffersNoPinToAServerThatWantsAClientCertificate)
{
    TlsServer server;
    ASSERT_NO_FATAL_FAILURE(startTlsServer(server, QStringLiteral("server"), QStringLiteral("clientca")));
    auto d = dialog(5);
    child<QPushButton>(*d, "TrustCertificate")->click();

    EXPECT_TRUE(services.questions.isEmpty());
    ASSERT_EQ(services.messages.size(), 1);
    EXPECT_TRUE(services.messages[0].text.contains(QStringLiteral("client certificate"))) << services.messages[0].text.toStdString();
    QFile file(entry(5));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), server.line);
}

TEST_F(PortsDialogTest, AnEntryThatIsAFolderIsNotTouched)
{
    ASSERT_TRUE(QDir().mkpath(entry(9)));
    auto d = dialog(9);
    child<QPushButton>(*d, "ResetEntry")->click();
    child<QPushButton>(*d, "AssignAdapter")->click();
    ASSERT_EQ(services.messages.size(), 2);
    for (const auto &message : services.messages)
        EXPECT_EQ(message.text, QStringLiteral("COM 9: the port map entry %1 is a folder; remove it first.").arg(entry(9)));
    EXPECT_TRUE(QFileInfo(entry(9)).isDir());
}

TEST_F(PortsDialogTest, FollowsAdaptersPluggedInAndOutWhileOpen)
{
    const QString later = byId + QStringLiteral("/usb-Later_Adapter-if00");
    ASSERT_TRUE(QFile::link(later, entry(5)));
    auto d = dialog(5);
    d->show();
    EXPECT_EQ(cell(*d, 5, Present), QStringLiteral("no"));
    EXPECT_EQ(cell(*d, 5, Device), later);

    signlink::SerialAdapter plugged;
    plugged.device = makeDevice(QStringLiteral("ttyACM0"));
    plugged.description = QStringLiteral("Sign Bridge");
    ASSERT_TRUE(QFile::link(plugged.device, later));
    // What the operator is typing meanwhile stays.
    child<QLineEdit>(*d, "NetworkAddress")->setText(QStringLiteral("tcp://half"));
    adapters.append(plugged);
    auto *list = child<QComboBox>(*d, "AdapterList");
    EXPECT_TRUE(waitUntil([&] { return cell(*d, 5, Present) == QStringLiteral("yes") && list->count() == 3; }));
    EXPECT_EQ(cell(*d, 5, Adapter), QStringLiteral("Sign Bridge"));
    EXPECT_EQ(cell(*d, 5, Device), plugged.device);
    EXPECT_EQ(child<QLineEdit>(*d, "NetworkAddress")->text(), QStringLiteral("tcp://half"));
    EXPECT_EQ(child<QLabel>(*d, "SelectedPort")->text(), QStringLiteral("COM 5: %1, Sign Bridge").arg(plugged.device));

    adapters.removeLast();
    ASSERT_TRUE(QFile::remove(later));
    EXPECT_TRUE(waitUntil([&] { return cell(*d, 5, Present) == QStringLiteral("no") && list->count() == 2; }));
}

// Three pseudo-terminals, the simulated sign on one, and a fourth held by another program; every
// other COM number but one has no device.
TEST_F(PortsDialogTest, FindSignAsksEachPresentPortOnceAndFindsTheSign)
{
    testsupport::SignSimulator sim;
    QString error;
    ASSERT_TRUE(sim.start({QStringLiteral("--build"), QStringLiteral("123")}, &error)) << error.toStdString();
    testsupport::PtyPair quiet1, quiet2, held;
    for (const testsupport::PtyPair *pty : {&quiet1, &quiet2, &held})
        ASSERT_TRUE(pty->isValid()) << pty->error().toStdString();
    // COM 12 reaches the sign's line by the same name as COM 6: it is asked once for both.
    const std::map<int, QString> devices = {{2, quiet1.slavePath()},
                                            {6, sim.device()},
                                            {10, quiet2.slavePath()},
                                            {11, held.slavePath()},
                                            {12, sim.device()}};
    for (int com = 1; com <= 12; ++com) {
        const QString target = devices.count(com) ? devices.at(com) : xdg.filePath(QStringLiteral("unplugged%1").arg(com));
        ASSERT_TRUE(QFile::link(target, entry(com)));
    }
    signlink::SerialSignPort other{signlink::PortMap()};
    other.setCommPort(11);
    ASSERT_TRUE(other.open().ok());

    auto d = dialog(1);
    d->show();
    auto *find = child<QPushButton>(*d, "FindSign");
    find->click();
    EXPECT_FALSE(find->isEnabled());
    EXPECT_FALSE(child<QPushButton>(*d, "AssignAdapter")->isEnabled());
    ASSERT_TRUE(waitUntil([&] { return find->isEnabled(); }, 15000));

    for (int com = 1; com <= 12; ++com) {
        const QString expected = com == 6 || com == 12     ? QStringLiteral("RW2290, build 123")
                                 : com == 2 || com == 10   ? QStringLiteral("no answer")
                                 : com == 11               ? QStringLiteral("busy")
                                                           : QStringLiteral("not present");
        EXPECT_EQ(cell(*d, com, Sign), expected) << "COM " << com;
    }
    EXPECT_EQ(child<QLabel>(*d, "FindStatus")->text(), QStringLiteral("Found a sign on COM 6: RW2290, build 123."));
    EXPECT_EQ(d->selectedComNumber(), 6);
    EXPECT_EQ(sim.commands(), QStringList{QStringLiteral("DOWNLOAD_ALL")});
    EXPECT_EQ(quiet1.readAvailable(), QByteArray("DOWNLOAD_ALL\r"));
    EXPECT_EQ(quiet2.readAvailable(), QByteArray("DOWNLOAD_ALL\r"));
    EXPECT_TRUE(held.readAvailable().isEmpty());
    // Each port was closed again: the sign's can be opened at once.
    signlink::SerialSignPort after{signlink::PortMap()};
    after.setCommPort(6);
    EXPECT_TRUE(after.open().ok());
}

// ---- the main window's side ----

TEST_F(PortsDialogTest, MainWindowOpensItFromTheButtonAndTheMenuAndTakesTheComNumber)
{
    testsupport::MainWindowHarness h;
    ui::KestrovanMain &w = *h.window;
    QAction *menuItem = w.findChild<QAction *>(QStringLiteral("signPorts"));
    ASSERT_NE(menuItem, nullptr);
    EXPECT_EQ(menuItem->text(), QStringLiteral("&Ports..."));
    EXPECT_TRUE(w.signTools->actions().contains(menuItem));

    w.ComportsList->setCurrentIndex(3);
    int shownWith = 0;
    h.services.onDialog = [&](QDialog &dialog) {
        auto &ports = static_cast<ui::PortsDialog &>(dialog);
        shownWith = ports.selectedComNumber();
        ports.selectComNumber(8);
        child<QPushButton>(ports, "UseSign")->click();
    };
    w.PortsButton->click();
    EXPECT_EQ(h.services.dialogsShown, QStringList{QStringLiteral("PortsDialog")});
    EXPECT_EQ(shownWith, 4);
    EXPECT_EQ(w.ComportsList->currentIndex(), 7);
    EXPECT_EQ(w.ComportsList->currentText(), QStringLiteral("COM 8"));

    // Closed without "Use", the choice stays.
    h.services.onDialog = [](QDialog &dialog) { child<QPushButton>(dialog, "CloseButton")->click(); };
    menuItem->trigger();
    EXPECT_EQ(h.services.dialogsShown.size(), 2);
    EXPECT_EQ(w.ComportsList->currentIndex(), 7);
}

TEST_F(PortsDialogTest, ComportListNamesEachDeviceAndGreysThoseNotPresent)
{
    testsupport::PtyPair pty;
    ASSERT_TRUE(pty.isValid());
    ASSERT_TRUE(QFile::link(pty.slavePath(), entry(2)));
    ASSERT_TRUE(QFile::link(xdg.filePath(QStringLiteral("unplugged")), entry(5)));
    testsupport::MainWindowHarness h;
    ui::KestrovanMain &w = *h.window;
    QComboBox *list = w.ComportsList;
    const auto tip = [list](int row) { return list->itemData(row, Qt::ToolTipRole).toString(); };
    const auto greyed = [list](int row) { return list->itemData(row, Qt::ForegroundRole).isValid(); };
    ASSERT_TRUE(waitUntil([&] { return !tip(1).isEmpty(); }));

    EXPECT_EQ(tip(1), QStringLiteral("COM 2: ") + QFileInfo(pty.slavePath()).canonicalFilePath());
    EXPECT_FALSE(greyed(1));
    EXPECT_EQ(tip(4), QStringLiteral("COM 5: %1, not present").arg(xdg.filePath(QStringLiteral("unplugged"))));
    EXPECT_TRUE(greyed(4));
    for (int row = 0; row < 12; ++row)
        EXPECT_EQ(list->itemText(row), QStringLiteral("COM %1").arg(row + 1));
    // Greyed items can still be chosen, and the list's own tip is the chosen item's.
    list->setCurrentIndex(4);
    EXPECT_EQ(list->currentIndex(), 4);
    EXPECT_EQ(list->toolTip(), tip(4));

    // A failed opening keeps its text and reason, also when the list is looked at again.
    h.mainPort().failNextOpens({signlink::OpenError::NoSuchPort, QStringLiteral("gone.")});
    w.DownloadAll_Click();
    list->showPopup();
    list->hidePopup();
    EXPECT_EQ(list->itemText(4), QStringLiteral("5-gone."));
    EXPECT_EQ(tip(4), QStringLiteral("gone."));
    EXPECT_EQ(list->toolTip(), QStringLiteral("gone."));

    // The popup looks again: a device that appears is no longer greyed.
    ASSERT_TRUE(QFile::remove(entry(2)));
    ASSERT_TRUE(QFile::link(xdg.filePath(QStringLiteral("unplugged")), entry(2)));
    list->showPopup();
    list->hidePopup();
    EXPECT_TRUE(greyed(1));
    EXPECT_TRUE(tip(1).endsWith(QStringLiteral(", not present")));
}

} // namespace
