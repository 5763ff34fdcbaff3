#include "protocol/numbers.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace protocol {

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Length of the run of digits starting at `pos`.
qsizetype digitsAt(QStringView text, qsizetype pos)
{
    qsizetype n = 0;
    while (pos + n < text.size() && isDigit(text[pos + n]))
        ++n;
    return n;
}

} // namespace

double leadingNumber(QStringView text)
{
    qsizetype pos = 0;
    while (pos < text.size() && (text[pos] == u' ' || text[pos] == u'\t'))
        ++pos;
    const qsizetype start = pos;
    if (pos < text.size() && (text[pos] == u'-' || text[pos] == u'+'))
        ++pos;
    const qsizetype intDigits = digitsAt(text, pos);
    pos += intDigits;
    qsizetype fracDigits = 0;
    if (pos < text.size() && text[pos] == u'.') {
        fracDigits = digitsAt(text, pos + 1);
        if (intDigits > 0 || fracDigits > 0)
            pos += 1 + fracDigits;
    }
    if (intDigits == 0 && fracDigits == 0)
        return 0.0;
    // An exponent counts only when digits follow it ("12e" reads as 12).
    if (pos < text.size() && (text[pos] == u'e' || text[pos] == u'E')) {
        qsizetype expPos = pos + 1;
        if (expPos < text.size() && (text[expPos] == u'-' || text[expPos] == u'+'))
            ++expPos;
        const qsizetype expDigits = digitsAt(text, expPos);
        if (expDigits > 0)
            pos = expPos + expDigits;
    }
    // strtod would follow the C locale, which a Qt program on Unix sets from the environment
    // (a decimal comma in many of them); Qt's conversion always reads a decimal point. The text
    // has the shape of a number here, so only range can fail: too large gives an infinity,
    // too small 0, both as wanted.
    return text.mid(start, pos - start).toDouble();
}

std::optional<qint16> toInt16(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    // nearbyint follows the current rounding mode, which is round-to-nearest-even by default;
    // set it explicitly so a library that changed it cannot change what the sign is sent.
    const int oldMode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(oldMode);
    if (rounded < std::numeric_limits<qint16>::min() || rounded > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(rounded);
}

std::optional<qint16> readInt16(QStringView text)
{
    return toInt16(leadingNumber(text));
}

std::optional<qint16> strictInt16(QStringView text)
{
    qsizetype pos = 0;
    if (!text.isEmpty() && text[0] == u'-')
        pos = 1;
    if (pos == text.size() || digitsAt(text, pos) != text.size() - pos)
        return std::nullopt;
    // Leading zeros are allowed ("05"). Only digits are left, so add them up and stop as soon as
    // the value can no longer fit, however long the run is.
    const bool negative = pos == 1;
    const long limit = negative ? -long{std::numeric_limits<qint16>::min()} : std::numeric_limits<qint16>::max();
    long magnitude = 0;
    for (; pos < text.size(); ++pos) {
        magnitude = magnitude * 10 + (text[pos].unicode() - u'0');
        if (magnitude > limit)
            return std::nullopt;
    }
    return static_cast<qint16>(negative ? -magnitude : magnitude);
}

} // namespace protocol
