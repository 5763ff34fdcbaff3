// Save and open: every configuration the main window can hold is written to .led text, read
// back, and must come out with the same values.
//
// The input describes the configuration in the .led file's own shape, one "Key:value" line per
// field ("Sizes:" first if the list sizes should differ from the main window's), so that saved
// files serve as seeds. In values, \n and \r stand for a line feed and a carriage return.
// Numbers are folded into what the window's lists can hold; text fields lose the characters
// the format cannot carry in them, which a window's controls never hold either:
//   - the model (a caption taken from the sign's dump header): no ":" and no line feed;
//   - a timeout: no ",", no ":" and no line feed ("1,5" is documented not to read back);
//   - a capcode: no ":" and no line feed (several capcodes joined by "," do read back);
//   - the default message: anything; its line breaks (CR LF or a lone LF) come back as the
//     stored break 0xAA, the form the window keeps after opening a file.
// A lone CR stays in every field: the reader removes only the CR of the line ending.

#include "ledcommon.h"

#include <array>

using namespace Qt::Literals::StringLiterals;

namespace {

QString unescaped(QStringView value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size()) {
            const QChar next = value[i + 1];
            if (next == u'n' || next == u'r' || next == u'\\') {
                out += next == u'n' ? u'\n' : next == u'r' ? u'\r' : u'\\';
                ++i;
                continue;
            }
        }
        out += value[i];
    }
    return out;
}

QString without(QString text, QStringView unwanted)
{
    for (QChar c : unwanted)
        text.remove(c);
    return text;
}

// The first run of digits, with a "-" right before it, as a plain number; 0 without one.
long long numberIn(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && !(text[i] >= u'0' && text[i] <= u'9'))
        ++i;
    const bool negative = i > 0 && text[i - 1] == u'-';
    long long v = 0;
    for (int digits = 0; i < text.size() && text[i] >= u'0' && text[i] <= u'9' && digits < 12; ++i, ++digits)
        v = v * 10 + (text[i].unicode() - u'0');
    return negative ? -v : v;
}

// A value folded into lo .. hi.
long long folded(long long v, long long lo, long long hi)
{
    const long long span = hi - lo + 1;
    return lo + ((v - lo) % span + span) % span;
}

qint16 position(QStringView text, std::optional<int> size)
{
    return qint16(folded(numberIn(text), -1, size ? *size - 1 : 32767));
}

config::LedListSizes sizesFrom(QStringView value)
{
    const QStringList f = value.toString().split(u',');
    const auto size = [&f](qsizetype k) -> std::optional<int> {
        if (k >= f.size() || f[k].trimmed() == u"-")
            return std::nullopt;
        return int(folded(numberIn(f[k]), 0, 64));
    };
    config::LedListSizes s;
    s.font = size(0), s.style = size(1), s.color = size(2), s.speed = size(3), s.alignment = size(4);
    s.pause = size(5), s.beep = size(6), s.comPorts = size(7);
    // The main window's link priority list has five entries; a longer one is never made.
    s.linkPriorities = int(folded(numberIn(f.value(8, u"5"_s)), 0, 5));
    return s;
}

struct Generated {
    config::LedListSizes sizes = fuzz::mainWindowSizes();
    config::LedFileRecord record;
};

Generated generate(const QString &input)
{
    Generated g;
    QStringList lines = input.split(u'\n');
    if (!lines.isEmpty() && lines.first().startsWith(u"Sizes:"))
        g.sizes = sizesFrom(QStringView(lines.takeFirst()).mid(6));

    config::LedFileRecord &r = g.record;
    const config::LedListSizes &s = g.sizes;
    for (QString line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const qsizetype colon = line.indexOf(u':');
        if (colon < 0)
            continue;
        const QString key = line.left(colon);
        const QString value = unescaped(QStringView(line).mid(colon + 1));
        if (key == u"Model") {
            r.model = without(value, u":\n");
        } else if (key == u"Com") {
            r.comPort = position(value, s.comPorts);
        } else if (key.size() == 4 && key.startsWith(u"Pri") && key[3] >= u'0' && key[3] <= u'4') {
            config::PriorityDefaults &p = r.priorities[std::size_t(key[3].unicode() - u'0')];
            const QStringList f = value.split(u',');
            const std::array<std::pair<qint16 *, std::optional<int>>, 7> targets{{
                {&p.font, s.font}, {&p.style, s.style}, {&p.color, s.color}, {&p.speed, s.speed},
                {&p.alignment, s.alignment}, {&p.pause, s.pause}, {&p.beep, s.beep},
            }};
            for (std::size_t k = 0; k < targets.size(); ++k)
                *targets[k].first = position(f.value(qsizetype(k)), targets[k].second);
            p.timeout = without(f.mid(7).join(u','), u",:\n");
        } else if (key.size() == 7 && key.startsWith(u"LinkID") && key[6] >= u'0' && key[6] <= u'7') {
            config::LinkEntry &l = r.links[std::size_t(key[6].unicode() - u'0')];
            const qsizetype comma = value.lastIndexOf(u',');
            l.capcode = without(comma < 0 ? value : value.left(comma), u":\n");
            l.priority = qint16(folded(comma < 0 ? -1 : numberIn(value.mid(comma + 1)), -1,
                                       std::min(4, s.linkPriorities.value_or(5) - 1)));
        } else if (key == u"DefaultMsg") {
            r.DefMsg = value;
        } else if (key == u"AutoID") {
            r.autoId = qint16(folded(numberIn(value), 0, 1));
        } else {
            static const std::array<std::pair<QStringView, qint16 config::LedFileRecord::*>, 6> defs{{
                {u"DefaultFont", &config::LedFileRecord::DefFont}, {u"DefaultColor", &config::LedFileRecord::DefColor},
                {u"DefaultStyle", &config::LedFileRecord::DefStyle},
                {u"DefaultAlignment", &config::LedFileRecord::DefAlign},
                {u"DefaultSpeed", &config::LedFileRecord::DefSpeed}, {u"DefaultPause", &config::LedFileRecord::DefPause},
            }};
            for (const auto &[name, member] : defs) {
                if (key == name)
                    r.*member = qint16(folded(numberIn(value), -32768, 32767));
            }
        }
    }
    return g;
}

// The message as it comes back: each CR LF, then each lone LF, as the stored break.
QString storedForm(const QString &message)
{
    QString out;
    for (qsizetype i = 0; i < message.size(); ++i) {
        if (message[i] == u'\r' && i + 1 < message.size() && message[i + 1] == u'\n') {
            out += config::StoredLineBreak;
            ++i;
        } else if (message[i] == u'\n') {
            out += config::StoredLineBreak;
        } else {
            out += message[i];
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const Generated g = generate(fuzz::latin1(data, size));
    config::LedFileRecord expected = g.record;
    expected.DefMsg = storedForm(g.record.DefMsg);
    fuzz::checkRoundTrip(g.record, expected, g.sizes, [] { return u"generated"_s; });
    // Opening a saved file and saving it again changes nothing.
    fuzz::checkRoundTrip(expected, expected, g.sizes, [] { return u"saved again"_s; });
    return 0;
}
