#pragma once

// What every fuzz target shares: turning the input into text, and a check that stops the run
// with a readable report when a property does not hold. A failed check aborts, so libFuzzer
// keeps the input as a crash and the run fails.

#include <QString>
#include <QStringList>

#include <cstddef>
#include <functional>
#include <type_traits>
#include <utility>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

using namespace Qt::Literals::StringLiterals;

// Each byte is one character, as on the wire and in .led files.
inline QString latin1(const std::uint8_t *data, std::size_t size)
{
    return QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
}

// A text with everything outside printable ASCII written as \xNN or \uNNNN, for reports.
inline QString shown(const QString &text)
{
    QString out;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\')
            out += u"\\\\";
        else if (u >= 0x20 && u < 0x7F)
            out += c;
        else if (u <= 0xFF)
            out += u"\\x"_s + QString::number(u, 16).rightJustified(2, u'0');
        else
            out += u"\\u"_s + QString::number(u, 16).rightJustified(4, u'0');
    }
    return u'"' + out + u'"';
}

// The description of an input for a report, made only when a check fails: most inputs pass,
// and building the text for each of them would cost more than the checks.
class Detail {
public:
    template <typename F, std::enable_if_t<std::is_invocable_r_v<QString, F>, int> = 0>
    Detail(F make) : m_make(std::move(make)) {}
    QString text() const { return m_make(); }
    friend QString operator+(const Detail &d, const QString &more) { return d.text() + more; }

private:
    std::function<QString()> m_make;
};

inline QString textOf(const QString &text) { return text; }
inline QString textOf(const Detail &detail) { return detail.text(); }

[[noreturn]] inline void fail(const char *file, int line, const char *condition, const QString &detail)
{
    std::fprintf(stderr, "\n==== property failed at %s:%d\n     %s\n     %s\n", file, line, condition,
                 detail.toLocal8Bit().constData());
    std::fflush(stderr);
    std::abort();
}

// The sign's own part of a reply line, as the readers must take it: what follows the last CR
// with text after it (an echoed command and its CR come first, a CR LF line end leaves one
// behind), without control characters and bytes above 126 in front of it (noise).
inline QString answerOf(QString line)
{
    while (line.endsWith(u'\r'))
        line.chop(1);
    const qsizetype echo = line.lastIndexOf(u'\r');
    if (echo >= 0)
        line = line.mid(echo + 1);
    while (!line.isEmpty() && (line.front().unicode() < 0x20 || line.front().unicode() > 0x7E))
        line.remove(0, 1);
    return line;
}

// A few fixed knobs from the input itself, so a text-only input still varies them.
inline std::uint32_t hashOf(const std::uint8_t *data, std::size_t size)
{
    std::uint32_t h = 2166136261u;
    for (std::size_t i = 0; i < size; ++i)
        h = (h ^ data[i]) * 16777619u;
    return h;
}

} // namespace fuzz

#define FUZZ_CHECK(condition, detail)                                                              \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::fuzz::fail(__FILE__, __LINE__, #condition, ::fuzz::textOf(detail));                                \
    } while (false)
