// The shared number reader and the wire conversion, fed with any text: once as single bytes
// (as the sign and the files give them) and once as UTF-16 (as an operator could type).

#include "fuzzsupport.h"

#include "protocol/commands.h"
#include "protocol/numbers.h"
#include "session/wire.h"

#include <cmath>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

bool sameNumber(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// A whole number as typed: "-" and digits only, within 16 bits, leading zeros allowed.
std::optional<qint16> typedWholeNumber(const QString &text)
{
    const bool negative = text.startsWith(u'-');
    const QStringView digits = QStringView(text).mid(negative ? 1 : 0);
    if (digits.isEmpty())
        return std::nullopt;
    long value = 0;
    for (QChar c : digits) {
        if (!isDigit(c))
            return std::nullopt;
        value = std::min(value * 10 + (c.unicode() - u'0'), 100000L);
    }
    value = negative ? -value : value;
    if (value < -32768 || value > 32767)
        return std::nullopt;
    return qint16(value);
}

void checkText(const QString &text)
{
    const fuzz::Detail detail = [&] { return u"text "_s + fuzz::shown(text); };
    const double v = protocol::leadingNumber(text);
    FUZZ_CHECK(!std::isnan(v), detail);
    // Only the leading part counts: what follows a letter or a separator is never read, and
    // blanks before the number are skipped.
    FUZZ_CHECK(sameNumber(protocol::leadingNumber(text + u"x1,2:3"_s), v), detail);
    FUZZ_CHECK(sameNumber(protocol::leadingNumber(u" \t "_s + text), v), detail);

    const std::optional<qint16> whole = protocol::readInt16(text);
    FUZZ_CHECK(whole == protocol::toInt16(v), detail);

    const std::optional<qint16> typed = protocol::strictInt16(text);
    FUZZ_CHECK(typed == typedWholeNumber(text), detail);
    if (typed)
        FUZZ_CHECK(whole == typed, detail);

    // Single bytes go out as they are, followed by one CR; anything else is named instead.
    const std::optional<QByteArray> bytes = session::commandBytes(text);
    const std::optional<QString> bad = protocol::firstUnsendableChar(text);
    const bool tooLong = protocol::longestCommandLength(text) > protocol::MaxCommandLength;
    FUZZ_CHECK(bytes.has_value() == (!bad && !tooLong), detail);
    if (bytes) {
        FUZZ_CHECK(bytes->size() == text.size() + 1 && bytes->endsWith('\r'), detail);
        FUZZ_CHECK(QString::fromLatin1(bytes->chopped(1)) == text, detail);
    } else if (bad) {
        const qsizetype at = text.indexOf(*bad);
        FUZZ_CHECK(at >= 0 && (bad->size() == 1 || bad->size() == 2), detail);
        FUZZ_CHECK(bad->at(0).unicode() > 0xFF, detail);
        for (qsizetype i = 0; i < at; ++i)
            FUZZ_CHECK(text[i].unicode() <= 0xFF, detail);
        if (bad->size() == 2)
            FUZZ_CHECK(bad->at(0).isHighSurrogate() && bad->at(1).isLowSurrogate(), detail);
        else
            FUZZ_CHECK(!(bad->at(0).isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()), detail);
    }
}

// Whether `tail` could carry on a number written before it.
bool continuesANumber(QStringView tail)
{
    if (tail.isEmpty())
        return false;
    if (isDigit(tail[0]) || tail[0] == u'.')
        return true;
    if (tail[0] != u'e' && tail[0] != u'E')
        return false;
    const qsizetype digit = tail.size() > 1 && (tail[1] == u'+' || tail[1] == u'-') ? 2 : 1;
    return digit < tail.size() && isDigit(tail[digit]);
}

void checkValue(double value, const QString &tail)
{
    const fuzz::Detail detail = [&] { return u"value "_s + QString::number(value, 'g', 17); };
    // A number as the tool writes it reads back as itself, whatever follows that cannot
    // carry it on.
    if (std::isfinite(value) && !continuesANumber(tail)) {
        FUZZ_CHECK(protocol::leadingNumber(QString::number(value, 'g', 17) + tail) == value, detail + fuzz::shown(tail));
        FUZZ_CHECK(protocol::leadingNumber(QString::number(value, 'f', 3) + tail) == QString::number(value, 'f', 3).toDouble(),
                   detail + fuzz::shown(tail));
    }

    const std::optional<qint16> r = protocol::toInt16(value);
    if (!std::isfinite(value) || value < -32768.5 || value > 32767.5) {
        FUZZ_CHECK(!r, detail);
        return;
    }
    if (!r) {
        // Only the halves at the very ends can round outside.
        FUZZ_CHECK(value == -32768.5 || value == 32767.5, detail);
        return;
    }
    // The nearest whole number, and at a half the even one.
    const double diff = std::fabs(double(*r) - value);
    FUZZ_CHECK(diff <= 0.5, detail);
    if (diff == 0.5)
        FUZZ_CHECK(*r % 2 == 0, detail);

    FUZZ_CHECK(protocol::strictInt16(QString::number(*r)) == r && protocol::readInt16(QString::number(*r)) == r,
               detail);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    checkText(fuzz::latin1(data, size));
    QList<char16_t> units(qsizetype(size / 2));
    if (!units.isEmpty())
        std::memcpy(units.data(), data, std::size_t(units.size()) * sizeof(char16_t));
    checkText(QString::fromUtf16(units.constData(), units.size()));
    if (size >= sizeof(double)) {
        double value = 0;
        std::memcpy(&value, data, sizeof value);
        const QString tail = fuzz::latin1(data + sizeof value, size - sizeof value);
        checkValue(value, tail);
        checkValue(std::fmod(value, 70000.0), tail);  // most often within reach of 16 bits
    }
    return 0;
}
