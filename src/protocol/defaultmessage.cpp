#include "protocol/defaultmessage.h"

#include "protocol/numbers.h"
#include "protocol/replyinterpreter.h"

#include <array>

using namespace Qt::Literals::StringLiterals;

namespace protocol {

namespace {

constexpr std::array<QLatin1StringView, TimeTokenCount> tokens{
    "<hh:mm:ss>"_L1, "<hh:mm:ss A/PM>"_L1, "<hh:mm>"_L1,     "<hh:mm A/PM>"_L1,
    "<mm/dd/yyyy>"_L1, "<yyyy-mm-dd>"_L1, "<dd.MM yyyy>"_L1, "<mm'dd'yy>"_L1,
};

// The sign's code bytes in its stored form of a message.
constexpr char16_t storedBreak = 170;
constexpr char16_t storedFirstToken = 171;

QString displayValues(const DefaultMessageCodes &c)
{
    return u"f=%1 c=%2 s=%3 a=%4 sp=%5 p=%6"_s.arg(c.font).arg(c.color).arg(c.style).arg(c.align).arg(c.speed).arg(
        c.pause);
}

// The list positions of the RW2290's dump are offset by these (font, style, colour, speed,
// alignment, pause); other models send the positions themselves.
constexpr std::array<int, 6> rw2290Offsets{64, 65, 65, 48, 49, 48};

} // namespace

QStringList timeTokens()
{
    QStringList list;
    for (QLatin1StringView t : tokens)
        list << t;
    return list;
}

QString timeTokenFor(const QString &formatEntry) { return u'<' + formatEntry + u'>'; }

QString decodeStoredMessage(const QString &stored)
{
    QString text;
    text.reserve(stored.size());
    for (QChar c : stored) {
        const char16_t u = c.unicode();
        if (u == storedBreak)
            text += u"\r\n";
        else if (u >= storedFirstToken && u < storedFirstToken + TimeTokenCount)
            text += tokens[u - storedFirstToken];
        else
            text += c;
    }
    return text;
}

std::optional<QChar> firstStoredCodeChar(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= storedBreak && c.unicode() < storedFirstToken + TimeTokenCount)
            return c;
    }
    return std::nullopt;
}

QString storedCodeRefusedText(QChar code)
{
    return u"The default message cannot hold the character \"%1\": the sign keeps it as a line break or a time "
           u"field. Remove it and try again."_s.arg(code);
}

QString encodeForSign(QString command)
{
    for (std::size_t n = 0; n < tokens.size(); ++n)
        command.replace(tokens[n], u"$T"_s + QString::number(n));
    command.replace(u'\n', u"$L"_s);
    command.remove(u'\r');
    // A break after the last line would only add an empty line on the sign.
    if (command.endsWith(u"$L"))
        command.chop(2);
    return command;
}

QString writeDefaultMessageCommand(const DefaultMessageCodes &codes, const QString &text)
{
    return u"<DF "_s + displayValues(codes) + u'>' + text;
}

QString removeDefaultMessageCommand() { return u"<del id=def>"_s; }

std::optional<QString> defaultMessageUploadCommand(const DefaultMessageCodes &codes, const QString &editorText,
                                                   bool timeDisplayOn)
{
    if (editorText.isEmpty())
        return removeDefaultMessageCommand();
    if (timeDisplayOn)
        return std::nullopt;
    return encodeForSign(writeDefaultMessageCommand(codes, editorText));
}

QString timeOnIdleCommand(const DefaultMessageCodes &codes, int format)
{
    return u"<TIME "_s + displayValues(codes) + u" fm="_s + QString::number(format) + u">IDLE ON"_s;
}

QString resetCommand() { return u"RESET"_s; }
QString timeIdleOnCommand() { return u"<TIME>IDLE ON"_s; }
QString timeIdleOffCommand() { return u"<TIME>IDLE OFF"_s; }
QString readDefaultMessageCommand() { return u"DOWNLOAD_DEFAULT_MSG"_s; }

QString timeDisplayStatusText(bool on) { return on ? u"is ON"_s : u"is OFF"_s; }

QString removeMessageHint() { return u"Remove message and Click \"Upload to Sign\" to display Time"_s; }

DefaultMessageDump readDefaultMessageDump(const QString &line)
{
    DefaultMessageDump dump;
    const qsizetype colon = line.indexOf(u':');
    dump.model = colon < 0 ? line : line.left(colon);
    if (colon < 0)
        return dump;
    const QString data = line.mid(colon + 1);
    // The numbers end at a ":" as well as at a ","; the text is the rest of the line.
    const QStringList fields = data.section(u':', 0, 0).split(u',');
    const bool offset = dump.model == u"RW2290";
    const std::array<std::optional<qint16> *, 6> targets{&dump.font, &dump.style, &dump.color,
                                                          &dump.speed, &dump.alignment, &dump.pause};
    for (std::size_t k = 0; k < targets.size(); ++k) {
        if (qsizetype(k) >= fields.size())
            break;
        if (const auto n = readInt16(fields[qsizetype(k)]))
            *targets[k] = toInt16(double(*n) - (offset ? rw2290Offsets[k] : 0));
    }
    qsizetype pos = 0;
    for (int commas = 0; commas < 8 && pos >= 0; ++commas) {
        pos = data.indexOf(u',', pos);
        if (pos >= 0)
            ++pos;
    }
    if (pos >= 0)
        dump.text = decodeStoredMessage(data.mid(pos));
    return dump;
}

bool hasDefaultMessageDumpForm(const QString &line)
{
    const qsizetype colon = line.indexOf(u':');
    if (colon <= 0)
        return false;
    const QStringList fields = line.mid(colon + 1).split(u',');
    if (fields.size() < 9)
        return false;
    for (qsizetype k = 0; k < 6; ++k) {
        if (!strictInt16(fields[k]))
            return false;
    }
    return true;
}

DefaultMessageReply interpretDefaultMessageReply(const QString &received, bool timeDisplayOn, bool editorEmpty,
                                                 bool awaitingDump)
{
    // An echo in front and a CR LF line end are not the sign's answer.
    const QString line = signsAnswer(received);
    using Kind = DefaultMessageReply::Kind;
    DefaultMessageReply reply;
    if (line.isEmpty())
        return reply;
    if (awaitingDump && hasDefaultMessageDumpForm(line)) {
        reply.kind = Kind::Dump;
        reply.dump = readDefaultMessageDump(line);
        return reply;
    }
    if (line.contains("done"_L1, Qt::CaseInsensitive)) {
        reply.kind = Kind::ShowStatus;
        reply.status = timeDisplayOn && !editorEmpty ? removeMessageHint() : u"Upload Successfull"_s;
        return reply;
    }
    if (line.compare("error"_L1, Qt::CaseInsensitive) == 0) {
        reply.kind = Kind::Refused;
        return reply;
    }
    if (line.startsWith("TIME"_L1)) {
        reply.kind = Kind::TimeDisplay;
        reply.timeDisplayOn = line.section(u':', 2, 2) == u"1";
        return reply;
    }
    if (line.startsWith("default"_L1)) {
        reply.kind = Kind::ShowStatus;
        reply.status = u"Default message uploaded successfully"_s;
        return reply;
    }
    reply.kind = Kind::Dump;
    reply.dump = readDefaultMessageDump(line);
    return reply;
}

} // namespace protocol
