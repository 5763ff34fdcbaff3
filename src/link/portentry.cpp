#include "link/portentry.h"

#include <QHostAddress>

#include <algorithm>

namespace signlink {

namespace {

struct Scheme {
    QStringView text;
    NetworkAddress::Protocol protocol;
    bool tls;
};
constexpr Scheme Schemes[] = {
    {u"tcp://", NetworkAddress::Protocol::RawTcp, false},
    {u"rfc2217://", NetworkAddress::Protocol::Rfc2217, false},
    {u"tls://", NetworkAddress::Protocol::RawTcp, true},
    {u"rfc2217+tls://", NetworkAddress::Protocol::Rfc2217, true},
};
constexpr qsizetype MaxHostLength = 253;

bool isNameCharacter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-'
           || c == u'.' || c == u'_';
}

bool isDottedQuad(QStringView host)
{
    const QList<QStringView> parts = host.split(u'.');
    if (parts.size() != 4)
        return false;
    for (QStringView part : parts) {
        bool ok = false;
        if (part.isEmpty() || part.size() > 3 || part.toUInt(&ok) > 255 || !ok)
            return false;
    }
    return true;
}

// A host name or an IPv4 address: labels of letters, digits, '-' and '_' between dots. Digits and
// dots alone must make an IPv4 address, so that a mistyped one is not looked up as a name.
bool isValidHost(QStringView host)
{
    if (host.isEmpty() || host.size() > MaxHostLength)
        return false;
    bool digitsAndDots = true;
    for (QChar c : host) {
        if (!isNameCharacter(c))
            return false;
        digitsAndDots = digitsAndDots && (c == u'.' || c.isDigit());
    }
    if (digitsAndDots)
        return isDottedQuad(host);
    for (QStringView label : host.split(u'.')) {
        if (label.isEmpty() || label.startsWith(u'-') || label.endsWith(u'-'))
            return false;
    }
    return true;
}

// The address as it may be shown inside a sentence: one short line of printable characters.
QString quoted(QStringView text)
{
    constexpr qsizetype Longest = 60;
    QString shown;
    for (QChar c : text.left(Longest))
        shown += c.isPrint() ? c : QChar(u'?');
    if (text.size() > Longest)
        shown += QStringLiteral("...");
    return u'"' + shown + u'"';
}

// Blanks around the address; a CR left by an editor that ends lines with CR LF counts as one.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

} // namespace

QString NetworkAddress::text() const
{
    QStringView scheme;
    for (const Scheme &s : Schemes) {
        if (s.protocol == protocol && s.tls == tls.has_value())
            scheme = s.text;
    }
    const QString shownHost = host.contains(u':') ? u'[' + host + u']' : host;
    return scheme.toString() + shownHost + u':' + QString::number(port) + (tls ? tlsParametersText(*tls) : QString());
}

std::optional<NetworkAddress> parseNetworkAddress(QStringView text, QString *problem)
{
    const auto fail = [problem](const QString &why) -> std::optional<NetworkAddress> {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    NetworkAddress address;
    QStringView rest;
    bool tls = false;
    bool known = false;
    for (const Scheme &scheme : Schemes) {
        if (text.startsWith(scheme.text, Qt::CaseInsensitive)) {
            address.protocol = scheme.protocol;
            tls = scheme.tls;
            rest = text.sliced(scheme.text.size());
            known = true;
        }
    }
    if (!known)
        return fail(QStringLiteral("it must begin with tcp://, rfc2217://, tls:// or rfc2217+tls://"));

    // Nothing in a host or a port is a "?": what follows one is the parameters.
    const qsizetype question = rest.indexOf(u'?');
    if (question >= 0) {
        if (!tls)
            return fail(QStringLiteral("parameters after ? are only for tls:// and rfc2217+tls://"));
        QString why;
        address.tls = parseTlsParameters(rest.sliced(question + 1), &why);
        if (!address.tls)
            return fail(why);
        rest = rest.left(question);
    } else if (tls) {
        address.tls = TlsOptions();
    }

    QStringView afterHost;
    if (rest.startsWith(u'[')) {
        const qsizetype close = rest.indexOf(u']');
        const QStringView inside = close < 0 ? QStringView() : rest.sliced(1, close - 1);
        // QHostAddress overlooks blanks around an address; they must not end up in the host.
        const bool addressCharacters = std::all_of(inside.begin(), inside.end(), [](QChar c) {
            return isNameCharacter(c) || c == u':' || c == u'%';
        });
        if (close < 0 || !addressCharacters || QHostAddress(inside.toString()).protocol() != QAbstractSocket::IPv6Protocol)
            return fail(QStringLiteral("the host in brackets must be an IPv6 address"));
        address.host = inside.toString();
        afterHost = rest.sliced(close + 1);
    } else {
        const qsizetype colon = rest.indexOf(u':');
        const QStringView host = colon < 0 ? rest : rest.left(colon);
        if (colon >= 0 && rest.indexOf(u':', colon + 1) >= 0)
            return fail(QStringLiteral("an IPv6 address must be in brackets, as in tcp://[::1]:4001"));
        if (host.isEmpty())
            return fail(QStringLiteral("the host is missing"));
        if (!isValidHost(host))
            return fail(QStringLiteral("the host must be a name, an IPv4 address or an IPv6 address in brackets"));
        address.host = host.toString();
        afterHost = colon < 0 ? QStringView() : rest.sliced(colon);
    }

    if (afterHost.isEmpty() || afterHost == u":")
        return fail(QStringLiteral("the port is missing after the host"));
    if (!afterHost.startsWith(u':'))
        return fail(QStringLiteral("the host must be followed by a colon and the port"));
    const QStringView portAndMore = afterHost.sliced(1);
    qsizetype digits = 0;
    while (digits < portAndMore.size() && portAndMore[digits] >= u'0' && portAndMore[digits] <= u'9')
        ++digits;
    if (digits == 0)
        return fail(QStringLiteral("the port must be 1 to 65535"));
    // More than five digits cannot be in range, and would not fit the conversion either.
    const uint port = digits > 5 ? 0 : portAndMore.left(digits).toUInt();
    if (port < 1 || port > 65535)
        return fail(QStringLiteral("the port must be 1 to 65535"));
    if (digits < portAndMore.size())
        return fail(QStringLiteral("nothing may follow the port"));
    address.port = quint16(port);
    // What the Ports dialog writes must read back from the entry.
    if (address.text().size() >= MaxAddressFileSize)
        return fail(QStringLiteral("it is longer than an entry may be (%1 characters)").arg(MaxAddressFileSize - 1));
    return address;
}

PortEntry parseAddressFile(int comNumber, const QString &path, const QByteArray &contents)
{
    const QString com = QStringLiteral("COM %1: ").arg(comNumber);
    const QString oneLine = QStringLiteral("it must hold one line: tcp://HOST:PORT, rfc2217://HOST:PORT, "
                                           "tls://HOST:PORT or rfc2217+tls://HOST:PORT");
    if (contents.size() > MaxAddressFileSize)
        return PortEntry::invalid(com + QStringLiteral("the port map entry %1 is too long for an address (%2).").arg(path, oneLine));

    QByteArray line = contents;
    if (line.endsWith('\n'))
        line.chop(1);
    qsizetype first = 0;
    qsizetype end = line.size();
    while (first < end && isBlank(line[first]))
        ++first;
    while (end > first && isBlank(line[end - 1]))
        --end;
    line = line.sliced(first, end - first);

    if (line.isEmpty())
        return PortEntry::invalid(com + QStringLiteral("the port map entry %1 is empty (%2).").arg(path, oneLine));
    if (line.contains('\n'))
        return PortEntry::invalid(com + QStringLiteral("the port map entry %1 holds more than one line (%2).").arg(path, oneLine));

    const QString text = QString::fromUtf8(line);
    QString problem;
    const std::optional<NetworkAddress> address = parseNetworkAddress(text, &problem);
    if (!address)
        return PortEntry::invalid(com + QStringLiteral("%1 is not a network address (%2).").arg(quoted(text), problem));
    return {PortEntry::Kind::Network, {}, *address, {}};
}

} // namespace signlink
