#include "link/tlsparameters.h"

#include <QList>

namespace signlink {

namespace {

constexpr int FingerprintBytes = 32;
constexpr QStringView FingerprintPrefix = u"SHA256:";
constexpr QStringView KnownNames = u"ca, fingerprint, cert, key";

int hexValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

// The value's bytes with every %XX decoded; nothing when a % is not followed by two hex digits.
std::optional<QByteArray> percentDecoded(QStringView value)
{
    const QByteArray raw = value.toUtf8();
    QByteArray out;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != '%') {
            out += raw[i];
            continue;
        }
        const int high = i + 2 < raw.size() ? hexValue(QChar::fromLatin1(raw[i + 1])) : -1;
        const int low = high >= 0 ? hexValue(QChar::fromLatin1(raw[i + 2])) : -1;
        if (low < 0)
            return std::nullopt;
        out += char(high * 16 + low);
        i += 2;
    }
    return out;
}

// A path as a parameter gives it: absolute, UTF-8, without control characters (it is shown in
// sentences and written back into the one-line entry).
std::optional<QString> pathValue(const QString &name, const QByteArray &bytes, QString *problem)
{
    const QString path = QString::fromUtf8(bytes);
    if (path.toUtf8() != bytes) {
        *problem = QStringLiteral("the %1 path is not valid UTF-8").arg(name);
        return std::nullopt;
    }
    for (QChar c : path) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
            *problem = QStringLiteral("the %1 path holds a control character").arg(name);
            return std::nullopt;
        }
    }
    if (!path.startsWith(u'/')) {
        *problem = QStringLiteral("the %1 path must be absolute (begin with /)").arg(name);
        return std::nullopt;
    }
    return path;
}

bool isPlainName(QStringView name)
{
    if (name.isEmpty() || name.size() > 20)
        return false;
    for (QChar c : name) {
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'-'))
            return false;
    }
    return true;
}

} // namespace

std::optional<QByteArray> parseFingerprint(QStringView text)
{
    if (!text.startsWith(FingerprintPrefix, Qt::CaseInsensitive))
        return std::nullopt;
    QStringView digits = text.sliced(FingerprintPrefix.size());
    // Colons between every pair, as openssl prints it, or none at all.
    const bool colons = digits.size() == FingerprintBytes * 3 - 1;
    if (!colons && digits.size() != FingerprintBytes * 2)
        return std::nullopt;
    QByteArray bytes;
    const qsizetype step = colons ? 3 : 2;
    for (qsizetype i = 0; i < digits.size(); i += step) {
        if (colons && i + 2 < digits.size() && digits[i + 2] != u':')
            return std::nullopt;
        const int high = hexValue(digits[i]);
        const int low = hexValue(digits[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes += char(high * 16 + low);
    }
    return bytes;
}

QString fingerprintText(const QByteArray &sha256)
{
    return FingerprintPrefix.toString() + QString::fromLatin1(sha256.toHex(':').toUpper());
}

std::optional<TlsOptions> parseTlsParameters(QStringView query, QString *problem)
{
    const auto fail = [problem](const QString &why) -> std::optional<TlsOptions> {
        *problem = why;
        return std::nullopt;
    };
    if (query.isEmpty())
        return fail(QStringLiteral("the parameters after ? are missing"));
    TlsOptions options;
    QList<QStringView> seen;
    for (QStringView item : query.split(u'&')) {
        const qsizetype equals = item.indexOf(u'=');
        const QStringView name = equals < 0 ? item : item.left(equals);
        const QStringView value = equals < 0 ? QStringView() : item.sliced(equals + 1);
        if (name.isEmpty())
            return fail(QStringLiteral("a parameter has no name (they are NAME=VALUE joined by &)"));
        if (name != u"ca" && name != u"fingerprint" && name != u"cert" && name != u"key") {
            const QString shown = isPlainName(name) ? QStringLiteral("unknown parameter \"%1\"").arg(name)
                                                    : QStringLiteral("an unknown parameter");
            return fail(shown + QStringLiteral(" (known: %1)").arg(KnownNames));
        }
        if (seen.contains(name))
            return fail(QStringLiteral("the parameter %1 is given twice").arg(name));
        seen.append(name);
        if (value.isEmpty())
            return fail(QStringLiteral("the parameter %1 has no value").arg(name));
        const std::optional<QByteArray> bytes = percentDecoded(value);
        if (!bytes)
            return fail(QStringLiteral("in the parameter %1, a % must be followed by two hexadecimal digits").arg(name));
        if (name == u"fingerprint") {
            const std::optional<QByteArray> sha256 = parseFingerprint(QString::fromLatin1(*bytes));
            if (!sha256)
                return fail(QStringLiteral("the fingerprint must be SHA256: and 32 pairs of hexadecimal digits, as in "
                                           "SHA256:AB:CD:...:EF"));
            options.fingerprint = *sha256;
            continue;
        }
        const std::optional<QString> path = pathValue(name.toString(), *bytes, problem);
        if (!path)
            return std::nullopt;
        (name == u"ca" ? options.caFile : name == u"cert" ? options.certFile : options.keyFile) = *path;
    }
    if (options.certFile.isEmpty() != options.keyFile.isEmpty())
        return fail(QStringLiteral("cert and key must be given together"));
    return options;
}

QString tlsParametersText(const TlsOptions &options)
{
    QStringList parts;
    const auto add = [&parts](const char *name, const QString &value) {
        if (!value.isEmpty())
            parts << QString::fromLatin1(name) + u'=' + QString::fromLatin1(value.toUtf8().toPercentEncoding("/:+,@"));
    };
    add("ca", options.caFile);
    add("fingerprint", options.fingerprint.isEmpty() ? QString() : fingerprintText(options.fingerprint));
    add("cert", options.certFile);
    add("key", options.keyFile);
    return parts.isEmpty() ? QString() : u'?' + parts.join(u'&');
}

} // namespace signlink
