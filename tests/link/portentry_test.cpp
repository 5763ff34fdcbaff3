// Port map files that name a network sign: what is read from them, and what the operator is
// told when one is wrong.
#include "link/portentry.h"

#include "qtprinters.h"

#include <gtest/gtest.h>

namespace {

using signlink::NetworkAddress;
using signlink::PortEntry;
using Protocol = NetworkAddress::Protocol;

const QString Path = QStringLiteral("/home/op/.config/signconfig/ports/COM3");

struct GoodFile {
    const char *name;
    QByteArray contents;
    NetworkAddress address;
    const char *shown;  // as text() writes it back
};

class GoodAddressFile : public ::testing::TestWithParam<GoodFile> {};

TEST_P(GoodAddressFile, IsReadAsTheNetworkAddress)
{
    const PortEntry entry = signlink::parseAddressFile(3, Path, GetParam().contents);
    ASSERT_EQ(entry.kind, PortEntry::Kind::Network) << entry.problem.toStdString();
    EXPECT_EQ(entry.address, GetParam().address);
    EXPECT_EQ(entry.address.text(), QString::fromLatin1(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(
    Files, GoodAddressFile,
    ::testing::Values(
        GoodFile{"RawName", "tcp://sign:4001", {Protocol::RawTcp, QStringLiteral("sign"), 4001}, "tcp://sign:4001"},
        GoodFile{"Rfc2217Ipv4FinalNewline", "rfc2217://192.0.2.7:2217\n",
                 {Protocol::Rfc2217, QStringLiteral("192.0.2.7"), 2217}, "rfc2217://192.0.2.7:2217"},
        GoodFile{"BracketedIpv6Blanks", " \ttcp://[::1]:1 \t\n", {Protocol::RawTcp, QStringLiteral("::1"), 1},
                 "tcp://[::1]:1"},
        GoodFile{"SchemeInCapitalsCrLf", "TCP://Sign-2.example_net:65535\r\n",
                 {Protocol::RawTcp, QStringLiteral("Sign-2.example_net"), 65535}, "tcp://Sign-2.example_net:65535"},
        GoodFile{"LeadingZerosInPort", "rfc2217://sign:04001", {Protocol::Rfc2217, QStringLiteral("sign"), 4001},
                 "rfc2217://sign:4001"}),
    [](const auto &info) { return std::string(info.param.name); });

struct BadFile {
    const char *name;
    QByteArray contents;
    const char *sentence;
};

class BadAddressFile : public ::testing::TestWithParam<BadFile> {};

TEST_P(BadAddressFile, SaysWhichComNumberAndWhatIsWrong)
{
    const PortEntry entry = signlink::parseAddressFile(3, Path, GetParam().contents);
    EXPECT_EQ(entry.kind, PortEntry::Kind::Invalid);
    EXPECT_EQ(entry.problem, QString::fromUtf8(GetParam().sentence));
}

#define NOT_ADDRESS(text, why) "COM 3: \"" text "\" is not a network address (" why ")."
#define ENTRY_SAYS(what) "COM 3: the port map entry /home/op/.config/signconfig/ports/COM3 " what \
    " (it must hold one line: tcp://HOST:PORT or rfc2217://HOST:PORT)."

INSTANTIATE_TEST_SUITE_P(
    Files, BadAddressFile,
    ::testing::Values(
        BadFile{"PortTooHigh", "tcp://sign:99999\n", NOT_ADDRESS("tcp://sign:99999", "the port must be 1 to 65535")},
        BadFile{"PortZero", "tcp://sign:0", NOT_ADDRESS("tcp://sign:0", "the port must be 1 to 65535")},
        BadFile{"PortHuge", "tcp://sign:123456789012345678901",
                NOT_ADDRESS("tcp://sign:123456789012345678901", "the port must be 1 to 65535")},
        BadFile{"PortNotANumber", "tcp://sign:telnet", NOT_ADDRESS("tcp://sign:telnet", "the port must be 1 to 65535")},
        BadFile{"NoPort", "tcp://sign", NOT_ADDRESS("tcp://sign", "the port is missing after the host")},
        BadFile{"ColonWithoutPort", "rfc2217://sign:", NOT_ADDRESS("rfc2217://sign:", "the port is missing after the host")},
        BadFile{"JunkAfterPort", "tcp://sign:4001/x", NOT_ADDRESS("tcp://sign:4001/x", "nothing may follow the port")},
        BadFile{"BlankInsideAfterPort", "tcp://sign:40 01", NOT_ADDRESS("tcp://sign:40 01", "nothing may follow the port")},
        BadFile{"UnknownScheme", "udp://sign:4001", NOT_ADDRESS("udp://sign:4001", "it must begin with tcp:// or rfc2217://")},
        BadFile{"NoScheme", "sign:4001", NOT_ADDRESS("sign:4001", "it must begin with tcp:// or rfc2217://")},
        BadFile{"DevicePathInAFile", "/dev/ttyUSB0", NOT_ADDRESS("/dev/ttyUSB0", "it must begin with tcp:// or rfc2217://")},
        BadFile{"NoHost", "tcp://:4001", NOT_ADDRESS("tcp://:4001", "the host is missing")},
        BadFile{"Ipv6WithoutBrackets", "tcp://::1:4001",
                NOT_ADDRESS("tcp://::1:4001", "an IPv6 address must be in brackets, as in tcp://[::1]:4001")},
        BadFile{"Ipv4InBrackets", "tcp://[192.0.2.7]:4001",
                NOT_ADDRESS("tcp://[192.0.2.7]:4001", "the host in brackets must be an IPv6 address")},
        BadFile{"BlankInsideBrackets", "tcp://[ ::1]:4001",
                NOT_ADDRESS("tcp://[ ::1]:4001", "the host in brackets must be an IPv6 address")},
        BadFile{"UnclosedBracket", "tcp://[::1:4001", NOT_ADDRESS("tcp://[::1:4001", "the host in brackets must be an IPv6 address")},
        BadFile{"NoColonAfterBracket", "tcp://[::1]4001",
                NOT_ADDRESS("tcp://[::1]4001", "the host must be followed by a colon and the port")},
        BadFile{"Ipv4OutOfRange", "tcp://300.1.1.1:4001",
                NOT_ADDRESS("tcp://300.1.1.1:4001", "the host must be a name, an IPv4 address or an IPv6 address in brackets")},
        BadFile{"UserInHost", "tcp://op@sign:4001",
                NOT_ADDRESS("tcp://op@sign:4001", "the host must be a name, an IPv4 address or an IPv6 address in brackets")},
        BadFile{"EmptyLabel", "tcp://sign..example:4001",
                NOT_ADDRESS("tcp://sign..example:4001", "the host must be a name, an IPv4 address or an IPv6 address in brackets")},
        BadFile{"ControlCharacterShownSafely", QByteArray("tcp://si\x01gn:4001"),
                NOT_ADDRESS("tcp://si?gn:4001", "the host must be a name, an IPv4 address or an IPv6 address in brackets")},
        BadFile{"Empty", "", ENTRY_SAYS("is empty")},
        BadFile{"OnlyBlanksAndNewline", " \t\r\n", ENTRY_SAYS("is empty")},
        BadFile{"TwoAddresses", "tcp://a:1\ntcp://b:2\n", ENTRY_SAYS("holds more than one line")},
        BadFile{"TwoFinalNewlines", "tcp://a:1\n\n", ENTRY_SAYS("holds more than one line")},
        BadFile{"TooLong", QByteArray(signlink::MaxAddressFileSize + 1, 'a'), ENTRY_SAYS("is too long for an address")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(BadAddressFile, LongJunkIsCutShortInTheSentence)
{
    const PortEntry entry = signlink::parseAddressFile(12, Path, "tcp://" + QByteArray(200, 'x'));
    EXPECT_TRUE(entry.problem.startsWith(QStringLiteral("COM 12: \"tcp://xxxx")));
    EXPECT_TRUE(entry.problem.contains(QStringLiteral("xxx...\" is not a network address")));
    EXPECT_LT(entry.problem.size(), 160);
}

} // namespace
