#include "protocol/replyinterpreter.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace protocol {

namespace {

using Kind = ReplyAction::Kind;

ReplyAction show(const QString &status) { return {Kind::ShowStatus, status}; }

bool containsAnyCase(const QString &line, QLatin1StringView word)
{
    return line.contains(word, Qt::CaseInsensitive);
}

bool equalsAnyCase(const QString &line, QLatin1StringView word)
{
    return line.compare(word, Qt::CaseInsensitive) == 0;
}

// "<prefix><second word>"; without a second word the label keeps the caption it has.
ReplyAction showWithSecondWord(const QString &line, const QString &prefix)
{
    // Split at every single space: two spaces in a row leave an empty word between them.
    const QStringList words = line.split(u' ');
    if (words.size() < 2)
        return {Kind::ShowKeptStatus, {}};
    return show(prefix + words.at(1));
}

} // namespace

QString signsAnswer(QString line)
{
    while (line.endsWith(u'\r'))
        line.chop(1);
    line.remove(0, line.lastIndexOf(u'\r') + 1);
    // Every answer of the sign begins with a letter or a digit; control characters and bytes
    // above 126 in front of it are noise on the line.
    qsizetype start = 0;
    while (start < line.size() && (line.at(start).unicode() < 0x20 || line.at(start).unicode() >= 0x7F))
        ++start;
    return line.mid(start);
}

QString uploadedCountText(int progressValue)
{
    // Single precision on purpose: 41 / 20 must read 2.05, not 2.0499999999999998.
    return QString::number(static_cast<float>(progressValue) / 20.0f, 'g', 7);
}

ReplyAction interpretReply(const QString &line, int progressValue)
{
    // The first matching test decides; the order settles lines that hold several words.
    if (line.isEmpty())
        return {};
    // A refusal counts whatever the line put around it, and ahead of the words an echoed command
    // may hold: an item the sign did not take must never be reported as uploaded.
    if (equalsAnyCase(signsAnswer(line), "error"_L1))
        return {Kind::Refused, {}};
    if (containsAnyCase(line, "done"_L1))
        return show(u"Uploaded "_s + uploadedCountText(progressValue) + u" Successfull"_s);
    if (containsAnyCase(line, "default"_L1))
        return showWithSecondWord(line, u"Default Uploaded : "_s);
    if (equalsAnyCase(line, "delinked"_L1))
        return {};
    if (containsAnyCase(line, "linked"_L1))
        return showWithSecondWord(line, u"Linked ID : "_s);
    if (equalsAnyCase(line, "user cmd"_L1))
        return show(u"User Command Uploaded"_s);
    if (equalsAnyCase(line, "Auto ID"_L1))
        return show(u"Switched to Auto ID"_s);
    if (equalsAnyCase(line, "User ID"_L1))
        return show(u"Switched to User ID"_s);
    // Exact case and ahead of the ":" test, so that "ID Forced : 0" is not taken for a dump.
    if (line.contains("ID Forced :"_L1) || line.contains("Force ID OFF"_L1))
        return show(line);
    if (line.contains(u':'))
        return {Kind::ConfigDump, {}};
    return {};
}

} // namespace protocol
