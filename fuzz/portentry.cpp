// The port entry reader, fed with any port map file and any --port text. The checks hold for
// every form of address the reader knows: what it reads, written back with text(), reads as
// the same address, so a new form needs seeds here and nothing more.

#include "fuzzsupport.h"

#include "link/portentry.h"

#include <QHostAddress>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using signlink::NetworkAddress;
using signlink::PortEntry;

namespace {

const QString Path = u"/home/op/.config/signconfig/ports/COM3"_s;

bool printable(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
}

// A host as it may be looked up: a name or an IPv4 address without blanks or URL punctuation,
// or an IPv6 address (the only kind with a colon).
bool plausibleHost(const QString &host)
{
    if (host.isEmpty())
        return false;
    if (host.contains(u':'))
        return QHostAddress(host).protocol() == QAbstractSocket::IPv6Protocol;
    return std::none_of(host.begin(), host.end(), [](QChar c) {
        return !c.isPrint() || c.isSpace() || QStringView(u"/?#@[]%\\").contains(c);
    });
}

// The scheme (up to "://") in the other case.
QString schemeFlipped(const QString &text)
{
    const qsizetype end = text.indexOf(u"://");
    QString out = text;
    for (qsizetype i = 0; i < end; ++i)
        out[i] = out[i].isUpper() ? out[i].toLower() : out[i].toUpper();
    return out;
}

void checkAddress(const NetworkAddress &address, const fuzz::Detail &detail)
{
    FUZZ_CHECK(address.port >= 1 && plausibleHost(address.host), detail + u" host "_s + fuzz::shown(address.host));
    // Written back and read again, it is the same address, and text() is its one spelling.
    const QString text = address.text();
    QString problem;
    const std::optional<NetworkAddress> again = signlink::parseNetworkAddress(text, &problem);
    FUZZ_CHECK(again && *again == address, detail + u" text "_s + fuzz::shown(text) + u" read back: "_s + problem);
    FUZZ_CHECK(again->text() == text, detail);
    const PortEntry fromFile = signlink::parseAddressFile(3, Path, text.toLatin1() + '\n');
    FUZZ_CHECK(fromFile.kind == PortEntry::Kind::Network && fromFile.address == address, detail);
}

// What the operator reads when a text is no address: one line, with the COM number first.
void checkProblem(const QString &problem, const QString &start, const fuzz::Detail &detail)
{
    FUZZ_CHECK(problem.startsWith(start) && problem.endsWith(u'.'), detail + u" problem "_s + fuzz::shown(problem));
    // The text is quoted cut short and with its control characters replaced.
    FUZZ_CHECK(printable(problem) && problem.size() <= 400, detail + u" problem "_s + fuzz::shown(problem));
}

// The file's bytes as they are.
void checkFile(const QByteArray &contents, int com)
{
    const fuzz::Detail detail = [&] { return u"COM %1 file "_s.arg(com) + fuzz::shown(QString::fromLatin1(contents)); };
    const PortEntry entry = signlink::parseAddressFile(com, Path, contents);
    FUZZ_CHECK(entry.kind != PortEntry::Kind::Device, detail);
    if (entry.kind == PortEntry::Kind::Invalid) {
        FUZZ_CHECK(entry.problem.contains(u"COM "_s + QString::number(com) + u": "_s), detail);
        checkProblem(entry.problem, u"COM %1: "_s.arg(com), detail);
        return;
    }
    FUZZ_CHECK(entry.problem.isEmpty(), detail);
    checkAddress(entry.address, detail);

    // Blanks around it, a CR LF line end and the scheme's case change nothing.
    const QByteArray padded = " \t" + contents.trimmed() + " \r\n";
    if (padded.size() <= signlink::MaxAddressFileSize) {
        const PortEntry again = signlink::parseAddressFile(com, Path, padded);
        FUZZ_CHECK(again.kind == PortEntry::Kind::Network && again.address == entry.address, detail);
    }
    const PortEntry flipped = signlink::parseAddressFile(com, Path, schemeFlipped(QString::fromLatin1(contents)).toLatin1());
    FUZZ_CHECK(flipped.kind == PortEntry::Kind::Network && flipped.address == entry.address, detail);
}

// A --port text, which may hold any character.
void checkText(const QString &text)
{
    const fuzz::Detail detail = [&] { return u"text "_s + fuzz::shown(text); };
    QString problem;
    const std::optional<NetworkAddress> address = signlink::parseNetworkAddress(text, &problem);
    FUZZ_CHECK(address.has_value() == problem.isEmpty(), detail);
    FUZZ_CHECK(signlink::parseNetworkAddress(text, nullptr) == address, detail);
    if (address)
        checkAddress(*address, detail);
    else
        FUZZ_CHECK(printable(problem) && problem.size() <= 200, detail + u" problem "_s + fuzz::shown(problem));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray contents(reinterpret_cast<const char *>(data), qsizetype(size));
    checkFile(contents, int(fuzz::hashOf(data, size) % 14));  // 0 and 13 are outside the list, and still named
    checkText(QString::fromLatin1(contents));
    checkText(QString::fromUtf8(contents));
    return 0;
}
