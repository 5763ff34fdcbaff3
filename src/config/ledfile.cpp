#include "config/ledfile.h"

#include "protocol/commands.h"
#include "protocol/defaultmessage.h"
#include "protocol/numbers.h"

using namespace Qt::Literals::StringLiterals;

namespace config {

namespace {

constexpr auto crlf = "\r\n"_L1;

QString priorityKey(int n) { return u"Pri%1:"_s.arg(n); }
QString linkKey(int i) { return u"LinkID%1:"_s.arg(i); }

struct DefKey {
    QString key;
    led::SetDefValue::Field field;
};

const std::array<DefKey, 6> &defaultKeys()
{
    using F = led::SetDefValue::Field;
    static const std::array<DefKey, 6> keys{{
        {u"DefaultFont:"_s, F::Font},
        {u"DefaultColor:"_s, F::Color},
        {u"DefaultStyle:"_s, F::Style},
        {u"DefaultAlignment:"_s, F::Align},
        {u"DefaultSpeed:"_s, F::Speed},
        {u"DefaultPause:"_s, F::Pause},
    }};
    return keys;
}

// Every key in the order the reader acts on them.
QStringList allKeys()
{
    QStringList keys{u"Model:"_s, u"Com:"_s};
    for (int n = 0; n < PriorityCount; ++n)
        keys << priorityKey(n);
    for (int i = 0; i < LinkCount; ++i)
        keys << linkKey(i);
    keys << u"DefaultMsg:"_s;
    for (const DefKey &k : defaultKeys())
        keys << k.key;
    keys << u"AutoID:"_s;
    return keys;
}

QString storedMessage(QString text)
{
    text.replace(crlf, QString(StoredLineBreak));
    text.replace(u'\n', StoredLineBreak);
    return text;
}

LedFileError error(int number, const QString &description) { return {number, description}; }

// Whether leadingNumber() finds a number at all, as opposed to reading 0 for "no number".
bool startsWithNumber(QStringView text)
{
    qsizetype pos = 0;
    while (pos < text.size() && (text[pos] == u' ' || text[pos] == u'\t'))
        ++pos;
    if (pos < text.size() && (text[pos] == u'-' || text[pos] == u'+'))
        ++pos;
    if (pos < text.size() && text[pos] == u'.')
        ++pos;
    return pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9';
}

// Either a value or the error that stops the reading.
template <typename T>
using Checked = std::variant<T, LedFileError>;

// A leading number as a 16-bit whole number (0 when the text has none).
Checked<qint16> leadingInt16(QStringView text, double offset, const QString &what)
{
    if (const auto v = protocol::toInt16(protocol::leadingNumber(text) + offset))
        return *v;
    return error(LedFileError::Overflow, u"%1 does not fit in 16 bits: \"%2\""_s.arg(what, text));
}

// A value that must begin with a number.
Checked<qint16> requiredInt16(QStringView text, const QString &what)
{
    if (!startsWithNumber(text))
        return error(LedFileError::NotANumber, u"%1 is not a number: \"%2\""_s.arg(what, text));
    return leadingInt16(text, 0, what);
}

Checked<qint16> inList(Checked<qint16> value, std::optional<int> size, const QString &what)
{
    if (const auto *v = std::get_if<qint16>(&value)) {
        if (*v < -1 || (size && *v >= *size)) {
            const QString range = size ? u" (-1 to %1)"_s.arg(*size - 1) : QString();
            return error(LedFileError::InvalidValue,
                         u"%1 is not a position of its list%2: %3"_s.arg(what, range).arg(*v));
        }
    }
    return value;
}

class LineReader {
public:
    LineReader(const QString &line, const LedListSizes &sizes) : m_line(line), m_sizes(sizes) {}

    LedReadResult read()
    {
        const QStringList keys = allKeys();
        QString own;
        for (const QString &key : keys) {
            if (m_line.startsWith(key, Qt::CaseInsensitive))
                own = key;
        }
        for (const QString &key : keys) {
            const bool applies = own.isEmpty() ? m_line.contains(key, Qt::CaseInsensitive) : key == own;
            if (applies && !apply(key))
                break;
        }
        return std::move(m_result);
    }

private:
    // The text between the first colon and the next one, or the end of the line.
    QString value() const
    {
        const qsizetype first = m_line.indexOf(u':');
        const qsizetype next = m_line.indexOf(u':', first + 1);
        return next < 0 ? m_line.mid(first + 1) : m_line.mid(first + 1, next - first - 1);
    }

    template <typename T>
    bool take(Checked<T> checked, T &out)
    {
        if (auto *e = std::get_if<LedFileError>(&checked)) {
            m_result.error = std::move(*e);
            return false;
        }
        out = std::get<T>(checked);
        return true;
    }

    bool apply(const QString &key)
    {
        if (key == u"Model:")
            return add(led::SetModel{value()});
        if (key == u"Com:")
            return applyCom(key);
        if (key == u"DefaultMsg:")
            return add(led::SetDefMsg{m_line.mid(m_line.indexOf(u':') + 1)});
        if (key == u"AutoID:")
            return applyAutoId(key);
        for (int n = 0; n < PriorityCount; ++n) {
            if (key == priorityKey(n))
                return applyPriority(key, n);
        }
        for (int i = 0; i < LinkCount; ++i) {
            if (key == linkKey(i))
                return applyLink(key, i);
        }
        for (const DefKey &k : defaultKeys()) {
            if (key == k.key) {
                qint16 v = 0;
                return take(requiredInt16(value(), u"\"%1\""_s.arg(key)), v)
                    && add(led::SetDefValue{k.field, v});
            }
        }
        return true;
    }

    bool add(LedFileAction action)
    {
        m_result.actions.append(std::move(action));
        return true;
    }

    bool applyCom(const QString &key)
    {
        const QString what = u"\"%1\""_s.arg(key);
        qint16 position = -1;
        return take(inList(leadingInt16(value(), -1, what), m_sizes.comPorts, what), position)
            && add(led::SetComPort{position});
    }

    bool applyAutoId(const QString &key)
    {
        const QString what = u"\"%1\""_s.arg(key);
        qint16 v = 0;
        if (!take(requiredInt16(value(), what), v))
            return false;
        if (v != 0 && v != 1) {
            m_result.error = error(LedFileError::InvalidValue, u"%1 must be 0 or 1, not %2"_s.arg(what).arg(v));
            return false;
        }
        return add(led::SetAutoId{v});
    }

    bool applyPriority(const QString &key, int row)
    {
        const QStringList fields = value().split(u',');
        if (fields.size() != 8)
            return true;
        PriorityDefaults p;
        const std::array<std::pair<qint16 *, std::optional<int>>, 7> targets{{
            {&p.font, m_sizes.font}, {&p.style, m_sizes.style}, {&p.color, m_sizes.color},
            {&p.speed, m_sizes.speed}, {&p.alignment, m_sizes.alignment}, {&p.pause, m_sizes.pause},
            {&p.beep, m_sizes.beep},
        }};
        static const std::array<const char *, 7> names{"font", "style", "colour", "speed", "alignment",
                                                       "pause", "beep"};
        for (std::size_t k = 0; k < targets.size(); ++k) {
            const QString what = u"\"%1\" %2"_s.arg(key, QLatin1StringView(names[k]));
            if (!take(inList(leadingInt16(fields[qsizetype(k)], 0, what), targets[k].second, what),
                      *targets[k].first))
                return false;
        }
        p.timeout = fields[7];
        return add(led::SetPriority{row, p});
    }

    bool applyLink(const QString &key, int id)
    {
        const QStringList fields = value().split(u',');
        if (fields.size() < 2)
            return add(led::ClearLink{id});
        // A link holding several capcodes (as a download joins them) is written with their
        // commas; the priority is always the last field, so the capcodes are everything before
        // it and the file reads back what it was saved with.
        const QString priorityField = fields.back();
        led::SetLink link{id, fields.mid(0, fields.size() - 1).join(u','), std::nullopt};
        if (protocol::leadingNumber(priorityField) < 5) {
            const QString what = u"\"%1\" priority"_s.arg(key);
            qint16 priority = -1;
            if (!take(inList(leadingInt16(priorityField, 0, what), m_sizes.linkPriorities, what), priority))
                return false;
            link.priority = priority;
        }
        return add(std::move(link));
    }

    const QString &m_line;
    const LedListSizes &m_sizes;
    LedReadResult m_result;
};

} // namespace

LedFileRecord ledFileRecord(const QString &model, qint16 comPort, const ConfigValues &values, const SignConfig &kept)
{
    LedFileRecord record;
    record.model = model;
    record.comPort = comPort;
    record.priorities = values.priorities;
    record.links = values.links;
    record.DefMsg = kept.DefMsg;
    record.DefFont = kept.DefFont;
    record.DefColor = kept.DefColor;
    record.DefStyle = kept.DefStyle;
    record.DefAlign = kept.DefAlign;
    record.DefSpeed = kept.DefSpeed;
    record.DefPause = kept.DefPause;
    record.autoId = values.autoId;
    return record;
}

QString ledFileText(const LedFileRecord &r)
{
    QStringList lines;
    lines << u"Model:"_s + r.model;
    lines << u"Com:"_s + QString::number(r.comPort + 1);
    for (int n = 0; n < PriorityCount; ++n) {
        const PriorityDefaults &p = r.priorities[std::size_t(n)];
        QStringList fields;
        for (qint16 v : {p.font, p.style, p.color, p.speed, p.alignment, p.pause, p.beep})
            fields << QString::number(v);
        fields << p.timeout;
        lines << priorityKey(n) + fields.join(u',');
    }
    for (int i = 0; i < LinkCount; ++i) {
        const LinkEntry &l = r.links[std::size_t(i)];
        lines << linkKey(i) + l.capcode + u',' + QString::number(l.priority);
    }
    lines << u"DefaultMsg:"_s + storedMessage(r.DefMsg);
    const std::array<qint16, 6> defs{r.DefFont, r.DefColor, r.DefStyle, r.DefAlign, r.DefSpeed, r.DefPause};
    for (std::size_t k = 0; k < defs.size(); ++k)
        lines << defaultKeys()[k].key + QString::number(defs[k]);
    lines << u"AutoID:"_s + QString::number(r.autoId);
    return lines.join(crlf) + crlf;
}

std::optional<QString> whyUnstorable(const LedFileRecord &record)
{
    if (const std::optional<QString> bad = protocol::firstUnsendableChar(ledFileText(record)))
        return u"The character \"%1\" cannot be stored in a .led file."_s.arg(*bad);
    // The sign's stored form: date/time field n is the byte 171 + n.
    constexpr char16_t firstField = 171;
    constexpr char16_t lastField = firstField + protocol::TimeTokenCount - 1;
    for (const QChar c : record.DefMsg) {
        if (c.unicode() >= firstField && c.unicode() <= lastField)
            return u"The default message cannot hold the character \"%1\" (code %2) in a .led file: it would "
                   u"read back as a date or time field."_s.arg(c).arg(c.unicode());
    }
    return std::nullopt;
}

SaveBytes saveTextBytes(const QString &sText)
{
    // toLatin1() would write "?" in place of such a character and lose it without a word.
    if (auto bad = protocol::firstUnsendableChar(sText))
        return {std::nullopt, std::move(bad)};
    return {(sText + crlf).toLatin1(), std::nullopt};
}

QStringList ledFileLines(const QByteArray &bytes)
{
    QStringList lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        const qsizetype next = end < 0 ? bytes.size() : end + 1;
        if (end < 0)
            end = bytes.size();
        qsizetype len = end - start;
        if (len > 0 && bytes[start + len - 1] == '\r')
            --len;
        lines << QString::fromLatin1(bytes.constData() + start, len);
        start = next;
    }
    return lines;
}

QString LedFileError::message() const
{
    return u"Error "_s + QString::number(number) + u" opening file."_s + crlf + description;
}

LedFileError fileNotFoundError(const QString &path)
{
    return error(LedFileError::FileNotFound, u"File not found: "_s + path);
}

LedFileError fileNotAccessibleError(const QString &path, const QString &reason)
{
    QString text = u"The file cannot be read: "_s + path;
    if (!reason.isEmpty())
        text += u" ("_s + reason + u')';
    return error(LedFileError::FileNotAccessible, text);
}

LedFileError readPastEndError(const QString &path)
{
    return error(LedFileError::ReadPastEnd, u"The file ended before it could be read in full: "_s + path);
}

LedReadResult readLedLine(const QString &line, const LedListSizes &sizes)
{
    return LineReader(line, sizes).read();
}

LedReadResult readLedFile(const QStringList &lines, const LedListSizes &sizes)
{
    LedReadResult all;
    for (const QString &line : lines) {
        LedReadResult one = readLedLine(line, sizes);
        all.actions << one.actions;
        if (one.error) {
            all.error = std::move(one.error);
            break;
        }
    }
    return all;
}

void applyLedAction(const LedFileAction &action, LedFileRecord &r)
{
    using F = led::SetDefValue::Field;
    struct Apply {
        LedFileRecord &r;
        void operator()(const led::SetModel &a) const { r.model = a.caption; }
        void operator()(const led::SetComPort &a) const { r.comPort = a.position; }
        void operator()(const led::SetPriority &a) const { r.priorities[std::size_t(a.row)] = a.values; }
        void operator()(const led::SetLink &a) const
        {
            LinkEntry &l = r.links[std::size_t(a.id)];
            l.capcode = a.capcode;
            if (a.priority)
                l.priority = *a.priority;
        }
        void operator()(const led::ClearLink &a) const { r.links[std::size_t(a.id)] = LinkEntry{}; }
        void operator()(const led::SetDefMsg &a) const { r.DefMsg = a.text; }
        void operator()(const led::SetDefValue &a) const
        {
            switch (a.field) {
            case F::Font: r.DefFont = a.value; break;
            case F::Color: r.DefColor = a.value; break;
            case F::Style: r.DefStyle = a.value; break;
            case F::Align: r.DefAlign = a.value; break;
            case F::Speed: r.DefSpeed = a.value; break;
            case F::Pause: r.DefPause = a.value; break;
            }
        }
        void operator()(const led::SetAutoId &a) const { r.autoId = a.value; }
    };
    std::visit(Apply{r}, action);
}

QString defaultMsgToolTip(const SignConfig &c)
{
    return u"Message:"_s + c.DefMsg + u", Font:"_s + QString::number(c.DefFont) + u", Color:"_s
        + QString::number(c.DefColor) + u", Style:"_s + QString::number(c.DefStyle) + u", Align:"_s
        + QString::number(c.DefAlign) + u", Speed:"_s + QString::number(c.DefSpeed) + u", Pause:"_s
        + QString::number(c.DefPause);
}

QString defaultMsgText(const SignConfig &c)
{
    QStringList fields{c.configFileName, c.DefMsg};
    for (qint16 v : {c.DefFont, c.DefColor, c.DefStyle, c.DefAlign, c.DefSpeed, c.DefPause})
        fields << QString::number(v);
    return fields.join(u',');
}

} // namespace config
