#include "protocol/commands.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace protocol {

QString priorityDefaultsCommand(int priority, const PriorityCodes &codes, const QString &timeoutText)
{
    // The sign expects this attribute order, which is not the order of the .led file.
    return u"<DF pr=%1 f=%2 c=%3 s=%4 a=%5 sp=%6 p=%7 b=%8 t="_s
               .arg(priority)
               .arg(codes.font)
               .arg(codes.color)
               .arg(codes.style)
               .arg(codes.alignment)
               .arg(codes.speed)
               .arg(codes.pause)
               .arg(codes.beep)
        // Appended rather than passed to arg(), so that a "%1" typed by the operator stays as is.
        + timeoutText + u'>';
}

QString idModeCommand(bool autoId) { return autoId ? u"<id=auto>"_s : u"<id=user>"_s; }

QString userCommand(const QString &text) { return u"<UC>"_s + text; }

QString linkCommand(int id, const QString &capcode, int priority)
{
    return u"<link id="_s + QString::number(id) + u" cap="_s + capcode + u" pr="_s
        + QString::number(priority) + u'>';
}

QString removeLinkCommand(int id) { return u"<link id=%1 cap=0>"_s.arg(id); }

QString forceId0OnCommand() { return u"<FORCE id=0>"_s; }
QString forceIdOffCommand() { return u"<FORCE_ID_OFF>"_s; }
QString factoryDefaultsCommand() { return u"<FD>"_s; }
QString readConfigurationCommand() { return u"DOWNLOAD_ALL"_s; }

std::optional<QString> firstUnsendableChar(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() <= 0xFF)
            continue;
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            return text.mid(i, 2);
        return QString(c);
    }
    return std::nullopt;
}

qsizetype longestCommandLength(QStringView text)
{
    qsizetype longest = 0;
    qsizetype run = 0;
    for (const QChar c : text) {
        run = c == u'\r' ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest;
}

QString cannotShowText(const QString &character)
{
    return u"The sign cannot show the character \"%1\"; remove it and try again."_s.arg(character);
}

std::optional<QString> whyUnsendable(const QString &command)
{
    if (const std::optional<QString> bad = firstUnsendableChar(command))
        return cannotShowText(*bad);
    if (const qsizetype length = longestCommandLength(command); length > MaxCommandLength)
        return u"The command is %1 characters long; the sign takes at most %2."_s.arg(length).arg(MaxCommandLength);
    return std::nullopt;
}

} // namespace protocol
