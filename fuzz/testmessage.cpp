// The test-message encoder, fed with any run of characters and attributes.
//
// Input, one line each:
//   ID FONT STYLE COLOR ALIGN BEEP PAUSE SPEED TIMEOUT   the window's lists and timeout text
//   FONT COLOR TEXT                                      a run of characters, as often as wanted
// A run's FONT is a font list position 0-24, or 25-29 for attributes without a code of their own
// (Courier New 10, "arial" 10, Times New Roman 11 accent only, Arial 11 bold, Arial 10.5); its
// COLOR a colour list position 0-12, or 13-14 for colours no position previews. In TEXT and
// TIMEOUT: \n line feed, \p paragraph and \l line separator, \r carriage return, \e the euro
// sign, \s a character beyond U+FFFF (two halves), \h a lone high surrogate, \\ a backslash.
//
// Checked for every input: the command is one line, its attributes are the lists' (the font
// the text begins with replacing the font list's), and the first character the sign cannot
// take is named. For a text without "$" of its own, the command is then read the way the sign
// reads it, and every character must show in the editor's font and colour wherever the sign
// has a code for them, and the text must read as the editor's.

#include "fuzzsupport.h"

#include "protocol/commands.h"
#include "protocol/testmessage.h"
#include "session/wire.h"

#include <array>

using namespace Qt::Literals::StringLiterals;
using namespace protocol;

namespace {

struct Input {
    int messageId = 0;
    PriorityCodes lists{5, 0, 1, 2, 2, 3, 0};
    QString timeout = u"10"_s;
    QList<ComposedChar> chars;
};

// A cursor over one input line: numbers and the text after them.
class Fields {
public:
    explicit Fields(QStringView line) : m_line(line) {}

    int number(int fallback)
    {
        while (m_pos < m_line.size() && m_line[m_pos] == u' ')
            ++m_pos;
        const qsizetype start = m_pos;
        while (m_pos < m_line.size() && m_line[m_pos] != u' ')
            ++m_pos;
        const QStringView token = m_line.mid(start, m_pos - start);
        bool ok = false;
        const int v = token.toInt(&ok);
        return ok ? v : fallback;
    }

    // The rest of the line after one separating space.
    QStringView rest() const { return m_pos < m_line.size() ? m_line.mid(m_pos + 1) : QStringView(); }

private:
    QStringView m_line;
    qsizetype m_pos = 0;
};

QString unescaped(QStringView text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i].unicode()) {
        case u'n': out += u'\n'; break;
        case u'p': out += QChar::ParagraphSeparator; break;
        case u'l': out += QChar::LineSeparator; break;
        case u'r': out += u'\r'; break;
        case u'e': out += QChar(0x20AC); break;
        case u's': out += QChar(0xD83D), out += QChar(0xDE00); break;
        case u'h': out += QChar(0xD83D); break;
        default: out += text[i]; break;
        }
    }
    return out;
}

EditorFont runFont(int selector)
{
    const int k = ((selector % 30) + 30) % 30;
    if (k < 25)
        return *fontAttributes(k);
    static const std::array<EditorFont, 5> codeless{{
        {u"Courier New"_s, 10, false, false},
        {u"arial"_s, 10, false, false},
        {u"Times New Roman"_s, 11, false, true},
        {u"Arial"_s, 11, true, false},  // shares position 9's code with other attributes
        {u"Arial"_s, 10.5, false, false},
    }};
    return codeless[std::size_t(k - 25)];
}

Rgb runColor(int selector)
{
    const int k = ((selector % 15) + 15) % 15;
    if (k < 13)
        return *previewColor(k);
    return k == 13 ? Rgb{1, 2, 3} : Rgb{255, 255, 255};
}

Input parse(const QString &text)
{
    Input in;
    const QStringList lines = text.split(u'\n');
    if (lines.isEmpty())
        return in;
    Fields head(lines.first());
    in.messageId = head.number(in.messageId);
    for (int *list : {&in.lists.font, &in.lists.style, &in.lists.color, &in.lists.alignment, &in.lists.beep,
                      &in.lists.pause, &in.lists.speed})
        *list = head.number(*list);
    if (!lines.first().isEmpty())
        in.timeout = unescaped(head.rest());
    for (qsizetype n = 1; n < lines.size(); ++n) {
        Fields run(lines[n]);
        const EditorFont font = runFont(run.number(0));
        const Rgb color = runColor(run.number(1));
        for (QChar c : unescaped(run.rest()))
            in.chars.append({c, font, color});
    }
    return in;
}

bool isBreak(QChar c) { return c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator; }

QString describe(const Input &in)
{
    QString chars;
    for (const ComposedChar &c : in.chars) {
        chars += fuzz::shown(QString(c.character)) + u'[' + c.font.typeface + u' ' + QString::number(c.font.pointSize)
            + (c.font.bold ? u"b"_s : QString()) + (c.font.accent ? u"a"_s : QString())
            + u" %1,%2,%3] "_s.arg(c.color.red).arg(c.color.green).arg(c.color.blue);
    }
    return u"id %1 lists f=%2 s=%3 c=%4 timeout %5 chars %6"_s.arg(in.messageId)
        .arg(in.lists.font)
        .arg(in.lists.style)
        .arg(in.lists.color)
        .arg(fuzz::shown(in.timeout), chars);
}

// What the sign shows for the text part of a command: each character with the font position
// and colour in effect where it stands.
struct Shown {
    QChar character;
    int font;
    std::optional<Rgb> color;
};

QList<Shown> readAsTheSign(const QString &wire, int font, std::optional<Rgb> color, const fuzz::Detail &detail)
{
    static const QStringList tokens{u"<hh:mm:ss>"_s, u"<hh:mm:ss A/PM>"_s, u"<hh:mm>"_s, u"<hh:mm A/PM>"_s,
                                    u"<mm/dd/yyyy>"_s, u"<yyyy-mm-dd>"_s, u"<dd.MM yyyy>"_s, u"<mm'dd'yy>"_s};
    QList<Shown> out;
    for (qsizetype i = 0; i < wire.size(); ++i) {
        if (wire[i] == u'$' && i + 1 < wire.size()) {
            const QChar kind = wire[i + 1];
            if (kind == u'L') {
                out.append({u'\n', font, color});
                ++i;
                continue;
            }
            FUZZ_CHECK(i + 2 < wire.size(), detail + u": a code cut short"_s);
            const int arg = wire[i + 2].unicode();
            if (kind == u'T') {
                FUZZ_CHECK(arg >= u'0' && arg <= u'7', detail);
                for (QChar c : tokens.at(arg - u'0'))
                    out.append({c, font, color});
            } else if (kind == u'F') {
                FUZZ_CHECK(fontAttributes(arg - u'A'), detail + u": no such font code"_s);
                font = arg - u'A';
            } else if (kind == u'C') {
                color = previewColor(arg - u'A');
                FUZZ_CHECK(color, detail + u": no such colour code"_s);
            } else {
                FUZZ_CHECK(false, detail + u": unknown code"_s);
            }
            i += 2;
            continue;
        }
        out.append({wire[i], font, color});
    }
    return out;
}

void checkAsTheSignShowsIt(const Input &in, const EncodedTestMessage &m, const fuzz::Detail &detail)
{
    // The editor's characters as the sign should show them: breaks as line feeds, no CR.
    QList<ComposedChar> expected;
    for (const ComposedChar &c : in.chars) {
        if (c.character == u'\r')
            continue;
        expected.append({isBreak(c.character) ? QChar(u'\n') : c.character, c.font, c.color});
    }

    // Where the text starts in the command, and what the command sets itself.
    std::optional<int> leading;
    if (!in.chars.isEmpty() && in.chars.first().character != u' ')
        leading = fontPositionFor(in.chars.first().font);
    FUZZ_CHECK(m.leadingFontPosition == leading, detail);
    PriorityCodes sent = in.lists;
    if (leading)
        sent.font = *leading;
    const QString prefix = testMessageCommand(in.messageId, sent, in.timeout, QString());
    FUZZ_CHECK(m.command.startsWith(prefix), detail + u" prefix "_s + fuzz::shown(prefix));

    // The colour the sign starts from: the command's own, or, when the list's position has no
    // preview, the colour of the first character that shows one (as the encoder assumes).
    std::optional<Rgb> start = previewColor(in.lists.color);
    if (!start) {
        for (const ComposedChar &c : in.chars) {
            if (c.character != u' ') {
                start = c.color;
                break;
            }
        }
    }
    const QList<Shown> shown = readAsTheSign(m.command.mid(prefix.size()), sent.font, start, detail);

    // The one break at the very end is dropped; a CR after it may keep it.
    const bool endsWithBreak = !in.chars.isEmpty() && isBreak(in.chars.last().character);
    qsizetype size = expected.size();
    if (endsWithBreak || (shown.size() + 1 == expected.size() && expected.last().character == u'\n'))
        size = expected.size() - 1;
    FUZZ_CHECK(shown.size() == size, detail + u" shows %1 characters"_s.arg(shown.size()));

    for (qsizetype i = 0; i < size; ++i) {
        const ComposedChar &want = expected[i];
        const Shown &got = shown[i];
        const fuzz::Detail at = [&] { return detail + u" at %1"_s.arg(i); };
        FUZZ_CHECK(got.character == want.character, at);
        if (want.character == u' ' || want.character == u'\n')
            continue;
        if (const auto position = fontPositionFor(want.font))
            FUZZ_CHECK(got.font == *position, at + u" font %1"_s.arg(got.font));
        if (colorPositionFor(want.color))
            FUZZ_CHECK(got.color == want.color, at + u" colour"_s);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const Input in = parse(fuzz::latin1(data, size));
    const EncodedTestMessage m = encodeTestMessage(in.chars, in.messageId, in.lists, in.timeout);
    const fuzz::Detail detail = [&] { return describe(in) + u"\n     command "_s + fuzz::shown(m.command); };

    FUZZ_CHECK(!m.command.contains(u'\n') && !m.command.contains(u'\r'), detail);
    FUZZ_CHECK(m.command.startsWith(u"<id="_s + QString::number(in.messageId) + u" f="_s), detail);
    if (m.leadingFontPosition)
        FUZZ_CHECK(*m.leadingFontPosition >= 0 && *m.leadingFontPosition < 25, detail);

    // Nothing may go out with a character the sign cannot take, and that character is named.
    bool beyondLatin1 = false;
    for (const ComposedChar &c : in.chars)
        beyondLatin1 = beyondLatin1 || (c.character.unicode() > 0xFF && !isBreak(c.character));
    for (QChar c : in.timeout)
        beyondLatin1 = beyondLatin1 || c.unicode() > 0xFF;  // the timeout goes out as typed
    FUZZ_CHECK(m.unsendable == firstUnsendableChar(m.command), detail);
    FUZZ_CHECK(m.unsendable.has_value() == beyondLatin1, detail);
    if (!m.unsendable && longestCommandLength(m.command) <= MaxCommandLength)
        FUZZ_CHECK(session::commandBytes(m.command).has_value(), detail);

    bool ownDollar = false;
    for (const ComposedChar &c : in.chars)
        ownDollar = ownDollar || c.character == u'$';
    if (!ownDollar && !in.timeout.contains(u'<') && !in.timeout.contains(u'\n') && !in.timeout.contains(u'\r'))
        checkAsTheSignShowsIt(in, m, detail);
    return 0;
}
