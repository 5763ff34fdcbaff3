// What each COM number stands for with the adapters present, and the changes the Ports dialog
// makes to the port map folder.
#include "link/portinventory.h"
#include "link/portmapwriter.h"

#include "fakeadapters.h"
#include "portentryfile.h"
#include "qtprinters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

using signlink::ComPortInfo;
using signlink::PortEntry;
using signlink::PortMap;
using signlink::SerialAdapter;

// Devices are plain files in a temporary folder: the inventory only follows paths.
class PortInventoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_TRUE(QDir().mkpath(byId));
        for (const char *name : {"ttyUSB0", "ttyUSB1", "ttyACM0"}) {
            QFile device(dir.filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(device.open(QIODevice::WriteOnly));
        }
        // By-id links are relative, as udev makes them.
        ASSERT_TRUE(QFile::link(QStringLiteral("../ttyUSB0"), byId + QStringLiteral("/usb-FTDI_FT232R_A1234567-if00-port0")));
        ASSERT_TRUE(QFile::link(QStringLiteral("../ttyACM0"), byId + QStringLiteral("/usb-Maker_Sign_Bridge-if00")));
        ASSERT_TRUE(QFile::link(QStringLiteral("../ttyUSB9"), byId + QStringLiteral("/usb-Gone_Adapter-if00-port0")));
    }

    QString device(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
    signlink::AdapterSources sources() const
    {
        const SerialAdapter ftdi = testsupport::ftdiAdapter(device("ttyUSB0"));
        SerialAdapter plain;
        plain.device = device("ttyUSB1");
        plain.description = QStringLiteral("USB-Serial Controller");
        return {[=] { return QList<SerialAdapter>{plain, ftdi}; }, byId};
    }

    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/ports");
    const QString byId = dir.path() + QStringLiteral("/by-id");
};

TEST_F(PortInventoryTest, AdaptersCarryTheirStableNameAndByIdLinksAloneCountToo)
{
    const QList<SerialAdapter> adapters = signlink::presentAdapters(sources());
    ASSERT_EQ(adapters.size(), 3);  // the link to the unplugged ttyUSB9 is not an adapter
    EXPECT_EQ(adapters[0].device, device("ttyACM0"));
    EXPECT_EQ(adapters[0].description, QStringLiteral("usb-Maker_Sign_Bridge-if00"));
    EXPECT_EQ(adapters[0].byIdPath, byId + QStringLiteral("/usb-Maker_Sign_Bridge-if00"));
    EXPECT_EQ(adapters[1].device, device("ttyUSB0"));
    EXPECT_EQ(adapters[1].byIdPath, byId + QStringLiteral("/usb-FTDI_FT232R_A1234567-if00-port0"));
    EXPECT_EQ(adapters[1].vendorProductText(), QStringLiteral("0403:6001"));
    EXPECT_EQ(adapters[2].device, device("ttyUSB1"));
    EXPECT_TRUE(adapters[2].byIdPath.isEmpty());
    EXPECT_TRUE(adapters[2].vendorProductText().isEmpty());
}

TEST_F(PortInventoryTest, TheSystemsByIdFolderCanBeAnotherOne)
{
    const QByteArray old = qgetenv("SIGNCONFIG_SERIAL_BY_ID");
    qputenv("SIGNCONFIG_SERIAL_BY_ID", QFile::encodeName(byId));
    const signlink::AdapterSources system = signlink::AdapterSources::system();
    qputenv("SIGNCONFIG_SERIAL_BY_ID", old);
    EXPECT_EQ(system.byIdFolder, byId);
    QStringList byIdNames;
    for (const SerialAdapter &adapter : signlink::presentAdapters(system))
        byIdNames << QFileInfo(adapter.byIdPath).fileName();
    EXPECT_TRUE(byIdNames.contains(QStringLiteral("usb-FTDI_FT232R_A1234567-if00-port0"))) << byIdNames.join(u' ').toStdString();
    EXPECT_TRUE(byIdNames.contains(QStringLiteral("usb-Maker_Sign_Bridge-if00")));
    EXPECT_EQ(signlink::AdapterSources::system().byIdFolder, QString::fromLatin1(signlink::SystemByIdFolder));
}

TEST_F(PortInventoryTest, EveryKindOfEntryWithItsAdapter)
{
    // COM 2 through the stable name, COM 3 straight to the device, COM 4 unplugged.
    ASSERT_TRUE(QFile::link(byId + QStringLiteral("/usb-FTDI_FT232R_A1234567-if00-port0"), folder + QStringLiteral("/COM2")));
    ASSERT_TRUE(QFile::link(device("ttyUSB1"), folder + QStringLiteral("/COM3")));
    ASSERT_TRUE(QFile::link(byId + QStringLiteral("/usb-Gone_Adapter-if00-port0"), folder + QStringLiteral("/COM4")));
    ASSERT_TRUE(testsupport::writePortEntry(folder, 6, "rfc2217://sign-server:4001\n"));
    ASSERT_TRUE(testsupport::writePortEntry(folder, 7, "tcp://sign-server"));

    const QList<ComPortInfo> ports =
        signlink::portInventory(PortMap(folder), signlink::presentAdapters(sources()));
    ASSERT_EQ(ports.size(), 12);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(ports[i].comNumber, i + 1);

    const ComPortInfo &viaById = ports[1];
    EXPECT_TRUE(viaById.mapped);
    EXPECT_TRUE(viaById.present);
    EXPECT_EQ(viaById.devicePath, device("ttyUSB0"));
    EXPECT_EQ(viaById.description, QStringLiteral("FT232R USB UART"));
    EXPECT_EQ(viaById.manufacturer, QStringLiteral("FTDI"));
    EXPECT_EQ(viaById.serialNumber, QStringLiteral("A1234567"));
    EXPECT_EQ(viaById.vendorProductText(), QStringLiteral("0403:6001"));
    EXPECT_EQ(viaById.byIdPath, byId + QStringLiteral("/usb-FTDI_FT232R_A1234567-if00-port0"));

    EXPECT_TRUE(ports[2].present);
    EXPECT_EQ(ports[2].description, QStringLiteral("USB-Serial Controller"));

    const ComPortInfo &unplugged = ports[3];
    EXPECT_EQ(unplugged.kind, PortEntry::Kind::Device);
    EXPECT_TRUE(unplugged.mapped);
    EXPECT_FALSE(unplugged.present);
    EXPECT_EQ(unplugged.devicePath, byId + QStringLiteral("/usb-Gone_Adapter-if00-port0"));
    EXPECT_TRUE(unplugged.description.isEmpty());

    const ComPortInfo &byDefault = ports[4];
    EXPECT_FALSE(byDefault.mapped);
    EXPECT_EQ(byDefault.present, QFileInfo::exists(QStringLiteral("/dev/ttyUSB0")));

    EXPECT_EQ(ports[5].kind, PortEntry::Kind::Network);
    ASSERT_TRUE(ports[5].networkAddress);
    EXPECT_EQ(ports[5].networkAddress->text(), QStringLiteral("rfc2217://sign-server:4001"));
    EXPECT_FALSE(ports[5].present);

    EXPECT_EQ(ports[6].kind, PortEntry::Kind::Invalid);
    EXPECT_TRUE(ports[6].problem.startsWith(QStringLiteral("COM 7: \"tcp://sign-server\" is not a network address")));
}

// ---- changes to the folder ----

TEST_F(PortInventoryTest, EachChangeReadsBackAsWhatWasMeant)
{
    const PortMap map(folder + QStringLiteral("/not/yet/made"));
    ASSERT_EQ(signlink::linkEntry(map, 3, device("ttyUSB1")), std::nullopt);
    EXPECT_EQ(QFileInfo(map.entryPath(3)).symLinkTarget(), device("ttyUSB1"));
    EXPECT_EQ(map.entry(3).kind, PortEntry::Kind::Device);

    ASSERT_EQ(signlink::writeAddressEntry(map, 3, {signlink::NetworkAddress::Protocol::Rfc2217, QStringLiteral("::1"), 2217}),
              std::nullopt);
    QFile file(map.entryPath(3));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("rfc2217://[::1]:2217\n"));
    EXPECT_EQ(map.entry(3).kind, PortEntry::Kind::Network);

    ASSERT_EQ(signlink::linkEntry(map, 3, device("ttyUSB0")), std::nullopt);
    EXPECT_EQ(map.entry(3).kind, PortEntry::Kind::Device);
    ASSERT_EQ(signlink::resetEntry(map, 3), std::nullopt);
    EXPECT_EQ(map.devicePath(3), QStringLiteral("/dev/ttyS2"));
    EXPECT_EQ(signlink::resetEntry(map, 3), std::nullopt);  // nothing left to remove is no failure
    // Nothing but the entries is left behind in the folder.
    EXPECT_TRUE(QDir(map.mapFolder()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(PortInventoryTest, AnAddressReplacesTheLinkNotTheDeviceItPointsAt)
{
    const PortMap map(folder);
    ASSERT_TRUE(QFile::link(device("ttyUSB0"), map.entryPath(5)));
    ASSERT_EQ(signlink::writeAddressEntry(map, 5, {signlink::NetworkAddress::Protocol::RawTcp, QStringLiteral("sign"), 4001}),
              std::nullopt);
    EXPECT_FALSE(QFileInfo(map.entryPath(5)).isSymLink());
    EXPECT_EQ(QFileInfo(device("ttyUSB0")).size(), 0);
    ASSERT_EQ(signlink::resetEntry(map, 5), std::nullopt);
    EXPECT_TRUE(QFileInfo::exists(device("ttyUSB0")));
}

TEST_F(PortInventoryTest, AFolderInTheEntrysPlaceIsLeftAloneAndSaidSo)
{
    const PortMap map(folder);
    ASSERT_TRUE(QDir().mkpath(map.entryPath(9) + QStringLiteral("/inside")));
    const QString said = QStringLiteral("COM 9: the port map entry %1 is a folder; remove it first.").arg(map.entryPath(9));
    EXPECT_EQ(signlink::linkEntry(map, 9, device("ttyUSB0")), said);
    EXPECT_EQ(signlink::writeAddressEntry(map, 9, {signlink::NetworkAddress::Protocol::RawTcp, QStringLiteral("sign"), 1}),
              said);
    EXPECT_EQ(signlink::resetEntry(map, 9), said);
    EXPECT_TRUE(QFileInfo(map.entryPath(9) + QStringLiteral("/inside")).isDir());
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{QStringLiteral("COM9")});
}

TEST_F(PortInventoryTest, AFolderThatCannotBeMadeIsSaidSo)
{
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    const PortMap map(blocker.fileName() + QStringLiteral("/ports"));
    EXPECT_EQ(signlink::linkEntry(map, 1, device("ttyUSB0")),
              QStringLiteral("COM 1: the port map folder %1 could not be made.").arg(map.mapFolder()));
    EXPECT_EQ(signlink::linkEntry(map, 13, device("ttyUSB0")),
              QStringLiteral("COM 13 does not exist. Choose one of COM 1 to COM 12."));
}

} // namespace
