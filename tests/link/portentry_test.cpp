// Port map files that name a network sign: what is read from them, and what the operator is
// told when one is wrong.
#include "link/portentry.h"

#include "qtprinters.h"

#include <gtest/gtest.h>

namespace {

using signlink::NetworkAddress;
using signlink::PortEntry;
using signlink::TlsOptions;
using Protocol = NetworkAddress::Protocol;

const QString Path = QStringLiteral("/home/op/.config/signconfig/ports/COM3");

const QByteArray Digest = QByteArray::fromHex("00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff");
#define PIN "SHA256:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF"

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
                 "rfc2217://sign:4001"},
        GoodFile{"TlsWithoutParameters", "tls://sign:4443\n", {Protocol::RawTcp, QStringLiteral("sign"), 4443, TlsOptions()},
                 "tls://sign:4443"},
        // Parameters in any order, the pin in lower case without colons: written back in one order
        // and one spelling.
        GoodFile{"Rfc2217TlsEveryParameter",
                 "RFC2217+TLS://[::1]:4443?key=/home/op/client.key&cert=/home/op/client.pem"
                 "&fingerprint=sha256:00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff&ca=/etc/ca.pem",
                 {Protocol::Rfc2217, QStringLiteral("::1"), 4443,
                  TlsOptions{QStringLiteral("/etc/ca.pem"), Digest, QStringLiteral("/home/op/client.pem"),
                             QStringLiteral("/home/op/client.key")}},
                 "rfc2217+tls://[::1]:4443?ca=/etc/ca.pem&fingerprint=" PIN
                 "&cert=/home/op/client.pem&key=/home/op/client.key"},
        GoodFile{"PercentEncodedPath", "tls://sign:1?ca=/home/j%c3%b6rg/my%20ca%26more.pem",
                 {Protocol::RawTcp, QStringLiteral("sign"), 1, TlsOptions{QStringLiteral("/home/j\u00f6rg/my ca&more.pem"), {}, {}, {}}},
                 "tls://sign:1?ca=/home/j%C3%B6rg/my%20ca%26more.pem"},
        GoodFile{"Utf8PathAsTyped", "tls://sign:1?fingerprint=" PIN "&ca=/home/j\xc3\xb6rg/ca.pem",
                 {Protocol::RawTcp, QStringLiteral("sign"), 1, TlsOptions{QStringLiteral("/home/j\u00f6rg/ca.pem"), Digest, {}, {}}},
                 "tls://sign:1?ca=/home/j%C3%B6rg/ca.pem&fingerprint=" PIN}),
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
    " (it must hold one line: tcp://HOST:PORT, rfc2217://HOST:PORT, tls://HOST:PORT or rfc2217+tls://HOST:PORT)."
#define SCHEMES "it must begin with tcp://, rfc2217://, tls:// or rfc2217+tls://"
#define BAD_PIN "the fingerprint must be SHA256: and 32 pairs of hexadecimal digits, as in SHA256:AB:CD:...:EF"

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
        BadFile{"UnknownScheme", "udp://sign:4001", NOT_ADDRESS("udp://sign:4001", SCHEMES)},
        BadFile{"NoScheme", "sign:4001", NOT_ADDRESS("sign:4001", SCHEMES)},
        BadFile{"DevicePathInAFile", "/dev/ttyUSB0", NOT_ADDRESS("/dev/ttyUSB0", SCHEMES)},
        BadFile{"TlsAsSuffix", "tcp+tls://sign:4001", NOT_ADDRESS("tcp+tls://sign:4001", SCHEMES)},
        BadFile{"ParametersWithoutTls", "tcp://sign:4001?ca=/etc/ca.pem",
                NOT_ADDRESS("tcp://sign:4001?ca=/etc/ca.pem", "parameters after ? are only for tls:// and rfc2217+tls://")},
        BadFile{"UnknownParameter", "tls://sign:1?verify=none",
                NOT_ADDRESS("tls://sign:1?verify=none", "unknown parameter \"verify\" (known: ca, fingerprint, cert, key)")},
        BadFile{"UnknownParameterShownSafely", "tls://sign:1?v\x01=1",
                NOT_ADDRESS("tls://sign:1?v?=1", "an unknown parameter (known: ca, fingerprint, cert, key)")},
        BadFile{"ParameterNamesAreLowerCase", "tls://sign:1?CA=/ca.pem",
                NOT_ADDRESS("tls://sign:1?CA=/ca.pem", "unknown parameter \"CA\" (known: ca, fingerprint, cert, key)")},
        BadFile{"NoParametersAfterQuestionMark", "tls://sign:1?", NOT_ADDRESS("tls://sign:1?", "the parameters after ? are missing")},
        BadFile{"EmptyParameter", "tls://sign:1?ca=/a&&key=/k",
                NOT_ADDRESS("tls://sign:1?ca=/a&&key=/k", "a parameter has no name (they are NAME=VALUE joined by &)")},
        BadFile{"ParameterWithoutValue", "tls://sign:1?ca", NOT_ADDRESS("tls://sign:1?ca", "the parameter ca has no value")},
        BadFile{"ParameterTwice", "tls://sign:1?ca=/a&ca=/b",
                NOT_ADDRESS("tls://sign:1?ca=/a&ca=/b", "the parameter ca is given twice")},
        BadFile{"FingerprintTooShort", "tls://sign:1?fingerprint=SHA256:AB:CD",
                NOT_ADDRESS("tls://sign:1?fingerprint=SHA256:AB:CD", BAD_PIN)},
        BadFile{"FingerprintOfAnotherHash", "tls://s:1?fingerprint=SHA1:00112233445566778899aabbccddeeff0011223344556677",
                NOT_ADDRESS("tls://s:1?fingerprint=SHA1:00112233445566778899aabbccddeeff0...", BAD_PIN)},
        BadFile{"FingerprintNotHex", "tls://s:1?fingerprint=SHA256:0011223344556677889900112233445566778899001122334455667788990Z",
                NOT_ADDRESS("tls://s:1?fingerprint=SHA256:0011223344556677889900112233445...", BAD_PIN)},
        BadFile{"FingerprintColonsAstray", "tls://s:1?fingerprint=SHA256:0:011:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF",
                NOT_ADDRESS("tls://s:1?fingerprint=SHA256:0:011:22:33:44:55:66:77:88:99:A...", BAD_PIN)},
        BadFile{"RelativePath", "tls://sign:1?ca=certs/ca.pem",
                NOT_ADDRESS("tls://sign:1?ca=certs/ca.pem", "the ca path must be absolute (begin with /)")},
        BadFile{"HomeRelativePath", "tls://sign:1?cert=~/c.pem&key=/k",
                NOT_ADDRESS("tls://sign:1?cert=~/c.pem&key=/k", "the cert path must be absolute (begin with /)")},
        BadFile{"CertWithoutKey", "tls://sign:1?cert=/c.pem",
                NOT_ADDRESS("tls://sign:1?cert=/c.pem", "cert and key must be given together")},
        BadFile{"BrokenPercent", "tls://sign:1?ca=/a%2", NOT_ADDRESS("tls://sign:1?ca=/a%2",
                "in the parameter ca, a % must be followed by two hexadecimal digits")},
        BadFile{"EncodedLineBreak", "tls://sign:1?ca=/a%0Ab", NOT_ADDRESS("tls://sign:1?ca=/a%0Ab",
                "the ca path holds a control character")},
        BadFile{"EncodedBytesNotUtf8", "tls://sign:1?key=/a%FF&cert=/c", NOT_ADDRESS("tls://sign:1?key=/a%FF&cert=/c",
                "the key path is not valid UTF-8")},
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
